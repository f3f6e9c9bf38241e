// One main for every test program: a QApplication on the offscreen platform with a single
// 1024x768 screen (the program refuses narrower screens and informs on wider ones).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + TW_OFFSCREEN_CONFIG);
    qputenv("TW_PROGRAM_FOLDER", TW_PROGRAM_DATA_DIR);
    // An internal error fails the test loudly, here and in every twdrive the test starts.
    qputenv("TW_ABORT_ON_INTERNAL_ERROR", "1");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
