#include <QCoreApplication>
#include <gtest/gtest.h>

// The suite waits on the viewer's process through Qt's event loop.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
