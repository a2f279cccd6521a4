#include "gui/platform/SpreadsheetPlugin.h"

#include "core/base/Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <algorithm>
#include <csignal>
#include <exception>
#include <utility>

QStringList CalcPlugin::candidates(const QString& programFolder)
{
    const QString name = QLatin1String(FileName);
    return {QDir::cleanPath(programFolder + QLatin1String("/../" QUORVANE_PROGRAMDIR "/") + name),
            QDir::cleanPath(programFolder + QLatin1Char('/') + name)};
}

namespace {

// The entry `symbol` of a plugin of this program's version in `file`, or,
// when `file` is "", in the first of the places of CalcPlugin::candidates
// that holds one, which `file` is then set to. The plugin stays loaded.
QFunctionPointer pluginEntry(QString& file, const char* symbol)
{
    if (file.isEmpty()) {
        const QStringList places = CalcPlugin::candidates(QCoreApplication::applicationDirPath());
        const auto found = std::ranges::find_if(
            places, [](const QString& place) { return QFileInfo(place).isFile(); });
        if (found == places.end())
            throw Failure(QStringLiteral("The LibreOffice Calc plugin is not installed (looked "
                                         "for %1)")
                              .arg(places.join(QStringLiteral(", "))));
        file = *found;
    }

    QLibrary library(file);
    if (!library.load())
        throw Failure(library.errorString());
    const auto version =
        reinterpret_cast<CalcPlugin::VersionFunction>(library.resolve(CalcPlugin::VersionSymbol));
    const QFunctionPointer entry = library.resolve(symbol);
    if (!version || !entry) {
        library.unload();
        throw Failure(QStringLiteral("%1 is not a spreadsheet plugin of this program").arg(file));
    }
    if (const int found = version(); found != CalcPlugin::Version) {
        library.unload();
        throw Failure(QStringLiteral("%1 is version %2 of the spreadsheet plugin; this program "
                                     "needs version %3")
                          .arg(file)
                          .arg(found)
                          .arg(CalcPlugin::Version));
    }
    return entry;
}

// What the plugin's entry `symbol` makes, owned by the caller; `what` names
// it when the plugin makes none.
template <typename Made, typename Create>
std::unique_ptr<Made> make(QString file, const char* symbol, const CalcConnection& connection,
                           const char* what)
{
    // LibreOffice's connection may write to an office that has gone (ended
    // by a stop, closed by the user, killed): the write then fails instead
    // of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    const auto create = reinterpret_cast<Create>(pluginEntry(file, symbol));
    std::unique_ptr<Made> made;
    try {
        made.reset(create(connection));
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }
    if (!made)
        throw Failure(QStringLiteral("%1 made no %2").arg(file, QLatin1String(what)));
    return made;
}

} // namespace

std::unique_ptr<Spreadsheet::Application> PluginSpreadsheetServer::createApplication()
{
    if (!m_server)
        m_server = make<SpreadsheetServer, CalcPlugin::CreateFunction>(
            m_pluginFile, CalcPlugin::CreateSymbol, m_connection, "spreadsheet server");
    return m_server->createApplication();
}

void PluginSpreadsheetServer::endUnusedApplication() noexcept
{
    if (m_server)
        m_server->endUnusedApplication();
}

void PluginSpreadsheetReader::saveFirstSheetAsCsv(const QString& document, const QString& csvPath)
{
    {
        const std::lock_guard lock(m_making);
        if (!m_reader)
            m_reader = make<SpreadsheetReader, CalcPlugin::CreateReaderFunction>(
                m_pluginFile, CalcPlugin::CreateReaderSymbol, m_connection, "spreadsheet reader");
        if (std::exchange(m_stoppedEarly, false)) // while the plugin was loaded
            throw Failure(QStringLiteral("The reading was stopped"));
    }
    m_reader->saveFirstSheetAsCsv(document, csvPath);
}

void PluginSpreadsheetReader::stopReading() noexcept
{
    const std::lock_guard lock(m_making);
    if (m_reader)
        m_reader->stopReading();
    else
        m_stoppedEarly = true;
}
