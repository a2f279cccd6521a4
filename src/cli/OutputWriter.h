#pragma once

#include "core/base/Failure.h"
#include "core/files/SafeFile.h"
#include "core/files/TextStream.h"
#include "core/list/HeldText.h"

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringEncoder>
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

// Runs `step`; a Failure it throws becomes an OutputFailure naming the
// output `name`.
template <typename Step> void naming(const QString& name, Step&& step)
{
    try {
        step();
    } catch (const OutputFailure&) {
        throw;
    } catch (const Failure& failure) {
        throw OutputFailure(name, failure.description());
    }
}

// Opens an output of the checker: a file replaced when the run has
// succeeded, a pipe or device written straight, or standard output (`-`,
// descriptor `out`). Throws OutputFailure naming it.
std::unique_ptr<SafeFile> openOutput(const QString& path, int out);

// The name an output has in messages.
QString outputName(const QString& path);

// One output of the checker: what is rendered for it gathers in a buffer,
// which goes to the file through the window's TextStream in large blocks.
// The first failed write throws OutputFailure, and the file keeps what it
// held; so does one let go without commit().
class OutputWriter
{
public:
    OutputWriter(std::unique_ptr<SafeFile> file, QString name);

    void put(QByteArrayView bytes);
    void put(char c);
    // Text in the system's encoding, as the window's text files.
    void text(const HeldText& text);
    // The same and a LF.
    void line(const HeldText& text);

    // Hands everything written to the file.
    void flush();
    // Writes the rest and puts the file in place.
    void commit();

private:
    char* room(size_t n);
    char* putLatin1(QLatin1StringView text, size_t extra);
    void pass();

    TextStream m_stream;
    QString m_name;
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity;
    size_t m_used = 0;
    // The system's encoding, UTF-8 on every system the checker runs on (Qt's
    // System converter answers through a new array each time). Stateless: a
    // lone surrogate at the end of one text never joins the start of the
    // next.
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

} // namespace Checker
