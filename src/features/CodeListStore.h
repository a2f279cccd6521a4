#pragma once

class Host;
class Procedure;

// The code list kept in the settings store from one run to the next. A stored
// list that start-up could not read whole, or that is not UTF-8, is moved
// aside, unchanged, by the close before it stores the list, so nothing the
// user had is written over.
class CodeListStore
{
public:
    // Start-up's restoring steps (142 to 152 of `p`): the stored bytes cut
    // into codes a part at a time, appended in batches. A part that cannot be
    // cut ends the restoring there, with one report.
    void restore(Host& host, Procedure& p);

    // The close's storing step: the list written as UTF-8 a piece at a time.
    // When moving aside fails nothing is written; when the text cannot be
    // written whole, the store keeps the last close's value. Throws Failure.
    void store(Host& host);

private:
    // Restoring steps that failed.
    int m_unrestoredSteps = 0;
};
