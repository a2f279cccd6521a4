#include "plugins/calc/CalcOffice.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <cppuhelper/exc_hlp.hxx>
#include <mutex>
#include <osl/file.hxx>
#include <osl/module.hxx>
#include <rtl/bootstrap.h>
#include <rtl/bootstrap.hxx>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace com::sun::star;
using com::sun::star::uno::Reference;
using com::sun::star::uno::XComponentContext;
using rtl::OUString;

namespace Calc {

QString describeCaughtException(const uno::Exception& e)
{
    return toQString(!e.Message.isEmpty() ? e.Message
                                          : cppu::getCaughtException().getValueTypeName());
}

namespace {

// The folder of LibreOffice's runtime that this plugin runs on, as a file
// URL: the office's program folder, which holds fundamentalrc and soffice.
OUString runtimeFolderUrl()
{
    OUString library;
    if (!osl::Module::getUrlFromAddress(reinterpret_cast<oslGenericFunction>(&rtl_bootstrap_set),
                                        library))
        return {};
    return library.copy(0, library.lastIndexOf('/'));
}

// This process's own UNO runtime, made once and kept for the whole run (it is
// not torn down at exit, when the office's libraries may be gone already).
Reference<XComponentContext> localContext()
{
    static Reference<XComponentContext>* context = nullptr;
    if (context)
        return *context;
    // The runtime finds its types and services through URE_BOOTSTRAP; without
    // it a connected office cannot be used (Desktop creation fails).
    if (OUString value; !rtl::Bootstrap::get("URE_BOOTSTRAP", value)) {
        const OUString folder = runtimeFolderUrl();
        if (folder.isEmpty())
            throw Failure(QStringLiteral("The folder of LibreOffice's runtime cannot be found"));
        rtl::Bootstrap::set("URE_BOOTSTRAP", rtl::Bootstrap::encode(folder + "/fundamentalrc"));
    }
    Reference<XComponentContext> made =
        calling([] { return cppu::defaultBootstrap_InitialComponentContext(); });
    if (!made.is())
        throw Failure(QStringLiteral("no local component context!"));
    context = new Reference<XComponentContext>(made);
    return *context;
}

// soffice: on the PATH, as LibreOffice's own bootstrap looks for it, else in
// the program folder of the runtime this plugin runs on.
QString sofficePath()
{
    QString onPath = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (!onPath.isEmpty())
        return onPath;
    OUString folder;
    if (osl::FileBase::getSystemPathFromFileURL(runtimeFolderUrl(), folder) ==
        osl::FileBase::E_None) {
        QString beside = toQString(folder) + QStringLiteral("/soffice");
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    throw Failure(QStringLiteral("LibreOffice's soffice is neither on the PATH nor in %1")
                      .arg(toQString(folder)));
}

// The pipe of a connection. "" names one of this process: the first action
// starts or joins the office on it, later ones find it there.
QString pipeOf(const CalcConnection& connection)
{
    static const QString own =
        QStringLiteral("quorvane%1_%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    return connection.pipe.isEmpty() ? own : connection.pipe;
}

// The office on `pipe`, or none when nobody answers there.
Reference<XComponentContext> answerOn(const QString& pipe)
{
    const Reference<bridge::XUnoUrlResolver> resolver =
        bridge::UnoUrlResolver::create(localContext());
    try {
        return Reference<XComponentContext>(resolver->resolve("uno:pipe,name=" + toOUString(pipe) +
                                                              ";urp;StarOffice.ComponentContext"),
                                            uno::UNO_QUERY_THROW);
    } catch (const connection::NoConnectException&) {
        return {};
    }
}

// Held while a connection's started office changes hands or is killed.
std::mutex startedLock;

// The parent of a running process, or 0 when it has ended (a zombie has).
pid_t parentOf(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 2 || fields[0] == "Z")
        return 0;
    return pid_t(fields[1].toInt());
}

// `root` and every running process below it.
QList<pid_t> familyOf(pid_t root)
{
    QList<pid_t> family = {root};
    std::vector<std::pair<pid_t, pid_t>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const pid_t pid = pid_t(entry.toInt(&isNumber));
        if (isNumber && pid != root)
            children.emplace_back(parentOf(pid), pid);
    }
    for (qsizetype i = 0; i < family.size(); ++i)
        for (const auto& [parent, child] : children)
            if (parent == family[i])
                family.append(child);
    return family;
}

} // namespace

Launch::Launch(const QString& program, const QString& pipe)
    : m_pipe(pipe), m_startedAt(QDateTime::currentMSecsSinceEpoch())
{
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(toOUString(program), url) != osl::FileBase::E_None)
        throw Failure(QStringLiteral("%1 cannot be started: its path is not valid").arg(program));
    const OUString arguments[] = {"--nologo", "--nodefault", "--norestore", "--nolockcheck",
                                  OUString("--accept=pipe,name=" + toOUString(pipe) + ";urp;")};
    rtl_uString* data[std::size(arguments)];
    std::ranges::transform(arguments, data,
                           [](const OUString& argument) { return argument.pData; });
    switch (osl_executeProcess(url.pData, data, sal_uInt32(std::size(data)), osl_Process_DETACHED,
                               nullptr, nullptr, nullptr, 0, &m_process)) {
    case osl_Process_E_None:
        break;
    case osl_Process_E_NotFound:
        throw Failure(QStringLiteral("%1 was not found").arg(program));
    case osl_Process_E_NoPermission:
        throw Failure(QStringLiteral("%1 may not be run").arg(program));
    default:
        throw Failure(QStringLiteral("%1 could not be started").arg(program));
    }
}

