// Draws the real main window without a display and saves it as a PNG: the
// window starts as the program starts it, the four sample codes are put in
// the code list and filed into the valid and invalid lists by the UPC-A
// check, and the window is grabbed.
//
//     quorvane_screenshot <output.png> [<skin file>]
//
// With a skin file, the window starts with that skin as x/o.cjs beside the
// program. Nothing of the user's is read or written: the program folder and
// the settings store are temporary folders. tools/screenshot.sh runs it for
// the README's pictures.

#include "shell/Appearance.h"
#include "shell/Form1.h"
#include "shell/ListView.h"
#include "shell/Platform.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"
#include "upc/modUPCCode.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// The sample codes, in the order the code list shows them.
const char* const SampleCodes[] = {"801927504622", "012345678905", "712345678904", "279347895943"};

// Nothing here asks the user anything; any box that start-up shows is a fault
// of the picture and is printed instead.
class PrintedPrompts : public Prompts
{
public:
    void messageBox(const QString& text, const QString& title) override
    {
        std::fprintf(stderr, "message box %s: %s\n", qPrintable(title), qPrintable(text));
        ++shown;
    }
    void errorReport(const QString& text) override
    {
        std::fprintf(stderr, "error report: %s\n", qPrintable(text));
        ++shown;
    }
    QString inputBox(const QString&, const QString&) override { return {}; }
    int shown = 0;
};

class NoFileDialogs : public FileDialogs
{
public:
    QString showOpen(const FileDialogRequest&) override { return {}; }
    QString showSave(const FileDialogRequest&) override { return {}; }
};

class NoUrlOpener : public UrlOpener
{
public:
    void openUrl(const QString&) override {}
};

// Never draws 7: the home page is not opened.
class FixedRandom : public RandomSource
{
public:
    void seed(double) override {}
    double next() override { return 0.5; }
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: quorvane_screenshot <output.png> [<skin file>]\n");
        return 2;
    }

    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const QString programFolder = scratch.filePath(QStringLiteral("program"));
    QDir().mkpath(programFolder + QStringLiteral("/x"));
    if (args.size() == 3 && !QFile::copy(args.at(2), Main::SkinFilePath(programFolder))) {
        std::fprintf(stderr, "cannot copy the skin %s\n", qPrintable(args.at(2)));
        return 1;
    }

    PrintedPrompts prompts;
    NoFileDialogs fileDialogs;
    NoUrlOpener urlOpener;
    FixedRandom random;
    const SettingsStore settings(scratch.filePath(QStringLiteral("config")));
    StyleSheetSkinFactory skin;

    Services services;
    services.prompts = &prompts;
    services.fileDialogs = &fileDialogs;
    services.urlOpener = &urlOpener;
    services.random = &random;
    services.settings = &settings;
    services.skin = &skin;
    services.programFolder = programFolder;
    services.secondsSinceMidnight = [] { return 0.0; };

    Form1 form(services);
    form.Form_Load();
    for (const char* code : SampleCodes) {
        const QString text = QLatin1String(code);
        form.ListView1->AppendItem(text);
        if (modUPCCode::CheckUPCCode(text) == modUPCCode::Valid)
            form.ListView2->AppendItem(text);
        else
            form.ListView3->AppendItem(text);
    }
    for (ListView* list : {form.ListView1, form.ListView2, form.ListView3})
        list->Refresh();
    form.show();
    QApplication::processEvents();

    const QImage image = form.grab().toImage();
    if (!image.save(args.at(1), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    std::printf("%s: %dx%d\n", qPrintable(args.at(1)), image.width(), image.height());
    return prompts.shown == 0 ? 0 : 1;
}
