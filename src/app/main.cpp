// Tarnwick: start-up.
#include "ToolRegistrations.h"
#include "common/ui/QtPrompter.h"
#include "workspace/StartUpChecks.h"
#include "workspace/ui/MainWindow.h"

#include <QApplication>
#include <QLockFile>
#include <QScreen>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnwick"));

    tw::QtPrompter prompter;
    QLockFile instanceLock(tw::instanceLockPath());
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!tw::passStartUpChecks(prompter, instanceLock, screen ? screen->size().width() : 0))
        return 0;

    tw::registerAllTools();
    tw::MainWindow window(prompter);
    prompter.setParent(&window);
    window.show();
    return QApplication::exec();
}
