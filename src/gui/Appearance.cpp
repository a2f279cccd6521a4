#include "gui/Appearance.h"

#include "core/base/Failure.h"
#include "gui/Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// Qt's style sheet parser says only through a warning that it gave up on a
// sheet; this catches that warning while a sheet is tried out.
thread_local bool parseFailed = false;
QtMessageHandler previousHandler = nullptr;

void catchParseWarning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("Could not parse"))) {
        parseFailed = true;
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
    else
        qt_message_output(type, context, message);
}

bool isStyleSheet(const QString& text)
{
    parseFailed = false;
    previousHandler = qInstallMessageHandler(catchParseWarning);
    {
        QWidget probe;
        probe.setAttribute(Qt::WA_DontShowOnScreen);
        probe.setStyleSheet(text);
        probe.ensurePolished();
    }
    qInstallMessageHandler(previousHandler);
    return !parseFailed;
}

// url(...) is taken from the working folder, a skin's images lie beside the
// skin: relative references outside comments are made absolute.
QString anchorUrls(const QString& sheet, const QString& folder)
{
    static const QRegularExpression commentOrUrl(
        QStringLiteral(R"((/\*[\s\S]*?\*/)|url\(\s*(["']?)([^"')]+)\2\s*\))"));
    QString result;
    qsizetype done = 0;
    for (auto it = commentOrUrl.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(sheet).mid(done, match.capturedStart() - done);
        done = match.capturedEnd();
        const QString reference = match.captured(3).trimmed();
        // Absolute paths, resources (":/...") and addresses with a scheme stay.
        if (match.hasCaptured(1) || reference.contains(QLatin1Char(':')) ||
            QDir::isAbsolutePath(reference)) {
            result += match.captured(0);
            continue;
        }
        const QString quote =
            match.captured(2).isEmpty() ? QStringLiteral("\"") : match.captured(2);
        result += QStringLiteral("url(") + quote +
                  QDir::cleanPath(QDir(folder).absoluteFilePath(reference)) + quote +
                  QLatin1Char(')');
    }
    result += QStringView(sheet).mid(done);
    return result;
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

