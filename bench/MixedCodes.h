#pragma once

// The codes the speed drivers feed the window and the checker: by default a
// mix like the one users hold (warehouse exports, supplier sheets, pasted
// columns), or digits-only codes for comparison with earlier figures.
//
// The realistic mix, per hundred codes: 10 valid (one of them with hyphens,
// one with blanks), 45 with a wrong check digit, 8 of 11 digits, 8 of 13
// digits (half of them EAN-13 forms with a leading 0), 4 EAN-8 codes, 10 of
// twelve characters holding a letter, 5 with a ".", "/", "_", "," or "+"
// inside, 5 more with hyphens or blanks, 3 that read as a number but hold a
// decimal point, and 2 with a non-ASCII letter ("é").
#include <cstdint>
#include <string>
#include <string_view>

namespace MixedCodes {

enum class Mix
{
    Realistic,
    DigitsOnly, // about a tenth valid, some with hyphens or a leading blank
};

namespace Detail {

inline std::uint64_t mixBits(std::uint64_t k)
{
    std::uint64_t x = (k + 1) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return x ^ (x >> 32);
}

// `n` digits from the bits, the last made a correct GTIN check digit (weights
// 3 and 1 from the right) when `valid`.
inline std::string digits(std::uint64_t& x, int n, bool valid)
{
    std::string d(size_t(n), '0');
    int sum = 0;
    for (int p = 0; p < n - 1; ++p) {
        d[size_t(p)] = char('0' + x % 10);
        x /= 10;
        if (x < 10)
            x = mixBits(x + std::uint64_t(p));
        sum += (d[size_t(p)] - '0') * ((n - 1 - p) % 2 == 1 ? 3 : 1);
    }
    const int check = (10 - sum % 10) % 10;
    d[size_t(n - 1)] = char('0' + (valid ? check : (check + 1 + int(x % 9)) % 10));
    return d;
}

inline std::string hyphenated(const std::string& d)
{
    return d.substr(0, 1) + '-' + d.substr(1, 5) + '-' + d.substr(6, 5) + '-' + d.substr(11);
}

} // namespace Detail

// Appends code `k` of the mix (without a line end) to `out`.
inline void appendCode(std::string& out, std::uint64_t k, Mix mix = Mix::Realistic)
{
    using namespace Detail;
    std::uint64_t x = mixBits(k);
    const unsigned kind = unsigned(k % 100);
    if (mix == Mix::DigitsOnly) {
        const std::string d = digits(x, 12, k % 10 == 0);
        out += k % 20 == 7 ? hyphenated(d) : k % 20 == 13 ? ' ' + d : d;
        return;
    }
    static constexpr std::string_view Separators = "./_,+";
    if (kind < 8) {
        out += digits(x, 12, true);
    } else if (kind < 9) {
        out += hyphenated(digits(x, 12, true));
    } else if (kind < 10) {
        const std::string d = digits(x, 12, true);
        out += d.substr(0, 6) + ' ' + d.substr(6);
    } else if (kind < 55) {
        out += digits(x, 12, false);
    } else if (kind < 63) {
        out += digits(x, 11, x % 2 == 0);
    } else if (kind < 67) {
        out += '0' + digits(x, 12, true); // the EAN-13 form of a UPC-A
    } else if (kind < 71) {
        out += digits(x, 13, x % 2 == 0);
    } else if (kind < 75) {
        out += digits(x, 8, x % 2 == 0);
    } else if (kind < 85) {
        std::string d = digits(x, 12, true);
        d[size_t(x % 12)] = char('A' + x % 26);
        out += d;
    } else if (kind < 90) {
        const std::string d = digits(x, 12, x % 3 == 0);
        out += d.substr(0, 6) + Separators[size_t(x % Separators.size())] + d.substr(6);
    } else if (kind < 95) {
        const std::string d = digits(x, 12, false);
        out += x % 2 == 0 ? hyphenated(d) : ' ' + d.substr(0, 4) + ' ' + d.substr(4) + ' ';
    } else if (kind < 98) {
        const std::string d = digits(x, 11, false);
        out += d.substr(0, 10) + '.' + d.substr(10); // reads as a number
    } else {
        out += digits(x, 11, false) + "\xC3\xA9";
    }
}

} // namespace MixedCodes
