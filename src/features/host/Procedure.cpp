#include "features/host/Procedure.h"

#include "core/base/Maker.h"

#include <exception>

QString errorReportText(const QString& description, const QString& procedureTag, int line)
{
    return description + QStringLiteral("\r\n") + procedureTag + QStringLiteral("at line ") +
           QString::number(line) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") +
           QLatin1String(Maker::SupportAddress);
}

QString procedureTag(const char* module, const char* procedure)
{
    return QStringLiteral("in Lintorak2021/08/31.") + QLatin1String(module) + QLatin1Char('.') +
           QLatin1String(procedure) + QLatin1Char(' ');
}

void Procedure::report(const QString& description, int line)
{
    if (line != m_reportedLine || description != m_reportedDescription || m_reportText.isEmpty()) {
        m_reportText = errorReportText(description, m_tag, line);
        m_reportedDescription = description;
        m_reportedLine = line;
    }
    m_prompts.errorReport(m_reportText);
}

void Procedure::reportCurrent(int line)
{
    QString description;
    try {
        throw;
    } catch (const Failure& failure) {
        description = failure.description();
    } catch (const std::bad_alloc&) {
        description = QLatin1String(FailureText::OutOfMemory);
    } catch (const std::exception& other) {
        description = QString::fromLocal8Bit(other.what());
    } catch (...) {
        description = QStringLiteral("Application-defined or object-defined error");
    }
    report(description, line);
}
