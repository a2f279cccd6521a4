#pragma once

#include "core/list/ListModel.h"
#include "features/host/CommonDialog.h"
#include "features/host/Services.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <array>

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

    // The spreadsheet-file dialogs, apart from that one: the code list's
    // (loading) and each result list's (saving), each keeping its own last
    // file. One without a file yet opens in the folder of another's.
    CommonDialog& spreadsheetFileDialog(const ListModel& list)
    {
        CommonDialog& dialog = m_spreadsheetDialogs[&list == m_codes   ? 0
                                                    : &list == m_valid ? 1
                                                                       : 2];
        for (const CommonDialog& other : m_spreadsheetDialogs)
            if (dialog.FileName.isEmpty() && !other.FileName.isEmpty())
                dialog.FileName = QFileInfo(other.FileName).absolutePath() + QChar(0);
        return dialog;
    }

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
        : m_services(services),
          m_dialog(*m_services.fileDialogs), m_spreadsheetDialogs{m_dialog, m_dialog, m_dialog}
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
    std::array<CommonDialog, 3> m_spreadsheetDialogs;
    ListModel* m_codes = nullptr;
    ListModel* m_valid = nullptr;
    ListModel* m_invalid = nullptr;
    bool m_holdsActions = false;
};
