#include "output/TextStream.h"

#include "shell/Failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Encoded text is handed to the file in pieces of about this size.
constexpr qsizetype FlushBytes = qsizetype(64) * 1024;

const QString LineEnd = QStringLiteral("\r\n");

bool readOnly(const QFileInfo& file)
{
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !file.isWritable() || !(file.permissions() & anyWrite);
}

} // namespace

TextStream::TextStream(std::unique_ptr<QFileDevice> file)
    : m_file(std::move(file)), m_encoder(QStringConverter::System)
{
    m_buffer.reserve(FlushBytes + 1024);
}

// A stream let go without Close discards the temporary file (QSaveFile does so
// when it is destroyed uncommitted).
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

void TextStream::Close()
{
    if (Broken())
        throw Failure(m_failure);
    if (m_closed)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
    flush();
    m_closed = true;
    if (auto* save = qobject_cast<QSaveFile*>(m_file.get())) {
        if (!save->commit())
            fail(save->errorString());
        return;
    }
    const bool flushed = m_file->flush();
    const QString reason = m_file->errorString();
    m_file->close();
    if (!flushed || m_file->error() != QFileDevice::NoError)
        fail(reason);
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
    const qint64 written = m_file->write(m_buffer);
    if (written != m_buffer.size())
        fail(m_file->errorString());
    m_buffer.resize(0);
}

void TextStream::fail(const QString& description)
{
    m_failure = description.isEmpty() ? QStringLiteral("Device I/O error") : description;
    m_buffer = QByteArray();
    // A replacement that failed is never put in the target's place.
    if (auto* save = qobject_cast<QSaveFile*>(m_file.get()))
        save->cancelWriting();
    throw Failure(m_failure);
}

std::unique_ptr<TextStream> FileSystemObject::CreateTextFile(const QString& path,
                                                             bool overwrite) const
{
    const QFileInfo target(path);
    if (target.exists() && !target.isDir()) {
        if (!overwrite)
            throw Failure(QStringLiteral("File already exists"));
        if (!target.isFile()) {
            // A device or pipe cannot be replaced by a file: it is written
            // in place.
            auto device = std::make_unique<QFile>(path);
            if (!device->open(QIODevice::WriteOnly))
                throw Failure(device->errorString());
            return std::unique_ptr<TextStream>(new TextStream(std::move(device)));
        }
        if (readOnly(target))
            throw Failure(QStringLiteral("Permission denied"));
    }
    std::unique_ptr<QSaveFile> file = m_maker ? m_maker(path) : std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        throw Failure(file->errorString());
    return std::unique_ptr<TextStream>(new TextStream(std::move(file)));
}
