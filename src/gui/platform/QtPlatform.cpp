#include "gui/platform/QtPlatform.h"

#include "core/base/Failure.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <bit>

QString QtPrompts::displayText(const QString& text)
{
    return QString(text)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void QtPrompts::messageBox(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, displayText(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtPrompts::errorReport(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Application Error"), displayText(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtPrompts::inputBox(const QString& prompt, const QString& title)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                               QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

QStringList QtFileDialogs::nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty())
            continue;
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file, with or without an extension.
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        // Qt would read patterns from the description's own parentheses.
        QString description = parts.at(i).trimmed();
        static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)$"));
        description.remove(trailingPatterns);
        filters.append(description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

namespace {

// The names typed into the open dialog's name field: the whole text, or
// each name in double quotes when there are several ("a.txt" "b.txt").
QStringList typedNames(const QString& text)
{
    if (!text.contains(QLatin1Char('"')))
        return text.isEmpty() ? QStringList() : QStringList{text};
    QStringList names;
    const QStringList tokens = text.split(QLatin1Char('"'));
    for (qsizetype i = 1; i < tokens.size(); i += 2)
        if (!tokens.at(i).isEmpty())
            names.append(tokens.at(i));
    return names;
}

// A typed name as a full path: relative to the dialog's folder, "~" the
// home folder.
QString typedPath(const QDir& folder, const QString& name)
{
    QString expanded = name;
    if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/")))
        expanded = QDir::homePath() + name.sliced(1);
    return QDir::cleanPath(folder.absoluteFilePath(expanded));
}

// The open dialog's answer for the chosen paths (FileDialogs::showOpen).
QString openAnswer(const QStringList& paths)
{
    if (paths.isEmpty())
        return {};
    if (paths.size() == 1)
        return paths.first();
    QString folder = QFileInfo(paths.first()).absolutePath();
    auto holdsAll = [&paths](const QString& folder) {
        const QString prefix =
            folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        return std::ranges::all_of(paths,
                                   [&](const QString& path) { return path.startsWith(prefix); });
    };
    while (!holdsAll(folder)) {
        const QString up = QFileInfo(folder).absolutePath();
        if (up == folder)
            break;
        folder = up;
    }
    const QDir dir(folder);
    QString result = folder;
    for (const QString& path : paths)
        result += QChar(0) + dir.relativeFilePath(path);
    return result;
}

// Qt's own open dialog, in which a typed name need not exist: the import
// itself says "File not found" for it and goes on with the others. The
// desktop's dialog, and Qt's in its mode for existing files, would refuse it.
class OpenDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    // The full paths chosen when the dialog was accepted, in the order given.
    QStringList chosen;

    void accept() override
    {
        const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QStringList names = typedNames(edit ? edit->text() : QString());
        if (names.isEmpty()) {
            QFileDialog::accept();
            return;
        }
        QStringList paths;
        for (const QString& name : names) {
            const QString path = typedPath(directory(), name);
            if (QFileInfo(path).isDir()) {
                if (names.size() == 1) {
                    QFileDialog::accept(); // opens the folder
                    return;
                }
                continue;
            }
            paths.append(path);
        }
        if (paths.isEmpty())
            return;
        chosen = paths;
        // The choice is checked here already; QFileDialog::accept would check it
        // again by its own rules.
        QDialog::accept(); // NOLINT(bugprone-parent-virtual-call)
    }
};

// The dialog opens at its last file. After an import of several files the
// name is the folder and the names, NUL-separated (a folder alone ends in
// NUL): the dialog opens in that folder with no name filled in.
void startAt(QFileDialog& dialog, const QString& fileName)
{
    if (fileName.contains(QChar(0)))
        dialog.setDirectory(fileName.section(QChar(0), 0, 0));
    else if (!fileName.isEmpty())
        dialog.selectFile(fileName);
}

} // namespace

QString QtFileDialogs::showOpen(const FileDialogRequest& request)
{
    OpenDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(nameFilters(request.filter));
    dialog.setFileMode(QFileDialog::AnyFile);
    const bool several = (request.flags & FileDialogFlags::AllowMultiSelect) != 0;
    if (several)
        for (const char* view : {"listView", "treeView"})
            if (auto* v = dialog.findChild<QAbstractItemView*>(QLatin1String(view)))
                v->setSelectionMode(QAbstractItemView::ExtendedSelection);
    startAt(dialog, request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    if (!dialog.chosen.isEmpty())
        return openAnswer(several ? dialog.chosen : dialog.chosen.first(1));
    return openAnswer(dialog.selectedFiles());
}

QString QtFileDialogs::showSave(const FileDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(nameFilters(request.filter));
    // Replacing an existing file is confirmed, as everywhere on this desktop.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    startAt(dialog, request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

// The application's clipboard is there for as long as the application.
bool QtClipboard::clear()
{
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    return true;
}

bool QtClipboard::setText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    return clipboard->text(QClipboard::Clipboard) == text;
}

std::optional<QString> QtClipboard::text()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

void XdgUrlOpener::openUrl(const QString& url)
{
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {url}))
        throw Failure(QStringLiteral("File not found"));
}

void StdRandomSource::seed(double seed)
{
    m_engine.seed(std::bit_cast<std::uint64_t>(seed));
}

double StdRandomSource::next()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
}
