#pragma once

#include <QWidget>

class Host;
class ListView;
class QLabel;
class QLineEdit;

// The find bar of a list: a small tool window over the list's bottom edge.
// Typing finds the nearest item from the selected one on that holds the text
// (see ItemSearch); F3 and Enter the next, Shift+F3 the previous, Escape
// closes. The match is selected and scrolled to, and the matches counted:
// both in slices, between which the window runs (the paced yield), so that a
// list of millions never holds the window up.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    // Opens the list's bar (made at the first call) with its text selected.
    static FindBar& openFor(ListView& list, Host& host);

    QLineEdit* entry() const { return m_entry; }
    // "3 of 1,204 matches", "No match", or how far the search is.
    QString status() const;
    void findNext(bool backward);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    FindBar(ListView& list, Host& host);
    // Finds from item `from` (from 0, round the list), selects the match and
    // counts the matches, or only steps the count on when it is known.
    void find(qsizetype from, bool backward, bool recount);
    void showCount();

    ListView& m_list;
    Host& m_host;
    QLineEdit* m_entry;
    QLabel* m_status;
    int m_run = 0;          // the search under way; a newer one ends it
    qsizetype m_total = -1; // matches; -1 when not known
    qsizetype m_ordinal = 0;
    qsizetype m_current = -1; // the item last selected as a match
    int m_changes = 0;        // of the list, which the count no longer fits
};
