#include "shell/window/QtPlatform.h"

#include "shell/Failure.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <cstring>

QString QtPrompts::displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
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
        // The description names its patterns in parentheses already; Qt reads
        // the patterns from there.
        QString description = parts.at(i).trimmed();
        static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)$"));
        description.remove(trailingPatterns);
        filters.append(description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

QString QtFileDialogs::showOpen(const FileDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(nameFilters(request.filter));
    // A typed name need not exist: the import itself says "File not found".
    dialog.setFileMode((request.flags & FileDialogFlags::AllowMultiSelect)
                           ? QFileDialog::ExistingFiles
                           : QFileDialog::AnyFile);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return {};
    if (files.size() == 1)
        return files.first();
    // Several files: the folder, then each name, separated by NUL characters.
    QString result = QFileInfo(files.first()).absolutePath();
    for (const QString& file : files)
        result += QChar(0) + QFileInfo(file).fileName();
    return result;
}

QString QtFileDialogs::showSave(const FileDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters(request.filter));
    // Replacing an existing file is confirmed, as everywhere on this desktop.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

bool QtClipboard::clear()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear(QClipboard::Clipboard);
    return true;
}

bool QtClipboard::setText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text, QClipboard::Clipboard);
    return clipboard->text(QClipboard::Clipboard) == text;
}

void XdgUrlOpener::openUrl(const QString& url)
{
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {url}))
        throw Failure(QStringLiteral("File not found"));
}

void StdRandomSource::seed(double seed)
{
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof seed);
    std::memcpy(&bits, &seed, sizeof bits);
    m_engine.seed(bits);
}

double StdRandomSource::next()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
}
