// Runs in the simulator window over many of the core's batches: the external-RAM box after a fast
// run that wrote thousands of rows, a run to a breakpoint tens of thousands of instructions away,
// and a dynamic run whose views follow the state while it runs and show it exactly when it stops.
#include "SimulatorWindowTestFixture.h"

using namespace tw;
using twtest::boxLines;

namespace
{

class SimulatorWindowRunTest : public twtest::SimulatorWindowTest
{
  protected:
    void clickPaneLine(int n)
    {
        QPlainTextEdit *pane = ui().listing;
        const QTextBlock block = pane->document()->findBlockByNumber(n);
        QTest::mouseClick(pane->viewport(), Qt::LeftButton, {},
                          pane->cursorRect(QTextCursor(block)).center() + QPoint(8, 0));
    }
    // The external-RAM box with row `top` first.
    QStringList memoryRowsFrom(int top)
    {
        ui().memoryScroll->setValue(top);
        return boxLines(ui().memory);
    }
    QStringList expectedRows(int top)
    {
        QStringList rows;
        for (int row = top; row < top + MemoryView::kShownRows; ++row)
            rows.append(memoryRow(window()->cpu().xram.data(), row));
        return rows;
    }
};

TEST_F(SimulatorWindowRunTest, FastRunShowsEveryRowMovxWroteWhereverTheBoxIsScrolled)
{
    openProgram(QStringLiteral("xfill"));
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);
    click(ui().fastMode);
    prompter.answerMessage(MsgAnswer::No); // the end-of-program question: keep the state
    click(ui().run);
    ASSERT_TRUE(waitForRunEnd(20000));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"程序已运行完，复位吗！"));
    EXPECT_EQ(window()->cpu().xram[0x1FFF], 0x00); // FFh + 1 of the second pass
    // The box followed the last write, and every row written is current wherever it scrolls.
    EXPECT_EQ(ui().memoryScroll->value(), 0x1FF);
    EXPECT_EQ(boxLines(ui().memory)[0],
              QStringLiteral("1FF0H: F1 F2 F3 F4 F5 F6 F7 F8  F9 FA FB FC FD FE FF 00"));
    for (int top : {0, 0x100, 0x1F0, 0x1FE, 0x200})
        EXPECT_EQ(memoryRowsFrom(top), expectedRows(top)) << top;

    // Rows written while the program memory was shown are current when the RAM comes back.
    clickTab(ui().memoryTabs, SimulatorWindow::RomTab);
    click(ui().reset);
    prompter.answerMessage(MsgAnswer::No);
    click(ui().run);
    ASSERT_TRUE(waitForRunEnd(20000));
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);
    for (int top : {0, 0x80, 0x1F0})
        EXPECT_EQ(memoryRowsFrom(top), expectedRows(top)) << top;
}

TEST_F(SimulatorWindowRunTest, FastRunToABreakpointStopsOnItsLineAfterManyBatches)
{
    openProgram(QStringLiteral("stopat"));
    clickPaneLine(lineOfAddress(0x0008));
    click(ui().setBreakpoint);
    click(ui().reset);
    click(ui().fastMode);
    click(ui().toBreakpoint);
    ASSERT_TRUE(waitForRunEnd(20000));
    Cpu51 &cpu = window()->cpu();
    EXPECT_EQ(cpu.pc, 0x0008);
    EXPECT_EQ(cpu.iram[6], 0); // both loops ran out, nothing after the breakpoint ran
    EXPECT_EQ(cpu.iram[7], 0);
    EXPECT_EQ(cpu.sfr[Sfr::ACC], 0);
    EXPECT_EQ(cpu.iram[5], 0);
    EXPECT_EQ(listingLine(lineOfAddress(0x0008)).left(6), QStringLiteral(">*0008"));
    expectViewsShowTheState();
    // A run on from the breakpoint stops at once; a plain run goes past it.
    click(ui().toBreakpoint);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(cpu.pc, 0x0008);
    click(ui().run);
    EXPECT_TRUE(QTest::qWaitFor([&] { return cpu.iram[5] == 1; }, 5000));
    click(ui().run);
    EXPECT_EQ(cpu.pc, 0x000B);
    EXPECT_EQ(cpu.sfr[Sfr::ACC], 0x55);
}

TEST_F(SimulatorWindowRunTest, DynamicRunShowsTheStateWhileRunningAndExactlyAtTheStop)
{
    openProgram(QStringLiteral("count"));
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);
    const QStringList resetRam = boxLines(ui().internalRam);
    click(ui().run); // dynamic mode is the default
    // The views change while the run goes on, not only when it stops.
    EXPECT_TRUE(QTest::qWaitFor([&] { return boxLines(ui().internalRam) != resetRam; }, 5000));
    EXPECT_EQ(window()->running(), RunKind::Run);
    const QString shownPc = ui().pc->text();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().pc->text() != shownPc; }, 5000));
    // A frame was just shown: stop between two frames, after instructions no frame showed.
    QTest::qWait(5);
    click(ui().run);
    ASSERT_EQ(window()->running(), RunKind::None);
    expectViewsShowTheState();
    // The box shows the row MOVX wrote last, as it is now, before anything scrolls it.
    EXPECT_EQ(ui().memoryScroll->value(), 0x20);
    EXPECT_EQ(boxLines(ui().memory), expectedRows(0x20));
    EXPECT_EQ(memoryRowsFrom(0x20), expectedRows(0x20));
    // The run may stop between the MOVX at 0005H and the copy into 30H that follows it.
    const Cpu51 &cpu = window()->cpu();
    const int copied = cpu.pc == 0x0006 ? (cpu.iram[0x30] + 1) & 0xFF : cpu.iram[0x30];
    EXPECT_EQ(cpu.xram[0x200], copied) << "stopped at " << cpu.pc;
}

} // namespace
