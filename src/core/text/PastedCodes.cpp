#include "core/text/PastedCodes.h"

QStringList PastedCodes::split(QStringView text)
{
    QStringList codes;
    forEachCode(text, [&codes](QString&& code) { codes.append(std::move(code)); });
    return codes;
}
