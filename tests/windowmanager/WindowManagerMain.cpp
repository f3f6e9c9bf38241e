// The window-manager tests run their own X server and openbox, and the program's windows on it
// through Qt's X11 platform. Listing the tests needs neither.
#include "WindowManagerSupport.h"
#include "XSession.h"
#include "support/TestScreen.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("TW_PROGRAM_FOLDER", TW_PROGRAM_DATA_DIR);
    twtest::XSession session;
    if (!GTEST_FLAG_GET(list_tests) && session.start()) {
        qputenv("DISPLAY", session.display().toLocal8Bit());
        twtest::useTestScreen("xcb");
        twtest::setSessionDisplay(session.display());
    } else {
        // Without a session the cases fail (CI) or skip; they still need an application.
        twtest::useTestScreen(twtest::offscreenPlatform());
        twtest::setSessionProblem(session.problem());
    }
    // Qt's own file dialog, which a test can answer; a desktop's native one it cannot.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
