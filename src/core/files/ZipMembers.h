#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Reading back the members of a zip file (zip64 among them) through minizip,
// as a program that opens it would read them.
namespace ZipMembers {

// Hands each member's name and its uncompressed bytes, in the order of the
// central directory. Throws Failure when the file is no readable zip file or
// a member does not decompress whole to its size and CRC.
void read(const QString& path,
          const std::function<void(const QByteArray& name, const QByteArray& bytes)>& member);

} // namespace ZipMembers
