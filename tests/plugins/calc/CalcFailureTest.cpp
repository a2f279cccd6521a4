// The LibreOffice Calc plugin when soffice cannot be reached: a failure in
// bounded time, never a hang or a crash.

#include "core/base/Failure.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "gui/platform/SpreadsheetPlugin.h"
#include "plugins/calc/ServerFailure.h"
#include "support/ScriptedServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <signal.h>

namespace {

// A soffice of the test's own first on the PATH.
class FakeSoffice
{
public:
    explicit FakeSoffice(const QByteArray& script) : m_path(qgetenv("PATH"))
    {
        const QString file = m_folder.write("bin/soffice", "#!/bin/sh\n" + script);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", m_folder.file("bin").toUtf8() + ':' + m_path);
    }
    ~FakeSoffice()
    {
        qputenv("PATH", m_path);
        // A fake that still runs was told to write its process id.
        const QByteArray pid = TempFolder::read(m_folder.file("pid")).trimmed();
        if (!pid.isEmpty())
            ::kill(pid_t(pid.toInt()), SIGKILL);
    }

    QString file(const QString& name) const { return m_folder.file(name); }

private:
    TempFolder m_folder;
    QByteArray m_path;
};

QString pipeName()
{
    static int serial = 0;
    return QStringLiteral("quorvane_test_fake_%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++serial);
}

TEST(CalcPluginWithoutOffice, SofficeThatEndsWithAnErrorIsAFailureAtOnce)
{
    FakeSoffice soffice("exit 3\n");
    PluginSpreadsheetServer server({pipeName(), true, 60000});
    QElapsedTimer timer;
    timer.start();

    const QString description = failureOf(server);

    EXPECT_EQ(description, "soffice ended with exit code 3 before it could be reached");
    EXPECT_LT(timer.elapsed(), 30000) << "waited for the office although soffice had ended";
}

TEST(CalcPluginWithoutOffice, SofficeThatNeverAnswersIsGivenUpAfterTheWait)
{
    FakeSoffice soffice("echo $$ > \"$(dirname \"$0\")/../pid\"\nexec sleep 60\n");
    const QString pipe = pipeName();
    PluginSpreadsheetServer server({pipe, true, 1500});

    EXPECT_EQ(failureOf(server),
              QStringLiteral("LibreOffice did not answer on pipe %1 within 1.5 s").arg(pipe));
}

TEST(CalcPluginWithoutOffice, NobodyOnThePipeIsAFailureWhenNothingMayBeStarted)
{
    const QString pipe = pipeName();
    PluginSpreadsheetServer server({pipe, false, 600});

    EXPECT_EQ(failureOf(server),
              QStringLiteral("LibreOffice did not answer on pipe %1 within 0.6 s").arg(pipe));
}

TEST(CalcPluginWithoutOffice, HandlerShowsTheTwoMessagesAndLeavesNoSofficeRunning)
{
    // An soffice that fails, and one that never answers, with a temporary
    // folder as the office makes: the export ends it, and removes the folder.
    for (const QByteArray& script :
         {QByteArray("exit 1\n"), QByteArray("echo $$ > \"$(dirname \"$0\")/../pid\"\n"
                                             "mkdir \"$TMPDIR/lu$$\"x1.tmp\nexec sleep 60\n")}) {
        SCOPED_TRACE(script.constData());
        TempFolder temporary;
        const QByteArray savedTemporary = qgetenv("TMPDIR");
        qputenv("TMPDIR", temporary.file(".").toUtf8());
        FakeSoffice soffice(script);
        ScriptedServices scripted;
        PluginSpreadsheetServer server({pipeName(), true, 1500});
        Services services = scripted.services();
        services.spreadsheet = &server;
        Form1 form(services);
        form.Form_Load();
        scripted.log.clear();
        form.ListView2->AppendItem(QStringLiteral("012345678905"));
        form.SetMousePointer(PointerMode::Custom);

        form.PushButton13_Click();
        if (savedTemporary.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTemporary);

        ASSERT_EQ(scripted.log.size(), 2);
        EXPECT_TRUE(scripted.log[0].endsWith("to use this software without error."));
        EXPECT_TRUE(scripted.log[1].endsWith("to use this feature."));
        EXPECT_EQ(form.MousePointer(), PointerMode::Custom);
        // A process that ended has no command line (nor a /proc entry once
        // it is reaped).
        const QByteArray pid = TempFolder::read(soffice.file("pid")).trimmed();
        if (!pid.isEmpty()) {
            EXPECT_TRUE(
                TempFolder::read(QStringLiteral("/proc/%1/cmdline").arg(QString::fromLatin1(pid)))
                    .isEmpty())
                << "the soffice that never answered runs on";
        }
        EXPECT_EQ(QDir(temporary.file(".")).entryList({QStringLiteral("lu*.tmp")}, QDir::Dirs),
                  QStringList());
    }
}

} // namespace
