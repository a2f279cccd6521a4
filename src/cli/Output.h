#pragma once

#include "cli/Bytes.h"
#include "core/base/Failure.h"
#include "core/files/SafeFile.h"

#include <QString>
#include <QStringView>
#include <cstring>
#include <memory>

namespace Checker {

// A failure to write one of the outputs, which ends the run.
class OutputFailure : public Failure
{
public:
    OutputFailure(QString name, const QString& description)
        : Failure(description), m_name(std::move(name))
    {}
    const QString& name() const { return m_name; }

private:
    QString m_name;
};

// Opens an output of the checker: a file replaced when the run has
// succeeded, a pipe or device written straight, or standard output (`-`,
// descriptor `out`). Throws OutputFailure naming it.
std::unique_ptr<SafeFile> openOutput(const QString& path, int out);

// The name an output has in messages.
QString outputName(const QString& path);

// One output, written through a buffer; the first failed write throws
// OutputFailure, and the file keeps what it held.
class Output
{
public:
    Output(std::unique_ptr<SafeFile> file, QString name);
    ~Output() = default;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void put(const char* bytes, size_t size)
    {
        if (size == 0)
            return; // `bytes` may be null
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
    void put(char c)
    {
        if (m_used == Capacity)
            flush();
        m_buffer[m_used++] = c;
    }
    void put(const char* text) { put(text, std::strlen(text)); }
    void put(const QByteArray& bytes) { put(bytes.constData(), size_t(bytes.size())); }
    void put(const Bytes& bytes) { put(bytes.data(), bytes.size()); }

    void flush();
    // Writes the rest and puts the file in place.
    void commit();

private:
    void out(const char* bytes, size_t size);

    static constexpr size_t Capacity = size_t(256) * 1024;
    std::unique_ptr<SafeFile> m_file;
    QString m_name;
    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
};

} // namespace Checker
