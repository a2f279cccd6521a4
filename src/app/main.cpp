#include "core/base/Maker.h"
#include "core/files/SettingsStore.h"
#include "core/files/WorkFolder.h"
#include "gui/Appearance.h"
#include "gui/Form1.h"
#include "gui/platform/QtPlatform.h"
#include "gui/platform/SingleInstance.h"
#include "gui/platform/SpreadsheetPlugin.h"

#include <QApplication>
#include <QScreen>
#include <QTime>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

const char* const Help = R"(Usage: quorvane [OPTION]...
Checks many UPC-A product codes at once, in a window. quorvane-check(1) checks
them in a shell.

  -h, --help     show this help and end
      --version  show the version and end

Qt's standard options (such as -platform) are accepted as well.
)";

// `--help` and `--version` answer on standard output and end the program,
// before any window or display: their exit status, or none for the window.
std::optional<int> answerCommandLine(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--help" || arg == "-h")
            std::fputs(Help, stdout);
        else if (arg == "--version")
            std::fputs(
                (std::string("quorvane (Quorvane) " QUORVANE_VERSION "\n") + Maker::VersionNotice)
                    .c_str(),
                stdout);
        else
            continue;
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return std::nullopt;
}

// Brings the window, and the box open in front of it, to the front; before
// start-up has shown the window, only such a box.
void bringToFront(QWidget& window)
{
    if (window.isVisible()) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.raise();
        window.activateWindow();
    }
    if (QWidget* box = QApplication::activeModalWidget()) {
        box->raise();
        box->activateWindow();
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // A file growing past the user's file-size limit fails its write, which
    // the save reports, instead of ending the program and its lists.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;
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
    QtColumnChooser columnChooser;
    PluginSpreadsheetReader spreadsheetReader;

    // One running copy per stored code list, so that no copy's close writes
    // over another's list.
    SingleInstance instance(
        settings.folderOf(QLatin1String(Maker::CompanyName), QLatin1String(Maker::ProductName)));
    switch (instance.start()) {
    case SingleInstance::Start::First:
        break;
    case SingleInstance::Start::Raised:
        return 0;
    case SingleInstance::Start::Unreachable:
        prompts.messageBox(QStringLiteral("Quorvane is already running, but it does not answer. "
                                          "Close it, or end it, and then start Quorvane again."),
                           QLatin1String(Maker::ProductName));
        return 1;
    }
    // What a copy killed, or closed in the middle of an action, left behind.
    WorkFolder::removeAbandoned();

    Services services{
        .prompts = &prompts,
        .fileDialogs = &fileDialogs,
        .clipboard = &clipboard,
        .urlOpener = &urlOpener,
        .random = &random,
        .settings = &settings,
        .spreadsheet = &spreadsheet,
        .skin = &skin,
        .columnChooser = &columnChooser,
        .spreadsheetReader = &spreadsheetReader,
        .programFolder = QCoreApplication::applicationDirPath(),
        .secondsSinceMidnight = [] { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; },
        .endProgram =
            [](bool insideAction) {
                if (insideAction) {
                    // Closed in the middle of an action: the code list
                    // is stored, and the action is not finished.
                    std::fflush(nullptr);
                    ::_exit(0);
                }
                QCoreApplication::quit();
            }};

    Form1 form(services);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &form,
                     [&form] { bringToFront(form); });
    instance.stopListeningOnClose(form);
    form.Form_Load();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.placeWithin(screen->availableGeometry());
    form.show();
    return QApplication::exec();
}
