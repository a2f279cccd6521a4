#include "output/spreadsheet/CalcOffice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <cppuhelper/exc_hlp.hxx>
#include <osl/file.hxx>
#include <osl/module.hxx>
#include <osl/process.h>
#include <rtl/bootstrap.h>
#include <rtl/bootstrap.hxx>
#include <vector>

using namespace com::sun::star;
using com::sun::star::uno::Reference;
using com::sun::star::uno::XComponentContext;
using rtl::OUString;

namespace Calc {

QString describeCaughtException(const uno::Exception& e)
{
    if (!e.Message.isEmpty())
        return toQString(e.Message);
    return toQString(cppu::getCaughtException().getValueTypeName());
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

// The office's runtime finds its types and services through URE_BOOTSTRAP;
// without it a connected office cannot be used (Desktop creation fails).
void ensureRuntimeBootstrap()
{
    OUString value;
    if (rtl::Bootstrap::get("URE_BOOTSTRAP", value))
        return;
    const OUString folder = runtimeFolderUrl();
    if (folder.isEmpty())
        throw Failure(QStringLiteral("The folder of LibreOffice's runtime cannot be found"));
    rtl::Bootstrap::set("URE_BOOTSTRAP", rtl::Bootstrap::encode(folder + "/fundamentalrc"));
}

// This process's own UNO runtime, made once and kept for the whole run (it is
// not torn down at exit, when the office's libraries may be gone already).
Reference<XComponentContext> localContext()
{
    static Reference<XComponentContext>* context = nullptr;
    if (!context) {
        ensureRuntimeBootstrap();
        Reference<XComponentContext> made =
            calling([] { return cppu::defaultBootstrap_InitialComponentContext(); });
        if (!made.is())
            throw Failure(QStringLiteral("no local component context!"));
        context = new Reference<XComponentContext>(made);
    }
    return *context;
}

// A pipe name of this process: the first action starts or joins the office on
// it, later ones find it there.
QString processPipeName()
{
    static const QString name =
        QStringLiteral("quorvane%1_%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    return name;
}

// soffice: on the PATH, as LibreOffice's own bootstrap looks for it, else in
// the program folder of the runtime this plugin runs on.
QString sofficePath()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (!onPath.isEmpty())
        return onPath;
    OUString folder;
    if (osl::FileBase::getSystemPathFromFileURL(runtimeFolderUrl(), folder) ==
        osl::FileBase::E_None) {
        const QString beside = toQString(folder) + QStringLiteral("/soffice");
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    throw Failure(QStringLiteral("LibreOffice's soffice is neither on the PATH nor in %1")
                      .arg(toQString(folder)));
}

// soffice started for a connection. It either becomes the office, or hands
// its arguments to the user's running office and ends with exit code 0.
class Launch
{
public:
    Launch(const QString& program, const QString& pipe)
    {
        OUString url;
        if (osl::FileBase::getFileURLFromSystemPath(toOUString(program), url) !=
            osl::FileBase::E_None)
            throw Failure(
                QStringLiteral("%1 cannot be started: its path is not valid").arg(program));
        std::vector<OUString> arguments = {
            OUString("--nologo"), OUString("--nodefault"), OUString("--norestore"),
            OUString("--nolockcheck"),
            OUString("--accept=pipe,name=" + toOUString(pipe) + ";urp;")};
        std::vector<rtl_uString*> data;
        for (OUString& argument : arguments)
            data.push_back(argument.pData);
        switch (osl_executeProcess(url.pData, data.data(), sal_uInt32(data.size()),
                                   osl_Process_DETACHED, nullptr, nullptr, nullptr, 0,
                                   &m_process)) {
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
    ~Launch() { osl_freeProcessHandle(m_process); }
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Waits at most `milliseconds` for soffice to end; true when it has.
    bool waitForEnd(int milliseconds)
    {
        const TimeValue wait = {sal_uInt32(milliseconds / 1000),
                                sal_uInt32(milliseconds % 1000) * 1000000};
        return osl_joinProcessWithTimeout(m_process, &wait) == osl_Process_E_None;
    }

    int exitCode()
    {
        oslProcessInfo info{};
        info.Size = sizeof info;
        if (osl_getProcessInfo(m_process, osl_Process_EXITCODE, &info) != osl_Process_E_None)
            return -1;
        return int(info.Code);
    }

private:
    oslProcess m_process = nullptr;
};

} // namespace

Reference<XComponentContext> connectToOffice(const CalcConnection& connection)
{
    constexpr int Pause = 250;
    const QDeadlineTimer deadline(connection.timeoutMilliseconds);
    const QString pipe = connection.pipe.isEmpty() ? processPipeName() : connection.pipe;
    const Reference<XComponentContext> local = localContext();

    return calling([&] {
        const Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
        const OUString address =
            "uno:pipe,name=" + toOUString(pipe) + ";urp;StarOffice.ComponentContext";
        auto answer = [&]() -> Reference<XComponentContext> {
            try {
                return Reference<XComponentContext>(resolver->resolve(address),
                                                    uno::UNO_QUERY_THROW);
            } catch (const connection::NoConnectException&) {
                return {};
            }
        };

        if (Reference<XComponentContext> office = answer(); office.is())
            return office;
        std::unique_ptr<Launch> launch;
        if (connection.launch)
            launch = std::make_unique<Launch>(sofficePath(), pipe);
        bool ended = false;
        for (;;) {
            if (launch && !ended)
                ended = launch->waitForEnd(Pause);
            else
                QThread::msleep(Pause);
            if (Reference<XComponentContext> office = answer(); office.is())
                return office;
            if (ended) {
                if (const int code = launch->exitCode(); code != 0)
                    throw Failure(
                        QStringLiteral("soffice ended with exit code %1 before it could be reached")
                            .arg(code));
            }
            if (deadline.hasExpired())
                throw Failure(QStringLiteral("LibreOffice did not answer on pipe %1 within %2 s")
                                  .arg(pipe)
                                  .arg(connection.timeoutMilliseconds / 1000.0));
        }
    });
}

} // namespace Calc
