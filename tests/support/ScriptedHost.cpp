#include "support/ScriptedHost.h"

#include "core/base/Failure.h"

#include <QCoreApplication>
#include <cmath>

ScriptedHost::ScriptedHost(const Services& services) : Host(services)
{
    setLists(codes, valid, invalid);
    codes.AddColumnHeader(QStringLiteral("UPC Codes"));
    valid.AddColumnHeader(QStringLiteral(" Valid Codes"));
    invalid.AddColumnHeader(QStringLiteral("Invalid Codes"));
}

ScriptedHost::~ScriptedHost() = default;

void ScriptedHost::SetProgressValue(double v)
{
    // The window's bar takes 0 to 100 only.
    if (!std::isfinite(v) || v < 0 || v > 100)
        throw Failure(QStringLiteral("Invalid property value"));
    value = v;
}

void ScriptedHost::DoEvents()
{
    ++yields;
    if (atYield)
        atYield(yields);
    // Calls queued for the event loop run here too, as they would in the window.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
