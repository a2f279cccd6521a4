// Draws the real main window without a display and saves it as a PNG: the
// window starts as the program starts it, the four sample codes are put in
// the code list and filed into the valid and invalid lists by the validation
// run, and the window is grabbed.
//
//     quorvane_screenshot <output.png> [<skin file>]
//
// With a skin file, the window starts with that skin as x/o.cjs beside the
// program. Nothing of the user's is read or written: the program folder and
// the settings store are temporary folders. tools/screenshot.sh runs it for
// the README's pictures.

#include "gui/Appearance.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

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

    // Scripted boxes and dialogs, a program folder and a settings store of
    // its own; the home page is never opened (the scripted draw is not 7).
    ScriptedServices script;
    const QString programFolder = script.programFolder();
    QDir().mkpath(programFolder + QStringLiteral("/x"));
    if (args.size() == 3 && !QFile::copy(args.at(2), Main::SkinFilePath(programFolder))) {
        std::fprintf(stderr, "cannot copy the skin %s\n", qPrintable(args.at(2)));
        return 1;
    }
    StyleSheetSkinFactory skin;
    Services services = script.services();
    services.skin = &skin;

    Form1 form(services);
    form.Form_Load();
    form.PushButton12_Click(); // the sample codes
    form.PushButton17_Click(); // checked by the validation run
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
    for (const QString& error : script.errors())
        std::fprintf(stderr, "error report: %s\n", qPrintable(error));
    return script.errors().isEmpty() ? 0 : 1;
}
