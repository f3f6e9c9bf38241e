// The simulator window in the real main window: loading and the reset views, step, run and stop,
// the breakpoint, the end-of-program question, the watchdog, the listing pane, the pin buttons and
// the close during a run.
#include "SimulatorWindowTestFixture.h"

#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTextBlock>

using namespace tw;
using twtest::boxLines;

namespace
{

constexpr int kYesNoExclamation = 52;

const QStringList kLoopProgram = {
    QStringLiteral("\tORG\t0000H"),  QStringLiteral("START:\tMOV\tA,#12H"), QStringLiteral("\tMOV\tR0,#30H"),
    QStringLiteral("LOOP:\tINC\tA"), QStringLiteral("\tMOV\tDPTR,#1234H"),  QStringLiteral("\tSJMP\tLOOP"),
    QStringLiteral("\tEND"),
};

class SimulatorWindowTest : public twtest::SimulatorWindowTest
{
  protected:
    void clickTab(QTabBar *bar, int index)
    {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    // Clicks pane line n (0-based) of the listing with a mouse button.
    void clickPaneLine(int n, Qt::MouseButton button = Qt::LeftButton)
    {
        QPlainTextEdit *pane = ui().listing;
        const QTextBlock block = pane->document()->findBlockByNumber(n);
        const QPoint point = pane->cursorRect(QTextCursor(block)).center() + QPoint(8, 0);
        QTest::mouseClick(pane->viewport(), button, {}, point);
    }
    QString panel(int n) const { return main->statusText(n); }
};

TEST_F(SimulatorWindowTest, OpensLockedInResetStateWithEveryView)
{
    SimulatorWindow *sim = openProgram(kLoopProgram);
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(sim->windowTitle(), QStringLiteral(u"MCS51  仿真"));
    EXPECT_TRUE(mainLocked());

    // Listing: title, the ">" on the first line with an address, nothing past the loaded lines.
    const QStringList pane = boxLines(ui().listing);
    ASSERT_EQ(pane.size(), 21);
    EXPECT_EQ(pane[0], QStringLiteral("  MCS51"));
    EXPECT_TRUE(pane[1].startsWith(QStringLiteral("    ")));
    EXPECT_TRUE(pane[2].startsWith(QStringLiteral("> 0000  7412"))) << pane[2].toStdString();
    EXPECT_EQ(pane[20], QString());
    EXPECT_EQ(ui().listingScroll->maximum(), 0);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0000"));
    EXPECT_EQ(ui().breakpoint->text(), QString());

    const QStringList iram = boxLines(ui().internalRam);
    ASSERT_EQ(iram.size(), 16);
    EXPECT_EQ(iram[1], QStringLiteral("10H: 00 00 00 00 00 00 00 00   00 00 00 00 00 00 00 00"));
    EXPECT_EQ(boxLines(ui().registers),
              (QStringList{QStringLiteral(u"  区 0"), QString(), " R0: 00", " R1: 00", " R2: 00", " R3: 00",
                           " R4: 00", " R5: 00", " R6: 00", " R7: 00"}));
    EXPECT_EQ(boxLines(ui().psw)[0], QStringLiteral(" Cy:  0"));
    const QStringList sfr = boxLines(ui().sfr);
    EXPECT_EQ(sfr[0], QStringLiteral("DPTR:   0000         DPTR1:   0000"));
    EXPECT_EQ(sfr[1], QString());
    EXPECT_EQ(sfr[2], QStringLiteral("SP:     07   A:      00   B:      00"));
    EXPECT_EQ(sfr[5], QStringLiteral("P1:     FF   TH0:    00   RCAP2L: 00"));
    const QStringList bits = boxLines(ui().bits);
    ASSERT_EQ(bits.size(), 15);
    EXPECT_EQ(bits[0], QStringLiteral(" 00H: 0 0 0 0 0 0 0 0        08H: 0 0 0 0 0 0 0 0"));
    EXPECT_EQ(bits[8], QStringLiteral(" 80H: 1 1 1 1 1 1 1 1        88H: 0 0 0 0 0 0 0 0"));
    EXPECT_EQ(bits[14], QStringLiteral(" F0H: 0 0 0 0 0 0 0 0"));
    for (QPushButton *pin : ui().pins)
        EXPECT_EQ(pin->text(), QStringLiteral("1"));

    // The program ROM tab shows the code; the external RAM tab the cleared RAM.
    clickTab(ui().memoryTabs, SimulatorWindow::RomTab);
    EXPECT_EQ(boxLines(ui().memory)[0],
              QStringLiteral("0000H: 74 12 78 30 04 90 12 34  80 FA 00 00 00 00 00 00"));
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);
    EXPECT_EQ(boxLines(ui().memory)[1],
              QStringLiteral("0010H: 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00"));

