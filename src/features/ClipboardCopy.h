#pragma once

class Host;

namespace ClipboardCopy {

// "Copy Results To Clipboard" under the valid list (PushButton10) and under
// the invalid list (PushButton11).
void copyValidList(Host& host);
void copyInvalidList(Host& host);

} // namespace ClipboardCopy
