#include <QApplication>
#include <gtest/gtest.h>

// Widgets need one QApplication for the whole run; the offscreen platform keeps it headless,
// on a screen of 1366 x 768, the smallest the viewer is made for.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" PYRN_TEST_SCREEN);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
