#pragma once

#include "features/host/Host.h"
#include "support/ScriptedServices.h"

#include <functional>

// A host without a window, for the features' headless tests: three lists with
// the window's column headers, a pointer and a progress bar that only keep
// their values, and a yield that runs `atYield` and then the calls queued for
// the event loop. The boxes, dialogs and clipboard are the services'.
class ScriptedHost : public Host
{
public:
    explicit ScriptedHost(const Services& services);
    ~ScriptedHost();

    PointerMode MousePointer() const override { return pointer; }
    void SetMousePointer(PointerMode mode) override { pointer = mode; }
    double ProgressValue() const override { return value; }
    void SetProgressValue(double v) override;
    const QString& ProgressText() const override { return text; }
    void SetProgressText(const QString& t) override { text = t; }
    // Counts the yield, runs atYield(count) when set, then the event loop once.
    void DoEvents() override;

    ListModel codes;
    ListModel valid;
    ListModel invalid;
    PointerMode pointer = PointerMode::Default;
    double value = 0;
    QString text = QStringLiteral("Progress Bar");
    int yields = 0;
    std::function<void(int yield)> atYield;
};
