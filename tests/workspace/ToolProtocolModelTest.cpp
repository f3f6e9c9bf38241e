// The main window's state model and the lock and restore rule of the tool windows, without widgets.
#include "common/ScriptedPrompter.h"
#include "workspace/MainWindowState.h"
#include "workspace/ModelWorkspace.h"
#include "workspace/ToolWindowProtocol.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tw;

namespace
{

const QStringList sixMenus = {u"mFile"_s, u"mComp"_s, u"mCom"_s, u"mEml"_s, u"mView"_s, u"comFZ"_s};
const QStringList idleKeys = {u"New"_s, u"Open"_s, u"asm"_s, u"FZ51"_s};
const QStringList allKeys = {u"New"_s,    u"Open"_s,   u"Save"_s, u"Print"_s, u"Undo"_s,
                             u"Redo"_s,   u"Cut"_s,    u"Copy"_s, u"Paste"_s, u"Zt"_s,
                             u"Findzf"_s, u"Findzl"_s, u"asm"_s,  u"FZ51"_s};

class ProtocolModel : public ::testing::Test
{
  protected:
    ScriptedPrompter prompter;
    ModelWorkspace ws{prompter};
    const MainWindowState &state() const { return ws.state(); }

    void expectLocked(const QString &tool) const
    {
        for (const QString &menu : sixMenus)
            EXPECT_FALSE(state().isEnabled(menu)) << qPrintable(tool + u" "_s + menu);
        if (lockRule(tool).editMenus == EditMenusWhileLocked::Hidden) {
            EXPECT_FALSE(state().isVisible(u"mEdit"_s)) << qPrintable(tool);
            EXPECT_FALSE(state().isVisible(u"mWindow"_s)) << qPrintable(tool);
        } else {
            EXPECT_FALSE(state().isEnabled(u"mEdit"_s)) << qPrintable(tool);
            EXPECT_FALSE(state().isEnabled(u"mWindow"_s)) << qPrintable(tool);
        }
        EXPECT_TRUE(state().enabledToolbarKeys().isEmpty()) << qPrintable(tool);
        EXPECT_FALSE(state().isReachable(u"mFileNew"_s));
        EXPECT_FALSE(state().isReachable(u"jsq"_s));
    }

    void expectIdle() const
    {
        for (const QString &menu : sixMenus)
            EXPECT_TRUE(state().isEnabled(menu)) << qPrintable(menu);
        EXPECT_FALSE(state().isVisible(u"mEdit"_s));
        EXPECT_FALSE(state().isVisible(u"mWindow"_s));
        EXPECT_EQ(state().enabledToolbarKeys(), idleKeys);
    }

    void expectEditing() const
    {
        for (const QString &menu : sixMenus)
            EXPECT_TRUE(state().isEnabled(menu)) << qPrintable(menu);
        EXPECT_TRUE(state().isReachable(u"mEditUndo"_s));
        EXPECT_TRUE(state().isReachable(u"mWindowTitle"_s));
        EXPECT_EQ(state().enabledToolbarKeys(), allKeys);
    }
};

} // namespace

