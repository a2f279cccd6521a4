#include "cli/Output.h"

#include "cli/Interruption.h"

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
