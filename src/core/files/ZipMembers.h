#pragma once

#include <QByteArray>
#include <functional>

class QFile;

// Reading back the members of a zip file (stored or deflated, without zip64),
// as a program that opens it would read them.
namespace ZipMembers {

// Hands each member's name and its uncompressed bytes, in the order of the
// central directory. Throws Failure when the file is no readable zip file.
void read(QFile& zip,
          const std::function<void(const QByteArray& name, const QByteArray& bytes)>& member);

} // namespace ZipMembers
