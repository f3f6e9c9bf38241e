// The program as it starts: every tool registered as main() registers it. Each menu item of a
// tool opens its window (or asks what its tool needs first); none says the function is missing.
#include "ToolRegistrations.h"
#include "common/ScriptedPrompter.h"
#include "workspace/MainWindowState.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/MainWindow.h"
#include "workspace/ui/ToolRegistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QString kMissing = QStringLiteral(u"该功能尚未提供。");

void flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The named items at every depth under a top menu.
QStringList itemsUnder(const MainWindowState &state, int index)
{
    QStringList names;
    for (int child : state.childrenOf(index)) {
        const MenuItem &item = state.items()[child];
        if (item.submenu)
            names += itemsUnder(state, child);
        else if (!item.separator)
            names.append(item.name);
    }
    return names;
}

TEST(EveryMenuItem, OpensItsToolAndNoneIsMissing)
{
    QTemporaryDir dataHome; // the user library is made on first use
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    registerAllTools();
    ScriptedPrompter prompter;
    {
        MainWindow main(prompter);
        main.show();
        const char *toolItems[] = {
            Menu::HexToBin,     Menu::BinToHex,      Menu::BinToObj,          Menu::ObjToBin,
            Menu::BinRestore,   Menu::BinSplit,      Menu::BinMerge,          Menu::FileCompare,
            Menu::Port48To51,   Menu::Disassemble51, Menu::Disassemble48,     Menu::BaudRate,
            Menu::TimerCounter, Menu::Interrupts,    Menu::FixedPointLibrary, Menu::FloatingPointLibrary,
            Menu::UserLibrary,  Menu::DotMatrixFont, Menu::UnicodeCodes,      Menu::SerialSend,
            Menu::Assemble51,   Menu::Assemble48,    Menu::Simulate51,        Menu::About,
            Menu::HelpFaq,      Menu::HelpManual,    Menu::HelpTutorial};
        for (const char *item : toolItems) {
            prompter.clearCalls();
            EXPECT_TRUE(main.triggerMenuItem(QString::fromLatin1(item))) << item;
            EXPECT_FALSE(prompter.messageTexts().contains(kMissing)) << item;
            const QString tool = defaultToolOfMenuItem(QString::fromLatin1(item));
            // The assembler and the simulator first ask for a source or a code image.
            if (!tool.isEmpty() && prompter.calls().isEmpty()) {
                EXPECT_TRUE(main.toolWindow(tool)) << item << " opened no " << qPrintable(tool);
            }
            if (!tool.isEmpty())
                main.unloadTool(tool);
            flush();
        }
        // Every item of the tool menus is tried: the calculator is an outside program, the
        // programmer's item is out of reach (below).
        const MainWindowState &state = main.state();
        for (const char *menu : {Menu::Compile, Menu::Simulate, Menu::Communication, Menu::Tools})
            for (const QString &item : itemsUnder(state, state.indexOf(QString::fromLatin1(menu))))
                EXPECT_TRUE(item == QLatin1String(Menu::Calculator) ||
                            item == QLatin1String(Menu::InSystemProgramming) ||
                            std::any_of(std::begin(toolItems), std::end(toolItems),
                                        [&item](const char *tried) { return item == QLatin1String(tried); }))
                    << qPrintable(item) << " is not in this test's list";
        // The programmer's item stays out of reach, as designed.
        EXPECT_FALSE(main.isMenuVisible(QString::fromLatin1(Menu::InSystemProgramming)));
        EXPECT_FALSE(main.isMenuEnabled(QString::fromLatin1(Menu::InSystemProgramming)));
    }
    flush();
    qputenv("XDG_DATA_HOME", savedDataHome);
}

// With no central list of menu items beside the registrations, an item a registration forgets
// would answer that the function is missing.
TEST(EveryMenuItem, EachToolItemIsNamedByARegisteredTool)
{
    registerAllTools();
    ScriptedPrompter prompter;
    MainWindow main(prompter);
    const MainWindowState &state = main.state();
    QStringList toolItems = {QString::fromLatin1(Menu::About), QString::fromLatin1(Menu::EditFindText),
                             QString::fromLatin1(Menu::EditFindInstruction)};
    for (const char *menu : {Menu::Compile, Menu::Simulate, Menu::Communication, Menu::Tools})
        toolItems += itemsUnder(state, state.indexOf(QString::fromLatin1(menu)));
    // The calculator is an outside program the main window starts itself.
    toolItems.removeAll(QString::fromLatin1(Menu::Calculator));
    EXPECT_EQ(toolItems.size(), 27);
    for (const QString &item : toolItems) {
        const QString tool = defaultToolOfMenuItem(item);
        EXPECT_TRUE(isToolRegistered(tool)) << qPrintable(item) << " opens no registered tool";
    }
}

} // namespace