    const char16_t *panels[] = {u"外中断0：禁止中断", u"定时器0：禁止中断", u"外中断1：禁止中断",
                                u"定时器1：禁止中断", u"串行口：禁止中断",  u"CPU：正常",
                                u"WDT：未激活"};
    for (int p = 2; p <= 8; ++p)
        EXPECT_EQ(panel(p), QString::fromUtf16(panels[p - 2])) << p;
    EXPECT_EQ(ui().crystal->currentText(), QStringLiteral("11.0592"));
    EXPECT_EQ(ui().crystal->count(), 12);
    EXPECT_TRUE(ui().dynamicMode->isChecked());
    EXPECT_FALSE(ui().fastMode->isChecked());
    EXPECT_FALSE(ui().ramSet->isVisible());
}

TEST_F(SimulatorWindowTest, FitsTheScreenOnEveryPageWithTheRamSetFrameOpen)
{
    SimulatorWindow *sim = openProgram(kLoopProgram);
    QTest::mouseDClick(ui().internalRam->viewport(), Qt::LeftButton);
    ASSERT_TRUE(ui().ramSet->isVisible());
    const int rows = QFontMetrics(ui().memory->font()).lineSpacing() * 18;
    for (int io : {SimulatorWindow::PinTab, SimulatorWindow::TransmitTab, SimulatorWindow::ReceiveTab})
        for (int memory : {SimulatorWindow::InternalRamTab, SimulatorWindow::ExternalRamTab}) {
            clickTab(ui().ioTabs, io);
            clickTab(ui().memoryTabs, memory);
            QCoreApplication::processEvents();
            // Room left for a title bar on a 1024x768 screen; the 18 memory rows all show.
            EXPECT_LE(sim->minimumSizeHint().height(), 740) << io << memory;
            EXPECT_LE(sim->minimumSizeHint().width(), 1024) << io << memory;
            EXPECT_LE(sim->height(), 740) << io << memory;
            if (memory == SimulatorWindow::ExternalRamTab)
                EXPECT_GE(ui().memory->viewport()->height(), rows) << io;
        }
}

TEST_F(SimulatorWindowTest, StepRunStopAndBreakpoint)
{
    openProgram(kLoopProgram);
    steps(2);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0004"));
    const int line4 = lineOfAddress(0x0004);
    EXPECT_TRUE(listingLine(line4).startsWith(QLatin1Char('>')));
    EXPECT_TRUE(listingLine(lineOfAddress(0)).startsWith(QLatin1Char(' ')));
    EXPECT_EQ(boxLines(ui().internalRam)[0],
              QStringLiteral("00H: 30 00 00 00 00 00 00 00   00 00 00 00 00 00 00 00"));
    EXPECT_EQ(boxLines(ui().registers)[2], QStringLiteral(" R0: 30"));
    EXPECT_TRUE(boxLines(ui().sfr)[2].contains(QStringLiteral("A:      12")));

    // Run and stop, in both refresh modes: the buttons are locked while it runs.
    for (QRadioButton *mode : {ui().dynamicMode, ui().fastMode}) {
        click(mode);
        click(ui().run);
        EXPECT_EQ(ui().run->text(), QStringLiteral(u"停止运行"));
        for (QPushButton *locked :
             {ui().reset, ui().step, ui().toBreakpoint, ui().setBreakpoint, ui().clearRam})
            EXPECT_FALSE(locked->isEnabled());
        QTest::qWait(30);
        EXPECT_EQ(window()->running(), RunKind::Run);
        click(ui().run);
        EXPECT_EQ(window()->running(), RunKind::None);
        EXPECT_EQ(ui().run->text(), QStringLiteral(u"连续运行"));
        for (QPushButton *freed :
             {ui().reset, ui().step, ui().toBreakpoint, ui().setBreakpoint, ui().clearRam})
            EXPECT_TRUE(freed->isEnabled());
        const int pc = window()->cpu().pc;
        EXPECT_TRUE(pc >= 4 && pc <= 8) << pc;
        EXPECT_TRUE(listingLine(lineOfAddress(static_cast<std::uint16_t>(pc))).startsWith(QLatin1Char('>')));
    }

    // Without a breakpoint, run to breakpoint does nothing.
    click(ui().toBreakpoint);
    EXPECT_EQ(window()->running(), RunKind::None);

    // A breakpoint on the SJMP line (PC moved there through the listing), then run to it from reset.
    const int sjmpLine = lineOfAddress(0x0008);
    clickPaneLine(sjmpLine);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));
    click(ui().setBreakpoint);
    EXPECT_EQ(ui().setBreakpoint->text(), QStringLiteral(u"清除断点"));
    EXPECT_EQ(ui().setBreakpoint->toolTip(), QStringLiteral(u"清除已设置的断点"));
    EXPECT_EQ(ui().breakpoint->text(), QStringLiteral("0008"));
    EXPECT_EQ(listingLine(sjmpLine).left(6), QStringLiteral(">*0008"));
    click(ui().reset);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0000"));
    click(ui().toBreakpoint);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));
    EXPECT_EQ(ui().toBreakpoint->text(), QStringLiteral(u"执行到断点"));
    EXPECT_TRUE(ui().run->isEnabled());
    // Starting on the breakpoint stops at once.
    click(ui().toBreakpoint);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));

    click(ui().setBreakpoint);
    EXPECT_EQ(ui().breakpoint->text(), QString());
    EXPECT_EQ(listingLine(sjmpLine).left(6), QStringLiteral("> 0008"));
    click(ui().toBreakpoint);
    EXPECT_EQ(window()->running(), RunKind::None);
}

