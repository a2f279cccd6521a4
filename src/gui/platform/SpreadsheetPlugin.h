#pragma once

#include "features/host/Spreadsheet.h"
#include "features/host/SpreadsheetReader.h"
#include "plugins/calc/CalcPluginInterface.h"

#include <QString>
#include <memory>

// The spreadsheet application through the plugin. The plugin is loaded at the
// first creation and stays loaded; a plugin that cannot be loaded is tried
// again at the next creation.
class PluginSpreadsheetServer : public SpreadsheetServer
{
public:
    // `pluginFile` "" looks in the places of CalcPlugin::candidates.
    explicit PluginSpreadsheetServer(CalcConnection connection = {}, QString pluginFile = {});
    ~PluginSpreadsheetServer() override;

    std::unique_ptr<Spreadsheet::Application> createApplication() override;
    void endUnusedApplication() noexcept override;

private:
    std::unique_ptr<SpreadsheetServer> load() const;

    CalcConnection m_connection;
    QString m_pluginFile;
    std::unique_ptr<SpreadsheetServer> m_server;
};

// The reading of spreadsheet documents through the plugin, loaded as the
// server loads it.
class PluginSpreadsheetReader : public SpreadsheetReader
{
public:
    explicit PluginSpreadsheetReader(CalcConnection connection = {}, QString pluginFile = {});
    ~PluginSpreadsheetReader() override;

    void saveFirstSheetAsCsv(const QString& document, const QString& csvPath) override;

private:
    CalcConnection m_connection;
    QString m_pluginFile;
    std::unique_ptr<SpreadsheetReader> m_reader;
};
