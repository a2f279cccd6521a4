#include "core/files/TextStream.h"

#include "core/base/Failure.h"

namespace {

// Encoded text is handed to the file in pieces of about this size.
constexpr qsizetype FlushBytes = qsizetype(64) * 1024;

const QString LineEnd = QStringLiteral("\r\n");

} // namespace

TextStream::TextStream(std::unique_ptr<SafeFile> file)
    : m_file(std::move(file)), m_encoder(QStringConverter::System)
{
    m_buffer.reserve(FlushBytes + 1024);
}

// A stream let go without Close leaves the target as it was.
TextStream::~TextStream() = default;

void TextStream::WriteLine(const QString& text)
{
    if (Broken())
        throw Failure(m_failure);
    if (m_closed)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
    put(text);
    put(LineEnd);
    if (m_buffer.size() >= FlushBytes)
        flush();
}

void TextStream::WriteLines(QByteArrayView encoded)
{
    if (Broken())
        throw Failure(m_failure);
    if (m_closed)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
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
    if (Broken())
        throw Failure(m_failure);
    if (m_closed)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
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

void TextStream::put(QStringView text)
{
    const qsizetype at = m_buffer.size();
    m_buffer.resize(at + m_encoder.requiredSpace(text.size()));
    char* const end = m_encoder.appendToBuffer(m_buffer.data() + at, text);
    m_buffer.resize(end - m_buffer.constData());
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
