// The main window's state model and the lock and restore rule of the tool windows, without widgets.
#include "common/ScriptedPrompter.h"
#include "workspace/MainWindowState.h"
#include "support/ModelWorkspace.h"
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
// These hide the Edit and Window menus while they run; the others only switch them off.
QString named(const char *name)
{
    return QString::fromLatin1(name);
}
const QStringList hidingTools = {named(ToolName::Conversion), named(ToolName::Library),
                                 named(ToolName::Programmer)};

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
        if (hidingTools.contains(tool)) {
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

TEST_F(ProtocolModel, EveryGroupWindowLocksAndRestoresWithAndWithoutEditors)
{
    for (const bool withEditor : {false, true}) {
        if (withEditor)
            ws.openInEditor(u"/tmp/a.asm"_s);
        for (const QString &tool : lockingTools()) {
            ws.showTool(tool);
            expectLocked(tool);
            // Restore follows the editors, whatever the window did to the Edit menu: the library and
            // programmer windows would leave editors without it, the conversion window would show it
            // with no editor to act on.
            ws.unloadTool(tool);
            EXPECT_FALSE(ws.isToolLoaded(tool));
            if (withEditor)
                expectEditing();
            else
                expectIdle();
        }
    }
}

TEST_F(ProtocolModel, AGroupWindowReplacesTheOneThatIsOpenAndLeavesTheOthers)
{
    // Find and About lock nothing, and every group window closes them.
    ws.showTool(named(ToolName::Find));
    ws.showTool(named(ToolName::About));
    expectIdle();
    ws.showTool(named(ToolName::Assembler));
    ws.showTool(named(ToolName::Simulator));
    EXPECT_EQ(ws.loadedTools(), QStringList{named(ToolName::Simulator)});
    expectLocked(named(ToolName::Simulator));

    // A hiding window replacing a disabling one: Edit and Window end hidden, not just grey.
    ws.showTool(named(ToolName::Programmer));
    EXPECT_EQ(ws.loadedTools(), QStringList{named(ToolName::Programmer)});
    expectLocked(named(ToolName::Programmer));
    EXPECT_TRUE(state().isEnabled(u"mEdit"_s));
    ws.unloadTool(named(ToolName::Simulator)); // not open: changes nothing
    expectLocked(named(ToolName::Programmer));
    ws.unloadTool(named(ToolName::Programmer));
    ws.unloadTool(named(ToolName::Programmer));
    expectIdle();

    // Windows outside the group stay open and lock nothing.
    for (const char *free : {ToolName::InitCode, ToolName::Font, ToolName::Unicode, ToolName::TextViewer}) {
        ws.showTool(named(free));
        expectIdle();
    }
    ws.showTool(named(ToolName::Library));
    EXPECT_TRUE(ws.isToolLoaded(named(ToolName::InitCode)));
    EXPECT_TRUE(ws.isToolLoaded(named(ToolName::Font)));
}

TEST_F(ProtocolModel, ItemsTheSimulateAnswerSwitchedOffComeBackWhenTheSimulatorCloses)
{
    ws.openInEditor(u"/tmp/p.asm"_s);
    ws.showTool(named(ToolName::Assembler));
    // The assembler's simulate answer, in its order.
    for (const char *item :
         {"mFileNew", "mFileOpen", "mFileSave", "mFileSaveAs", "mEditSelAll", "mComp", "emMCS51"})
        ws.setMenuEnabled(QString::fromLatin1(item), false);
    ws.unloadTool(named(ToolName::Assembler));
    ws.showTool(named(ToolName::Simulator));
    EXPECT_FALSE(state().isEnabled(u"mFileNew"_s)); // still off while the simulator runs
    EXPECT_FALSE(state().isEnabled(u"emMCS51"_s));

    ws.unloadTool(named(ToolName::Simulator));
    for (const char *item : {"mFileNew", "mFileOpen", "mFileSave", "mFileSaveAs", "mEditSelAll", "emMCS51"})
        EXPECT_TRUE(state().isReachable(QString::fromLatin1(item))) << item;
    expectEditing();

    // Without an editor Save and Save As stay off.
    ws.closeEditor(0);
    ws.showTool(named(ToolName::Simulator));
    ws.setMenuEnabled(u"mFileSave"_s, true);
    ws.unloadTool(named(ToolName::Simulator));
    EXPECT_FALSE(state().isEnabled(u"mFileSave"_s));
    expectIdle();
}
