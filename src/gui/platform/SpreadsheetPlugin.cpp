#include "gui/platform/SpreadsheetPlugin.h"

#include "core/base/Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <exception>

QStringList CalcPlugin::candidates(const QString& programFolder)
{
    const QString name = QLatin1String(FileName);
    return {QDir::cleanPath(programFolder + QLatin1String("/../" QUORVANE_PROGRAMDIR "/") + name),
            QDir::cleanPath(programFolder + QLatin1Char('/') + name)};
}

PluginSpreadsheetServer::PluginSpreadsheetServer(CalcConnection connection, QString pluginFile)
    : m_connection(std::move(connection)), m_pluginFile(std::move(pluginFile))
{}

// The plugin stays loaded: the server and everything it made are its code.
PluginSpreadsheetServer::~PluginSpreadsheetServer() = default;

std::unique_ptr<Spreadsheet::Application> PluginSpreadsheetServer::createApplication()
{
    if (!m_server)
        m_server = load();
    return m_server->createApplication();
}

void PluginSpreadsheetServer::endUnusedApplication() noexcept
{
    if (m_server)
        m_server->endUnusedApplication();
}

namespace {

// The entry `symbol` of a plugin of this program's version, and the plugin's
// file: `pluginFile`, or "" the first of the places of CalcPlugin::candidates
// that holds one. The plugin stays loaded.
struct Entry
{
    QFunctionPointer function;
    QString file;
};

Entry pluginEntry(const QString& pluginFile, const char* symbol)
{
    QString file = pluginFile;
    if (file.isEmpty()) {
        const QStringList places = CalcPlugin::candidates(QCoreApplication::applicationDirPath());
        for (const QString& place : places) {
            if (QFileInfo(place).isFile()) {
                file = place;
                break;
            }
        }
        if (file.isEmpty())
            throw Failure(QStringLiteral("The LibreOffice Calc plugin is not installed (looked "
                                         "for %1)")
                              .arg(places.join(QStringLiteral(", "))));
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
    return {entry, file};
}

// What the plugin's entry makes, owned by the caller; `what` names it when
// the plugin makes none.
template <typename Made, typename Create>
std::unique_ptr<Made> make(const Entry& entry, const CalcConnection& connection, const char* what)
{
    std::unique_ptr<Made> made;
    try {
        made.reset(reinterpret_cast<Create>(entry.function)(connection));
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }
    if (!made)
        throw Failure(QStringLiteral("%1 made no %2").arg(entry.file, QLatin1String(what)));
    return made;
}

} // namespace

std::unique_ptr<SpreadsheetServer> PluginSpreadsheetServer::load() const
{
    return make<SpreadsheetServer, CalcPlugin::CreateFunction>(
        pluginEntry(m_pluginFile, CalcPlugin::CreateSymbol), m_connection, "spreadsheet server");
}

PluginSpreadsheetReader::PluginSpreadsheetReader(CalcConnection connection, QString pluginFile)
    : m_connection(std::move(connection)), m_pluginFile(std::move(pluginFile))
{}

PluginSpreadsheetReader::~PluginSpreadsheetReader() = default;

void PluginSpreadsheetReader::saveFirstSheetAsCsv(const QString& document, const QString& csvPath)
{
    if (!m_reader) {
        m_reader = make<SpreadsheetReader, CalcPlugin::CreateReaderFunction>(
            pluginEntry(m_pluginFile, CalcPlugin::CreateReaderSymbol), m_connection,
            "spreadsheet reader");
    }
    m_reader->saveFirstSheetAsCsv(document, csvPath);
}
