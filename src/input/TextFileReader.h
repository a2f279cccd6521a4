#pragma once

#include <QString>
#include <QStringView>
#include <functional>

// Reading a text file of codes: one item per line.
//
// A line ends at CR LF or at a CR alone; a LF alone inside a line splits it
// into items as well. So CR LF, CR and LF each separate two items, and a file
// ending in a LF gives one more, empty item at its end, while one ending in
// CR LF or CR does not. An empty file gives no item; nothing is trimmed or
// dropped.
namespace TextFileReader {

using ItemSink = std::function<void(QString&& item)>;

// Cuts text that arrives in pieces into items. Items are handed on as soon as
// their end is seen; a separator split between two pieces (CR | LF) counts
// once.
class LineSplitter
{
public:
    explicit LineSplitter(ItemSink item) : m_item(std::move(item)) {}

    void feed(QStringView text);
    // The end of the text: hands on the last item, when there is one.
    void finish();

private:
    ItemSink m_item;
    QString m_pending;      // the item whose end has not been seen yet
    bool m_afterCR = false; // the last character fed was a CR
    bool m_openedByLF = false;
};

// The size of the pieces read and decoded at a time.
inline constexpr qsizetype ChunkBytes = qsizetype(4) * 1024 * 1024;

// Reads the file in the system's encoding (a UTF-8 byte-order mark at its
// start is dropped; bytes that are no valid text become U+FFFD) and hands on
// its items in order. Only regular files are read: a folder, a pipe or a
// device is refused before anything is read, so nothing can block or run
// without end. Throws Failure with the system's description when the file
// cannot be opened or read; the items before a failing read have been
// handed on.
void readItems(const QString& path, const ItemSink& item);

// The same for bytes from any source: `read` fills the buffer (at most
// `chunkBytes` at a time) and answers the number of bytes read, 0 at the end;
// it throws Failure on an error.
void readItems(const std::function<qsizetype(char* buffer, qsizetype size)>& read,
               const ItemSink& item, qsizetype chunkBytes = ChunkBytes);

} // namespace TextFileReader
