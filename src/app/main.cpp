// Tarnwick: start-up.
#include "ToolRegistrations.h"
#include "base/MemoryReuse.h"
#include "common/ui/QtPrompter.h"
#include "workspace/ProductInfo.h"
#include "workspace/StartUpChecks.h"
#include "workspace/ui/MainWindow.h"
#include "workspace/ui/QtTexts.h"

#include <QApplication>
#include <QIcon>
#include <QLockFile>
#include <QScreen>
#include <QStyle>

int main(int argc, char **argv)
{
    tw::keepFreedMemoryForReuse();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnwick"));
    // Outside a desktop session no icon theme is set; the toolbar then looks its icons up in
    // Adwaita where that is installed, else falls back to the style's own pictures.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QApplication::setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    // The common dialogs and message-box buttons speak the program's language.
    const auto qtTexts = tw::installQtChineseTexts();

    tw::QtPrompter prompter;
    prompter.setDefaultTitle(tw::productName());
    QLockFile instanceLock(tw::instanceLockPath());
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!tw::passStartUpChecks(prompter, instanceLock, screen ? screen->size().width() : 0))
        return 0;

    tw::registerAllTools();
    tw::MainWindow window(prompter);
    prompter.setParent(&window);
    // The frame takes the whole screen, also where no window manager maximises it.
    if (screen)
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}
