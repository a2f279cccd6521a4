#include "cli/Output.h"

#include "cli/Interruption.h"

#include <QStringEncoder>

namespace Checker {

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

Output::Output(std::unique_ptr<SafeFile> file, QString name)
    : m_file(std::move(file)), m_name(std::move(name)), m_buffer(new char[Capacity])
{}

void Output::text(QStringView text)
{
    // ASCII, as most codes are, is its own bytes in every encoding the
    // system may use.
    if (size_t(text.size()) <= Capacity - m_used) {
        char* const start = m_buffer.get() + m_used;
        qsizetype i = 0;
        for (; i < text.size() && text[i].unicode() < 0x80; ++i)
            start[i] = char(text[i].unicode());
        if (i == text.size()) {
            m_used += size_t(i);
            return;
        }
    }
    // Stateless: a lone surrogate at the end of one text never joins the
    // start of the next.
    static thread_local QStringEncoder encoder(QStringConverter::System,
                                               QStringConverter::Flag::Stateless);
    // Encoded straight into the buffer when it has room, as a short text
    // always does; a long one goes through a text of its own.
    const qsizetype most = encoder.requiredSpace(text.size());
    if (size_t(most) > Capacity - m_used)
        flush();
    if (size_t(most) > Capacity) {
        put(encoder.encode(text));
        return;
    }
    char* const start = m_buffer.get() + m_used;
    m_used += size_t(encoder.appendToBuffer(start, text) - start);
}

void Output::out(const char* bytes, size_t size)
{
    try {
        m_file->write(QByteArrayView(bytes, qsizetype(size)));
    } catch (const Failure& failure) {
        throw OutputFailure(m_name, failure.description());
    }
}

void Output::flush()
{
    const size_t used = std::exchange(m_used, 0);
    out(m_buffer.get(), used);
}

void Output::commit()
{
    flush();
    try {
        m_file->commit();
    } catch (const Failure& failure) {
        throw OutputFailure(m_name, failure.description());
    }
}

} // namespace Checker
