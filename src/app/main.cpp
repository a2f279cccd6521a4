#include "output/spreadsheet/SpreadsheetPlugin.h"
#include "shell/Appearance.h"
#include "shell/Form1.h"
#include "shell/QtPlatform.h"
#include "shell/SettingsStore.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QTime>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // A file growing past the user's file-size limit fails its write, which
    // the save reports, instead of ending the program and its lists.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));

    QtPrompts prompts;
    QtFileDialogs fileDialogs;
    QtClipboard clipboard;
    XdgUrlOpener urlOpener;
    StdRandomSource random;
    const SettingsStore settings;
    StyleSheetSkinFactory skin;
    PluginSpreadsheetServer spreadsheet;

    Services services;
    services.prompts = &prompts;
    services.fileDialogs = &fileDialogs;
    services.clipboard = &clipboard;
    services.urlOpener = &urlOpener;
    services.random = &random;
    services.settings = &settings;
    services.skin = &skin;
    services.spreadsheet = &spreadsheet;
    services.programFolder = QCoreApplication::applicationDirPath();
    services.secondsSinceMidnight = [] {
        return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    };
    services.endProgram = [](bool insideAction) {
        if (insideAction) {
            // Closed in the middle of an action: the code list is stored, and
            // the action is not finished.
            std::fflush(nullptr);
            ::_exit(0);
        }
        QCoreApplication::quit();
    };

    Form1 form(services);
    form.Form_Load();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = form.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        form.move(frame.topLeft());
    }
    form.show();
    return QApplication::exec();
}
