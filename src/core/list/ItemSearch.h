#pragma once

#include "core/list/ItemStore.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// A text looked for among a list's items (numbered from 0). Typed digits
// (hyphens and blanks among them left out) are found among an item's
// characters with its hyphens and blanks left out: "036000 29145" finds
// "0-36000-29145-2". Any other text is found as it is, in any letter case.
//
// The scans call `goOn` after every few thousand items; it may let the window
// run, where the items may change. When it answers false, the scan ends.
class ItemSearch
{
public:
    explicit ItemSearch(QStringView typed);

    bool isEmpty() const { return m_text.isEmpty(); }
    bool matches(HeldText text) const;

    // The nearest item from `from` on (back from it, when `backward`), round
    // the list, that holds the text; -1 when none does or `goOn` ends it.
    qsizetype findFrom(const ItemStore& items, qsizetype from, bool backward,
                       const std::function<bool()>& goOn) const;

    struct Tally
    {
        qsizetype total = 0;
        qsizetype before = 0; // of them before `item`
    };
    std::optional<Tally> count(const ItemStore& items, qsizetype item,
                               const std::function<bool()>& goOn) const;

private:
    bool matchesAt(const ItemStore& items, qsizetype i) const
    {
        return items.text(i).visit([this](auto view) { return holds(view); });
    }
    template <typename View> bool holds(View text) const;

    QString m_text;      // as typed, or its digits alone
    QByteArray m_digits; // the same digits, when the text is digits
};
