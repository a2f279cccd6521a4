#pragma once

class Host;

namespace Help {

// "Help" (PushButton5): where to ask questions.
void showHelp(Host& host);

} // namespace Help
