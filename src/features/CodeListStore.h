#pragma once

class Host;
class Procedure;

// The code list kept from one run to the next in the settings store: restored
// at start-up, stored at the close. A stored list that start-up could not
// read whole is remembered, and the close moves it aside, unchanged, before
// it stores the list, so that nothing the user had is written over.
class CodeListStore
{
public:
    // Start-up's restoring steps (142 to 152 of `p`): the stored text is cut
    // into codes straight from its bytes, a part at a time, and the codes go
    // into the code list in batches. A part that cannot be cut ends the
    // restoring there, with one report.
    void restore(Host& host, Procedure& p);

    // The close's storing step: the code list goes to the store a piece at a
    // time as UTF-8, without the whole text being built. A stored list that
    // could not be restored is moved aside first; when that fails, nothing is
    // written. When the text cannot be written whole, the store keeps the
    // value of the last close. Throws Failure.
    void store(Host& host);

private:
    // Restoring steps that failed: the stored file was not restored whole.
    int m_unrestoredSteps = 0;
};
