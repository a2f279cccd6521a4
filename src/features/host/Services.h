#pragma once

#include <QString>
#include <functional>

class Clipboard;
class ColumnChooser;
class FileDialogs;
class Prompts;
class RandomSource;
class SettingsStore;
class SkinFactory;
class SpreadsheetReader;
class SpreadsheetServer;
class UrlOpener;

// Everything the window reaches outside itself; tests pass scripted pieces.
struct Services
{
    Prompts* prompts = nullptr;
    FileDialogs* fileDialogs = nullptr;
    Clipboard* clipboard = nullptr;
    UrlOpener* urlOpener = nullptr;
    RandomSource* random = nullptr;
    const SettingsStore* settings = nullptr;
    SpreadsheetServer* spreadsheet = nullptr;
    SkinFactory* skin = nullptr;
    ColumnChooser* columnChooser = nullptr;
    // None: spreadsheet documents cannot be read.
    SpreadsheetReader* spreadsheetReader = nullptr;

    // The program file's folder, which holds the hand cursor and the skin.
    QString programFolder;
    // Seconds since midnight, the seed of the occasional home-page visit.
    std::function<double()> secondsSinceMidnight;
    // Ends the program once the window has closed; `insideAction` when a long
    // action was yielding then.
    std::function<void(bool insideAction)> endProgram;
};
