#pragma once

#include <QString>

// The program's modal boxes, so tests can answer them from a script.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // A plain message: OK only, no icon, the given caption.
    virtual void messageBox(const QString& text, const QString& title) = 0;
    // The error report: caption "Application Error", warning icon, OK only.
    // The text is passed exactly as built; line breaks are CR LF and lone CR.
    virtual void errorReport(const QString& text) = 0;
    // An input box with an empty entry field, OK and Cancel. Cancel yields "".
    virtual QString inputBox(const QString& prompt, const QString& title) = 0;
};
