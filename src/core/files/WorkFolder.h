#pragma once

#include "core/files/FileHandle.h"

#include <QString>
#include <QTemporaryDir>

// A private temporary folder, "<temporary folder>/<application name>-XXXXXX",
// held locked (flock) while it lives: the system lets go of the lock when its
// process ends, however it ends (killed, or gone at once from a close in the
// middle of an action), which leaves the folder behind.
class WorkFolder : public QTemporaryDir
{
public:
    WorkFolder();

    // Removes this program's folders left behind in the temporary folder: a
    // folder of that name owned by the user, that no process holds locked and
    // that has not changed for ten seconds (so that one just made, not locked
    // yet, stays). Folders of other users, links and files are left alone.
    static void removeAbandoned();

private:
    FileHandle m_lock{-1};
};