TEST(MainWindowStateModel, StartsAsDesigned)
{
    const MainWindowState state;
    QStringList topCaptions;
    for (int index : state.childrenOf(-1))
        topCaptions.append(state.items()[index].caption);
    EXPECT_EQ(topCaptions,
              (QStringList{u"文件[&F]"_s, u"编辑[&E]"_s, u"编译"_s, u"仿真"_s, u"察看[&V]"_s, u"通讯"_s,
                           u"辅助工具"_s, u"窗口[&W]"_s, u"帮助"_s, QString(), u"联系作者"_s}));

    // File menu in order, separators included, with shortcuts and start flags.
    QStringList file;
    for (int index : state.childrenOf(state.indexOf(u"mFile"_s))) {
        const MenuItem &item = state.items()[index];
        file.append(item.separator
                        ? u"-"_s
                        : item.caption + u"|"_s + item.shortcut + (item.enabled ? u""_s : u"|off"_s) +
                              (item.visible ? u""_s : u"|hidden"_s));
    }
    EXPECT_EQ(file, (QStringList{u"新建[&N]|Ctrl+N"_s, u"打开[&O]|Ctrl+O"_s, u"保存[&S]|Ctrl+S|off"_s,
                                 u"另存为[&A]||off"_s, u"-"_s, u"关闭全部文件||off"_s, u"-"_s, u"打印设置|"_s,
                                 u"打印[&P]|Ctrl+P|off"_s, u"&1||hidden"_s, u"&2||hidden"_s, u"&3||hidden"_s,
                                 u"&4||hidden"_s, u"-"_s, u"退出[&X]|"_s}));

    // Edit menu ends in a separator; paste has no shortcut.
    const QList<int> edit = state.childrenOf(state.indexOf(u"mEdit"_s));
    EXPECT_EQ(edit.size(), 11);
    EXPECT_TRUE(state.items()[edit.last()].separator);
    EXPECT_EQ(state.item(u"mEditPaste"_s)->shortcut, QString());
    EXPECT_EQ(state.item(u"mEditFindzl"_s)->caption, u"按指令查找(&D)"_s);
    EXPECT_EQ(state.item(u"mEditFindzl"_s)->shortcut, u"Ctrl+D"_s);

    // The programmer item is hidden and disabled, and so can never be chosen.
    EXPECT_FALSE(state.isVisible(u"ISP"_s));
    EXPECT_FALSE(state.isEnabled(u"ISP"_s));
    EXPECT_FALSE(state.isReachable(u"ISP"_s));
    EXPECT_FALSE(state.isReachable(u"mEditUndo"_s)); // Edit menu hidden at start
    EXPECT_TRUE(state.isReachable(u"jsq"_s));
    EXPECT_TRUE(state.isReachable(u"yhzcx"_s));

    EXPECT_EQ(state.descendantNames(u"comFZ"_s).size(), 23);
    EXPECT_EQ(state.item(u"dsqsz"_s)->caption, u"定时/计数器设置"_s);

    // Toolbar: 21 slots, separators where the keys leave gaps.
    EXPECT_EQ(state.toolbarPosition(u"New"_s), 1);
    EXPECT_EQ(state.toolbarPosition(u"Print"_s), 5);
    EXPECT_EQ(state.toolbarPosition(u"Zt"_s), 14);
    EXPECT_EQ(state.toolbarPosition(u"Findzl"_s), 17);
    EXPECT_EQ(state.toolbarPosition(u"FZ51"_s), 21);
    EXPECT_EQ(state.toolbarPosition(u"fz51"_s), 0);
    for (int separator : {4, 6, 9, 13, 15, 18, 20})
        EXPECT_TRUE(state.toolbarSlot(separator).isSeparator()) << separator;
    EXPECT_EQ(state.enabledToolbarKeys(), idleKeys);

    EXPECT_EQ(state.statusText(1), QString());
    EXPECT_EQ(state.statusText(2), u"外中断0"_s);
    EXPECT_EQ(state.statusText(7), u"CPU 状态"_s);
    EXPECT_EQ(state.statusText(8), u"WDT状态"_s);
    EXPECT_EQ(state.statusText(9), QString());
}

TEST_F(ProtocolModel, EveryGroupWindowLocksAndRestoresWithoutEditors)
{
    for (const QString &tool : lockingTools()) {
        ws.showTool(tool);
        expectLocked(tool);
        ws.unloadTool(tool);
        expectIdle();
        EXPECT_FALSE(ws.isToolLoaded(tool));
    }
}

TEST_F(ProtocolModel, RestoreFollowsTheEditorsWhateverTheWindowDidToTheEditMenu)
{
    ws.openInEditor(u"/tmp/a.asm"_s);
    for (const QString &tool : lockingTools()) {
        ws.showTool(tool);
        expectLocked(tool);
        // The library and programmer windows would leave open editors without an Edit menu.
        ws.unloadTool(tool);
        expectEditing();
    }
    ws.closeEditor(0);
    // The conversion window would show the Edit menu with no editor to act on.
    ws.showTool(QString::fromLatin1(ToolName::Conversion));
    ws.unloadTool(QString::fromLatin1(ToolName::Conversion));
    expectIdle();
}

TEST_F(ProtocolModel, AGroupWindowReplacesTheOneThatIsOpen)
{
    ws.showTool(QString::fromLatin1(ToolName::Assembler));
    ws.showTool(QString::fromLatin1(ToolName::Simulator));
    EXPECT_EQ(ws.loadedTools(), QStringList{QString::fromLatin1(ToolName::Simulator)});
    expectLocked(QString::fromLatin1(ToolName::Simulator));

    // A hiding window replacing a disabling one: Edit and Window end hidden, not just grey.
    ws.showTool(QString::fromLatin1(ToolName::Programmer));
    EXPECT_EQ(ws.loadedTools(), QStringList{QString::fromLatin1(ToolName::Programmer)});
    expectLocked(QString::fromLatin1(ToolName::Programmer));
    EXPECT_TRUE(state().isEnabled(u"mEdit"_s));

    // Windows outside the group stay open and lock nothing.
    ws.unloadTool(QString::fromLatin1(ToolName::Programmer));
    for (const char *free : {ToolName::InitCode, ToolName::Font, ToolName::Unicode, ToolName::TextViewer}) {
        ws.showTool(QString::fromLatin1(free));
        expectIdle();
    }
    ws.showTool(QString::fromLatin1(ToolName::Library));
    EXPECT_TRUE(ws.isToolLoaded(QString::fromLatin1(ToolName::InitCode)));
    EXPECT_TRUE(ws.isToolLoaded(QString::fromLatin1(ToolName::Font)));
}

