#include "features/ResultClearing.h"

#include "features/host/Host.h"
#include "features/host/Procedure.h"

namespace ResultClearing {

void clearValidList(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton2_Click"));
    p.step(100, [&] { host.validList().Clear(); });
}

void clearInvalidList(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton9_Click"));
    p.step(100, [&] { host.invalidList().Clear(); });
}

} // namespace ResultClearing
