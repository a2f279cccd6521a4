#pragma once

// The job of the program done by a plain C++ loop, for the benchmarks to
// compare with: read a file of codes, one a line, check each as a UPC-A code
// (hyphens and blanks left out) and write the valid and the invalid codes to
// two files, one a line.

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace PlainLoop {

struct Timing
{
    double seconds = 0;
    double cpu = 0;
};

inline Timing run(const std::string& in, const std::string& valid, const std::string& invalid)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    FILE* f = std::fopen(in.c_str(), "rb");
    FILE* v = std::fopen(valid.c_str(), "wb");
    FILE* i = std::fopen(invalid.c_str(), "wb");
    std::vector<char> bytes(1 << 20);
    std::string line;
    std::string vs, is;
    auto check = [&](const std::string& code) {
        int digits = 0, sum = 0;
        bool ok = true;
        for (char c : code) {
            if (c == '-' || c == ' ')
                continue;
            if (c < '0' || c > '9') {
                ok = false;
                break;
            }
            if (digits < 12)
                sum += (c - '0') * (digits % 2 == 0 && digits < 11 ? 3 : 1);
            ++digits;
        }
        std::string& out = ok && digits == 12 && sum % 10 == 0 ? vs : is;
        out.append(code).push_back('\n');
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), &out == &vs ? v : i);
            out.clear();
        }
    };
    size_t n;
    while ((n = std::fread(bytes.data(), 1, bytes.size(), f)) > 0) {
        for (size_t k = 0; k < n; ++k) {
            const char c = bytes[k];
            if (c == '\n') {
                check(line);
                line.clear();
            } else if (c != '\r') {
                line.push_back(c);
            }
        }
    }
    std::fwrite(vs.data(), 1, vs.size(), v);
    std::fwrite(is.data(), 1, is.size(), i);
    std::fclose(f);
    std::fclose(v);
    std::fclose(i);
    return {std::chrono::duration<double>(Clock::now() - start).count(),
            double(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

} // namespace PlainLoop
