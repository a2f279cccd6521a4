#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <functional>
#include <memory>

class QFileDevice;
class QSaveFile;

// A text file being written, line by line, in the system's encoding with no
// byte-order mark; every line is closed by CR LF.
//
// A file is written beside its target under a temporary name and put in the
// target's place by Close, in one step: until then the target keeps what it
// held, and a stream let go without Close (a failure part-way, a full disk)
// leaves it untouched. Only a file the user may write in a folder they may
// not write in is written in place. A target that is no regular file (a pipe,
// a device, a socket) is refused before anything is opened.
class TextStream
{
public:
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    // Writes the text and CR LF. Throws Failure when the file refuses the
    // bytes; the stream is then broken and every later call fails alike.
    void WriteLine(const QString& text);

    // Writes what is still held and puts the file in the target's place.
    // Throws Failure when that fails; the target then keeps what it held.
    void Close();

    // Whether a write has failed: nothing more can reach the file.
    bool Broken() const { return !m_failure.isEmpty(); }

private:
    friend class FileSystemObject;
    explicit TextStream(std::unique_ptr<QFileDevice> file);

    void put(QStringView text);
    void flush();
    [[noreturn]] void fail(const QString& description);

    std::unique_ptr<QFileDevice> m_file;
    QStringEncoder m_encoder;
    QByteArray m_buffer;
    QString m_failure;
    bool m_closed = false;
};

// Makes text files (the program's own small file-system object).
class FileSystemObject
{
public:
    // Makes the file that holds a replacement before it takes its target's
    // place; tests put a failing one in.
    using SaveFileMaker = std::function<std::unique_ptr<QSaveFile>(const QString& path)>;

    FileSystemObject() = default;
    explicit FileSystemObject(SaveFileMaker maker) : m_maker(std::move(maker)) {}

    // Starts a text file at `path`. An existing file is replaced only when
    // `overwrite` is true and the file is not read-only (no write permission
    // for anyone, which even the superuser respects here). Throws Failure
    // with the reason when the file cannot be created.
    std::unique_ptr<TextStream> CreateTextFile(const QString& path, bool overwrite) const;

private:
    SaveFileMaker m_maker;
};
