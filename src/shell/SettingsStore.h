#pragma once

#include <QString>

// The per-user settings store: text values addressed by application name,
// section and key. Each value lives in a file of its own,
//     <config folder>/<application>/<section>/<key>
// holding the text in UTF-8, so a large value is read and written in one go
// and a write replaces the old value atomically.
class SettingsStore
{
public:
    // The store under the user's XDG config folder ($XDG_CONFIG_HOME, or ~/.config).
    SettingsStore();
    // A store under another folder.
    explicit SettingsStore(QString rootFolder);

    const QString& rootFolder() const { return m_root; }

    // The value of a key, or `defaultValue` when the key holds none.
    // Throws Failure when the value exists but cannot be read.
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue = {}) const;

    // Replaces the value of a key whole. Throws Failure when it cannot be
    // written; the previous value then stays as it was.
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value) const;

    QString pathOf(const QString& application, const QString& section, const QString& key) const;

private:
    QString m_root;
};
