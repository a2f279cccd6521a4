// A stand-in for the LibreOffice Calc plugin: loads like it, and its server
// cannot start any application; built with FAKE_PLUGIN_MAKES_NO_SERVER, it
// makes no server at all.

#include "core/base/Failure.h"
#include "features/host/CalcPlugin.h"

namespace {

class Server : public SpreadsheetServer
{
public:
    std::unique_ptr<Spreadsheet::Application> createApplication() override
    {
        throw Failure(QStringLiteral("The stand-in office cannot be started"));
    }
};

class Reader : public SpreadsheetReader
{
public:
    void saveFirstSheetAsCsv(const QString&, const QString&) override
    {
        throw Failure(QStringLiteral("The stand-in office cannot be started"));
    }
};

} // namespace

extern "C" Q_DECL_EXPORT int quorvaneCalcPluginVersion()
{
    return CalcPlugin::Version + FAKE_PLUGIN_VERSION_OFFSET;
}

extern "C" Q_DECL_EXPORT SpreadsheetServer* quorvaneCalcCreateServer(const CalcConnection&)
{
#if FAKE_PLUGIN_MAKES_NO_SERVER
    return nullptr;
#else
    return new Server;
#endif
}

extern "C" Q_DECL_EXPORT SpreadsheetReader* quorvaneCalcCreateReader(const CalcConnection&)
{
    return new Reader;
}
