#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <functional>
#include <limits>
#include <vector>

// Reading a text file of codes: one item per line.
//
// A line ends at CR LF or at a CR alone; a LF alone inside a line splits it
// into items as well. So CR LF, CR and LF each separate two items, and a file
// ending in a LF gives one more, empty item at its end, while one ending in
// CR LF or CR does not. An empty file gives no item; nothing is trimmed or
// dropped.
namespace TextFileReader {

// Takes the items one at a time.
using ItemSink = std::function<void(QString&& item)>;
// Takes the items of a piece of text together, in order, without a copy of
// their own: the views are valid only during the call.
using BatchSink = std::function<void(const std::vector<QStringView>& items)>;
// The same for the items of a piece of ASCII text, as its own bytes.
using AsciiBatchSink = std::function<void(const std::vector<QLatin1StringView>& items)>;

// Cuts text that arrives in pieces into items, by the line rule above: of
// characters (QStringView) or of bytes (QLatin1StringView, whose items are
// then the bytes of each line). Items are handed on as soon as their end is
// seen, those of one piece in one batch; a separator split between two pieces
// (CR | LF) counts once.
template <typename View> class BasicLineSplitter
{
public:
    using Batch = std::vector<View>;
    using Sink = std::function<void(const Batch& items)>;

    explicit BasicLineSplitter(Sink items) : m_items(std::move(items)) {}

    void feed(View text);
    // The end of the text: hands on the last item, when there is one.
    void finish();
    // Before finish(): whether the text fed ends in a LF that is not part of a
    // CR LF, so that the last item is the empty one it opens.
    bool endsWithLF() const { return m_openedByLF && m_pending.isEmpty(); }

    // An item longer than `units` fails with Failure "line N is longer than
    // `named` characters"; the items before it have been handed on.
    void setLongest(qsizetype units, qsizetype named);
    // The items handed on before the batch being handed on.
    quint64 itemsBefore() const { return m_handed; }

    // Goes on where `other` stopped (an item begun there, a CR at its end),
    // as long as what it holds of an item is ASCII; `other` is left empty.
    template <typename Other> void continueFrom(BasicLineSplitter<Other>& other);

private:
    template <typename> friend class BasicLineSplitter;
    using Text = std::conditional_t<std::is_same_v<View, QStringView>, QString, QByteArray>;

    void handOn();
    void add(View item);
    [[noreturn]] void tooLong();

    Sink m_items;
    Batch m_batch;          // the items of the piece being fed
    Text m_pending;         // the item whose end has not been seen yet
    Text m_completed;       // the pending item ended in this piece
    bool m_afterCR = false; // the last character fed was a CR
    bool m_openedByLF = false;
    quint64 m_handed = 0;
    qsizetype m_longest = std::numeric_limits<qsizetype>::max();
    qsizetype m_named = 0;
};

using LineSplitter = BasicLineSplitter<QStringView>;

// The size of the pieces read and decoded at a time.
inline constexpr qsizetype ChunkBytes = qsizetype(4) * 1024 * 1024;

// Reads the file and hands on its items in order. The encoding is taken from
// the bytes: a file that starts with a UTF-16 byte-order mark (either byte
// order) is UTF-16; one that starts with the UTF-8 mark is UTF-8 (bytes that
// are no valid text become U+FFFD); otherwise a file that is valid UTF-8 is
// read as UTF-8, and any other file as Windows-1252, which turns every byte
// into a character. A byte-order mark at the start is dropped. Only regular
// files are read: a folder, a pipe or a device is refused before anything is
// read, so nothing can block or run without end. Throws Failure with the
// system's description when the file cannot be opened or read; the items
// before a failing read have been handed on.
void readItems(const QString& path, const ItemSink& item);

// The bytes of a file from any source: `read` fills the buffer (at most the
// size asked for) and answers the number of bytes read, 0 at the end; `seek`
// goes back to an offset from the start that has been read before. Both throw
// Failure on an error. A source without `seek` (a pipe) is read once, as it
// streams (see below).
struct ByteSource
{
    std::function<qsizetype(char* buffer, qsizetype size)> read;
    std::function<void(qint64 offset)> seek;
};

// How a source is read.
struct Reading
{
    qsizetype chunkBytes = ChunkBytes;
    // A line longer than this many characters fails with Failure "line N is
    // longer than M characters" before more of it is held; 0: no bound.
    qsizetype longestLine = 0;
    // Runs before a read that follows one which filled its piece (so a source
    // shorter than one piece never comes here), once the items of the bytes
    // read so far are handed on: a window can handle its events there while
    // a large file is read. What it throws ends the reading.
    std::function<void()> betweenPieces;
};

// The same for bytes from any source, read `reading.chunkBytes` at a time.
// Items are handed on as they are read while the file holds only ASCII; from
// its first other byte on, the rest is checked for UTF-8 first and then read
// again from there, so no item handed on ever depends on the encoding.
//
// A source that cannot seek is never read twice. Its encoding is settled as
// far as it is known when each line ends: after a UTF-16 or UTF-8 mark as
// above; otherwise each line that is not ASCII is read as UTF-8 while every
// such line so far has been valid UTF-8, and the first that is not, and every
// line after it, as Windows-1252. Only a source whose valid UTF-8 lines come
// before its first invalid one reads differently from a file.
//
// The items known to be ASCII are handed on as their bytes (`ascii`), when it
// is given: those read before the first other byte, and every ASCII line of a
// source that cannot seek or whose rest is valid UTF-8 without a byte-order
// mark; all others as decoded text (`text`). Batches come in the order of
// their items. Answers whether the text ended in a LF alone, whose empty item
// came last.
bool readItems(const ByteSource& source, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading);
// A file, read as `reading` says.
bool readItems(const QString& path, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading);

// The description of the failure of a line beyond the bound.
QString lineTooLong(quint64 line, qsizetype bound);

// Windows-1252 text as characters; the five bytes it leaves undefined become
// the control characters of the same number.
QString fromWindows1252(QByteArrayView bytes);

} // namespace TextFileReader
