#pragma once

#include "core/list/ListModel.h"
#include "features/host/CommonDialog.h"
#include "features/host/Services.h"

// The window's pointer modes, with the numbers the window gives them. The
// hourglass is the busy pointer: the one busy marker of a long action.
enum class PointerMode
{
    Default = 0,
    Hourglass = 11,
    Custom = 99, // the hand image
};

// What a feature's procedure needs of the window: the three lists (reached
// directly, handed over once by the host), the file dialog, the pointer, the
// progress bar, the yield to the window, and the services outside it. The
// window is one host; tests use a scripted one.
class Host
{
public:
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The code list (ListView1), the valid list (ListView2) and the invalid
    // list (ListView3).
    ListModel& codeList() const { return *m_codes; }
    ListModel& validList() const { return *m_valid; }
    ListModel& invalidList() const { return *m_invalid; }

    // The window's open and save dialog; its settings stay between uses.
    CommonDialog& fileDialog() { return m_dialog; }

    const Services& services() const { return m_services; }
    Prompts& prompts() const { return *m_services.prompts; }

    virtual PointerMode MousePointer() const = 0;
    virtual void SetMousePointer(PointerMode mode) = 0;

    // Whether a long action is under way: it shows the busy pointer, and
    // single-item removal, "Clear List" and the pointer feedback wait for it.
    bool isBusy() const { return MousePointer() == PointerMode::Hourglass; }

    // The progress bar: a position from 0 to 100 (another throws Failure
    // "Invalid property value") and the text drawn on it.
    virtual double ProgressValue() const = 0;
    virtual void SetProgressValue(double value) = 0;
    virtual const QString& ProgressText() const = 0;
    virtual void SetProgressText(const QString& text) = 0;

    // Lets the window process its pending events once; other handlers may
    // run in there and change the lists.
    virtual void DoEvents() = 0;

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

    // The window's start-up and close reach the services through this too.
    Services m_services;

private:
    CommonDialog m_dialog;
    ListModel* m_codes = nullptr;
    ListModel* m_valid = nullptr;
    ListModel* m_invalid = nullptr;
};
