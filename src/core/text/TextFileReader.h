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

private:
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

// The splitter of characters, which can also hand its items on one at a time.
class LineSplitter : public BasicLineSplitter<QStringView>
{
public:
    explicit LineSplitter(BatchSink items) : BasicLineSplitter(std::move(items)) {}
    explicit LineSplitter(const ItemSink& item);
};

// The size of the pieces read and decoded at a time.
inline constexpr qsizetype ChunkBytes = qsizetype(4) * 1024 * 1024;

// The bytes of a file from any source: `read` fills the buffer (at most the
// size asked for) and answers the number of bytes read, 0 at the end; `seek`
// goes back to an offset from the start that has been read before. Both throw
// Failure on an error. A source without `seek` (a pipe) is read once.
struct ByteSource
{
    std::function<qsizetype(char* buffer, qsizetype size)> read;
    std::function<void(qint64 offset)> seek;

    // The bytes of the open descriptor `fd` from where it stands; only a
    // regular file can seek. `beforeRead` runs before each read, again when a
    // signal cuts one short, and may throw to end the reading.
    static ByteSource ofDescriptor(int fd, std::function<void()> beforeRead = {});
};

// How a source is read.
struct Reading
{
    qsizetype chunkBytes = ChunkBytes;
    // A line longer than this many characters fails with Failure "line N is
    // longer than M characters"; 0: no bound.
    qsizetype longestLine = 0;
    // Runs before a read that follows one which filled its piece (so a source
    // shorter than one piece never comes here), once the items of the bytes
    // read so far are handed on: a window can handle its events there while
    // a large file is read. What it throws ends the reading.
    std::function<void()> betweenPieces;
};

// Reads the source and hands on its items in order. The encoding is taken
// from the bytes. A text that starts with a UTF-16 byte-order mark (either
// byte order) is UTF-16; one that starts with the UTF-8 mark is UTF-8 (bytes
// that are no valid text become U+FFFD); the mark is dropped, and such a text
// is decoded as a whole and then cut into lines. Any other text is cut into
// lines as bytes, each line then decoded. An ASCII line reads alike in every
// encoding. From a source that can seek, the first byte that is not ASCII
// settles the rest: valid UTF-8 is read as UTF-8, anything else as
// Windows-1252, which turns every byte into a character. A source that cannot
// seek is never read twice: each line that is not ASCII is read as UTF-8
// while every such line so far has been valid UTF-8, and the first that is
// not, and every line after it, as Windows-1252.
//
// With `ascii`, the ASCII lines of a text without a mark, unless it has been
// settled as Windows-1252, are handed on there as their bytes; all others go
// to `text`. Batches come in the order of their items. Throws Failure with
// the system's description when the source cannot be read; the items before
// have been handed on. Answers whether the text ended in a LF alone, whose
// empty item came last.
bool readItems(const ByteSource& source, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading);
void readItems(const ByteSource& source, const ItemSink& item, qsizetype chunkBytes = ChunkBytes);
// A file, the same way. Only regular files are read: a folder, a pipe or a
// device is refused before anything is read, so nothing can block or run
// without end.
bool readItems(const QString& path, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading);
void readItems(const QString& path, const ItemSink& item);

// The description of the failure of a line beyond the bound.
QString lineTooLong(quint64 line, qsizetype bound);

// Windows-1252 text as characters; the five bytes it leaves undefined become
// the control characters of the same number.
QString fromWindows1252(QByteArrayView bytes);

} // namespace TextFileReader
