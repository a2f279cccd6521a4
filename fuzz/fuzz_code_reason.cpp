// The reason of a code always carries CheckUPCCode's verdict: valid exactly
// when CheckUPCCode says Valid, a type mismatch exactly when it says so, and
// a reason of one line for every code that is not valid. The check of the
// same code as Latin-1 bytes gives the same verdict. Damage is named only in
// a code that is not valid, and the code it is said to have been is valid.
#include "FuzzInput.h"
#include "core/upc/CodeReason.h"
#include "core/upc/UpcCheck.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Half the inputs as Latin-1 text, so digit strings are found quickly.
    const bool bytes = size > 0 && (data[0] & 1);
    const QString code =
        bytes ? QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1))
              : utf16Text(data, size);

    const modUPCCode::Verdict verdict = modUPCCode::CheckUPCCode(code);
    const bool valid = verdict == modUPCCode::Verdict::Valid;
    const bool mismatch = verdict == modUPCCode::Verdict::TypeMismatch;
    const CodeReason::Explanation why = CodeReason::Explain(code);
    if (why.valid() != valid)
        std::abort();
    if ((why.fault == CodeReason::Fault::TypeMismatch) != mismatch)
        std::abort();
    if (!why.valid() &&
        (why.reason.isEmpty() || why.reason.contains(u'\n') || why.reason.contains(u'\r')))
        std::abort();
    for (const QString& mended : {why.corrected, why.repaired})
        if (!mended.isEmpty() && modUPCCode::CheckUPCCode(mended) != modUPCCode::Verdict::Valid)
            std::abort();
    if (!why.damage.isEmpty() && valid)
        std::abort();

    if (bytes) {
        bool ascii = true;
        for (size_t i = 1; i < size; ++i)
            ascii = ascii && data[i] < 0x80;
        if (ascii) {
            const QLatin1StringView latin1(reinterpret_cast<const char*>(data + 1),
                                           qsizetype(size - 1));
            if (modUPCCode::CheckUPCCode(latin1) != verdict)
                std::abort();
        }
    }
    return 0;
}
