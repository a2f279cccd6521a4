#include "cli/Checker.h"

#include "core/base/Failure.h"
#include "core/files/FileHandle.h"
#include "core/files/TextStream.h"
#include "core/list/ItemStore.h"
#include "core/text/TextFileReader.h"
#include "core/text/TextTable.h"
#include "core/upc/CodeReason.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef QUORVANE_VERSION
#define QUORVANE_VERSION "1.0.0"
#endif

namespace Checker {

namespace {

const char* const Program = "quorvane-check";

const char* const Usage = R"(Usage: quorvane-check [OPTIONS] [FILE...]
Checks the UPC-A codes in text files, one code per line, as Quorvane does.
With no FILE, or where FILE is -, reads standard input.

By default writes one line per invalid code to standard output: the code, a
TAB and the reason. A summary goes to standard error.

  --valid FILE     write the valid codes to FILE
  --invalid FILE   write the invalid codes to FILE
                   (as Quorvane's "Save Results As Text File" writes them;
                   FILE - is standard output; no report is then written)
  --plain          write those files with one code per line instead
  --json           write every code and its verdict as JSON instead of the
                   report
  --skip-empty     leave out empty lines (as read, a text ending in LF has
                   an empty last line, which is no valid code)
  -h, --help       show this help and end
  -V, --version    show the version and end

Exit status: 0 when every code is valid, 1 when some are not, 2 on a usage
or file error.
)";

QByteArray local(const QString& text)
{
    return text.toLocal8Bit();
}

// A descriptor written through a buffer. A failed write is kept and every
// later one dropped.
class Writer
{
public:
    explicit Writer(int fd, bool owned = false)
        : m_fd(fd), m_owned(owned), m_buffer(new char[Capacity])
    {}
    ~Writer()
    {
        flush();
        if (m_owned && m_fd >= 0)
            ::close(m_fd);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void put(const char* bytes, size_t size)
    {
        if (Capacity - m_used < size) {
            flush();
            if (size >= Capacity) {
                out(bytes, size);
                return;
            }
        }
        std::memcpy(m_buffer.get() + m_used, bytes, size);
        m_used += size;
    }
    // The bytes and a LF.
    void line(const char* bytes, size_t size)
    {
        if (Capacity - m_used > size) {
            std::memcpy(m_buffer.get() + m_used, bytes, size);
            m_buffer[m_used + size] = '\n';
            m_used += size + 1;
        } else {
            put(bytes, size);
            put('\n');
        }
    }
    void put(char c)
    {
        if (m_used == Capacity)
            flush();
        m_buffer[m_used++] = c;
    }
    void put(const QByteArray& bytes) { put(bytes.constData(), size_t(bytes.size())); }
    void put(const char* text) { put(text, std::strlen(text)); }

    void flush()
    {
        out(m_buffer.get(), m_used);
        m_used = 0;
    }
    // Flushes and closes a descriptor of its own; answers the first error (0: none).
    int finish()
    {
        flush();
        if (m_owned && m_fd >= 0) {
            if (::close(m_fd) != 0 && m_error == 0)
                m_error = errno;
            m_fd = -1;
        }
        return m_error;
    }

private:
    void out(const char* p, size_t left)
    {
        while (left > 0 && m_error == 0) {
            const ssize_t n = ::write(m_fd, p, left);
            if (n < 0) {
                if (errno != EINTR)
                    m_error = errno;
                continue;
            }
            p += n;
            left -= size_t(n);
        }
    }

    static constexpr size_t Capacity = 256 * 1024;
    int m_fd;
    bool m_owned;
    int m_error = 0;
    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
};

void putUtf8(Writer& w, QStringView text)
{
    // The system's encoding, as the text files of the window.
    // Stateless: a lone surrogate at the end of one text never joins the
    // start of the next.
    static thread_local QStringEncoder encoder(QStringConverter::System,
                                               QStringConverter::Flag::Stateless);
    w.put(encoder.encode(text));
}

// A list held for the padded file, whose widths depend on every code: the
// compact store the window's lists use, and the longest text so far.
class HeldList
{
public:
    void add(const char* bytes, size_t size)
    {
        m_scratch = QLatin1StringView(bytes, qsizetype(size));
        add(m_scratch);
    }
    void add(QStringView text)
    {
        m_items.append(text);
        m_width = std::max(m_width, text.size());
    }
    qsizetype width() const { return m_width; }
    const ItemStore& items() const { return m_items; }

private:
    ItemStore m_items;
    QString m_scratch; // reused, so a code of bytes costs no allocation
    qsizetype m_width = 0;
};

struct Options
{
    QString valid, invalid; // empty: not written
    bool plain = false;
    bool json = false;
    bool skipEmpty = false;
    QStringList files;
};

// One of the two lists, when it is written.
struct ListOutput
{
    QString header;
    QString path;
    std::unique_ptr<Writer> plain;  // one code per line, as the codes come
    std::unique_ptr<HeldList> held; // the padded table, written at the end