QString StyleSheetSkin::readSkinFile(const QString& path)
{
    auto failure = [&path](const QString& what) {
        return Failure(QStringLiteral("Skin file %1 %2").arg(QDir::toNativeSeparators(path), what));
    };
    const QFileInfo info(path);
    if (!info.exists())
        throw failure(QStringLiteral("not found"));
    if (!info.isFile())
        throw failure(QStringLiteral("is not a file"));
    if (info.size() > MaximumFileSize)
        throw failure(QStringLiteral("is too large for a skin (%1 bytes; a skin has at most %2)")
                          .arg(info.size())
                          .arg(MaximumFileSize));
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(MaximumFileSize + 1);
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        throw failure(QStringLiteral("cannot be read: ") + file.errorString());
    if (bytes.size() > MaximumFileSize)
        throw failure(QStringLiteral("is too large for a skin"));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (bytes.contains('\0'))
        throw failure(QStringLiteral("is not a text file"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        throw failure(QStringLiteral("is not UTF-8 text"));
    if (text.trimmed().isEmpty())
        throw failure(QStringLiteral("is empty"));
    if (!isStyleSheet(text))
        throw failure(QStringLiteral("is not a valid Qt style sheet"));
    return anchorUrls(text, info.absolutePath());
}

void StyleSheetSkin::LoadSkin(const QString& path, const QString& variantFile)
{
    QString sheet = readSkinFile(path);
    if (!variantFile.isEmpty())
        sheet += QLatin1Char('\n') + readSkinFile(variantFile);
    m_styleSheet = sheet;
    refresh();
}

void StyleSheetSkin::SetApplyOptions(qint32 options)
{
    m_options = options;
    refresh();
}

void StyleSheetSkin::SetAutoApplyNewWindows(bool on)
{
    m_autoApplyNewWindows = on;
    refresh();
}

void StyleSheetSkin::SetEnabled(bool on)
{
    m_enabled = on;
    refresh();
}

void StyleSheetSkin::ApplyWindow(quintptr windowHandle)
{
    QWidget* window = QWidget::find(WId(windowHandle));
    if (!window)
        throw Failure(QStringLiteral("Invalid window handle"));
    if (m_styleSheet.isEmpty())
        throw Failure(QStringLiteral("No skin is loaded"));
    if (m_window && m_window != window && m_windowSkinned)
        m_window->setStyleSheet(QString());
    m_windowSkinned = false;
    m_window = window;
    refresh();
}

void StyleSheetSkin::skin(QWidget* window, bool drawn)
{
    const QString sheet = drawn ? m_styleSheet : QString();
    if (window->styleSheet() != sheet)
        window->setStyleSheet(sheet);
}

void StyleSheetSkin::refresh()
{
    if (!m_window)
        return;
    const bool drawn = m_enabled && !m_styleSheet.isEmpty();
    const bool windowDrawn = drawn && (m_options & SkinApplyWindow);
    // The window's own style sheet stays while the component never drew it.
    if (windowDrawn || m_windowSkinned)
        skin(m_window, windowDrawn);
    m_windowSkinned = windowDrawn;

    m_laterWindows.removeAll(nullptr);
    for (const QPointer<QWidget>& later : std::as_const(m_laterWindows))
        skin(later, drawn);

    // The application keeps a filter once, and forgets one that is gone.
    if (drawn && m_autoApplyNewWindows)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool StyleSheetSkin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        const Qt::WindowType type = window->windowType();
        if (window->isWindow() && !window->parentWidget() && window != m_window &&
            type != Qt::ToolTip && type != Qt::Popup && window->styleSheet().isEmpty()) {
            skin(window, true);
            m_laterWindows.removeAll(nullptr);
            m_laterWindows.append(window);
        }
    }
    return false;
}

namespace Main {

QString SkinFilePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/x/o.cjs");
}

namespace {

// Whether the folder lists the file as an ordinary, visible one. Throws
// Failure when the folder exists but cannot be listed.
bool SkinFileIsPresent(const QString& path)
{
    const QFileInfo info(path);
    const QString folderPath = info.absolutePath();
    const QFileInfo folder(folderPath);
    if (folder.isDir() && !folder.isReadable())
        throw Failure(QStringLiteral("Skin folder %1 cannot be listed: permission denied")
                          .arg(QDir::toNativeSeparators(folderPath)));
    const QStringList names =
        QDir(folderPath).entryList({info.fileName()}, QDir::Files | QDir::CaseSensitive);
    if (!names.contains(info.fileName()))
        return false;

    // File managers hide the names listed in a ".hidden" file of the folder.
    QFile hiddenList(folderPath + QStringLiteral("/.hidden"));
    if (QFileInfo(hiddenList).isFile() && hiddenList.open(QIODevice::ReadOnly)) {
        const QString listed = QString::fromUtf8(hiddenList.read(qint64(64) * 1024));
        for (QStringView line : QStringView(listed).split(QLatin1Char('\n')))
            if (line.trimmed() == info.fileName())
                return false;
    }
    return true;
}

// The window's skinning component, made the first time it is needed.
SkinFramework& SkinFramework1(Form1& form)
{
    const QString name = QStringLiteral("SkinFramework1");
    if (auto* existing = form.findChild<SkinFramework*>(name, Qt::FindDirectChildrenOnly))
        return *existing;
    SkinFactory* factory = form.services().skin;
    SkinFramework* component = factory ? factory->create(&form) : nullptr;
    if (!component)
        throw Failure(QStringLiteral("The skinning component is not available"));
    component->setObjectName(name);
    return *component;
}

} // namespace

void ApplySkin(Form1& form)
{
    const QString path = SkinFilePath(form.services().programFolder);
    if (!SkinFileIsPresent(path))
        return;

    const QColor buttonFace = QApplication::palette().color(QPalette::Active, QPalette::Button);
    setBackground(&form, buttonFace);

    // Labels, frames, check boxes and option buttons (none yet) take it too.
    for (QWidget* control : form.findChildren<QWidget*>())
        if (qobject_cast<QLabel*>(control) || qobject_cast<QGroupBox*>(control) ||
            qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control))
            setBackground(control, buttonFace);

    SkinFramework& skin = SkinFramework1(form);
    skin.LoadSkin(path, QString());
    skin.SetApplyOptions(skin.ApplyOptions() | SkinFramework::SkinApplyWindow);
    skin.SetAutoApplyNewWindows(true);
    skin.SetEnabled(true);
    skin.ApplyWindow(quintptr(form.winId()));
}

} // namespace Main
