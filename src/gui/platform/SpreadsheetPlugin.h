#pragma once

#include "features/host/CalcPlugin.h"
#include "features/host/Spreadsheet.h"
#include "features/host/SpreadsheetReader.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>

namespace CalcPlugin {

// Where the program looks for the plugin, in order: the program folder of an
// installed tree (QUORVANE_PROGRAMDIR, lib/quorvane) beside the program's own
// folder (the build tree), then the program's folder itself.
QStringList candidates(const QString& programFolder);

} // namespace CalcPlugin

// The spreadsheet application through the plugin. The plugin is loaded at the
// first creation and stays loaded, as the server and everything it made are
// its code; a plugin that cannot be loaded is tried again at the next creation.
class PluginSpreadsheetServer : public SpreadsheetServer
{
public:
    // `pluginFile` "" looks in the places of CalcPlugin::candidates.
    explicit PluginSpreadsheetServer(CalcConnection connection = {}, QString pluginFile = {})
        : m_connection(std::move(connection)), m_pluginFile(std::move(pluginFile))
    {}

    std::unique_ptr<Spreadsheet::Application> createApplication() override;
    void endUnusedApplication() noexcept override;

private:
    CalcConnection m_connection;
    QString m_pluginFile;
    std::unique_ptr<SpreadsheetServer> m_server;
};

// The reading of spreadsheet documents through the plugin, loaded as the
// server loads it.
class PluginSpreadsheetReader : public SpreadsheetReader
{
public:
    explicit PluginSpreadsheetReader(CalcConnection connection = {}, QString pluginFile = {})
        : m_connection(std::move(connection)), m_pluginFile(std::move(pluginFile))
    {}

    void saveFirstSheetAsCsv(const QString& document, const QString& csvPath) override;
    void stopReading() noexcept override;

private:
    CalcConnection m_connection;
    QString m_pluginFile;
    std::mutex m_making; // the reader is made on the reading's thread
    std::unique_ptr<SpreadsheetReader> m_reader;
    bool m_stoppedEarly = false;
};
