#pragma once

class Host;

// "Clear Results" under the valid list (PushButton2) and under the invalid
// list (PushButton9). Clearing a result list does not wait for the busy
// pointer: a list can be cleared while a save or a validation run is yielding
// to the window.
namespace ResultClearing {

void clearValidList(Host& host);
void clearInvalidList(Host& host);

} // namespace ResultClearing
