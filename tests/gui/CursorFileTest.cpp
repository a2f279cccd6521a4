#include "gui/platform/CursorFile.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(CursorFile, HotspotOfTheShippedHandCursor)
{
    QFile file(qEnvironmentVariable("QUORVANE_SOURCE_DIR") + "/resources/HAND-M.CUR");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto hotspot = cursorHotspot(file.readAll());
    ASSERT_TRUE(hotspot.has_value());
    EXPECT_EQ(*hotspot, QPoint(6, 0));
}

TEST(CursorFile, NoHotspotInOtherFiles)
{
    EXPECT_FALSE(cursorHotspot(QByteArray()).has_value());
    EXPECT_FALSE(cursorHotspot(QByteArray("not a cursor file at all, just text")).has_value());
    // An icon file (type 1) is no cursor.
    QByteArray icon(22, '\0');
    icon[2] = 1;
    icon[4] = 1;
    EXPECT_FALSE(cursorHotspot(icon).has_value());
}

} // namespace
