// Two copies of the real program on one stored code list: the second start
// brings the first to the front and ends; a lock left by a killed copy is
// taken over.
#include "gui/platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class Copies : public ::testing::Test
{
protected:
    QTemporaryDir home;
    QString folder = home.filePath("config/Tarnwell/Quorvane");

    // The copies and this test share a runtime folder of their own.
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir("runtime"));
        QFile::setPermissions(home.filePath("runtime"), QFileDevice::ReadOwner |
                                                            QFileDevice::WriteOwner |
                                                            QFileDevice::ExeOwner);
        m_runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.filePath("runtime")));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_runtime); }

    void start(QProcess& copy) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        copy.setProcessEnvironment(env);
        copy.setProcessChannelMode(QProcess::ForwardedChannels);
        copy.start(QStringLiteral(QUORVANE_PROGRAM), {});
        ASSERT_TRUE(copy.waitForStarted(10000));
    }

    // Whether the copy holds the lock and listens, within a while.
    bool runs(const QProcess& copy) const
    {
        const SingleInstance instance(folder);
        const QString pid = QString::number(copy.processId());
        for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(50)) {
            QFile lock(instance.lockPath());
            if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed() == pid &&
                QFile::exists(instance.serverPath()))
                return copy.state() == QProcess::Running;
        }
        return false;
    }

    // Starts a copy while another runs: it ends at once, successfully.
    void expectSecondStartEnds() const
    {
        QProcess second;
        start(second);
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
    }

private:
    QByteArray m_runtime;
};

TEST_F(Copies, ASecondStartEndsAndALockLeftByAKilledCopyIsTakenOver)
{
    QProcess first;
    start(first);
    ASSERT_TRUE(runs(first));
    expectSecondStartEnds();
    EXPECT_EQ(first.state(), QProcess::Running);

    // Killed: its lock file and socket stay behind.
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    ASSERT_TRUE(QFile::exists(folder + "/.lock"));

    QProcess next;
    start(next);
    ASSERT_TRUE(runs(next));
    expectSecondStartEnds();
    EXPECT_EQ(next.state(), QProcess::Running);
    next.kill();
    next.waitForFinished(10000);
}

} // namespace