TEST_F(SimulatorWindowTest, ListingClicksMoveThePcOnlyOnAddressLines)
{
    openProgram(kLoopProgram);
    const int dptrLine = lineOfAddress(0x0005);
    clickPaneLine(dptrLine);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0005"));
    EXPECT_EQ(window()->listing().pcLine(), dptrLine);
    EXPECT_TRUE(listingLine(dptrLine).startsWith(QLatin1Char('>')));
    EXPECT_TRUE(listingLine(lineOfAddress(0)).startsWith(QLatin1Char(' ')));
    steps(1);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));

    // Title, a line without address, a line past the listing and the right button: no change.
    for (int n : {0, 1, 15})
        clickPaneLine(n);
    clickPaneLine(lineOfAddress(0), Qt::RightButton);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));
    EXPECT_TRUE(listingLine(lineOfAddress(8)).startsWith(QLatin1Char('>')));

    // Keys: the caret line becomes the PC line when the key is released.
    ui().listing->setFocus();
    clickPaneLine(lineOfAddress(0));
    QTest::keyClick(ui().listing, Qt::Key_Down);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0002"));
    QTest::keyClick(ui().listing, Qt::Key_Down);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0004"));
}

TEST_F(SimulatorWindowTest, EndOfProgramQuestionInStepAndRun)
{
    openProgram({QStringLiteral("\tNOP"), QStringLiteral("\tEND")});
    steps(1);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0001"));
    prompter.answerMessage(MsgAnswer::No);
    steps(1);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral(u"程序已运行完，复位吗！"));
    EXPECT_EQ(prompter.calls()[0].style, kYesNoExclamation);
    EXPECT_EQ(prompter.calls()[0].title, QString());
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0001"));

    prompter.answerMessage(MsgAnswer::Yes);
    steps(1);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0000"));

    prompter.answerMessage(MsgAnswer::No);
    click(ui().run);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(prompter.calls().size(), 3);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0001"));
    EXPECT_EQ(ui().run->text(), QStringLiteral(u"连续运行"));
    EXPECT_TRUE(ui().step->isEnabled());
}

