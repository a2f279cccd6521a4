#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable Qt texts in test failure messages; line breaks and tabs escaped.
inline void PrintTo(const QString& text, std::ostream* os)
{
    QString shown = text;
    shown.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t");
    shown.replace(QChar(0), "\\0");
    *os << '"' << shown.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i)
            *os << ", ";
        PrintTo(list.at(i), os);
    }
    *os << '}';
}
