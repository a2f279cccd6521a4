#pragma once

#include "core/list/HeldText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <vector>

// The code list as one stored text: the items in order, with the separator
// between each two neighbours and nowhere else. An empty list is "". The store
// keeps the text in UTF-8.
namespace StoredCodeList {

inline constexpr QStringView Separator = u"||MySeparator23||";

// Takes bytes of the stored text, in order, a piece at a time.
using ByteSink = std::function<void(QByteArrayView bytes)>;

// Hands the UTF-8 bytes of the stored text of the items on to `write` a piece
// at a time: exactly the stored text's toUtf8(), without building the text.
class Utf8Join
{
public:
    explicit Utf8Join(const ByteSink& write, qsizetype bufferBytes = qsizetype(1) << 20);

    void add(HeldText item);
    // Hands on the bytes still held.
    void finish();

private:
    const ByteSink& m_write;
    QByteArray m_buffer;
    qsizetype m_used = 0;
    bool m_first = true;
};

// The same for a whole range of items (QStringList, ItemStore::texts(), ...).
template <typename Texts> void writeUtf8(const Texts& items, const ByteSink& write)
{
    Utf8Join join(write);
    for (const auto& item : items)
        join.add(HeldText(item));
    join.finish();
}

// Cuts the stored text, given as its UTF-8 bytes, into the non-empty pieces
// between separators of fromUtf8(bytes), without decoding the whole text. An
// ASCII piece is handed on as the stored bytes themselves (Latin-1). The bytes
// must stay while the split is used.
//
//     Utf8Split cut(bytes);
//     while (cut.next()) use(cut.pieces());
class Utf8Split
{
public:
    explicit Utf8Split(QByteArrayView bytes);

    // Starts over on a window of the text, as a new split would, keeping the
    // pieces' memory. The piece after the last separator of a window that
    // does not end the text is left uncut: it begins the next.
    void restart(QByteArrayView bytes, bool startsText, bool endsText);

    // Cuts the pieces: each one a separator ends and, when the bytes end the
    // text, the one after the last separator; false when that was done before.
    bool next();
    // The pieces the last call cut: valid until the next call.
    const std::vector<HeldText>& pieces() const { return m_pieces; }

    // At most how many pieces a text of `bytes` bytes holds: a piece and its
    // separator take at least a separator's bytes and one more.
    static qsizetype mostPiecesIn(qsizetype bytes) { return bytes / (Separator.size() + 1) + 1; }

    // Where the piece left uncut starts, once next() has answered false.
    qsizetype rest() const { return m_piece; }
    // Whether a piece cut so far held bytes that are no UTF-8, such as a
    // character cut short at the end.
    bool malformed() const { return m_decoder.hasError(); }

private:
    void hand(qsizetype begin, qsizetype end, bool followed);

    QByteArrayView m_bytes;
    bool m_endsText = true;
    qsizetype m_piece = 0; // where the piece not yet cut starts
    bool m_done = false;
    QStringDecoder m_decoder;
    std::vector<HeldText> m_pieces;
    QString m_decoded; // the pieces that are not ASCII
    qsizetype m_decodedUsed = 0;
};

// The stored text read a window at a time, each cut by a Utf8Split into the
// same pieces as of the whole text, with a buffer of about a window (a piece
// longer than half a window makes it grow).
//
//     Utf8Windows text(read);
//     while (text.readWindow())
//         while (text.split().next()) use(text.split().pieces());
class Utf8Windows
{
public:
    // Reads up to `room` bytes into `to`; 0 at the end.
    using Read = std::function<qsizetype(char* to, qsizetype room)>;

    explicit Utf8Windows(Read read, qsizetype windowBytes = qsizetype(1) << 20);

    // Reads the next window, after the pieces of the last one, and starts its
    // split; false when the text has ended before. What `read` throws goes on.
    bool readWindow();
    Utf8Split& split() { return m_split; }
    // The bytes read so far.
    qsizetype bytesRead() const { return m_read; }

private:
    Read m_source;
    qsizetype m_windowBytes;
    QByteArray m_buffer;
    qsizetype m_used = 0; // the window's bytes
    qsizetype m_read = 0;
    bool m_ended = false;
    Utf8Split m_split{QByteArrayView()};
};

} // namespace StoredCodeList
