// One main for every test program but the window-manager one: a QApplication on the offscreen
// platform with a single 1024x768 screen (the program refuses narrower screens and informs on
// wider ones), whatever the environment names.
#include "support/TestScreen.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    twtest::useTestScreen(twtest::offscreenPlatform());
    qputenv("TW_PROGRAM_FOLDER", TW_PROGRAM_DATA_DIR);
    // An internal error fails the test loudly, here and in every twdrive the test starts.
    qputenv("TW_ABORT_ON_INTERNAL_ERROR", "1");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
