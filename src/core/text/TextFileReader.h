#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <functional>
#include <limits>
#include <vector>

// Reading a text file of codes: one item per line. CR LF, CR and LF each
// separate two items, so a file ending in a LF gives one more, empty item at
// its end, while one ending in CR LF or CR does not. An empty file gives no
// item; nothing is trimmed or dropped.
namespace TextFileReader {

// Takes the items one at a time.
using ItemSink = std::function<void(QString&& item)>;
// Takes the items of a piece of text together, in order; the views are valid
// only during the call.
using BatchSink = std::function<void(const std::vector<QStringView>& items)>;
// The same for the items of a piece of ASCII text, as its own bytes.
using AsciiBatchSink = std::function<void(const std::vector<QLatin1StringView>& items)>;

// Cuts characters or bytes that arrive in pieces into items by the rule above,
// those of one piece in one batch; a CR | LF split between two pieces counts
// once.
template <typename View> class BasicLineSplitter
{
public:
    using Batch = std::vector<View>;
    using Sink = std::function<void(const Batch& items)>;

    explicit BasicLineSplitter(Sink items) : m_items(std::move(items)) {}

    void feed(View text);
    // The end of the text: hands on the last item, when there is one.
    void finish();
    // Before finish(): whether the text ends in a LF alone, whose empty item
    // comes last.
    bool endsWithLF() const { return m_openedByLF && m_pending.isEmpty(); }

    // An item longer than `units` fails with Failure "line N is longer than
    // `named` characters"; the items before it have been handed on.
    void setLongest(qsizetype units, qsizetype named);
    // The items handed on before the batch being handed on.
    quint64 itemsBefore() const { return m_handed; }

    // Goes on where `other` stopped, as long as the item it holds is ASCII;
    // `other` is left empty.
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

// Reads the file and hands on its items in order. A file that starts with a
// UTF-16 byte-order mark (either order) is UTF-16; one with the UTF-8 mark is
// UTF-8 (invalid bytes become U+FFFD); otherwise a valid UTF-8 file is UTF-8,
// and any other Windows-1252. The mark is dropped. A folder, pipe or device is
// refused before anything is read, so nothing can block or run without end.
// Throws Failure with the system's description when the file cannot be opened
// or read; the items before a failing read have been handed on.
void readItems(const QString& path, const ItemSink& item);

// The bytes of a file from any source: `read` fills at most `size` bytes and
// answers how many, 0 at the end; `seek` goes back to an offset read before.
// Both throw Failure. A source without `seek` (a pipe) is read once.
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
    // Runs before a read that follows one which filled its piece, once the
    // items read so far are handed on: a window handles its events there while
    // a large file is read. What it throws ends the reading.
    std::function<void()> betweenPieces;
};

// The same for bytes from any source. Items are handed on as they are read
// while the bytes are ASCII; at the first other byte, the rest is checked for
// UTF-8 and then read again from there, so no item depends on the encoding.
//
// A source that cannot seek is never read twice: after a mark as above; else
// each line that is not ASCII is UTF-8 while every such line so far has been
// valid UTF-8, and from the first that is not on, Windows-1252. Only a source
// whose valid UTF-8 lines come before an invalid one reads unlike a file.
//
// With `ascii`, the items known to be ASCII go there as their bytes: those
// before the first other byte, and every ASCII line of a source that cannot
// seek or whose rest is valid UTF-8 without a mark; all others go to `text`,
// in order. Answers whether the text ended in a LF alone (see endsWithLF).
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
