#pragma once

#include <QString>
#include <QStringList>

class Host;
class ListModel;
class Prompts;

namespace TextFileImport {

// "Load UPCs From Text File" (PushButton3): the open dialog, several files at
// once; every line of each chosen file appended to the code list.
void loadCodesFromTextFiles(Host& host);

// Files dropped on the code list: each loaded in turn as the import loads a
// chosen file, with the same reports, under the busy pointer. Nothing while a
// long action shows the busy pointer.
void loadDroppedFiles(Host& host, const QStringList& paths);

} // namespace TextFileImport