bool Launch::waitForEnd(int milliseconds)
{
    const TimeValue wait = {sal_uInt32(milliseconds / 1000),
                            sal_uInt32(milliseconds % 1000) * 1000000};
    return osl_joinProcessWithTimeout(m_process, &wait) == osl_Process_E_None;
}

int Launch::exitCode()
{
    oslProcessInfo info{};
    info.Size = sizeof info;
    if (osl_getProcessInfo(m_process, osl_Process_EXITCODE, &info) != osl_Process_E_None)
        return -1;
    return int(info.Code);
}

void Launch::finish(int milliseconds)
{
    oslProcessInfo info{};
    info.Size = sizeof info;
    if (osl_getProcessInfo(m_process, osl_Process_IDENTIFIER, &info) != osl_Process_E_None)
        return;
    // soffice runs the office as a process of its own (oosplash, soffice.bin).
    const QList<pid_t> family = familyOf(pid_t(info.Ident)) + m_killed;
    if (!waitForEnd(milliseconds)) {
        for (const pid_t pid : family)
            ::kill(pid, SIGKILL);
        waitForEnd(5000);
    }
    const QDeadlineTimer deadline(5000);
    while (std::ranges::any_of(family, [](pid_t pid) { return parentOf(pid) != 0; }) &&
           !deadline.hasExpired())
        QThread::msleep(50);

    // An office that did not end on its own leaves its pipe, and its temporary
    // folder "lu<process id>….tmp", behind.
    for (const char* folder : {"/tmp", "/var/tmp"}) {
        const QByteArray socket =
            QStringLiteral("%1/OSL_PIPE_%2_%3")
                .arg(QLatin1String(folder), QString::number(::getuid()), m_pipe)
                .toLocal8Bit();
        struct stat status;
        if (::lstat(socket.constData(), &status) == 0 && S_ISSOCK(status.st_mode))
            ::unlink(socket.constData());
    }
    const QDir temporary(QDir::tempPath());
    for (const pid_t pid : family) {
        const QFileInfoList folders =
            temporary.entryInfoList({QStringLiteral("lu%1*.tmp").arg(pid)},
                                    QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo& folder : folders) {
            if (!folder.isSymLink() &&
                folder.lastModified().toMSecsSinceEpoch() >= m_startedAt - 1000)
                QDir(folder.filePath()).removeRecursively();
        }
    }
}

void Launch::kill() noexcept
{
    oslProcessInfo info{};
    info.Size = sizeof info;
    if (osl_getProcessInfo(m_process, osl_Process_IDENTIFIER, &info) != osl_Process_E_None)
        return;
    const auto root = pid_t(info.Ident);
    m_wasKilled = true;
    m_killed += familyOf(root);
    for (const pid_t pid : m_killed)
        ::kill(pid, SIGKILL);
    // A process started since the family was listed is in its group.
    if (::getpgid(root) == root)
        ::kill(-root, SIGKILL);
}

Reference<XComponentContext> connectToOffice(const CalcConnection& connection,
                                             std::unique_ptr<Launch>& started)
{
    constexpr int Pause = 250;
    const QDeadlineTimer deadline(connection.timeoutMilliseconds);
    const QString pipe = pipeOf(connection);

    return calling([&] {
        if (Reference<XComponentContext> office = answerOn(pipe); office.is())
            return office;
        Launch* launch = nullptr;
        if (connection.launch) {
            // An office started before that no longer answers is of no use.
            const std::lock_guard lock(startedLock);
            if (started)
                started->finish(0);
            started.reset();
            started = std::make_unique<Launch>(sofficePath(), pipe);
            launch = started.get();
        }
        bool ended = false;
        for (;;) {
            if (launch && !ended)
                ended = launch->waitForEnd(Pause);
            else
                QThread::msleep(Pause);
            if (Reference<XComponentContext> office = answerOn(pipe); office.is()) {
                // soffice ended: it handed the request to the user's office.
                if (ended) {
                    const std::lock_guard lock(startedLock);
                    started.reset();
                }
                return office;
            }
            if (ended && launch->killed())
                throw Failure(QStringLiteral("LibreOffice was stopped while it started"));
            if (const int code = ended ? launch->exitCode() : 0; code != 0)
                throw Failure(
                    QStringLiteral("soffice ended with exit code %1 before it could be reached")
                        .arg(code));
            if (deadline.hasExpired())
                throw Failure(QStringLiteral("LibreOffice did not answer on pipe %1 within %2 s")
                                  .arg(pipe)
                                  .arg(connection.timeoutMilliseconds / 1000.0));
        }
    });
}

void endUnusedOffice(const CalcConnection& connection, std::unique_ptr<Launch>& started) noexcept
{
    std::unique_ptr<Launch> office;
    {
        const std::lock_guard lock(startedLock);
        office = std::move(started);
    }
    if (!office || (office->waitForEnd(0) && !office->killed()))
        return;
    int wait = 0;
    try {
        if (const Reference<XComponentContext> context = answerOn(pipeOf(connection));
            context.is()) {
            const Reference<frame::XDesktop2> desktop = frame::Desktop::create(context);
            if (desktop->getComponents()->createEnumeration()->hasMoreElements())
                return;
            desktop->terminate();
            wait = 10000;
        }
    } catch (const lang::DisposedException&) {
        // The office went while answering.
        wait = 10000;
    } catch (...) {
        // Not usable: killed below.
    }
    office->finish(wait);
}

void killStartedOffice(std::unique_ptr<Launch>& started) noexcept
{
    const std::lock_guard lock(startedLock);
    if (started)
        started->kill();
}

} // namespace Calc
