#pragma once

#include "core/files/SafeFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>
#include <memory>

// A text file being written, line by line, in the system's encoding with no
// byte-order mark; every line is closed by CR LF. It is written through a
// SafeFile: until Close the target keeps what it held, and a stream let go
// without Close (a failure part-way, a full disk) leaves it untouched. A
// target that is no regular file (a pipe, a device, a socket) is refused
// before anything is opened.
class Failure;

class TextStream
{
public:
    explicit TextStream(std::unique_ptr<SafeFile> file);
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    // Writes the text and CR LF. Throws Failure when the file refuses the
    // bytes; the stream is then broken and every later call fails alike.
    void WriteLine(const QString& text);
    // Writes bytes already encoded in the file's encoding (the window's lines
    // each closed by CR LF) as they are: a large block goes to the file
    // without a copy. Fails as WriteLine does.
    void WriteLines(QByteArrayView encoded);
    // Hands what is held to the file, which a pipe or terminal then sees.
    // Fails as WriteLine does.
    void Flush();

    // Writes what is still held and puts the file in the target's place.
    // Throws Failure when that fails; the target then keeps what it held.
    void Close();

    // Whether a write has failed: nothing more can reach the file.
    bool Broken() const { return !m_failure.isEmpty(); }

private:
    void put(QStringView text);
    void flush();
    void write(QByteArrayView bytes);
    [[noreturn]] void fail(const Failure& failure);

    std::unique_ptr<SafeFile> m_file;
    QStringEncoder m_encoder;
    QByteArray m_buffer;
    QString m_failure;
    bool m_closed = false;
};

// Makes the window's text files.
class TextFileMaker
{
public:
    using SaveFileMaker = SafeFile::SaveFileMaker;

    TextFileMaker() = default;
    explicit TextFileMaker(SaveFileMaker maker) : m_maker(std::move(maker)) {}

    // Starts a text file at `path`. An existing file is replaced only when
    // `overwrite` is true and the file is not read-only (no write permission
    // for anyone, which even the superuser respects here). Throws Failure
    // with the reason when the file cannot be created.
    std::unique_ptr<TextStream> CreateTextFile(const QString& path, bool overwrite) const;

private:
    SaveFileMaker m_maker;
};
