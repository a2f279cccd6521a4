// Timed driver for the store behind a list: ten million 12-character codes
// appended one by one (as a validation run fills its lists), with room
// reserved first, and all at once (as an import does); then reading every
// text, unticking all, removals from the middle and clearing. Prints each
// stage's time, the bytes held per item and the resident memory, and for
// comparison the bytes per item of one QString, QStringList and flag per item.
//
//     item_store_bench [codes]
//
// Default 10000000 codes.

#include "shell/ItemStore.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Resident memory now (VmRSS) or at its peak so far (VmHWM), in MiB.
double statusMiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::strtod(line.c_str() + std::char_traits<char>::length(field), nullptr) /
                   1024.0;
    return 0;
}

// The next code of a counting sequence, "000000000000" upwards, in place.
void next(char16_t (&code)[12])
{
    for (int i = 11; i >= 0; --i) {
        if (code[i] != u'9') {
            ++code[i];
            return;
        }
        code[i] = u'0';
    }
}

struct Timer
{
    QElapsedTimer clock;
    Timer() { clock.start(); }
    double ms() const { return double(clock.nsecsElapsed()) / 1e6; }
};

void report(const char* stage, double ms, const ItemStore& store)
{
    std::printf("%-34s %9.1f ms  %6.1f bytes/item  RSS %7.1f MiB\n", stage, ms,
                store.count() ? double(store.bytesUsed()) / double(store.count()) : 0.0,
                statusMiB("VmRSS:"));
}

// Appends `n` codes one by one.
void appendCodes(ItemStore& store, qsizetype n)
{
    char16_t code[12];
    std::fill(std::begin(code), std::end(code), u'0');
    for (qsizetype i = 0; i < n; ++i) {
        store.append(QStringView(code, 12));
        next(code);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const qsizetype n = argc > 1 ? std::strtoll(argv[1], nullptr, 10) : 10000000;
    std::printf("%lld codes of 12 characters\n", static_cast<long long>(n));

    {
        // The codes alone, so that their making can be told from the store's work.
        char16_t code[12];
        std::fill(std::begin(code), std::end(code), u'0');
        unsigned sum = 0;
        Timer t;
        for (qsizetype i = 0; i < n; ++i) {
            next(code);
            sum += code[11];
        }
        std::printf("%-34s %9.1f ms  (checksum %u)\n", "making the codes only", t.ms(), sum);
    }

    ItemStore store;
    {
        Timer t;
        appendCodes(store, n);
        report("append one by one", t.ms(), store);
    }
    {
        Timer t;
        qsizetype chars = 0;
        for (QStringView text : store.texts())
            chars += text.size() + (text.back() == u'7');
        report("iterate every text", t.ms(), store);
        Timer u;
        for (qsizetype i = 0; i < store.count(); ++i)
            chars += store.text(i).size() + store.checked(i);
        report("text(i) and checked(i) for every i", u.ms(), store);
        if (chars == 0)
            return 1;
    }
    {
        Timer t;
        store.setAllChecked(false);
        report("untick all", t.ms(), store);
        if (store.checked(n / 2))
            return 1;
    }
    {
        Timer t;
        for (int k = 0; k < 3; ++k)
            store.remove(store.count() / 2);
        report("remove from the middle (3 times)", t.ms() / 3, store);
    }
    {
        Timer t;
        store.clear();
        report("clear", t.ms(), store);
    }
    {
        Timer t;
        store.reserve(n, n * 12);
        appendCodes(store, n);
        report("reserve, then append one by one", t.ms(), store);
        store.clear();
    }
    {
        // An import: the file's text decoded in one buffer, split into pieces.
        QString all;
        all.reserve(n * 13);
        char16_t code[12];
        std::fill(std::begin(code), std::end(code), u'0');
        for (qsizetype i = 0; i < n; ++i) {
            all.append(QStringView(code, 12)).append(u'\n');
            next(code);
        }
        std::vector<QStringView> pieces;
        pieces.reserve(size_t(n));
        for (qsizetype i = 0; i < n; ++i)
            pieces.push_back(QStringView(all).mid(i * 13, 12));
        Timer t;
        store.appendMany(pieces);
        report("appendMany from views", t.ms(), store);
        if (store.count() != n || store.text(n - 1) != QStringView(all).mid((n - 1) * 13, 12))
            return 1;
        store.clear();
    }

    {
        // The same codes as one QString, QStringList and flag each, for a
        // tenth of the count.
        struct Item
        {
            QString text;
            QStringList subItems;
            bool checked = true;
        };
        const qsizetype m = n / 10;
        const double before = statusMiB("VmRSS:");
        std::vector<Item> items;
        char16_t code[12];
        std::fill(std::begin(code), std::end(code), u'0');
        Timer t;
        for (qsizetype i = 0; i < m; ++i) {
            items.push_back(Item{QStringView(code, 12).toString(), {}, true});
            next(code);
        }
        const double ms = t.ms();
        std::printf("%-34s %9.1f ms  %6.1f bytes/item (resident), %lld items\n",
                    "one QString per item, for scale", ms,
                    (statusMiB("VmRSS:") - before) * 1048576.0 / double(m),
                    static_cast<long long>(m));
    }
    std::printf("peak resident memory %.1f MiB\n", statusMiB("VmHWM:"));
    return 0;
}
