#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Reading back the members of a zip file (zip64 among them) through minizip,
// as a program that opens it would read them.
namespace ZipMembers {

// Hands each member's name and its uncompressed bytes, in the order of the
// central directory. Throws Failure when the file is no readable zip file or
// a member does not decompress whole to its size and CRC.
void read(const QString& path,
          const std::function<void(const QByteArray& name, const QByteArray& bytes)>& member);

// The sum of the sizes the members of a zip file say they unpack to, as its
// central directory holds them (at most the largest quint64); none when the
// file is no zip file.
std::optional<quint64> unpackedSize(const QString& path);

} // namespace ZipMembers
