// Timed driver: the find bar of a list of ten million codes (the realistic mix
// of MixedCodes.h), in the real window offscreen. For a code near the top, in
// the middle and at the end of the list, and for one the list does not hold,
// it sets the bar's text and prints, as medians of the rounds, the time until
// the first match is selected (or "No match" shows), the time until the
// matches are counted, and the longest time the window was held up between
// two handled events. The CPU time beside the first match is the process's
// own, which a busy machine does not stretch.
//
//     find_bench [--codes N] [--rounds R]

#include "MixedCodes.h"
#include "gui/FindBar.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "support/GapProbe.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    long codes = 10'000'000;
    int rounds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--codes")
            codes = std::stol(argv[i + 1]);
        else if (std::string(argv[i]) == "--rounds")
            rounds = std::stoi(argv[i + 1]);
    }
    ScriptedServices script;
    auto form = script.loadForm();
    form->show();
    ListView& list = *form->ListView1;
    std::string code;
    for (long k = 0; k < codes; ++k) {
        code.clear();
        MixedCodes::appendCode(code, std::uint64_t(k));
        list.model().AppendItem(QLatin1StringView(code.data(), qsizetype(code.size())));
    }
    list.Refresh();
    FindBar& bar = FindBar::openFor(list, *form);
    // A code of digits (hyphens and blanks among them) at or after item `at`.
    auto codeFrom = [&list](qsizetype at) {
        for (;; ++at) {
            QString text = list.model().ItemText(at);
            if (!text.isEmpty() && std::ranges::all_of(text, [](QChar c) {
                    return c.isDigit() || c == u'-' || c == u' ';
                }))
                return text;
        }
    };
    const std::pair<const char*, QString> cases[] = {
        {"near the top", codeFrom(codes / 100)},
        {"in the middle", codeFrom(codes / 2)},
        {"at the end", codeFrom(codes - 20)},
        {"not held", QStringLiteral("9999-99999-9999")},
    };
    std::printf("find_bench: %ld codes, %d rounds, medians\n", codes, rounds);
    for (const auto& [name, text] : cases) {
        std::vector<double> first, cpu, all, gaps;
        for (int r = 0; r < rounds; ++r) {
            list.selectionModel()->clear();
            bar.entry()->clear();
            QElapsedTimer clock;
            double shown = -1;
            double shownCpu = -1;
            std::clock_t cpuStart = 0;
            const auto cpuMs = [&] {
                return double(std::clock() - cpuStart) * 1e3 / CLOCKS_PER_SEC;
            };
            const auto seen =
                QObject::connect(list.selectionModel(), &QItemSelectionModel::currentChanged, [&] {
                    shown = double(clock.nsecsElapsed()) / 1e6;
                    shownCpu = cpuMs();
                });
            GapProbe probe;
            cpuStart = std::clock();
            clock.start();
            bar.entry()->setText(text);
            const double done = double(clock.nsecsElapsed()) / 1e6;
            QObject::disconnect(seen);
            first.push_back(shown < 0 ? done : shown);
            cpu.push_back(shown < 0 ? cpuMs() : shownCpu);
            all.push_back(done);
            gaps.push_back(probe.largestMs());
        }
        std::printf("%-14s %-16s first match %7.1f ms (CPU %6.1f ms)  counted %7.1f ms  longest "
                    "hold-up %5.1f ms  (%s)\n",
                    name, qPrintable(text), median(first), median(cpu), median(all), median(gaps),
                    qPrintable(bar.status()));
    }
    return 0;
}