    bool wanted() const { return plain || held; }
    void add(const char* bytes, size_t size)
    {
        if (plain)
            plain->line(bytes, size);
        else if (held)
            held->add(bytes, size);
    }
    void add(const QString& text)
    {
        if (plain) {
            putUtf8(*plain, text);
            plain->put('\n');
        } else if (held) {
            held->add(text);
        }
    }
};

// A JSON string of ASCII bytes.
void putJsonAscii(Writer& w, const char* bytes, size_t size)
{
    w.put('"');
    size_t from = 0;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        w.put(bytes + from, i - from);
        char escape[8];
        if (c == '"' || c == '\\')
            std::snprintf(escape, sizeof escape, "\\%c", c);
        else
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
        w.put(escape);
        from = i + 1;
    }
    w.put(bytes + from, size - from);
    w.put('"');
}

void putJsonString(Writer& w, QStringView text)
{
    bool simple = true;
    for (QChar c : text)
        simple = simple && c.unicode() >= 0x20 && c != u'"' && c != u'\\' && !c.isSurrogate();
    if (simple) {
        w.put('"');
        putUtf8(w, text);
        w.put('"');
        return;
    }
    w.put('"');
    QString plainRun;
    auto flushRun = [&] {
        putUtf8(w, plainRun);
        plainRun.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool pairedHigh =
            QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const bool pairedLow = QChar::isLowSurrogate(c) && i > 0 && text[i - 1].isHighSurrogate();
        if (c == u'"' || c == u'\\') {
            flushRun();
            w.put('\\');
            w.put(char(c));
        } else if (c < 0x20 || (QChar::isSurrogate(c) && !pairedHigh && !pairedLow)) {
            flushRun();
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            w.put(escape);
        } else {
            plainRun.append(QChar(c));
        }
    }
    flushRun();
    w.put('"');
}

class Run
{
public:
    Run(const Options& options, int out, int err)
        : m_options(options), m_outFd(out), m_out(out), m_err(err)
    {}

    int go(int in);

private:
    void input(int fd, const QString& name);
    void codeBytes(const char* bytes, size_t size);
    void codeText(const QString& code);
    void invalidReport(const QString& code, const CodeReason::Explanation& why);
    void jsonRecord(const QString& code, const CodeReason::Explanation& why);
    bool openList(ListOutput& list, const QString& path, const char* header);
    bool writeHeld(ListOutput& list);
    void error(const QString& name, const QString& reason);

