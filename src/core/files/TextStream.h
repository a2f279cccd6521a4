#pragma once

#include "core/files/SafeFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

// A text file being written through a SafeFile, its lines handed already
// encoded and closed: until Close the target keeps what it held, and a stream
// let go without Close (a failure part-way, a full disk) leaves it untouched.
class TextStream
{
public:
    explicit TextStream(std::unique_ptr<SafeFile> file);

    // Writes the encoded lines as they are, a large block without a copy.
    // Throws Failure; the stream is then broken and every later call fails alike.
    void WriteLines(QByteArrayView encoded);
    // Hands what is held to the file, which a pipe or terminal then sees.
    // Fails as WriteLines does.
    void Flush();

    // Writes what is still held and puts the file in the target's place.
    // Throws Failure when that fails; the target then keeps what it held.
    void Close();

private:
    std::unique_ptr<SafeFile> m_file;
    QByteArray m_buffer;
};

// Makes the window's text files.
class TextFileMaker
{
public:
    TextFileMaker() = default;
    explicit TextFileMaker(SafeFile::SaveFileMaker maker) : m_maker(std::move(maker)) {}

    // Starts a text file at `path`. An existing file is replaced only when
    // `overwrite` is true and the file is not read-only (no write permission
    // for anyone, which even the superuser respects here). Throws Failure
    // with the reason when the file cannot be created.
    std::unique_ptr<TextStream> CreateTextFile(const QString& path, bool overwrite) const;

private:
    SafeFile::SaveFileMaker m_maker;
};
