#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests of the widget-free core: no display, no window.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
