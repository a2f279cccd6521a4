#pragma once

#include <QByteArray>
#include <QPoint>
#include <optional>

// The hotspot of the first image of a Windows cursor (.cur) file: the point of
// the image that is the pointer's position. The image itself is read by Qt's
// icon reader, which does not report the hotspot.
std::optional<QPoint> cursorHotspot(const QByteArray& curFile);
