#include "features/Help.h"

#include "core/base/Maker.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Procedure.h"

void Help::showHelp(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton5_Click"));
    p.step(100, [&] {
        host.prompts().messageBox(QStringLiteral("Questions? Please contact Team Tarnwell at ") +
                                      QLatin1String(Maker::ContactPage),
                                  Main::ApplicationTitle());
    });
}
