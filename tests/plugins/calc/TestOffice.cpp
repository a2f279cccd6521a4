#include "plugins/calc/TestOffice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>
#include <signal.h>

namespace TestOffice {

using namespace css;
using rtl::OUString;

namespace {

OUString toOUString(const QString& text)
{
    return OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), sal_Int32(text.size()));
}

const QString ProgramDir = QStringLiteral(QUORVANE_LIBREOFFICE_PROGRAM_DIR);

// The tests end offices while connections to them still write: as in the
// program, such a write fails rather than ending the test.
[[maybe_unused]] const bool brokenPipesFail = (::signal(SIGPIPE, SIG_IGN), true);

Reference<uno::XComponentContext> localContext()
{
    static Reference<uno::XComponentContext>* context = nullptr;
    if (!context) {
        OUString value;
        if (!rtl::Bootstrap::get("URE_BOOTSTRAP", value))
            rtl::Bootstrap::set("URE_BOOTSTRAP",
                                toOUString(QUrl::fromLocalFile(ProgramDir + "/fundamentalrc")
                                               .toString(QUrl::FullyEncoded)));
        context =
            new Reference<uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
    }
    return *context;
}

} // namespace

QString uniquePipeName(const char* purpose)
{
    static std::atomic<int> serial = 0;
    return QStringLiteral("quorvane_test_%1_%2_%3")
        .arg(QLatin1String(purpose))
        .arg(QCoreApplication::applicationPid())
        .arg(++serial);
}

Connection::Connection(const QString& pipe, int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    const Reference<bridge::XUnoUrlResolver> resolver =
        bridge::UnoUrlResolver::create(localContext());
    const OUString address =
        "uno:pipe,name=" + toOUString(pipe) + ";urp;StarOffice.ComponentContext";
    for (;;) {
        try {
            const Reference<uno::XComponentContext> office(resolver->resolve(address),
                                                           uno::UNO_QUERY_THROW);
            m_desktop = frame::Desktop::create(office);
            return;
        } catch (const connection::NoConnectException&) {
            if (deadline.hasExpired())
                throw;
            QThread::msleep(100);
        }
    }
}

std::vector<Reference<frame::XModel>> Connection::documents()
{
    std::vector<Reference<frame::XModel>> found;
    const Reference<container::XEnumeration> all = m_desktop->getComponents()->createEnumeration();
    while (all->hasMoreElements()) {
        const Reference<frame::XModel> model(all->nextElement(), uno::UNO_QUERY);
        if (model.is())
            found.push_back(model);
    }
    return found;
}

Reference<sheet::XSpreadsheet> Connection::activeSheet(const Reference<frame::XModel>& model)
{
    return Reference<sheet::XSpreadsheetView>(model->getCurrentController(), uno::UNO_QUERY_THROW)
        ->getActiveSheet();
}

void Connection::discard(const Reference<frame::XModel>& document)
{
    Reference<util::XModifiable>(document, uno::UNO_QUERY_THROW)->setModified(false);
    Reference<util::XCloseable>(document, uno::UNO_QUERY_THROW)->close(true);
}

void Connection::shutDown()
{
    for (const Reference<frame::XModel>& document : documents())
        discard(document);
    try {
        m_desktop->terminate();
    } catch (const lang::DisposedException&) {
        // The office went while answering.
    }
}

Headless::Headless(int lifetimeSeconds) : m_pipe(uniquePipeName("headless"))
{
    // `timeout` puts the office in a process group of its own and ends the
    // whole group when the time is up.
    // Its output goes nowhere: an office that outlives a crashed test must not
    // hold the test runner's output open.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("timeout"),
                    {QStringLiteral("--kill-after=5"), QString::number(lifetimeSeconds),
                     ProgramDir + QStringLiteral("/soffice"),
                     QStringLiteral("-env:UserInstallation=") +
                         QUrl::fromLocalFile(m_profile.path()).toString(QUrl::FullyEncoded),
                     QStringLiteral("--headless"), QStringLiteral("--invisible"),
                     QStringLiteral("--norestore"), QStringLiteral("--nologo"),
                     QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
                     QStringLiteral("--accept=pipe,name=%1;urp;").arg(m_pipe)});
    if (!m_process.waitForStarted())
        qFatal("cannot start soffice: %s", qPrintable(m_process.errorString()));
}

Headless::~Headless()
{
    try {
        Connection(m_pipe, 10000).shutDown();
    } catch (...) {
        // Not reachable: ended below.
    }
    if (!m_process.waitForFinished(20000)) {
        ::kill(-pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(5000);
    }
}

QList<int> processesWith(const QString& marker)
{
    const QByteArray wanted = marker.toUtf8();
    QList<int> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const int pid = entry.toInt(&isNumber);
        if (!isNumber || pid == int(QCoreApplication::applicationPid()))
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(wanted))
            pids.append(pid);
    }
    return pids;
}

int endProcessesWith(const QString& marker, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    QList<int> left = processesWith(marker);
    while (!left.isEmpty() && !deadline.hasExpired()) {
        QThread::msleep(100);
        left = processesWith(marker);
    }
    for (const int pid : left)
        ::kill(pid_t(pid), SIGKILL);
    return int(left.size());
}

} // namespace TestOffice
