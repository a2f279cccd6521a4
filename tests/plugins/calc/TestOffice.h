#pragma once

// LibreOffice for the tests: an office of the test's own, and the test's own
// UNO connection to it, to read back what an export wrote.

#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <vector>

namespace TestOffice {

namespace css = com::sun::star;
using css::uno::Reference;

// A pipe name no other test or program uses.
QString uniquePipeName(const char* purpose);

// The test's own connection to the office on `pipe`, waiting up to
// `timeoutMilliseconds` for it to answer.
class Connection
{
public:
    Connection(const QString& pipe, int timeoutMilliseconds);

    // The documents open in the office.
    std::vector<Reference<css::frame::XModel>> documents();
    // The sheet a document shows.
    static Reference<css::sheet::XSpreadsheet> activeSheet(const Reference<css::frame::XModel>& m);
    // Closes a document without saving and without asking: a modified
    // document would keep the office from ending behind an invisible question.
    static void discard(const Reference<css::frame::XModel>& document);
    // Discards every document and ends the office.
    void shutDown();

private:
    Reference<css::frame::XDesktop2> m_desktop;
};

// soffice --headless on a pipe of its own, with a fresh profile in a
// temporary folder. It is ended when the object goes; a watchdog ends it
// after `lifetimeSeconds` even if the test process dies first.
class Headless
{
public:
    explicit Headless(int lifetimeSeconds);
    ~Headless();
    Headless(const Headless&) = delete;
    Headless& operator=(const Headless&) = delete;

    const QString& pipe() const { return m_pipe; }

private:
    QTemporaryDir m_profile;
    QString m_pipe;
    QProcess m_process;
};

// The processes that were started with `marker` in their command line.
QList<int> processesWith(const QString& marker);

// Ends processes that were started with `marker` (a unique pipe name) in
// their command line, waiting up to `milliseconds` for them to end on their
// own first. Answers how many had to be killed.
int endProcessesWith(const QString& marker, int milliseconds);

} // namespace TestOffice
