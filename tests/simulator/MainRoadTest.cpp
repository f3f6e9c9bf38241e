// The main road end to end in the real main window: an .asm file opened in an editor, saved
// (tidied), assembled, handed to the simulator on Yes, stepped and run there, and the simulator
// closed with the main window given back.
#include "SimulatorWindowTestFixture.h"

#include "assembler/ui/AssemblerWindow.h"

using namespace tw;
using twtest::boxLines;

namespace
{

using MainRoadTest = twtest::SimulatorWindowTest;

TEST_F(MainRoadTest, FromEditorThroughAssemblerToSimulator)
{
    registerAssemblerWindow();
    const QString source = dir.filePath(QStringLiteral("road.asm"));
    twtest::writeBytes(source,
                       twtest::readBytes(windowData(QStringLiteral("road.asm"))).replace("\n", "\r\n"));
    main->openInEditor(source);
    ASSERT_NE(main->activeEditor(), nullptr);
    ASSERT_TRUE(main->triggerMenuItem(QStringLiteral("mFileSave")));
    // The tidier wrote the normalised source back.
    const QByteArray tidied = twtest::readBytes(source);
    EXPECT_TRUE(tidied.contains("MOV\tR2,#3")) << tidied.toStdString();

    prompter.answerMessage(MsgAnswer::Yes);
    ASSERT_TRUE(main->triggerMenuItem(QStringLiteral("assembler51")));
    auto *assembler =
        qobject_cast<AssemblerWindow *>(main->toolWindow(QString::fromLatin1(ToolName::Assembler)));
    ASSERT_NE(assembler, nullptr);
    click(assembler->startButton());
    flush();
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral(u"汇编成功，没有发现错误！\r\n仿真调试吗？"));

    SimulatorWindow *sim = window();
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(main->currentBinPath(), dir.filePath(QStringLiteral("road.bin")));
    EXPECT_EQ(main->toolWindow(QString::fromLatin1(ToolName::Assembler)), nullptr);
    expectViews(QStringLiteral("locked"));
    EXPECT_TRUE(pcMarkedAt(0));

    steps(2);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0003"));
    EXPECT_EQ(boxLines(ui().registers)[4], QStringLiteral(" R2: 03"));
    EXPECT_TRUE(pcMarkedAt(3));

    click(ui().fastMode);
    click(ui().run);
    ASSERT_TRUE(QTest::qWaitFor([this] { return window()->cpu().pc == 0x0007; }, 5000));
    click(ui().run);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0007"));
    expectViews(QStringLiteral("road"));

    sim->close();
    flush();
    EXPECT_EQ(window(), nullptr);
    // An editor is open: every menu and toolbar button is back, with the file items the
    // assembler's hand-over had switched off; Undo and Redo, like their items, say that the file
    // just saved and reloaded has nothing to undo.
    expectViews(QStringLiteral("road-closed"));
}

} // namespace
