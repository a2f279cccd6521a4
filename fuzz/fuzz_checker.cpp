// quorvane-check --window-lines files every line of its input as the window
// would: its plain lists equal the import reader's items filed by
// CheckUPCCode when the input can be read again (a file), and the streaming
// rule's items when it cannot (a pipe); its padded lists equal the text
// export's table of those lists. An input its first bytes show to be no text
// (a workbook's mark, or a NUL byte without a UTF-16 mark) fails, its lists
// empty.
// Every run is in memory: the input on a memory file or a pipe, the lists on
// standard output, a memory file (files on disk would be synced each run).
#include "FuzzInput.h"
#include "cli/Checker.h"
#include "core/list/ItemStore.h"
#include "core/text/TextFileReader.h"
#include "core/text/TextTable.h"
#include "core/upc/UpcCheck.h"

#include <QByteArray>
#include <QStringEncoder>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

int memoryFile(const uint8_t* data, size_t size)
{
    const int fd = ::memfd_create("codes", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != ssize_t(size) || ::lseek(fd, 0, SEEK_SET) != 0)
        std::abort();
    return fd;
}

int pipeOf(const uint8_t* data, size_t size)
{
    int ends[2];
    if (::pipe(ends) != 0 || ::write(ends[1], data, size) != ssize_t(size))
        std::abort();
    ::close(ends[1]);
    return ends[0];
}

// The lines of a pipe: after a mark as a file; otherwise each line that is
// not ASCII as UTF-8 (a mark it starts with kept) until one is not valid
// UTF-8, then as Windows-1252.
QStringList streamedItems(const QByteArray& bytes, const QStringList& asFile)
{
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return asFile;
    QStringList items;
    bool windows = false;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                    QStringConverter::Flag::Stateless);
    TextFileReader::BasicLineSplitter<QLatin1StringView> lines(
        [&](const std::vector<QLatin1StringView>& batch) {
            for (const QLatin1StringView line : batch) {
                const QByteArrayView raw(line.data(), line.size());
                windows = windows || !raw.isValidUtf8();
                items.append(windows ? TextFileReader::fromWindows1252(raw) : utf8.decode(raw));
            }
        });
    lines.feed(QLatin1StringView(bytes));
    lines.finish();
    return items;
}

// Whether the checker refuses the bytes, all read at once, as no text.
bool refused(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return false;
    return bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0") ||
           bytes.contains('\0');
}

struct Lists
{
    QByteArray plain[2]; // valid, invalid
    QByteArray padded[2];
};

Lists listsOf(const QStringList& items)
{
    Lists lists;
    ItemStore tables[2];
    QStringEncoder plain(QStringConverter::System, QStringConverter::Flag::Stateless);
    for (const QString& code : items) {
        const bool ok = modUPCCode::CheckUPCCode(code) == modUPCCode::Verdict::Valid;
        const int list = ok ? 0 : 1;
        tables[list].append(code);
        lists.plain[list] += plain.encode(code) + '\n';
    }
    QStringEncoder file(QStringConverter::System);
    const QStringList headers[2] = {{" Valid Codes"}, {"Invalid Codes"}};
    for (int list = 0; list < 2; ++list)
        lists.padded[list] =
            file.encode(TextTable::tableText(TextTable::Layout::File, headers[list], tables[list]));
    return lists;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16384)
        return 0; // fits a pipe
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // What the window files the lines into.
    qsizetype at = 0;
    const QStringList asFile = itemsOf(piecewise(bytes, 4096, at), 4096);
    const bool noText = refused(bytes);
    const Lists none = listsOf({});
    const Lists file = noText ? none : listsOf(asFile);
    const Lists stream = noText ? none : listsOf(streamedItems(bytes, asFile));

    for (int round = 0; round < 8; ++round) {
        const bool pipe = round % 2 == 1;
        const int list = (round / 2) % 2;
        const bool plain = round >= 4;
        const Lists& want = pipe ? stream : file;
        const int in = pipe ? pipeOf(data, size) : memoryFile(data, size);
        const int out = memoryFile(nullptr, 0), err = memoryFile(nullptr, 0);
        QStringList arguments{"--window-lines", list == 0 ? "--valid" : "--invalid", "-", "-"};
        if (plain)
            arguments.prepend("--plain");
        const int status = Checker::run(arguments, in, out, err);
        QByteArray written(qsizetype(::lseek(out, 0, SEEK_END)), '\0');
        if (::pread(out, written.data(), size_t(written.size()), 0) != written.size())
            std::abort();
        ::close(in);
        ::close(out);
        ::close(err);
        if (status != (noText ? 2 : want.plain[1].isEmpty() ? 0 : 1))
            std::abort();
        if (written != (plain ? want.plain[list] : want.padded[list]))
            std::abort();
    }
    return 0;
}
