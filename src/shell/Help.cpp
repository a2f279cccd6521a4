#include "shell/Help.h"

#include "shell/Host.h"
#include "shell/Main.h"
#include "shell/Maker.h"
#include "shell/Procedure.h"

void Help::showHelp(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton5_Click"));
    p.step(100, [&] {
        host.prompts().messageBox(QStringLiteral("Questions? Please contact Team Tarnwell at ") +
                                      QLatin1String(Maker::ContactPage),
                                  Main::ApplicationTitle());
    });
}
