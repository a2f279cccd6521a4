#include "gui/platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

using namespace std::chrono_literals;

const QByteArray Request = "raise\n";
const QByteArray Answer = "raised\n";

// The longest socket path the system takes (sockaddr_un), with room to spare.
constexpr qsizetype MaxSocketPath = 100;

// A request is one line of at most MaxRequest bytes, whole within RequestTime.
constexpr qint64 MaxRequest = 4096;
constexpr auto RequestTime = 3s;
// Clients served at once; a further one pushes out the one served longest.
constexpr qsizetype MaxClients = 8;
// The least time one attempt to reach the running copy gets.
constexpr auto LeastAskTime = 100ms;

// Whether the process at the other end runs as this user: the abstract
// namespace and the shared temporary folder admit anyone.
bool peerIsThisUser(const QLocalSocket& socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    const int descriptor = int(socket.socketDescriptor());
    return ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

// Hangs up on a client and lets it go; it no longer counts as served.
void dismiss(QLocalSocket* client)
{
    client->abort();
    client->setParent(nullptr);
    client->deleteLater();
}

// Sends the request and reads the answer before the deadline.
bool exchange(QLocalSocket& socket, const QDeadlineTimer& deadline)
{
    auto left = [&deadline] { return int(std::max<qint64>(deadline.remainingTime(), 1)); };
    socket.setReadBufferSize(MaxRequest);
    socket.write(Request);
    if (!socket.waitForBytesWritten(left()))
        return false;
    while (!socket.canReadLine())
        if (socket.bytesAvailable() >= MaxRequest || deadline.hasExpired() ||
            !socket.waitForReadyRead(left()))
            return false;
    return socket.readLine() == Answer;
}

} // namespace

SingleInstance::SingleInstance(QString storeFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(storeFolder)), m_lock(lockPath())
{
    // Only a lock whose owner is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

QString SingleInstance::lockPath() const
{
    return m_folder + QStringLiteral("/.lock");
}

QString SingleInstance::serverName(const QString& storeFolder, uint userId)
{
    QString folder = QFileInfo(storeFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir(storeFolder).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256);
    return QStringLiteral("quorvane-%1-%2").arg(userId).arg(QLatin1String(hash.toHex().left(16)));
}

QString SingleInstance::serverPath() const
{
    const QString name = serverName(m_folder, ::getuid());
    // The temporary folder when the runtime one is missing or too deep.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFile::encodeName(runtime + name).size() + 1 < MaxSocketPath)
        return runtime + QLatin1Char('/') + name;
    return QDir::tempPath() + QLatin1Char('/') + name;
}

SingleInstance::Start SingleInstance::start(std::chrono::milliseconds patience)
{
    const QDeadlineTimer deadline(patience);
    // Without the store's folder there is nothing a second copy could overwrite.
    const bool lockable = QDir().mkpath(m_folder);
    // tryLock itself removes a lock whose owner is gone, where it can.
    while (!lockable || !m_lock.tryLock(0)) {
        if (askToRaise(deadline))
            return Start::Raised;
        // Another error: the folder cannot be written, and neither can the store.
        if (!lockable || m_lock.error() != QLockFile::LockFailedError)
            break;
        if (lockOwnerIsGone()) {
            // Also a lock that names no owner (unreadable, from another boot).
            if (m_lock.removeStaleLockFile() || !QFileInfo::exists(lockPath()) ||
                !lockOwnerIsGone())
                continue;
            // Cannot be removed: the folder cannot be written either.
            break;
        }
        if (deadline.hasExpired())
            return Start::Unreachable;
        QThread::msleep(100);
    }
    listen();
    return Start::First;
}

bool SingleInstance::lockOwnerIsGone() const
{
    // The owner holds the lock file locked for as long as it runs; the
    // system lets go of that lock when the owner ends, however it ends.
    const int file = ::open(QFile::encodeName(lockPath()).constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0 && errno == ENOENT)
        return true;
    if (file >= 0) {
        const int held = ::flock(file, LOCK_SH | LOCK_NB);
        const int error = errno;
        ::close(file);
        if (held == 0)
            return true;
        if (error == EWOULDBLOCK)
            return false;
    }
    // A file system without such locks: the owner's process id and host
    // name in the file tell.
    qint64 pid = 0;
    QString host;
    QString program;
    return m_lock.getLockInfo(&pid, &host, &program) && pid > 0 &&
           (host.isEmpty() || host == QSysInfo::machineHostName()) && ::kill(pid_t(pid), 0) != 0 &&
           errno == ESRCH;
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection())
            serve(client);
    });
    // A socket still there was left by a copy that is gone or does not answer.
    const QString path = serverPath();
    QLocalServer::removeServer(path);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(path))
        return;
    const QString cannot = m_server->errorString();
    // No socket can be made in that folder: the abstract namespace needs none.
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (m_server->listen(serverName(m_folder, ::getuid())))
        return;
    // Later copies will find this one unreachable and say so.
    qWarning("Quorvane: cannot listen on %s: %s; nor in the abstract namespace: %s",
             qPrintable(path), qPrintable(cannot), qPrintable(m_server->errorString()));
    delete m_server;
    m_server = nullptr;
}

void SingleInstance::serve(QLocalSocket* client)
{
    if (!peerIsThisUser(*client)) {
        dismiss(client);
        return;
    }
    const QList<QLocalSocket*> served =
        m_server->findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly);
    if (served.size() > MaxClients)
        dismiss(served.first());
    // More than one request's bytes, or a request not whole in time, drops it.
    client->setReadBufferSize(MaxRequest);
    QTimer::singleShot(RequestTime, client, [client] { dismiss(client); });
    connect(client, &QLocalSocket::disconnected, client, [client] { dismiss(client); });
    connect(client, &QLocalSocket::readyRead, client, [this, client] {
        if (!client->canReadLine()) {
            if (client->bytesAvailable() >= MaxRequest)
                dismiss(client);
            return;
        }
        if (client->readLine() == Request) {
            emit raiseRequested();
            client->write(Answer);
            client->flush();
        }
        client->disconnectFromServer();
    });
}

bool SingleInstance::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && m_server)
        m_server->close();
    return QObject::eventFilter(watched, event);
}

bool SingleInstance::askToRaise(const QDeadlineTimer& patience) const
{
    const QDeadlineTimer deadline(
        std::max<std::chrono::nanoseconds>(patience.remainingTimeAsDuration(), LeastAskTime));
    // Where the running copy listens: as listen() tries, in that order.
    const std::pair<QString, QLocalSocket::SocketOptions> places[] = {
        {serverPath(), QLocalSocket::NoOptions},
        {serverName(m_folder, ::getuid()), QLocalSocket::AbstractNamespaceOption},
    };
    for (const auto& [name, options] : places) {
        QLocalSocket socket;
        socket.setSocketOptions(options);
        socket.connectToServer(name);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1))) &&
            peerIsThisUser(socket))
            return exchange(socket, deadline);
    }
    return false;
}
