#include "cli/OutputWriter.h"

#include "cli/Interruption.h"
#include "core/base/AsciiText.h"

#include <algorithm>
#include <cstring>

namespace Checker {

namespace {

// The bytes gathered before they go to the file, at least.
constexpr size_t BufferBytes = size_t(256) * 1024;

} // namespace

QString outputName(const QString& path)
{
    return path == QLatin1String("-") ? QStringLiteral("standard output") : path;
}

std::unique_ptr<SafeFile> openOutput(const QString& path, int out)
{
    SafeFile::Rules rules;
    rules.others = SafeFile::Others::WriteStraight;
    rules.standardOutput = out;
    rules.interrupted = [] { return interruption() != 0; };
    try {
        return SafeFile::open(path, rules);
    } catch (const Failure& failure) {
        throw OutputFailure(outputName(path), failure.description());
    }
}

OutputWriter::OutputWriter(std::unique_ptr<SafeFile> file, QString name)
    : m_stream(std::move(file)), m_name(std::move(name)), m_buffer(new char[BufferBytes]),
      m_capacity(BufferBytes)
{}

// The buffer goes to the stream whole: a block of its size goes on to the
// file without a copy.
void OutputWriter::pass()
{
    const size_t used = std::exchange(m_used, 0);
    if (used > 0)
        naming(m_name,
               [&] { m_stream.WriteLines(QByteArrayView(m_buffer.get(), qsizetype(used))); });
}

char* OutputWriter::room(size_t n)
{
    if (m_capacity - m_used < n) {
        pass();
        if (m_capacity < n) {
            m_buffer.reset(new char[n]);
            m_capacity = n;
        }
    }
    return m_buffer.get() + m_used;
}

void OutputWriter::put(QByteArrayView bytes)
{
    const size_t size = size_t(bytes.size());
    if (size == 0)
        return; // `bytes` may be null
    char* const to = m_capacity - m_used >= size ? m_buffer.get() + m_used : room(size);
    std::memcpy(to, bytes.data(), size);
    m_used += size;
}

void OutputWriter::put(char c)
{
    if (m_used == m_capacity)
        pass();
    m_buffer[m_used++] = c;
}

// Latin-1 in UTF-8, the system's encoding, with room for `extra` bytes
// more: answers where they go.
char* OutputWriter::putLatin1(QLatin1StringView text, size_t extra)
{
    const size_t most = 2 * size_t(text.size()) + extra;
    char* const to = m_capacity - m_used >= most ? m_buffer.get() + m_used : room(most);
    char* const end = latin1ToUtf8(to, text);
    m_used = size_t(end - m_buffer.get());
    return end;
}

void OutputWriter::text(const HeldText& text)
{
    if (text.isLatin1()) {
        putLatin1(text.latin1(), 0);
        return;
    }
    char* const to = room(size_t(m_encoder.requiredSpace(text.size())));
    m_used = size_t(m_encoder.appendToBuffer(to, text.utf16()) - m_buffer.get());
}

void OutputWriter::line(const HeldText& text)
{
    if (text.isLatin1()) {
        *putLatin1(text.latin1(), 1) = '\n';
        ++m_used;
        return;
    }
    this->text(text);
    put('\n');
}

void OutputWriter::flush()
{
    pass();
    naming(m_name, [&] { m_stream.Flush(); });
}

void OutputWriter::commit()
{
    pass();
    naming(m_name, [&] { m_stream.Close(); });
}

} // namespace Checker
