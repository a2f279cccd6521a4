#pragma once

#include "core/files/FileHandle.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

// The per-user settings store: text values addressed by application name,
// section and key. Each value lives in a file of its own,
//     <config folder>/<application>/<section>/<key>
// holding the text in UTF-8, so a large value is read and written in one go
// and a write replaces the old value atomically. Only regular files are read
// or replaced: a pipe, a device or a folder in a value's place (or a link to
// one) is a failure, never read from or written over.
class SettingsStore
{
public:
    // The store under the user's XDG config folder ($XDG_CONFIG_HOME, or ~/.config).
    SettingsStore();
    explicit SettingsStore(QString rootFolder) : m_root(std::move(rootFolder)) {}

    // The value of a key, or `defaultValue` when the key holds none. Throws
    // Failure when the value exists but cannot be read or is no regular file.
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue = {}) const;

    // A value open for reading a piece at a time, so that a large one needs
    // no buffer of its size.
    class Reader
    {
    public:
        // The value's size when it was opened (it may change meanwhile).
        qsizetype size() const { return m_size; }
        // Reads up to `room` bytes into `to`; 0 at the end. Throws Failure.
        qsizetype read(char* to, qsizetype room) const { return readSome(m_file, to, room); }

    private:
        friend class SettingsStore;
        Reader(FileHandle file, qsizetype size) : m_file(std::move(file)), m_size(size) {}
        FileHandle m_file;
        qsizetype m_size;
    };
    // The value of a key open for reading; nothing when the key holds none.
    // Throws Failure as read() does.
    std::optional<Reader> open(const QString& application, const QString& section,
                               const QString& key) const;

    // Takes bytes of a value, in order, a piece at a time.
    using ByteSink = std::function<void(QByteArrayView bytes)>;
    // Replaces the value of a key whole with the UTF-8 bytes that `produce`
    // hands to its sink. Throws Failure when it cannot be written or is no
    // regular file; the previous value then stays, as when `produce` fails.
    void write(const QString& application, const QString& section, const QString& key,
               const std::function<void(const ByteSink& write)>& produce) const;
    // The same for a value given whole.
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value) const
    {
        write(application, section, key, [&value](const ByteSink& sink) { sink(value.toUtf8()); });
    }

    // Keeps a value that could not be read before a new one is written: its
    // file is renamed "<key>.unread-<yyyyMMdd-HHmmss>" (then "-2", "-3", ...).
    // Answers the new name, or "" when there is no regular file to keep.
    // Throws Failure when it cannot be moved.
    QString keepAside(const QString& application, const QString& section, const QString& key) const;

    // The folder that holds a section's values.
    QString folderOf(const QString& application, const QString& section) const;
    QString pathOf(const QString& application, const QString& section, const QString& key) const;

private:
    QString m_root;
};
