#pragma once

#include <QString>

namespace Main {

// The part of the text after its last backslash: the whole text when it holds
// none, "" when it ends in one. The validation run shows it behind
// "Processing: ".
QString FileNameFromPath(const QString& path);

} // namespace Main
