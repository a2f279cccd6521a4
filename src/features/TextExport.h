#pragma once

#include "core/files/TextStream.h"

#include <QString>
#include <functional>

class Host;
class ListModel;
class Prompts;

namespace TextExport {

// "Save Results As Text File" under the valid list (PushButton4) and under the
// invalid list (PushButton8): the save dialog, then the list written to the
// chosen file.
void saveValidList(Host& host);
void saveInvalidList(Host& host);

} // namespace TextExport
