#pragma once

#include "core/list/ItemStore.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// A text looked for among a list's items. Typed digits (hyphens and blanks
// among them left out) are found among an item's characters with its hyphens
// and blanks left out, so "036000 29145" finds "0-36000-29145-2"; any other
// text is found as it is, in any letter case. Items count from 0.
class ItemSearch
{
public:
    explicit ItemSearch(QStringView typed);

    bool isEmpty() const { return m_text.isEmpty(); }
    bool matches(HeldText text) const;

    // The first item of [first, last) that holds the text (the last one when
    // `backward`), or -1.
    qsizetype findIn(const ItemStore& items, qsizetype first, qsizetype last, bool backward) const;
    qsizetype countIn(const ItemStore& items, qsizetype first, qsizetype last) const;

    // The nearest item from `from` on (from `from` back, when `backward`),
    // round the list, that holds the text, or -1. `goOn` is called between
    // slices of items, and may let the window run (the items may change
    // there); when it answers false, the search ends with -1.
    qsizetype findFrom(const ItemStore& items, qsizetype from, bool backward,
                       const std::function<bool()>& goOn) const;

    struct Tally
    {
        qsizetype total = 0;
        qsizetype before = 0; // of them before the item asked about
    };
    // Every item that holds the text, in slices as findFrom; nullopt when
    // `goOn` ends it.
    std::optional<Tally> count(const ItemStore& items, qsizetype item,
                               const std::function<bool()>& goOn) const;

private:
    template <typename View> bool holds(View text) const;

    QString m_text;      // as typed, or its digits alone
    QByteArray m_digits; // the same digits, when the text is digits
};
