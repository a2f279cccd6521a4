#pragma once

#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A folder of its own for one test, removed afterwards.
class TempFolder
{
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // Writes bytes to a file in the folder and answers its path.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = file(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }

    static QByteArray read(const QString& path)
    {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return {};
        return in.readAll();
    }

private:
    QTemporaryDir m_dir;
};
