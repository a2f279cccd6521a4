// Reading a spreadsheet document in LibreOffice: opened hidden and read-only,
// its first sheet stored as CSV with every cell as the sheet shows it, and
// closed again.

#include "plugins/calc/CalcOffice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <atomic>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <memory>
#include <osl/file.hxx>

using namespace com::sun::star;
using com::sun::star::uno::Any;
using com::sun::star::uno::Reference;
using com::sun::star::uno::Sequence;
using rtl::OUString;

namespace Calc {
namespace {

// The CSV filter's options: comma, double quotes, UTF-8 (76), from line 1,
// standard cell formats, system language, text not quoted unless it must be,
// (import only), cells as shown, no formulas, no blanks removed, sheet 1.
constexpr char CsvOptions[] = "44,34,76,1,,0,false,true,true,false,false,1";

// LibreOffice's document.MacroExecMode.NEVER_EXECUTE.
constexpr sal_Int16 NeverExecuteMacros = 0;

beans::PropertyValue property(const char* name, const Any& value)
{
    return beans::PropertyValue(OUString::createFromAscii(name), 0, value,
                                beans::PropertyState_DIRECT_VALUE);
}

OUString fileUrl(const QString& path)
{
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(toOUString(path), url) != osl::FileBase::E_None)
        throw Failure(QStringLiteral("%1 is not a valid path").arg(path));
    return url;
}

// Closes a document, never asking anything.
void closeDocument(const Reference<lang::XComponent>& document) noexcept
{
    try {
        if (const Reference<util::XCloseable> closeable(document, uno::UNO_QUERY); closeable.is())
            closeable->close(true);
        else
            document->dispose();
    } catch (...) {
        // The office keeps a document it cannot close; nothing more to do.
    }
}

// The filter writes the one sheet it is told to export to "<name>-<sheet
// name>.<suffix>" beside the file asked for: moved to that file.
void takeSheetFile(const QString& csvPath)
{
    if (QFileInfo::exists(csvPath))
        return;
    const QFileInfo target(csvPath);
    const QStringList written = target.dir().entryList(
        {target.completeBaseName() + QStringLiteral("-*.") + target.suffix()}, QDir::Files);
    if (written.size() != 1 || !QFile::rename(target.dir().filePath(written.front()), csvPath))
        throw Failure(QStringLiteral("LibreOffice wrote no text of the first sheet"));
}

class CalcReader : public SpreadsheetReader
{
public:
    explicit CalcReader(CalcConnection connection) : m_connection(std::move(connection)) {}

    void saveFirstSheetAsCsv(const QString& document, const QString& csvPath) override
    {
        // An office started for the reading is ended with it; a stop holds
        // until the reading ends.
        const auto endOffice = qScopeGuard([&] {
            endUnusedOffice(m_connection, m_started);
            m_stopped = false;
        });
        const auto unlessStopped = [this] {
            if (m_stopped)
                throw Failure(QStringLiteral("The reading was stopped"));
        };
        unlessStopped();
        const Reference<uno::XComponentContext> office = connectToOffice(m_connection, m_started);
        unlessStopped(); // before the office was started
        calling([&] {
            const Reference<frame::XDesktop2> desktop = frame::Desktop::create(office);
            const beans::PropertyValue load[] = {
                property("Hidden", Any(true)), property("ReadOnly", Any(true)),
                property("MacroExecutionMode", Any(NeverExecuteMacros))};
            const Reference<lang::XComponent> opened = desktop->loadComponentFromURL(
                fileUrl(document), "_blank", 0, Sequence<beans::PropertyValue>(load, 3));
            if (!opened.is())
                throw Failure(QStringLiteral("LibreOffice cannot open %1").arg(document));
            const auto close = qScopeGuard([&opened] { closeDocument(opened); });
            const beans::PropertyValue store[] = {
                property("FilterName", Any(OUString("Text - txt - csv (StarCalc)"))),
                property("FilterOptions", Any(OUString::createFromAscii(CsvOptions)))};
            Reference<frame::XStorable>(opened, uno::UNO_QUERY_THROW)
                ->storeToURL(fileUrl(csvPath), Sequence<beans::PropertyValue>(store, 2));
        });
        takeSheetFile(csvPath);
    }

    void stopReading() noexcept override
    {
        m_stopped = true;
        killStartedOffice(m_started);
    }

private:
    CalcConnection m_connection;
    std::unique_ptr<Launch> m_started; // while a reading runs
    std::atomic<bool> m_stopped = false;
};

} // namespace
} // namespace Calc

extern "C" Q_DECL_EXPORT SpreadsheetReader*
quorvaneCalcCreateReader(const CalcConnection& connection)
{
    return new Calc::CalcReader(connection);
}
