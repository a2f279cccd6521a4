#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class Form1;

// The skinning component of the main window, `SkinFramework1`: it loads a skin
// from a file and from then on draws the windows it is given in that skin's
// look. Each member throws Failure when the component cannot do what is asked.
class SkinFramework : public QObject
{
    Q_OBJECT

public:
    // Option bits of ApplyOptions().
    static constexpr qint32 SkinApplyWindow = 0x1;

    using QObject::QObject;

    // Loads the skin from a file. `variantFile` names a second file whose
    // rules are laid over the skin's (a variant of it); "" for none.
    virtual void LoadSkin(const QString& path, const QString& variantFile) = 0;

    // The 32-bit option set. Bit 0 (SkinApplyWindow): ApplyWindow draws the
    // window it is given, with all its controls, in the skin. Other bits are
    // kept as they are written.
    virtual qint32 ApplyOptions() const = 0;
    virtual void SetApplyOptions(qint32 options) = 0;

    // When true, windows that are opened after ApplyWindow and have no window
    // of their own above them (message boxes at start-up, dialogs) get the
    // skin as well.
    virtual bool AutoApplyNewWindows() const = 0;
    virtual void SetAutoApplyNewWindows(bool on) = 0;

    // While false the skin is not drawn: every window the component skinned
    // has its own look back; true again puts the skin back.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool on) = 0;

    // Draws the window with this native handle (QWidget::winId()) in the skin.
    virtual void ApplyWindow(quintptr windowHandle) = 0;
};

// Makes the skinning component of a window; the component belongs to that
// window (it is a child object of it) and lives as long as the window does.
class SkinFactory
{
public:
    virtual ~SkinFactory() = default;
    virtual SkinFramework* create(QWidget* window) = 0;
};

// A skin is a Qt style sheet in a UTF-8 text file. Relative url(...)
// references in it are taken from the skin file's own folder.
class StyleSheetSkin : public SkinFramework
{
    Q_OBJECT

public:
    // The largest skin file that is read.
    static constexpr qint64 MaximumFileSize = qint64(4) * 1024 * 1024;

    explicit StyleSheetSkin(QObject* parent = nullptr);
    ~StyleSheetSkin() override;

    void LoadSkin(const QString& path, const QString& variantFile) override;
    qint32 ApplyOptions() const override { return m_options; }
    void SetApplyOptions(qint32 options) override;
    bool AutoApplyNewWindows() const override { return m_autoApplyNewWindows; }
    void SetAutoApplyNewWindows(bool on) override;
    bool Enabled() const override { return m_enabled; }
    void SetEnabled(bool on) override;
    void ApplyWindow(quintptr windowHandle) override;

    // The style sheet of the loaded skin; "" before a skin is loaded.
    const QString& StyleSheet() const { return m_styleSheet; }

    // Reads one skin file as a style sheet. Throws Failure saying what is
    // wrong when the file cannot be read, is empty, is not text or is not a
    // style sheet.
    static QString readSkinFile(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void skin(QWidget* window);

    QString m_styleSheet;
    qint32 m_options = 0;
    bool m_autoApplyNewWindows = false;
    bool m_enabled = true;
    QPointer<QWidget> m_window;
    bool m_windowSkinned = false;
    QList<QPointer<QWidget>> m_laterWindows;
    bool m_watching = false;
};

class StyleSheetSkinFactory : public SkinFactory
{
public:
    SkinFramework* create(QWidget* window) override;
};

namespace Main {

// Gives the window its skinned look when the skin file x/o.cjs lies beside the
// program: the background becomes button face, and the window's skinning
// component loads the skin and draws the window. Without that file nothing
// changes. Failures pass up to the caller.
void ApplySkin(Form1& form);

// The skin file's path for a program folder.
QString SkinFilePath(const QString& programFolder);

// True when the skin file is listed in its folder as an ordinary file: not a
// folder, not hidden (by a leading dot or by a ".hidden" list in its folder),
// not a device, pipe or socket. Throws Failure when the folder exists but
// cannot be listed.
bool SkinFileIsPresent(const QString& path);

} // namespace Main
