#pragma once

#include "core/text/TypedCodes.h"

#include <QString>
#include <QStringView>

// Codes pasted or dropped as text: a line per row (as a column copied from a
// spreadsheet comes), several codes on a line separated by commas or TABs (as
// the cells of a row copied from a spreadsheet come).
namespace PastedCodes {

// Calls take(code) for each code of the text, in order. Lines end at CR LF,
// CR or LF; each line is split at commas and TABs and every piece trimmed of
// blanks as typed codes are; pieces left empty are skipped.
template <typename Take> void forEachCode(QStringView text, Take&& take)
{
    const qsizetype size = text.size();
    qsizetype from = 0; // the start of the current piece
    for (qsizetype i = 0; i <= size; ++i) {
        const char16_t c = i < size ? text[i].unicode() : u'\n';
        if (c != u',' && c != u'\t' && c != u'\r' && c != u'\n')
            continue;
        const QStringView code = TypedCodes::trimBlanks(text.sliced(from, i - from));
        if (!code.isEmpty())
            take(code.toString());
        from = i + 1;
    }
}

} // namespace PastedCodes
