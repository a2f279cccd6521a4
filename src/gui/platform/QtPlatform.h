#pragma once

#include "features/host/ColumnChooser.h"
#include "features/host/Platform.h"
#include "features/host/Prompts.h"

#include <QStringList>
#include <random>

// The real platform pieces, on Qt and the desktop.

class QtPrompts : public Prompts
{
public:
    void messageBox(const QString& text, const QString& title) override;
    void errorReport(const QString& text) override;
    QString inputBox(const QString& prompt, const QString& title) override;

    // Message texts break lines with CR LF or a lone CR; the box shows both
    // as line breaks.
    static QString displayText(const QString& text);
};

class QtFileDialogs : public FileDialogs
{
public:
    QString showOpen(const FileDialogRequest& request) override;
    QString showSave(const FileDialogRequest& request) override;

    // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" as Qt's name filters.
    static QStringList nameFilters(const QString& filter);
};

// The column chooser as a dialog in front of the active window (ColumnDialog.cpp).
class QtColumnChooser : public ColumnChooser
{
public:
    std::optional<ColumnChoice> chooseColumn(const QString& fileName,
                                             const std::vector<QStringList>& rows,
                                             const ColumnChoice& proposed) override;
};

class QtClipboard : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QString& text) override;
    std::optional<QString> text() override;
};

// Opens web addresses with the desktop's opener, xdg-open.
class XdgUrlOpener : public UrlOpener
{
public:
    void openUrl(const QString& url) override;
};

class StdRandomSource : public RandomSource
{
public:
    void seed(double seed) override;
    double next() override;

private:
    std::mt19937_64 m_engine;
};
