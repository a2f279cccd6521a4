#pragma once

// Inside the LibreOffice plugin: reaching the office, and LibreOffice's
// failures as ours.

#include "core/base/Failure.h"
#include "features/host/CalcPlugin.h"

#include <QList>
#include <QString>
#include <atomic>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <memory>
#include <osl/process.h>
#include <rtl/ustring.hxx>
#include <sys/types.h>

namespace Calc {

inline QString toQString(const rtl::OUString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

inline rtl::OUString toOUString(const QString& text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         sal_Int32(text.size()));
}

// The description of the UNO exception being handled: its message, or its
// type's name when it has none.
QString describeCaughtException(const com::sun::star::uno::Exception& e);

// Runs a call into the office; whatever LibreOffice throws comes out as a
// Failure with LibreOffice's own description.
template <typename Call> auto calling(Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const com::sun::star::uno::Exception& e) {
        throw Failure(describeCaughtException(e));
    } catch (const cppu::BootstrapException& e) {
        throw Failure(toQString(e.getMessage()));
    }
}

// soffice started for a connection. It either becomes the office, or hands
// its arguments to the user's running office and ends with exit code 0.
class Launch
{
public:
    Launch(const QString& program, const QString& pipe);
    ~Launch() { osl_freeProcessHandle(m_process); }
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Waits at most `milliseconds` for soffice to end; true when it has.
    bool waitForEnd(int milliseconds);
    int exitCode();
    // Waits at most `milliseconds` for soffice to end, then kills it and
    // every process it started, and removes what a killed office leaves
    // behind: its pipe and its temporary folder.
    void finish(int milliseconds);
    // Kills soffice and every process it started at once; finish() then
    // removes what they leave.
    void kill() noexcept;
    bool killed() const { return m_wasKilled; }

private:
    oslProcess m_process = nullptr;
    QString m_pipe;
    qint64 m_startedAt = 0;
    QList<pid_t> m_killed;
    std::atomic<bool> m_wasKilled = false;
};

// The component context of the office, started or joined as the connection
// says. Throws Failure when it cannot be reached in time. `started` keeps the
// soffice this call starts while it is the office.
com::sun::star::uno::Reference<com::sun::star::uno::XComponentContext>
connectToOffice(const CalcConnection& connection, std::unique_ptr<Launch>& started);

// Ends the office in `started` unless it holds a document, which makes it the
// user's. `started` is empty afterwards.
void endUnusedOffice(const CalcConnection& connection, std::unique_ptr<Launch>& started) noexcept;

// From another thread while connectToOffice or the work after it runs: kills
// the office in `started`, if any.
void killStartedOffice(std::unique_ptr<Launch>& started) noexcept;

} // namespace Calc
