// The program as a user gets it: installed with `cmake --install` into a
// temporary prefix, then started from there in a private X server (Xvfb), with
// a private home. The observable that it found its hand cursor is the pointer
// itself: over a button the X server shows the picture of HAND-M.CUR, with
// its hotspot, as XFIXES reports it.

#include "XServer.h"
#include "gui/platform/CursorFile.h"
#include "support/TempFolder.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString BuildFolder = QStringLiteral(QUORVANE_BUILD_DIR);
const QString SourceFolder = QStringLiteral(QUORVANE_SOURCE_DIR_PATH);

// Places on the window, in pixels from its top-left corner.
const QPoint OverHelpButton(268, 21);
const QPoint OverCodeList(268, 96);

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a command to its end; answers its output, or a failure message.
::testing::AssertionResult run(const QString& program, const QStringList& arguments,
                               QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return ::testing::AssertionFailure() << qPrintable(program) << " did not finish";
    const QString text = QString::fromLocal8Bit(process.readAll());
    if (output)
        *output = text;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return ::testing::AssertionFailure()
               << qPrintable(program) << " failed: " << qPrintable(text);
    return ::testing::AssertionSuccess();
}

// The hand as the X server shows it: the cursor file's picture with its hotspot.
XServer::Pointer expectedHand()
{
    const QByteArray bytes = readAll(SourceFolder + "/resources/HAND-M.CUR");
    XServer::Pointer hand;
    hand.image =
        QImage::fromData(bytes, "CUR").convertToFormat(QImage::Format_ARGB32_Premultiplied);
    hand.hotspot = cursorHotspot(bytes).value_or(QPoint(-1, -1));
    return hand;
}

// The colour of the window's margin once it is drawn, waiting a few seconds
// for `wanted`.
QString marginColour(XServer& x, unsigned long window, const QString& wanted)
{
    QColor margin;
    QElapsedTimer waited;
    waited.start();
    while ((margin = x.pixel(window, QPoint(2, 2))).name() != wanted && waited.elapsed() < 5000)
        QThread::msleep(100);
    return margin.name();
}

bool same(const XServer::Pointer& a, const XServer::Pointer& b)
{
    return !a.image.isNull() && a.hotspot == b.hotspot && a.image == b.image;
}

// One start of a program in the X server, with a home of its own.
class Session
{
public:
    // `homePath` is the user's home folder; by default one of the session's own.
    Session(XServer& x, const QString& program, const QString& homePath = {})
        : m_x(x), m_homePath(homePath.isEmpty() ? m_ownHome.path() : homePath)
    {
        QDir home(m_homePath);
        home.mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
        // On about one start in a hundred the program opens the maker's home
        // page; here that reaches a stand-in that does nothing.
        home.mkpath(QStringLiteral("bin"));
        QFile opener(home.filePath(QStringLiteral("bin/xdg-open")));
        opener.open(QIODevice::WriteOnly);
        opener.write("#!/bin/sh\nexit 0\n");
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR",
                                 "QT_SCREEN_SCALE_FACTORS", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("DISPLAY"), x.display());
        env.insert(QStringLiteral("HOME"), m_homePath);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("PATH"),
                   home.filePath(QStringLiteral("bin")) + ":" + env.value(QStringLiteral("PATH")));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {});
        m_window = x.waitForWindow(QStringLiteral("Quorvane"), 20000);
    }

    ~Session()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    unsigned long window() const { return m_window; }
    QString output() { return QString::fromLocal8Bit(m_process.readAll()); }
    QString storedCodeListFile() const
    {
        return m_homePath + "/config/Tarnwell/Quorvane/UPC Codes";
    }

    // The pointer that shows while the mouse moves at a point of the window:
    // waits up to a few seconds for one that `wanted` accepts, and answers
    // the last one seen.
    template <typename Wanted> XServer::Pointer pointerAt(QPoint point, Wanted&& wanted)
    {
        XServer::Pointer seen;
        QElapsedTimer waited;
        waited.start();
        for (int i = 0; waited.elapsed() < 4000; ++i) {
            // Small moves, so the program sees the mouse move over the control.
            m_x.movePointer(m_window, point + QPoint(i % 2, 0));
            QThread::msleep(100);
            seen = m_x.pointer();
            if (wanted(seen))
                break;
        }
        return seen;
    }

    // Closes the window through the window system; true when the program
    // then ends normally.
    bool close()
    {
        m_x.closeWindow(m_window);
        return m_process.waitForFinished(15000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

private:
    XServer& m_x;
    QTemporaryDir m_ownHome;
    QString m_homePath;
    QProcess m_process;
    unsigned long m_window = 0;
};

class InstallTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new QTemporaryDir;
        // Installing writes the build's install_manifest.txt; the one of the
        // user's own install is kept.
        const QString manifest = BuildFolder + "/install_manifest.txt";
        const bool hadManifest = QFileInfo::exists(manifest);
        const QByteArray kept = readAll(manifest);
        s_installed = run(QStringLiteral(CMAKE_COMMAND_PATH),
                          {"--install", BuildFolder, "--prefix", s_prefix->path()}, &s_installLog);
        QFile restored(manifest);
        if (!hadManifest)
            restored.remove();
        else if (restored.open(QIODevice::WriteOnly | QIODevice::Truncate))
            restored.write(kept);
    }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(s_installed) << qPrintable(s_installLog); }

    static QString installed(const QString& path) { return s_prefix->path() + "/" + path; }

    // Starts a program and checks that over a button it shows the hand and
    // over a list it does not; then closes it.
    static void expectHandOverButtons(const QString& program, bool withHand)
    {
        XServer x;
        ASSERT_TRUE(x.isRunning()) << qPrintable(x.error());
        Session session(x, program);
        ASSERT_NE(session.window(), 0u)
            << "no window; windows: " << qPrintable(x.windowTitles().join(", ")) << "\n"
            << qPrintable(session.output());

        // The design-time look: a white window.
        EXPECT_EQ(marginColour(x, session.window(), "#ffffff"), "#ffffff");
        // The desktop entry's StartupWMClass names this class.
        EXPECT_EQ(x.windowClass(session.window()), "quorvane");

        const XServer::Pointer hand = expectedHand();
        ASSERT_FALSE(hand.image.isNull());
        const auto isHand = [&](const XServer::Pointer& p) { return same(p, hand); };
        const auto isOther = [&](const XServer::Pointer& p) {
            return !p.image.isNull() && !same(p, hand);
        };
        const XServer::Pointer overList = session.pointerAt(OverCodeList, isOther);
        EXPECT_TRUE(isOther(overList)) << "no arrow over the list";
        // Without the hand, the pointer is given time to change, and must not.
        const XServer::Pointer overButton = session.pointerAt(OverHelpButton, isHand);
        EXPECT_EQ(same(overButton, hand), withHand)
            << "pointer over a button: " << overButton.image.width() << "x"
            << overButton.image.height() << " hotspot " << overButton.hotspot.x() << ","
            << overButton.hotspot.y();
        // Back over the list, the arrow returns.
        EXPECT_TRUE(isOther(session.pointerAt(OverCodeList, isOther))) << "the hand stays";

        // No error report came up (it is a window of its own).
        EXPECT_FALSE(x.windowTitles().contains("Application Error"));
        EXPECT_TRUE(session.close()) << qPrintable(session.output());
        EXPECT_TRUE(QFileInfo::exists(session.storedCodeListFile()));
    }

    static QTemporaryDir* s_prefix;
    static bool s_installed;
    static QString s_installLog;
};

