#pragma once

#include "features/host/Spreadsheet.h"
#include "features/host/SpreadsheetReader.h"

#include <QString>

// How the LibreOffice plugin reaches the office.
struct CalcConnection
{
    // The pipe the office accepts connections on; "" is a name of this
    // process's own.
    QString pipe;
    // When nobody answers on the pipe: start soffice, which starts the office
    // or hands the request to the user's running one. When false, only wait
    // for an office that was started with --accept on the pipe.
    bool launch = true;
    // How long to wait for the office to answer.
    int timeoutMilliseconds = 45000;
};

// The LibreOffice Calc plugin, a library of its own that links LibreOffice's
// runtime. The program loads it only when a spreadsheet is asked for, so it
// starts and runs without LibreOffice.
namespace CalcPlugin {

inline constexpr int Version = 3;
inline constexpr char FileName[] = "quorvane_calc.so";
inline constexpr char VersionSymbol[] = "quorvaneCalcPluginVersion";
inline constexpr char CreateSymbol[] = "quorvaneCalcCreateServer";
inline constexpr char CreateReaderSymbol[] = "quorvaneCalcCreateReader";

using VersionFunction = int (*)();
// A new server, which the caller owns, or null when the plugin cannot make one.
using CreateFunction = SpreadsheetServer* (*)(const CalcConnection& connection);
// A new reader of documents, which the caller owns, or null.
using CreateReaderFunction = SpreadsheetReader* (*)(const CalcConnection& connection);

} // namespace CalcPlugin