TEST_F(SimulatorWindowTest, ExpiredWatchdogResetsBeforeTheNextInstruction)
{
    // 30h counts the starts; RESET leaves internal RAM alone.
    openProgram({QStringLiteral("\tINC\t30H"), QStringLiteral("\tMOV\t0A6H,#1EH"),
                 QStringLiteral("\tMOV\t0A6H,#0E1H"), QStringLiteral("\tMOV\tA,#5"),
                 QStringLiteral("HERE:\tSJMP\tHERE"), QStringLiteral("\tEND")});
    steps(4);
    EXPECT_EQ(panel(8), QStringLiteral(u"WDT：已激活"));
    EXPECT_EQ(ui().pc->text(), QStringLiteral("000A"));
    window()->cpu().wdtCount = Cpu51::kWatchdogLimit + 1;
    steps(1);
    // RESET, then the instruction at 0000h.
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0002"));
    EXPECT_EQ(panel(8), QStringLiteral(u"WDT：未激活"));
    EXPECT_TRUE(boxLines(ui().sfr)[2].contains(QStringLiteral("A:      00")));
    EXPECT_TRUE(boxLines(ui().internalRam)[3].startsWith(QStringLiteral("30H: 02")));

    // In a fast run the watchdog keeps resetting the program, which arms it again.
    click(ui().fastMode);
    click(ui().run);
    EXPECT_TRUE(QTest::qWaitFor([this] { return window()->cpu().iram[0x30] >= 4; }, 5000));
    click(ui().run);
}

TEST_F(SimulatorWindowTest, PinClicksCountTimerZeroAndRaiseExternalInterrupt)
{
    openProgram({QStringLiteral("\tLJMP\tMAIN"), QStringLiteral("\tORG\t0003H"), QStringLiteral("\tINC\tR7"),
                 QStringLiteral("\tRETI"), QStringLiteral("\tORG\t0030H"),
                 QStringLiteral("MAIN:\tMOV\tTMOD,#05H"), QStringLiteral("\tSETB\tTR0"),
                 QStringLiteral("\tSETB\tIT0"), QStringLiteral("\tSETB\tEX0"), QStringLiteral("\tSETB\tEA"),
                 QStringLiteral("HERE:\tSJMP\tHERE"), QStringLiteral("\tEND")});
    steps(6);
    EXPECT_EQ(panel(2), QStringLiteral(u"外中断0：允许中断"));
    QPushButton *t0 = ui().pins[28], *int0 = ui().pins[26];
    click(t0); // falling edge: one count
    EXPECT_EQ(t0->text(), QStringLiteral("0"));
    EXPECT_TRUE(boxLines(ui().sfr)[4].contains(QStringLiteral("TL0:    01")));
    EXPECT_TRUE(boxLines(ui().sfr)[7].startsWith(QStringLiteral("P3:     EF")));
    click(t0); // rising edge: no count
    click(t0);
    EXPECT_TRUE(boxLines(ui().sfr)[4].contains(QStringLiteral("TL0:    02")));

    click(int0);
    EXPECT_EQ(int0->text(), QStringLiteral("0"));
    steps(1);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0003"));
    EXPECT_EQ(panel(2), QStringLiteral(u"外中断0：响应中断"));
    steps(2);
    EXPECT_EQ(boxLines(ui().registers)[9], QStringLiteral(" R7: 01"));

    // RESET shows the reset latches on the buttons again.
    click(ui().reset);
    EXPECT_EQ(int0->text(), QStringLiteral("1"));
    EXPECT_EQ(panel(2), QStringLiteral(u"外中断0：禁止中断"));
}

