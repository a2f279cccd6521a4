#pragma once

class Host;

namespace TextExport {

// "Save Results As Text File" under the valid (PushButton4) and invalid lists
// (PushButton8): the save dialog, then the list written to the chosen file.
void saveValidList(Host& host);
void saveInvalidList(Host& host);

} // namespace TextExport
