#pragma once

#include <QString>

class Host;

namespace Main {

// The part of the text after its last backslash: the whole text when it holds
// none, "" when it ends in one. The validation run shows it behind
// "Processing: ".
QString FileNameFromPath(const QString& path);

} // namespace Main

namespace ValidationRun {

// "Start Validating" (PushButton17): files every code of the code list into the
// valid or the invalid list, in list order.
void startValidating(Host& host);

} // namespace ValidationRun
