#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

// Most invalid codes met in practice are valid codes damaged on their way
// through spreadsheets, CSV files and web pages: a leading 0 dropped when the
// code was stored as a number, a decimal part or scientific notation added,
// a spreadsheet's text mark or a CSV field's quotes left in, a no-break or
// zero-width space or full-width digits copied from a page. This names that
// damage in a code the check finds not valid, and gives back the code it most
// likely was. It never changes a verdict.
namespace Damage {

struct Finding
{
    QString names;        // the kinds of damage, short names separated by blanks
    QString reason;       // what most likely happened, one line
    std::string repaired; // the valid UPC-A it most likely was; empty when none is
};

// None when the code shows no damage known here, and for a valid code.
std::optional<Finding> Recognise(QStringView code);
// The same for a code of nothing but the digits given (and hyphens and
// blanks): only a lost leading zero can show there.
std::optional<Finding> RecogniseDigits(std::string_view digits);

} // namespace Damage
