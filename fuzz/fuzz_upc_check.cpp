// The UPC-A check answers every text, agrees with a straightforward reference
// on every text that is twelve ASCII digits once hyphens and spaces are gone
// (never a type mismatch there), and gives bytes the verdict of the same text.
#include "FuzzInput.h"
#include "core/upc/UpcCheck.h"

#include <cstdlib>
#include <string>

namespace {

// -1: no twelve digits; otherwise 1 for a correct check digit, 0 for a wrong one.
int reference(const QString& code)
{
    std::string digits;
    for (QChar c : code) {
        if (c == u'-' || c == u' ')
            continue;
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return -1;
        digits += char(c.unicode());
    }
    if (digits.size() != 12)
        return -1;
    int sum = 0;
    for (int p = 0; p < 12; ++p)
        sum += (digits[size_t(p)] - '0') * (p % 2 == 0 && p < 11 ? 3 : 1);
    return sum % 10 == 0 ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Half the inputs as Latin-1 text, so digit strings are found quickly.
    const QString code =
        size > 0 && (data[0] & 1)
            ? QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1))
            : utf16Text(data, size);
    const modUPCCode::Verdict verdict = modUPCCode::CheckUPCCode(code);
    const int expected = reference(code);
    if (expected >= 0 &&
        verdict != (expected == 1 ? modUPCCode::Verdict::Valid : modUPCCode::Verdict::NotValid))
        std::abort();
    if (size > 0 && (data[0] & 1)) {
        const QLatin1StringView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
        if (modUPCCode::CheckUPCCode(bytes) != verdict)
            std::abort();
    }
    return 0;
}
