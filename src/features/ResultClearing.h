#pragma once

class Host;

// "Clear Results" under the valid (PushButton2) and invalid lists (PushButton9),
// even while a save or a validation run yields to the window.
namespace ResultClearing {

void clearValidList(Host& host);
void clearInvalidList(Host& host);

} // namespace ResultClearing
