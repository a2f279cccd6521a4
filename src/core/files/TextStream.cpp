#include "core/files/TextStream.h"

// Bytes are handed to the file in pieces of about this size.
constexpr qsizetype FlushBytes = qsizetype(64) * 1024;

TextStream::TextStream(std::unique_ptr<SafeFile> file) : m_file(std::move(file))
{
    m_buffer.reserve(FlushBytes + 1024);
}

// A failure of the file, and its commit, are the file's own to keep: every
// later call fails alike through its check.
void TextStream::WriteLines(QByteArrayView encoded)
{
    m_file->check();
    if (encoded.size() < FlushBytes) {
        m_buffer.append(encoded);
        if (m_buffer.size() >= FlushBytes)
            Flush();
        return;
    }
    Flush();
    m_file->write(encoded);
}

void TextStream::Flush()
{
    m_file->check();
    if (m_buffer.isEmpty())
        return;
    m_file->write(m_buffer);
    m_buffer.resize(0);
}

void TextStream::Close()
{
    Flush();
    m_file->commit();
}

std::unique_ptr<TextStream> TextFileMaker::CreateTextFile(const QString& path, bool overwrite) const
{
    SafeFile::Rules rules;
    rules.existing =
        overwrite ? SafeFile::Existing::ReplaceUnlessReadOnly : SafeFile::Existing::Keep;
    rules.maker = m_maker;
    return std::make_unique<TextStream>(SafeFile::open(path, rules));
}