QTemporaryDir* InstallTest::s_prefix = nullptr;
bool InstallTest::s_installed = false;
QString InstallTest::s_installLog;

TEST_F(InstallTest, EveryFileIsInItsPlace)
{
    QStringList files;
    for (QDirIterator it(s_prefix->path(), QDir::Files | QDir::System | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        files.append(QDir(s_prefix->path()).relativeFilePath(it.next()));
    files.sort();
    const QStringList expected = {
        "bin/quorvane",
        "bin/quorvane-check",
        "lib/quorvane/HAND-M.CUR",
        "lib/quorvane/quorvane",
        "lib/quorvane/quorvane-check",
        "share/applications/quorvane.desktop",
        "share/bash-completion/completions/quorvane-check",
        "share/icons/hicolor/128x128/apps/quorvane.png",
        "share/icons/hicolor/256x256/apps/quorvane.png",
        "share/icons/hicolor/32x32/apps/quorvane.png",
        "share/icons/hicolor/64x64/apps/quorvane.png",
        "share/man/man1/quorvane-check.1",
        "share/man/man1/quorvane.1",
        "share/metainfo/example.tarnwell.Quorvane.metainfo.xml",
        "share/quorvane/skins/quorvane-slate.qss",
    };
    QStringList others = files;
    // Plugins that the program loads from its own folder.
    others.removeIf(
        [](const QString& f) { return f.startsWith("lib/quorvane/") && f.endsWith(".so"); });
    EXPECT_EQ(others, expected);

    // bin/quorvane is a relative link to the program in its own folder, where
    // the hand cursor lies beside it; no skin is in use.
    const QFileInfo link(installed("bin/quorvane"));
    EXPECT_TRUE(link.isSymLink());
    EXPECT_EQ(link.symLinkTarget(), installed("lib/quorvane/quorvane"));
    EXPECT_TRUE(QFileInfo(installed("lib/quorvane/quorvane")).isExecutable());
    EXPECT_EQ(readAll(installed("lib/quorvane/HAND-M.CUR")),
              readAll(SourceFolder + "/resources/HAND-M.CUR"));
    EXPECT_FALSE(QFileInfo::exists(installed("lib/quorvane/x")));

    // The checker runs through its link on the PATH.
    QProcess checker;
    checker.start(installed("bin/quorvane-check"), {});
    checker.write("012345678905\n012345678900");
    checker.closeWriteChannel();
    ASSERT_TRUE(checker.waitForFinished(15000));
    EXPECT_EQ(checker.exitCode(), 1);
    EXPECT_EQ(checker.readAllStandardOutput(),
              "012345678900\tCheck digit 0 is wrong, expected 5: 012345678905\n");
    EXPECT_EQ(checker.readAllStandardError(), "2 codes: 1 valid, 1 invalid\n");

    for (int size : {32, 64, 128, 256}) {
        const QString icon =
            installed(QString("share/icons/hicolor/%1x%1/apps/quorvane.png").arg(size));
        EXPECT_EQ(QImage(icon).size(), QSize(size, size)) << qPrintable(icon);
    }
}

// The keys of the [Desktop Entry] group of a desktop file.
QMap<QString, QString> desktopEntry(const QString& path)
{
    QMap<QString, QString> keys;
    QString group;
    for (const QByteArray& raw : readAll(path).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            group = line;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        EXPECT_GT(equals, 0) << "not a key: " << qPrintable(line);
        if (group == "[Desktop Entry]" && equals > 0)
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

TEST_F(InstallTest, DesktopEntryStartsTheInstalledProgramWithItsIcon)
{
    const auto entry = desktopEntry(installed("share/applications/quorvane.desktop"));
    EXPECT_EQ(entry.value("Type"), "Application");
    EXPECT_EQ(entry.value("Name"), "Quorvane");
    EXPECT_FALSE(entry.value("Comment").isEmpty());
    EXPECT_EQ(entry.value("Terminal"), "false");
    // Exec names the program on the PATH (the prefix's bin folder), Icon the
    // installed icons, StartupWMClass the window's class.
    const QString exec = entry.value("Exec");
    EXPECT_EQ(exec, "quorvane");
    EXPECT_TRUE(QFileInfo(installed("bin/" + exec)).isExecutable());
    EXPECT_EQ(entry.value("Icon"), "quorvane");
    EXPECT_EQ(entry.value("StartupWMClass"), "quorvane");
    EXPECT_EQ(entry.value("Categories"), "Office;");
}

TEST_F(InstallTest, InstalledProgramFindsItsHandCursor)
{
    expectHandOverButtons(installed("bin/quorvane"), true);
}

// The code list is stored when the window is closed through the window
// system, and the next start finds it again.
TEST_F(InstallTest, CodeListIsStoredAtTheCloseAndFoundAtTheNextStart)
{
    XServer x;
    ASSERT_TRUE(x.isRunning()) << qPrintable(x.error());
    QTemporaryDir home;
    const QString stored = home.path() + "/config/Tarnwell/Quorvane/UPC Codes";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(stored).absolutePath()));
    {
        // An empty piece between the two codes: restoring skips it, so the
        // value stored at the close shows that this run read and wrote the list.
        QFile seed(stored);
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write("801927504622||MySeparator23||||MySeparator23||0-12345-67890-5");
    }
    const QByteArray expected = "801927504622||MySeparator23||0-12345-67890-5";
    for (const char* run : {"first start", "second start"}) {
        SCOPED_TRACE(run);
        Session session(x, installed("bin/quorvane"), home.path());
        ASSERT_NE(session.window(), 0u) << qPrintable(session.output());
        EXPECT_FALSE(x.windowTitles().contains("Application Error"));
        EXPECT_TRUE(session.close()) << qPrintable(session.output());
        EXPECT_EQ(readAll(stored), expected);
    }
}

TEST_F(InstallTest, MovedInstallationWithoutTheCursorFileShowsNoHand)
{
    // The installed tree moves as a whole (the link is relative); without the
    // cursor file beside the program there is no hand, so the hand above came
    // from the program's own folder.
    QTemporaryDir moved;
    ASSERT_TRUE(run("cp", {"-a", s_prefix->path() + "/.", moved.path()}));
    ASSERT_TRUE(QFile::remove(moved.path() + "/lib/quorvane/HAND-M.CUR"));
    expectHandOverButtons(moved.path() + "/bin/quorvane", false);
}

TEST_F(InstallTest, SkinBesideTheInstalledProgramGivesTheSkinnedLook)
{
    QTemporaryDir skinned;
    ASSERT_TRUE(run("cp", {"-a", s_prefix->path() + "/.", skinned.path()}));
    const QString programFolder = skinned.path() + "/lib/quorvane";
    ASSERT_TRUE(QDir().mkpath(programFolder + "/x"));
    ASSERT_TRUE(QFile::copy(installed("share/quorvane/skins/quorvane-slate.qss"),
                            programFolder + "/x/o.cjs"));

    XServer x;
    ASSERT_TRUE(x.isRunning()) << qPrintable(x.error());
    Session session(x, skinned.path() + "/bin/quorvane");
    ASSERT_NE(session.window(), 0u) << qPrintable(x.windowTitles().join(", "));
    // The margin of the window is drawn in the skin's window colour.
    EXPECT_EQ(marginColour(x, session.window(), "#1f2630"), "#1f2630");
    EXPECT_FALSE(x.windowTitles().contains("Application Error"));
    EXPECT_TRUE(session.close()) << qPrintable(session.output());
}

TEST_F(InstallTest, ProgramRunsFromTheBuildFolder)
{
    expectHandOverButtons(BuildFolder + "/bin/quorvane", true);
}

} // namespace