    const Options& m_options;
    int m_outFd;
    Writer m_out;
    int m_err;
    ListOutput m_valid, m_invalid;
    bool m_report = false; // the default report on standard output
    quint64 m_codes = 0, m_validCount = 0;
    bool m_trouble = false;
};

void Run::error(const QString& name, const QString& reason)
{
    m_trouble = true;
    const QByteArray line = QByteArray(Program) + ": " + local(name) + ": " + local(reason) + "\n";
    [[maybe_unused]] const ssize_t n = ::write(m_err, line.constData(), size_t(line.size()));
}

void Run::invalidReport(const QString& code, const CodeReason::Explanation& why)
{
    putUtf8(m_out, code);
    m_out.put('\t');
    putUtf8(m_out, why.reason);
    m_out.put('\n');
}

void Run::jsonRecord(const QString& code, const CodeReason::Explanation& why)
{
    m_out.put(m_codes == 1 ? "\n" : ",\n");
    m_out.put("{\"code\":");
    putJsonString(m_out, code);
    if (why.valid()) {
        m_out.put(",\"valid\":true}");
        return;
    }
    m_out.put(",\"valid\":false,\"fault\":\"");
    m_out.put(CodeReason::FaultName(why.fault));
    m_out.put("\",\"reason\":");
    putJsonString(m_out, why.reason);
    if (!why.corrected.isEmpty()) {
        m_out.put(",\"corrected\":");
        putJsonString(m_out, why.corrected);
    }
    m_out.put('}');
}

// A code read as ASCII bytes: the quick verdict and the reason of a code of
// digits, hyphens and blanks need no text; any other code goes to the full
// rules.
void Run::codeBytes(const char* bytes, size_t size)
{
    if (size == 0 && m_options.skipEmpty)
        return;
    ++m_codes;
    const int quick = CodeReason::QuickVerdict(bytes, size);
    if (quick == 1) {
        ++m_validCount;
        m_valid.add(bytes, size);
        if (m_options.json) {
            m_out.put(m_codes == 1 ? "\n{\"code\":" : ",\n{\"code\":");
            putJsonAscii(m_out, bytes, size);
            m_out.put(",\"valid\":true}");
        }
        return;
    }
    if (quick == 0) {
        m_invalid.add(bytes, size);
        if (!m_report && !m_options.json)
            return;
        const CodeReason::DigitsReason why = CodeReason::ReasonOfDigitCode(bytes, size);
        if (m_report) {
            m_out.put(bytes, size);
            m_out.put('\t');
            m_out.line(why.reason, why.reasonSize);
        }
        if (m_options.json) {
            m_out.put(m_codes == 1 ? "\n{\"code\":" : ",\n{\"code\":");
            putJsonAscii(m_out, bytes, size);
            m_out.put(",\"valid\":false,\"fault\":\"");
            m_out.put(CodeReason::FaultName(why.fault));
            m_out.put("\",\"reason\":");
            putJsonAscii(m_out, why.reason, why.reasonSize);
            if (why.hasCorrected) {
                m_out.put(",\"corrected\":");
                putJsonAscii(m_out, why.corrected, 12);
            }
            m_out.put('}');
        }
        return;
    }
    const QString code = QString::fromLatin1(bytes, qsizetype(size));
    const CodeReason::Explanation why = CodeReason::Explain(code);
    if (why.valid()) {
        ++m_validCount;
        m_valid.add(bytes, size);
    } else {
        m_invalid.add(bytes, size);
        if (m_report)
            invalidReport(code, why);
    }
    if (m_options.json)
        jsonRecord(code, why);
}

void Run::codeText(const QString& code)
{
    if (code.isEmpty() && m_options.skipEmpty)
        return;
    ++m_codes;
    const CodeReason::Explanation why = CodeReason::Explain(code);
    if (why.valid()) {
        ++m_validCount;
        m_valid.add(code);
    } else {
        m_invalid.add(code);
        if (m_report)
            invalidReport(code, why);
    }
    if (m_options.json)
        jsonRecord(code, why);
}

// Reads one input. Lines end at CR LF, CR or LF, as the import reads them.
// ASCII text (every byte below 128 and none 0) reads the same in any of the
// encodings the import knows, so it is cut and checked as bytes here; from
// the first line with another byte on, the import's reader takes over: from
// the start of the input when it can be read again (the lines already
// checked are skipped), else from that line on.
void Run::input(int fd, const QString& name)
{
    constexpr size_t ChunkBytes = 256 * 1024;
    std::vector<char> buffer(2 * ChunkBytes);
    size_t carried = 0;             // bytes of an unfinished line at the buffer's start
    bool skipLF = false;            // the last line ended with a CR at the end of a read
    bool endedByLF = false;         // the last line ended with a LF
    quint64 lines = 0;              // the lines of this input checked so far
    const char* handOver = nullptr; // where the import's reader takes over
    size_t handOverSize = 0;
    const off_t start = ::lseek(fd, 0, SEEK_CUR); // -1: the input cannot be read again

    auto readSome = [&](char* to, size_t size) -> qsizetype {
        while (true) {
            const ssize_t n = ::read(fd, to, size);
            if (n >= 0)
                return qsizetype(n);
            if (errno != EINTR)
                throw Failure(systemErrorText(errno));
        }
    };

    try {
        while (true) {
            if (carried + ChunkBytes > buffer.size())
                buffer.resize(carried + ChunkBytes);
            const qsizetype n = readSome(buffer.data() + carried, ChunkBytes);
            if (n == 0)
                break;
            char* p = buffer.data() + carried;
            char* const end = p + n;
            char* line = buffer.data();
            if (skipLF && p < end) {
                skipLF = false;
                if (*p == '\n') {
                    ++p;
                    line = p;
                }
            }
            while (p < end) {
                const unsigned char c = static_cast<unsigned char>(*p);
                if (c >= 0x80 || c == 0) {
                    handOver = line;
                    handOverSize = size_t(end - line);
                    break;
                }
                if (c != '\r' && c != '\n') {
                    ++p;
                    continue;
                }
                codeBytes(line, size_t(p - line));
                ++lines;
                ++p;
                endedByLF = c == '\n';
                if (c == '\r') {
                    if (p == end)
                        skipLF = true;
                    else if (*p == '\n')
                        ++p;
                }
                line = p;
            }
            if (handOver)
                break;
            carried = size_t(end - line);
            std::memmove(buffer.data(), line, carried);
        }

        if (!handOver) {
            if (carried > 0 || endedByLF)
                codeBytes(buffer.data(), carried);
            return;
        }

        // The import's reader, from the start when the input can be read again.
        // A pipe cannot: its rest, from this line on, goes to a temporary file
        // first, so the reader can look ahead for the encoding and come back,
        // and memory still does not grow with the input.
        quint64 skip = 0;
        int source = fd;
        off_t origin = start;
        FileHandle spool;
        if (start >= 0 && ::lseek(fd, start, SEEK_SET) == start) {
            skip = lines;
        } else {
            spool = FileHandle(::open(QFile::encodeName(QDir::tempPath()).constData(),
                                      O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
            if (!spool.isOpen())
                throw Failure(systemErrorText(errno));
            auto spoolBytes = [&](const char* from, size_t size) {
                while (size > 0) {
                    const ssize_t n = ::write(spool.fd(), from, size);
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0)
                        throw Failure(systemErrorText(n < 0 ? errno : ENOSPC));
                    from += n;
                    size -= size_t(n);
                }
            };
            // Past the first line, the spool starts with an empty line of its
            // own (skipped below): a byte-order mark at the start of this line
            // is then no mark of the text's encoding, as in the input itself.
            if (lines > 0) {
                spoolBytes("\n", 1);
                skip = 1;
            }
            spoolBytes(handOver, handOverSize);
            while (const qsizetype n = readSome(buffer.data(), buffer.size()))
                spoolBytes(buffer.data(), size_t(n));
            source = spool.fd();
            origin = 0;
            if (::lseek(source, 0, SEEK_SET) != 0)
                throw Failure(systemErrorText(errno));
        }
        TextFileReader::ByteSource bytes;
        bytes.read = [&](char* to, qsizetype size) -> qsizetype {
            while (true) {
                const ssize_t n = ::read(source, to, size_t(size));
                if (n >= 0)
                    return qsizetype(n);
                if (errno != EINTR)
                    throw Failure(systemErrorText(errno));
            }
        };
        bytes.seek = [&](qint64 offset) {
            if (::lseek(source, origin + off_t(offset), SEEK_SET) < 0)
                throw Failure(systemErrorText(errno));
        };
        TextFileReader::readItems(
            bytes,
            [&](QString&& item) {
                if (skip > 0)
                    --skip;
                else
                    codeText(item);
            },
            qsizetype(ChunkBytes));
    } catch (const Failure& failure) {
        error(name, failure.description());
    }
}

bool Run::openList(ListOutput& list, const QString& path, const char* header)
{
    list.header = QString::fromLatin1(header);
    list.path = path;
    if (path.isEmpty())
        return true;
    if (!m_options.plain) {
        list.held = std::make_unique<HeldList>();
        return true;
    }
    if (path == QLatin1String("-")) {
        list.plain = std::make_unique<Writer>(m_outFd);
        return true;
    }
    // Emptying an input before reading it would lose its codes.
    struct stat target;
    if (::stat(QFile::encodeName(path).constData(), &target) == 0 && S_ISREG(target.st_mode)) {
        for (const QString& file : m_options.files) {
            struct stat input;
            if (file != QLatin1String("-") &&
                ::stat(QFile::encodeName(file).constData(), &input) == 0 &&
                input.st_dev == target.st_dev && input.st_ino == target.st_ino) {
                error(path, QStringLiteral("is also an input file"));
                return false;
            }
        }
    }
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error(path, systemErrorText(errno));
        return false;
    }
    list.plain = std::make_unique<Writer>(fd, true);
    return true;
}

// The padded table of a held list, line by line as the text export writes it.
bool Run::writeHeld(ListOutput& list)
{
    if (!list.held)
        return true;
    const qsizetype width = std::max(list.held->width(), list.header.size());
    QString line;
    try {
        std::unique_ptr<TextStream> file;
        std::unique_ptr<Writer> out;
        if (list.path == QLatin1String("-"))
            out = std::make_unique<Writer>(m_outFd);
        else
            file = FileSystemObject().CreateTextFile(list.path, true);
        auto writeLine = [&](const QString& text) {
            if (file) {
                file->WriteLine(text);
            } else {
                putUtf8(*out, text);
                out->put("\r\n");
            }
        };
        TextTable::appendCell(line, list.header, width);
        writeLine(line);
        for (QStringView item : list.held->items().texts()) {
            line.truncate(0);
            TextTable::appendCell(line, item, width);
            writeLine(line);
        }
        if (file)
            file->Close();
        else if (const int e = out->finish())
            throw Failure(systemErrorText(e));
    } catch (const Failure& failure) {
        error(list.path == QLatin1String("-") ? QStringLiteral("standard output") : list.path,
              failure.description());
        return false;
    }
    return true;
}

int Run::go(int in)
{
    m_report = !m_options.json && m_options.valid.isEmpty() && m_options.invalid.isEmpty();
    if (!openList(m_valid, m_options.valid, " Valid Codes") ||
        !openList(m_invalid, m_options.invalid, "Invalid Codes"))
        return Trouble;
    // A list written to standard output takes the place of m_out there.
    if (m_options.json)
        m_out.put("{\"results\":[");

    const QStringList files = m_options.files.isEmpty() ? QStringList{"-"} : m_options.files;
    for (const QString& file : files) {
        if (file == QLatin1String("-")) {
            input(in, QStringLiteral("standard input"));
            continue;
        }
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            error(file, systemErrorText(errno));
            continue;
        }
        struct stat info;
        if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
            error(file, systemErrorText(EISDIR));
        else
            input(fd, file);
        ::close(fd);
    }