TEST_F(SimulatorWindowTest, TimerTicksCountInBothModes)
{
    openProgram({QStringLiteral("\tMOV\tTMOD,#01H"), QStringLiteral("\tSETB\tTR0"),
                 QStringLiteral("HERE:\tSJMP\tHERE"), QStringLiteral("\tEND")});
    steps(2);
    QTest::qWait(40);
    steps(1);
    EXPECT_NE(window()->cpu().sfr[Sfr::TL0], 0);
    click(ui().fastMode);
    const int before = window()->cpu().sfr[Sfr::TL0] + window()->cpu().sfr[Sfr::TH0] * 256;
    click(ui().run);
    QTest::qWait(40);
    click(ui().run);
    EXPECT_NE(window()->cpu().sfr[Sfr::TL0] + window()->cpu().sfr[Sfr::TH0] * 256, before);
}

TEST_F(SimulatorWindowTest, ClosingDuringARunRestoresTheMainWindow)
{
    openProgram(kLoopProgram);
    click(ui().fastMode);
    click(ui().run);
    QTest::qWait(20);
    window()->close();
    flushDeletes();
    QTest::qWait(20);
    EXPECT_EQ(window(), nullptr);
    EXPECT_FALSE(mainLocked());
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mEml")));
    for (int p = 2; p <= 8; ++p)
        EXPECT_EQ(panel(p), QString());

    // A new opening starts clean.
    SimulatorWindow *again = open(dir.filePath(QStringLiteral("prog.bin")));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(mainLocked());
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0000"));
    EXPECT_EQ(boxLines(ui().internalRam)[0],
              QStringLiteral("00H: 00 00 00 00 00 00 00 00   00 00 00 00 00 00 00 00"));
    EXPECT_TRUE(ui().dynamicMode->isChecked());
}

TEST_F(SimulatorWindowTest, SimulateCommandChecksTheChosenFiles)
{
    const QString bin = assemble(QStringLiteral("demo"), kLoopProgram);
    // Not a code-image name: nothing.
    prompter.answerFile(dir.filePath(QStringLiteral("demo.Bin")));
    EXPECT_TRUE(main->clickToolbarButton(QStringLiteral("FZ51")));
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(main->currentBinPath(), QString());
    EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"请选择待仿真的目标文件"));

    // No listing lines beside it: the message names the missing file; the path is kept.
    twtest::writeBytes(dir.filePath(QStringLiteral("alone.BIN")), QByteArray(4, '\0'));
    prompter.answerFile(dir.filePath(QStringLiteral("alone.BIN")));
    EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("emMCS51")));
    EXPECT_EQ(prompter.calls().last().text,
              QStringLiteral(u"缺失") + dir.filePath(QStringLiteral("alone.lt")) + QStringLiteral(u"文件"));
    EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"信息"));
    EXPECT_EQ(main->currentBinPath(), dir.filePath(QStringLiteral("alone.BIN")));
    EXPECT_EQ(window(), nullptr);

    // A listing too long to hold is refused before anything opens.
    QStringList many(Listing::kMaxLines + 1, QStringLiteral("  0000  00"));
    twtest::writeBytes(dir.filePath(QStringLiteral("alone.lt")),
                       many.join(QStringLiteral("\r\n")).toLatin1());
    prompter.answerFile(dir.filePath(QStringLiteral("alone.BIN")));
    EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("emMCS51")));
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral(u"列表文件超过20000行，不能仿真！"));
    EXPECT_EQ(window(), nullptr);
    EXPECT_FALSE(mainLocked());

    prompter.answerFile(bin);
    EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("emMCS51")));
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(main->currentBinPath(), bin);
    EXPECT_FALSE(main->triggerMenuItem(QStringLiteral("emMCS51")));
}

} // namespace
