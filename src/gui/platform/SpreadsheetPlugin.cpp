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

std::unique_ptr<SpreadsheetServer> PluginSpreadsheetServer::load() const
{
    QString file = m_pluginFile;
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
    const auto create =
        reinterpret_cast<CalcPlugin::CreateFunction>(library.resolve(CalcPlugin::CreateSymbol));
    if (!version || !create) {
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
    std::unique_ptr<SpreadsheetServer> server;
    try {
        server.reset(create(m_connection));
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }
    if (!server) {
        library.unload();
        throw Failure(QStringLiteral("%1 made no spreadsheet server").arg(file));
    }
    return server;
}
