#pragma once

#include "cli/Bytes.h"
#include "cli/GtinCheck.h"
#include "core/list/ItemText.h"

#include <QLatin1StringView>
#include <QLocale>
#include <QStringView>
#include <exception>
#include <utility>
#include <vector>

namespace Checker {

// What a block's codes are rendered into, as the options ask.
struct Rules
{
    bool report = false;  // the report of the invalid codes
    bool json = false;    // the JSON records
    bool valid = false;   // the valid list is written
    bool invalid = false; // the invalid list is written
    bool plain = false;   // the lists one code per line (else held for the table)
    bool gtin = false;    // checked as any GTIN
    QLocale locale;       // the user's, taken once for the run
    GtinCheck::Form form = GtinCheck::Form::AsGiven; // of the valid list
};

// Codes held for a padded list or a spreadsheet file: an ASCII code as its
// bytes, any other in UTF-16.
struct HeldCodes
{
    std::vector<char> bytes;
    std::vector<char16_t> chars;
    // Where each code starts, in `chars` when Wide is set, else in `bytes`,
    // and its length.
    std::vector<std::pair<quint32, quint32>> codes;
    static constexpr quint32 Wide = 0x80000000u;
    qsizetype longest = 0; // the length of the longest code

    void add(QStringView code);
    void add(QLatin1StringView code);
    size_t size() const { return codes.size(); }
    ItemText operator[](size_t k) const
    {
        const auto [at, size] = codes[k];
        if ((at & Wide) != 0)
            return QStringView(chars.data() + (at & ~Wide), qsizetype(size));
        return QLatin1StringView(bytes.data() + at, qsizetype(size));
    }
    void clear()
    {
        bytes.clear();
        chars.clear();
        codes.clear();
        longest = 0;
    }
};

// A run of consecutive codes of the input, copied out of the reader, and
// what checking them renders: the unit a worker thread checks while the
// reader goes on, and the writer writes in input order.
class Block
{
public:
    // The codes, each as the reader gave it: ASCII bytes or UTF-16 text.
    void add(QLatin1StringView code);
    void add(QStringView code);
    // Codes that follow one another in the reader's memory, copied in one go.
    void addRun(const QLatin1StringView* codes, size_t count);
    void addRun(const QStringView* codes, size_t count);
    bool isEmpty() const { return m_items.empty(); }
    // The bytes the codes take, about.
    size_t weight() const { return m_bytes.size() + 2 * m_chars.size() + 16 * m_items.size(); }
    static size_t weightOf(QLatin1StringView code) { return size_t(code.size()) + 16; }
    static size_t weightOf(QStringView code) { return 2 * size_t(code.size()) + 16; }

    // The number of codes before this block in the run.
    quint64 first = 0;

    // What check() renders.
    Bytes out;                        // the report or the JSON records
    Bytes validList, invalidList;     // the plain lists
    HeldCodes heldValid, heldInvalid; // the padded lists' codes
    quint64 checked = 0;              // the codes checked
    quint64 valid = 0;                // the valid codes among them
    std::exception_ptr failure;       // what ended the check, if anything

    // Empties the block for another use, keeping its memory.
    void clear();

    // Checks every code and renders it as `rules` say ("check these lines").
    void check(const Rules& rules);
    // Checks a code that is not held, the `index`th of the run, and renders it.
    template <typename View> void checkNow(const Rules& rules, quint64 index, View code)
    {
        file(rules, index, code);
    }

private:
    struct Item
    {
        quint32 at;
        quint32 size;
        bool wide;
    };
    template <typename View, typename Char>
    void addRun(const View* codes, size_t count, std::vector<Char>& to, bool wide);
    template <typename View> void file(const Rules& rules, quint64 index, View code);
    void reported(const Rules& rules, quint64 index, QLatin1StringView code);
    void reported(const Rules& rules, quint64 index, QStringView code);
    void gtin(const Rules& rules, quint64 index, QStringView code);
    void listValid(const Rules& rules, QLatin1StringView code);
    void listValid(const Rules& rules, QStringView code);
    void listInvalid(const Rules& rules, QLatin1StringView code);
    void listInvalid(const Rules& rules, QStringView code);

    std::vector<char> m_bytes;
    std::vector<char16_t> m_chars;
    std::vector<Item> m_items;
    QString m_text; // reused for a code of bytes the full rules decide
};

} // namespace Checker