    if (m_options.json) {
        m_out.put(m_codes == 0 ? "]" : "\n]");
        m_out.put(QByteArray(",\"codes\":") + QByteArray::number(m_codes) +
                  ",\"valid\":" + QByteArray::number(m_validCount) +
                  ",\"invalid\":" + QByteArray::number(m_codes - m_validCount) + "}\n");
    }
    for (ListOutput* list : {&m_valid, &m_invalid}) {
        if (list->plain) {
            if (const int e = list->plain->finish())
                error(list->path == QLatin1String("-") ? QStringLiteral("standard output")
                                                       : list->path,
                      systemErrorText(e));
        }
    }
    if (const int e = m_out.finish())
        error(QStringLiteral("standard output"), systemErrorText(e));
    writeHeld(m_valid);
    writeHeld(m_invalid);

    const QByteArray summary = QByteArray::number(m_codes) +
                               " codes: " + QByteArray::number(m_validCount) + " valid, " +
                               QByteArray::number(m_codes - m_validCount) + " invalid\n";
    [[maybe_unused]] const ssize_t n = ::write(m_err, summary.constData(), size_t(summary.size()));
    if (m_trouble)
        return Trouble;
    return m_validCount == m_codes ? AllValid : SomeInvalid;
}

// The options, or the message of a usage error.
std::optional<Options> parse(const QStringList& arguments, QString& message, bool& done,
                             QByteArray& shown)
{
    Options o;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (!options || a == QLatin1String("-") || !a.startsWith(QLatin1Char('-'))) {
            o.files.append(a);
            continue;
        }
        if (a == QLatin1String("--")) {
            options = false;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            shown = Usage;
            done = true;
            return o;
        } else if (a == QLatin1String("-V") || a == QLatin1String("--version")) {
            shown = QByteArray(Program) + " (Quorvane) " + QUORVANE_VERSION + "\n";
            done = true;
            return o;
        } else if (a == QLatin1String("--plain")) {
            o.plain = true;
        } else if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--skip-empty")) {
            o.skipEmpty = true;
        } else if (a == QLatin1String("--valid") || a == QLatin1String("--invalid") ||
                   a.startsWith(QLatin1String("--valid=")) ||
                   a.startsWith(QLatin1String("--invalid="))) {
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            const QString name = eq < 0 ? a : a.left(eq);
            QString value;
            if (eq >= 0) {
                value = a.mid(eq + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                message = QStringLiteral("option %1 needs a file name").arg(name);
                return std::nullopt;
            }
            if (value.isEmpty()) {
                message = QStringLiteral("option %1 needs a file name").arg(name);
                return std::nullopt;
            }
            (name == QLatin1String("--valid") ? o.valid : o.invalid) = value;
        } else {
            message = QStringLiteral("unknown option %1").arg(a);
            return std::nullopt;
        }
    }
    const int toStdout =
        (o.valid == QLatin1String("-")) + (o.invalid == QLatin1String("-")) + (o.json ? 1 : 0);
    if (toStdout > 1) {
        message = QStringLiteral("only one of --json, --valid - and --invalid - can use "
                                 "standard output");
        return std::nullopt;
    }
    if (!o.valid.isEmpty() && o.valid != QLatin1String("-") && o.valid == o.invalid) {
        message = QStringLiteral("--valid and --invalid name the same file");
        return std::nullopt;
    }
    return o;
}

} // namespace

int run(const QStringList& arguments, int in, int out, int err)
{
    QString message;
    bool done = false;
    QByteArray shown;
    const std::optional<Options> options = parse(arguments, message, done, shown);
    if (!options) {
        const QByteArray text = QByteArray(Program) + ": " + local(message) + "\nTry '" + Program +
                                " --help' for more information.\n";
        [[maybe_unused]] const ssize_t n = ::write(err, text.constData(), size_t(text.size()));
        return Trouble;
    }
    if (done) {
        Writer w(out);
        w.put(shown);
        return w.finish() == 0 ? AllValid : Trouble;
    }
    Run r(*options, out, err);
    return r.go(in);
}

} // namespace Checker
