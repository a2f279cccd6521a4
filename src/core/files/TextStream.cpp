#include "core/files/TextStream.h"

#include "core/base/Failure.h"

namespace {

// Bytes are handed to the file in pieces of about this size.
constexpr qsizetype FlushBytes = qsizetype(64) * 1024;

} // namespace

TextStream::TextStream(std::unique_ptr<SafeFile> file) : m_file(std::move(file))
{
    m_buffer.reserve(FlushBytes + 1024);
}

void TextStream::check() const
{
    if (!m_failure.isEmpty())
        throw Failure(m_failure);
    if (m_closed)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
}

void TextStream::WriteLines(QByteArrayView encoded)
{
    check();
    if (encoded.size() < FlushBytes) {
        m_buffer.append(encoded);
        if (m_buffer.size() >= FlushBytes)
            flush();
        return;
    }
    flush();
    write(encoded);
}

void TextStream::Flush()
{
    check();
    flush();
}

void TextStream::Close()
{
    Flush();
    m_closed = true;
    try {
        m_file->commit();
    } catch (const Failure& failure) {
        fail(failure);
    }
}

void TextStream::flush()
{
    if (m_buffer.isEmpty())
        return;
    write(m_buffer);
    m_buffer.resize(0);
}

void TextStream::write(QByteArrayView bytes)
{
    try {
        m_file->write(bytes);
    } catch (const Failure& failure) {
        fail(failure);
    }
}

void TextStream::fail(const Failure& failure)
{
    m_failure = failure.description();
    m_buffer = QByteArray();
    throw failure;
}

std::unique_ptr<TextStream> TextFileMaker::CreateTextFile(const QString& path, bool overwrite) const
{
    SafeFile::Rules rules;
    rules.existing =
        overwrite ? SafeFile::Existing::ReplaceUnlessReadOnly : SafeFile::Existing::Keep;
    rules.maker = m_maker;
    return std::make_unique<TextStream>(SafeFile::open(path, rules));
}
