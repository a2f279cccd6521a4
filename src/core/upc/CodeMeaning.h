#pragma once

#include <QString>
#include <QStringView>

// What the digits of a valid code say about the item: for a UPC-A its
// number system, for another GTIN the GS1 prefix (the member organisation
// that issued its company prefix, or a range GS1 keeps for a use of its
// own). From GS1's published tables; the prefix tells who issued the number,
// not where the item was made.
namespace CodeMeaning {

// One line for a valid code as written (its hyphens and blanks left out):
// "Number system 0: a regular item" for a UPC-A; "GS1 prefix 400: GS1 Germany" for an EAN-13 or a
// GTIN-14 (from the digits after its indicator), and for an EAN-8 its own ranges. Empty when the
// digits are none of these or GS1 publishes nothing for the prefix.
QString Of(QStringView code);

} // namespace CodeMeaning
