// Times quorvane-check (beside this program) on generated codes: by default
// the realistic mix of MixedCodes.h (a tenth valid; wrong check digits, wrong
// lengths, EAN forms, letters, separators, non-ASCII), with --digits-only the
// digits-only codes of earlier figures, with --codes FILE the codes of a file:
//   - a million codes from a file: plain lists, the padded lists, the report;
//   - the same with a plain C++ loop that reads, checks and writes the two
//     lists, for comparison;
//   - a hundred million codes made on the fly and sent through a pipe (no
//     1.4 GB file), plain lists.
// Each form runs once a round, the rounds in turn (default 5), and the best
// round of each is shown, with its speed as a multiple of the loop's. Prints
// the time, the codes a second and the checker's peak memory. Every file it
// writes is in a temporary folder, removed at the end.
//   check_bench [--digits-only] [--codes FILE] [--rounds N]
//               [millions for the pipe run, default 100]
#include "MixedCodes.h"
#include "PlainLoop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

MixedCodes::Mix mix = MixedCodes::Mix::Realistic;

// Codes n from `first` on, each followed by CR LF, appended to `out`.
void makeCodes(std::string& out, quint64 first, quint64 n)
{
    for (quint64 k = first; k < first + n; ++k) {
        MixedCodes::appendCode(out, k, mix);
        out.append("\r\n");
    }
}

struct Outcome
{
    double seconds = 0;
    double cpu = 0; // the checker's own processor time, user and system
    long peakKiB = 0;
    int status = -1;
};

// Runs the program; `feed`, when given, writes its standard input.
Outcome runProgram(const std::vector<std::string>& arguments, const std::string& out,
                   int (*feed)(int, quint64) = nullptr, quint64 millions = 0)
{
    int in[2] = {-1, -1};
    if (feed && ::pipe(in) != 0)
        return {};
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (feed) {
            ::dup2(in[0], 0);
            ::close(in[0]);
            ::close(in[1]);
        }
        const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, 1);
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (feed) {
        ::close(in[0]);
        feed(in[1], millions);
        ::close(in[1]);
    }
    int status = 0;
    struct rusage usage
    {};
    ::wait4(pid, &status, 0, &usage);
    Outcome o;
    o.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    o.peakKiB = usage.ru_maxrss;
    o.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return o;
}

int feedCodes(int fd, quint64 millions)
{
    std::string block;
    for (quint64 m = 0; m < millions; ++m) {
        block.clear();
        makeCodes(block, m * 1000000, 1000000);
        const char* p = block.data();
        size_t left = block.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, p, left);
            if (n <= 0)
                return -1;
            p += n;
            left -= size_t(n);
        }
    }
    return 0;
}

// The plain loop: read the file, check each code, write the two lists.
Outcome plainLoop(const std::string& in, const std::string& valid, const std::string& invalid)
{
    const PlainLoop::Timing t = PlainLoop::run(in, valid, invalid);
    Outcome o;
    o.seconds = t.seconds;
    o.cpu = t.cpu;
    o.status = 0;
    return o;
}

// The best of the rounds, which a busy machine disturbs least.
Outcome best(const std::vector<Outcome>& rounds)
{
    Outcome b = rounds.front();
    for (const Outcome& o : rounds) {
        if (o.seconds < b.seconds)
            b = o;
    }
    return b;
}

void print(const char* what, double codes, const Outcome& o, double loopSeconds)
{
    std::printf("%-44s %8.3f s  %6.1f M codes/s  cpu %7.3f s (%5.1f M/s)  peak %7.1f MiB  exit %d"
                "  %5.2fx the loop\n",
                what, o.seconds, codes / o.seconds / 1e6, o.cpu, codes / o.cpu / 1e6,
                double(o.peakKiB) / 1024.0, o.status,
                loopSeconds > 0 ? loopSeconds / o.seconds : 0.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    quint64 millions = 100;
    int rounds = 5;
    std::string codesFile;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--digits-only")
            mix = MixedCodes::Mix::DigitsOnly;
        else if (arg == "--codes" && a + 1 < argc)
            codesFile = argv[++a];
        else if (arg == "--rounds" && a + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++a]));
        else
            millions = std::strtoull(argv[a], nullptr, 10);
    }
    const std::string checker =
        QFileInfo(QFile::symLinkTarget("/proc/self/exe")).absolutePath().toStdString() +
        "/quorvane-check";
    if (!QFileInfo(QString::fromStdString(checker)).isExecutable()) {
        std::fprintf(stderr, "no %s\n", checker.c_str());
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    QTemporaryDir dir;
    const std::string in =
        codesFile.empty() ? QDir(dir.path()).filePath("codes.txt").toStdString() : codesFile;
    const std::string v = QDir(dir.path()).filePath("valid.txt").toStdString();
    const std::string i = QDir(dir.path()).filePath("invalid.txt").toStdString();
    const std::string out = QDir(dir.path()).filePath("stdout.txt").toStdString();
    double count = 1e6;
    if (codesFile.empty()) {
        std::string codes;
        makeCodes(codes, 0, 1000000);
        QFile f(QString::fromStdString(in));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(codes.data(), qint64(codes.size()));
    } else {
        QFile f(QString::fromStdString(in));
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        count = double(f.readAll().count('\n'));
    }
    std::printf("quorvane-check, %.0f %s codes from a file (%s)\n", count,
                !codesFile.empty()                   ? "given"
                : mix == MixedCodes::Mix::DigitsOnly ? "digits-only"
                                                     : "mixed",
                checker.c_str());
    // Every form is run once a round, in turn, so that each meets the same
    // load; the best round of each is shown.
    const std::vector<std::pair<const char*, std::vector<std::string>>> forms = {
        {"--plain --valid --invalid", {checker, "--plain", "--valid", v, "--invalid", i, in}},
        {"--valid --invalid (padded, as the window)", {checker, "--valid", v, "--invalid", i, in}},
        {"report of the invalid codes on stdout", {checker, in}},
        {"--json on stdout", {checker, "--json", in}},
    };
    std::vector<Outcome> loops;
    std::vector<std::vector<Outcome>> outcomes(forms.size());
    for (int r = 0; r < rounds; ++r) {
        loops.push_back(plainLoop(in, v, i));
        for (size_t f = 0; f < forms.size(); ++f)
            outcomes[f].push_back(runProgram(forms[f].second, out));
    }
    const Outcome loop = best(loops);
    print("plain C++ loop, two lists (for comparison)", count, loop, loop.seconds);
    for (size_t f = 0; f < forms.size(); ++f)
        print(forms[f].first, count, best(outcomes[f]), loop.seconds);

    if (millions > 0) {
        std::printf("quorvane-check, %lluM codes made on the fly through a pipe\n",
                    static_cast<unsigned long long>(millions));
        char what[64];
        std::snprintf(what, sizeof what, "--plain, %lluM codes (generating included)",
                      static_cast<unsigned long long>(millions));
        print(what, double(millions) * 1e6,
              runProgram({checker, "--plain", "--valid", v, "--invalid", i}, out, feedCodes,
                         millions),
              0);
    }
    return 0;
}
