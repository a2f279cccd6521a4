#pragma once

#include "core/list/ListModel.h"
#include "features/host/CommonDialog.h"
#include "features/host/Services.h"

#include <QScopeGuard>

// The window's pointer modes and their numbers; the hourglass marks a long action.
enum class PointerMode
{
    Default = 0,
    Hourglass = 11,
    Custom = 99, // the hand image
};

// What a feature needs of the window: the three lists (reached directly), the
// file dialog, the pointer, the progress bar, the yield and the services. The
// window is one host; tests use a scripted one.
class Host
{
public:
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // ListView1, ListView2 and ListView3.
    ListModel& codeList() const { return *m_codes; }
    ListModel& validList() const { return *m_valid; }
    ListModel& invalidList() const { return *m_invalid; }

    // The open and save dialog; its settings stay between uses.
    CommonDialog& fileDialog() { return m_dialog; }

    const Services& services() const { return m_services; }
    Prompts& prompts() const { return *m_services.prompts; }

    virtual PointerMode MousePointer() const = 0;
    virtual void SetMousePointer(PointerMode mode) = 0;

    // Whether a long action shows the busy pointer.
    bool isBusy() const { return MousePointer() == PointerMode::Hourglass; }

    // The progress bar's position, 0 to 100 (another throws Failure "Invalid
    // property value"), and its text.
    virtual double ProgressValue() const = 0;
    virtual void SetProgressValue(double value) = 0;
    virtual const QString& ProgressText() const = 0;
    virtual void SetProgressText(const QString& text) = 0;

    // Lets the window process its pending events once; handlers run in there
    // may change the lists.
    virtual void DoEvents() = 0;

    // DoEvents for an action that holds every other one away: meanwhile the
    // window lets only the copies act and refuses the rest, queueing nothing.
    void DoEventsHoldingActions()
    {
        const auto restore =
            qScopeGuard([this, outer = m_holdsActions] { m_holdsActions = outer; });
        m_holdsActions = true;
        DoEvents();
    }
    bool holdsActions() const { return m_holdsActions; }

protected:
    explicit Host(const Services& services)
        : m_services(services), m_dialog(*m_services.fileDialogs)
    {}
    ~Host() = default;

    void setLists(ListModel& codes, ListModel& valid, ListModel& invalid)
    {
        m_codes = &codes;
        m_valid = &valid;
        m_invalid = &invalid;
    }

    Services m_services;

private:
    CommonDialog m_dialog;
    ListModel* m_codes = nullptr;
    ListModel* m_valid = nullptr;
    ListModel* m_invalid = nullptr;
    bool m_holdsActions = false;
};
