#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <memory>

// A zip file of one member, stored and empty, whose headers say it unpacks to
// `declared` bytes: the directory of a zip bomb, without its bytes.
inline QByteArray zipDeclaring(quint32 declared)
{
    const QByteArray name = "xl/worksheets/sheet1.xml";
    const auto littleEndian = [](QByteArray& bytes) {
        auto stream = std::make_unique<QDataStream>(&bytes, QIODevice::WriteOnly);
        stream->setByteOrder(QDataStream::LittleEndian);
        return stream;
    };
    // Version 2.0, no flags, stored, no time, CRC 0, 0 bytes compressed.
    QByteArray local;
    *littleEndian(local) << quint32(0x04034b50) << quint16(20) << quint16(0) << quint16(0)
                         << quint32(0) << quint32(0) << quint32(0) << declared
                         << quint16(name.size()) << quint16(0);
    local += name;
    QByteArray central;
    *littleEndian(central) << quint32(0x02014b50) << quint16(20) << quint16(20) << quint16(0)
                           << quint16(0) << quint32(0) << quint32(0) << quint32(0) << declared
                           << quint16(name.size()) << quint16(0) << quint16(0) << quint16(0)
                           << quint16(0) << quint32(0) << quint32(0);
    central += name;
    QByteArray end;
    *littleEndian(end) << quint32(0x06054b50) << quint16(0) << quint16(0) << quint16(1)
                       << quint16(1) << quint32(central.size()) << quint32(local.size())
                       << quint16(0);
    return local + central + end;
}
