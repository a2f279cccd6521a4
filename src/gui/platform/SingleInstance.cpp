#include "gui/platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <unistd.h>

namespace {

const QByteArray Request = "raise\n";
const QByteArray Answer = "raised\n";

// The longest socket path the system takes (sockaddr_un), with room to spare.
constexpr qsizetype MaxSocketPath = 100;

} // namespace

SingleInstance::SingleInstance(QString storeFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(storeFolder)), m_lock(m_folder + QStringLiteral("/.lock"))
{
    // Only a lock whose owner is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPath() const
{
    return m_folder + QStringLiteral("/.lock");
}

QString SingleInstance::serverPath() const
{
    QString folder = QFileInfo(m_folder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir(m_folder).absolutePath();
    const QString name =
        QStringLiteral("quorvane-%1-%2")
            .arg(::getuid())
            .arg(QString::fromLatin1(
                QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256)
                    .toHex()
                    .left(16)));
    // The user's own runtime folder; the temporary folder when that is
    // missing or too deep for a socket's name.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFile::encodeName(runtime + name).size() + 1 < MaxSocketPath)
        return runtime + QLatin1Char('/') + name;
    return QDir::tempPath() + QLatin1Char('/') + name;
}

SingleInstance::Start SingleInstance::start(std::chrono::milliseconds patience)
{
    // Without the store's folder there is nowhere to lock, and nothing that a
    // second copy could write over.
    if (!QDir().mkpath(m_folder))
        return Start::First;
    const QDeadlineTimer deadline(patience);
    while (true) {
        // A lock whose owner process is gone is removed by the attempt itself.
        if (m_lock.tryLock(0)) {
            listen();
            return Start::First;
        }
        if (m_lock.error() != QLockFile::LockFailedError)
            return Start::First; // the folder cannot be written: neither can the store
        const auto left = std::chrono::milliseconds(deadline.remainingTime());
        if (askToRaise(std::max(left, std::chrono::milliseconds(100))))
            return Start::Raised;
        // No answer: a lock file no process holds open any more (unreadable,
        // say, or from another boot) is stale too. One that its owner still
        // holds is never removed.
        if (m_lock.removeStaleLockFile())
            continue;
        if (deadline.hasExpired())
            return Start::Unreachable;
        QThread::msleep(100);
    }
}

void SingleInstance::listen()
{
    const QString path = serverPath();
    // Whatever socket is there was left by a copy that is gone: this one
    // holds the lock.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == Request) {
                    emit raiseRequested();
                    socket->write(Answer);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
    if (!m_server->listen(path)) {
        // Later copies will find this one unreachable and say so.
        qWarning("Quorvane: cannot listen on %s: %s", qPrintable(path),
                 qPrintable(m_server->errorString()));
        delete m_server;
        m_server = nullptr;
    }
}

void SingleInstance::stopListening()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::askToRaise(std::chrono::milliseconds timeout) const
{
    const QDeadlineTimer deadline(timeout);
    auto left = [&deadline] { return int(std::max<qint64>(deadline.remainingTime(), 1)); };
    QLocalSocket socket;
    socket.connectToServer(serverPath());
    if (!socket.waitForConnected(left()))
        return false;
    socket.write(Request);
    if (!socket.waitForBytesWritten(left()))
        return false;
    while (!socket.canReadLine())
        if (deadline.hasExpired() || !socket.waitForReadyRead(left()))
            return false;
    return socket.readLine() == Answer;
}
