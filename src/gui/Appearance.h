#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class Form1;

// The skinning component of the main window, `SkinFramework1`: it loads a skin
// and draws the windows it is given in that skin's look. Each member throws
// Failure when the component cannot do what is asked.
class SkinFramework : public QObject
{
    Q_OBJECT

public:
    // Bit of ApplyOptions(): ApplyWindow draws the window with its controls.
    static constexpr qint32 SkinApplyWindow = 0x1;

    using QObject::QObject;

    // `variantFile` names a second file laid over the skin; "" for none.
    virtual void LoadSkin(const QString& path, const QString& variantFile) = 0;
    virtual qint32 ApplyOptions() const = 0;
    virtual void SetApplyOptions(qint32 options) = 0;
    // When true, windows opened after ApplyWindow that have no window above
    // them (message boxes, dialogs) get the skin as well.
    virtual void SetAutoApplyNewWindows(bool on) = 0;
    // While false every window the component skinned has its own look back.
    virtual void SetEnabled(bool on) = 0;
    // Draws the window with this native handle (QWidget::winId()) in the skin.
    virtual void ApplyWindow(quintptr windowHandle) = 0;
};

// Makes the skinning component of a window, as a child object of it.
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
    static constexpr qint64 MaximumFileSize = qint64(4) * 1024 * 1024;

    using SkinFramework::SkinFramework;

    void LoadSkin(const QString& path, const QString& variantFile) override;
    qint32 ApplyOptions() const override { return m_options; }
    void SetApplyOptions(qint32 options) override;
    void SetAutoApplyNewWindows(bool on) override;
    void SetEnabled(bool on) override;
    void ApplyWindow(quintptr windowHandle) override;

    // The style sheet of the loaded skin; "" before a skin is loaded.
    const QString& StyleSheet() const { return m_styleSheet; }

    // Reads one skin file as a style sheet. Throws Failure saying what is
    // wrong with a file that is no readable UTF-8 style sheet.
    static QString readSkinFile(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    // Draws the window in the skin, or not.
    void skin(QWidget* window, bool drawn);

    QString m_styleSheet;
    qint32 m_options = 0;
    bool m_autoApplyNewWindows = false;
    bool m_enabled = true;
    QPointer<QWidget> m_window;
    bool m_windowSkinned = false;
    QList<QPointer<QWidget>> m_laterWindows;
};

class StyleSheetSkinFactory : public SkinFactory
{
public:
    SkinFramework* create(QWidget* window) override { return new StyleSheetSkin(window); }
};

namespace Main {

// When x/o.cjs lies beside the program as an ordinary, visible file, the
// window's background becomes button face and its skinning component draws it
// in that skin; otherwise nothing changes. Failures pass up to the caller.
void ApplySkin(Form1& form);

// The skin file's path for a program folder.
QString SkinFilePath(const QString& programFolder);

} // namespace Main
