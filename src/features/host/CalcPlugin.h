#pragma once

#include "features/host/Spreadsheet.h"
#include "features/host/SpreadsheetReader.h"

#include <QString>

// How the LibreOffice plugin reaches the office.
struct CalcConnection
{
    // The pipe the office accepts connections on; "" names one of this process.
    QString pipe;
    // When nobody answers: start soffice (which may hand the request to the
    // user's running office); otherwise wait for one started with --accept.
    bool launch = true;
    int timeoutMilliseconds = 45000;
};

// The LibreOffice Calc plugin, loaded only when a spreadsheet is asked for, so
// the program runs without LibreOffice.
namespace CalcPlugin {

inline constexpr int Version = 3;
inline constexpr char FileName[] = "quorvane_calc.so";
inline constexpr char VersionSymbol[] = "quorvaneCalcPluginVersion";
inline constexpr char CreateSymbol[] = "quorvaneCalcCreateServer";
inline constexpr char CreateReaderSymbol[] = "quorvaneCalcCreateReader";

using VersionFunction = int (*)();
// A new server, which the caller owns, or null when the plugin cannot make one.
using CreateFunction = SpreadsheetServer* (*)(const CalcConnection& connection);
// Likewise a new reader of documents.
using CreateReaderFunction = SpreadsheetReader* (*)(const CalcConnection& connection);

} // namespace CalcPlugin
