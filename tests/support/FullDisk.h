#pragma once

#include "core/files/TextStream.h"

#include <QSaveFile>
#include <memory>

// A replacement file on a disk that fills up after `room` bytes: the write
// that does not fit is cut short and refused.
class FullDiskSaveFile : public QSaveFile
{
public:
    FullDiskSaveFile(const QString& path, qint64 room) : QSaveFile(path), m_room(room) {}

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        if (len <= m_room) {
            m_room -= len;
            return QSaveFile::writeData(data, len);
        }
        if (m_room > 0)
            QSaveFile::writeData(data, m_room);
        m_room = 0;
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }

private:
    qint64 m_room;
};

inline TextFileMaker fullDisk(qint64 room)
{
    return TextFileMaker([room](const QString& path) -> std::unique_ptr<QSaveFile> {
        return std::make_unique<FullDiskSaveFile>(path, room);
    });
}
