#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A failure of one step of an action, with the description the failing call
// gives, which the error report shows. Procedures without a report let it pass.
class Failure : public std::exception
{
public:
    explicit Failure(QString description)
        : m_description(std::move(description)), m_what(m_description.toUtf8())
    {}

    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};

// The descriptions this program raises itself, worded as the platform words them.
namespace FailureText {
inline const char* const IndexOutOfBounds = "Index out of bounds";
inline const char* const SubscriptOutOfRange = "Subscript out of range";
inline const char* const InvalidProcedureCall = "Invalid procedure call or argument";
inline const char* const TypeMismatch = "Type mismatch";
inline const char* const InvalidPicture = "Invalid picture";
inline const char* const OutOfMemory = "Out of memory";
inline const char* const BadFileNameOrNumber = "Bad file name or number";
inline const char* const NotARegularFile = "Not a regular file";
} // namespace FailureText