TEST_F(ProtocolModel, UnloadListsCloseFindAndAboutButNeverThemselves)
{
    for (const QString &tool : lockingTools()) {
        const ToolLockRule &rule = lockRule(tool);
        EXPECT_FALSE(rule.unloads.contains(tool)) << qPrintable(tool);
        EXPECT_TRUE(rule.unloads.contains(QString::fromLatin1(ToolName::Find))) << qPrintable(tool);
        EXPECT_TRUE(rule.unloads.contains(QString::fromLatin1(ToolName::About))) << qPrintable(tool);
        EXPECT_EQ(rule.unloads.size(), 7) << qPrintable(tool);
    }
    ws.showTool(QString::fromLatin1(ToolName::Find));
    ws.showTool(QString::fromLatin1(ToolName::About));
    expectIdle(); // neither locks
    ws.showTool(QString::fromLatin1(ToolName::SerialSender));
    EXPECT_FALSE(ws.isToolLoaded(QString::fromLatin1(ToolName::Find)));
    EXPECT_FALSE(ws.isToolLoaded(QString::fromLatin1(ToolName::About)));
    EXPECT_TRUE(lockRule(u"EditorWindow"_s).tool.isEmpty());
}

TEST_F(ProtocolModel, OpeningAnEditorClosesTheToolAndLeavesTheEditingState)
{
    ws.showTool(QString::fromLatin1(ToolName::Assembler));
    ws.showTool(QString::fromLatin1(ToolName::Find));
    ws.openInEditor(u"/tmp/x.err"_s, u"编译信息"_s);
    EXPECT_TRUE(ws.loadedTools().isEmpty());
    expectEditing();
    for (const char *item : {"mFileSave", "mFileSaveAs", "mFilePrint", "mFileCloseAll"})
        EXPECT_TRUE(state().isReachable(QString::fromLatin1(item))) << item;

    ws.setStatusText(1, u"行： 1   列： 1"_s);
    ws.openInEditor(u"/tmp/y.asm"_s);
    ws.closeEditor(0);
    expectEditing(); // one editor still open
    ws.closeEditor(0);
    expectIdle();
    EXPECT_EQ(state().statusText(1), QString());
    for (const char *item : {"mFileSave", "mFileSaveAs", "mFilePrint", "mFileCloseAll"})
        EXPECT_FALSE(state().isEnabled(QString::fromLatin1(item))) << item;
    EXPECT_TRUE(state().isEnabled(u"mFileNew"_s));
}

TEST_F(ProtocolModel, ItemsTheSimulateAnswerSwitchedOffComeBackWhenTheSimulatorCloses)
{
    ws.openInEditor(u"/tmp/p.asm"_s);
    ws.showTool(QString::fromLatin1(ToolName::Assembler));
    // The assembler's simulate answer, in its order.
    for (const char *item :
         {"mFileNew", "mFileOpen", "mFileSave", "mFileSaveAs", "mEditSelAll", "mComp", "emMCS51"})
        ws.setMenuEnabled(QString::fromLatin1(item), false);
    ws.unloadTool(QString::fromLatin1(ToolName::Assembler));
    ws.showTool(QString::fromLatin1(ToolName::Simulator));
    EXPECT_FALSE(state().isEnabled(u"mFileNew"_s)); // still off while the simulator runs
    EXPECT_FALSE(state().isEnabled(u"emMCS51"_s));

    ws.unloadTool(QString::fromLatin1(ToolName::Simulator));
    for (const char *item : {"mFileNew", "mFileOpen", "mFileSave", "mFileSaveAs", "mEditSelAll", "emMCS51"})
        EXPECT_TRUE(state().isReachable(QString::fromLatin1(item))) << item;
    expectEditing();

    // Without an editor Save and Save As stay off.
    ws.closeEditor(0);
    ws.showTool(QString::fromLatin1(ToolName::Simulator));
    ws.setMenuEnabled(u"mFileSave"_s, true);
    ws.unloadTool(QString::fromLatin1(ToolName::Simulator));
    EXPECT_FALSE(state().isEnabled(u"mFileSave"_s));
    expectIdle();
}

TEST_F(ProtocolModel, UnloadingAWindowThatIsNotOpenChangesNothing)
{
    ws.showTool(QString::fromLatin1(ToolName::Conversion));
    ws.unloadTool(QString::fromLatin1(ToolName::Simulator));
    expectLocked(QString::fromLatin1(ToolName::Conversion));
    ws.unloadTool(QString::fromLatin1(ToolName::Conversion));
    ws.unloadTool(QString::fromLatin1(ToolName::Conversion));
    expectIdle();
}
