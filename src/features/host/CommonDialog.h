#pragma once

#include "features/host/Platform.h"

// The window's file dialog: the settings an action gives it, and its answer.
class CommonDialog
{
public:
    explicit CommonDialog(FileDialogs& dialogs) : m_dialogs(dialogs) {}

    QString FileName;
    qint32 Flags = 0;
    QString DialogTitle;
    QString Filter;

    // Each shows the dialog and leaves the answer in FileName ("" on cancel).
    void ShowOpen() { FileName = m_dialogs.showOpen(request()); }
    void ShowSave() { FileName = m_dialogs.showSave(request()); }

private:
    FileDialogRequest request() const { return {FileName, Flags, DialogTitle, Filter}; }

    FileDialogs& m_dialogs;
};
