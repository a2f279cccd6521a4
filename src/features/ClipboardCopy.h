#pragma once

class Host;

namespace ClipboardCopy {

// "Copy Results To Clipboard" under the valid (PushButton10) and invalid lists (PushButton11).
void copyValidList(Host& host);
void copyInvalidList(Host& host);

} // namespace ClipboardCopy
