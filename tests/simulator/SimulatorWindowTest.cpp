// The simulator window in the real main window: the simulate command and loading, the reset and
// later views, step, run and stop, the breakpoint, the end-of-program question, the watchdog,
// the listing pane, the pin buttons and the close during a run.
#include "SimulatorWindowTestFixture.h"

#include <gtest/gtest-spi.h>

using namespace tw;
using twtest::boxLines;

namespace
{

class SimulatorWindowTest : public twtest::SimulatorWindowTest
{
  protected:
    // Clicks pane line n (0-based) of the listing with a mouse button.
    void clickPaneLine(int n, Qt::MouseButton button = Qt::LeftButton)
    {
        QPlainTextEdit *pane = ui().listing;
        const QTextBlock block = pane->document()->findBlockByNumber(n);
        QTest::mouseClick(pane->viewport(), button, {},
                          pane->cursorRect(QTextCursor(block)).center() + QPoint(8, 0));
    }
};

TEST_F(SimulatorWindowTest, OpensLockedInResetStateAndClosesSafelyDuringARun)
{
    const QString bin = assemble(QStringLiteral("loop"));
    SimulatorWindow *sim = open(bin);
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(sim->windowTitle(), QStringLiteral(u"MCS51  仿真"));
    EXPECT_TRUE(pcMarkedAt(0));
    EXPECT_EQ(ui().listingScroll->maximum(), 0);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0000"));
    EXPECT_EQ(ui().breakpoint->text(), QString());
    EXPECT_EQ(ui().crystal->currentText(), QStringLiteral("11.0592"));
    EXPECT_EQ(ui().crystal->count(), 12);
    EXPECT_TRUE(ui().dynamicMode->isChecked());
    EXPECT_FALSE(ui().ramSet->isVisible());

    // Every page fits a 1024x768 screen with room for a title bar, the RAM-set frame open.
    QTest::mouseDClick(ui().internalRam->viewport(), Qt::LeftButton);
    ASSERT_TRUE(ui().ramSet->isVisible());
    const int rows = QFontMetrics(ui().memory->font()).lineSpacing() * 18;
    for (int io : {SimulatorWindow::PinTab, SimulatorWindow::TransmitTab, SimulatorWindow::ReceiveTab})
        for (int memory : {SimulatorWindow::InternalRamTab, SimulatorWindow::ExternalRamTab}) {
            clickTab(ui().ioTabs, io);
            clickTab(ui().memoryTabs, memory);
            QCoreApplication::processEvents();
            EXPECT_LE(sim->minimumSizeHint().height(), 740) << io << memory;
            EXPECT_LE(sim->minimumSizeHint().width(), 1024) << io << memory;
            EXPECT_LE(sim->height(), 740) << io << memory;
            if (memory == SimulatorWindow::ExternalRamTab) {
                EXPECT_GE(ui().memory->viewport()->height(), rows) << io;
            }
        }
    // Each view shows on its tab.
    for (SimulatorView view : kAllViews) {
        clickTab(ui().memoryTabs, viewRow(view).place.tab);
        EXPECT_TRUE((ui().*viewRow(view).box)->isVisible()) << viewRow(view).name;
    }
    expectViews(QStringLiteral("reset"), EveryView);

    // Closed during a fast run: the main window gets its menus, toolbar and panels back.
    click(ui().fastMode);
    click(ui().run);
    QTest::qWait(20);
    sim->close();
    flush();
    QTest::qWait(20);
    EXPECT_EQ(window(), nullptr);
    expectViews(QStringLiteral("closed"));
    // A new opening starts clean.
    ASSERT_NE(open(bin), nullptr);
    EXPECT_TRUE(ui().dynamicMode->isChecked());
    expectViews(QStringLiteral("reset"));
}

TEST_F(SimulatorWindowTest, ViewsFollowTheStateUntilIdleMode)
{
    openProgram(QStringLiteral("views"));
    steps(10);
    // A MOVX read leaves the external RAM box where it was scrolled.
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);
    ui().memoryScroll->setValue(0x10);
    steps(3);
    EXPECT_EQ(ui().memoryScroll->value(), 0x10);
    EXPECT_TRUE(boxLines(ui().memory)[0].startsWith(QStringLiteral("0100H:")));
    // Idle mode: a step executes nothing, a run stops at once.
    steps(2);
    click(ui().run);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0023"));
    EXPECT_EQ(ui().run->text(), QStringLiteral(u"连续运行"));
    expectViews(QStringLiteral("state"), EveryView);
}

TEST_F(SimulatorWindowTest, StepRunStopAndBreakpoint)
{
    openProgram(QStringLiteral("loop"));
    // After reset the PC line is 0000H: a breakpoint there counts as none.
    click(ui().setBreakpoint);
    EXPECT_EQ(ui().breakpoint->text(), QStringLiteral("0000"));
    click(ui().toBreakpoint);
    EXPECT_EQ(window()->running(), RunKind::None);
    click(ui().setBreakpoint);

    steps(2);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0004"));
    EXPECT_TRUE(pcMarkedAt(4));
    EXPECT_FALSE(pcMarkedAt(0));

    // Run and stop, in both refresh modes: the buttons are locked while it runs.
    const QList<QPushButton *> locked = {ui().reset, ui().step, ui().toBreakpoint, ui().setBreakpoint,
                                         ui().clearRam};
    for (QRadioButton *mode : {ui().dynamicMode, ui().fastMode}) {
        click(mode);
        click(ui().run);
        EXPECT_EQ(ui().run->text(), QStringLiteral(u"停止运行"));
        for (QPushButton *button : locked)
            EXPECT_FALSE(button->isEnabled());
        QTest::qWait(30);
        EXPECT_EQ(window()->running(), RunKind::Run);
        click(ui().run);
        EXPECT_EQ(window()->running(), RunKind::None);
        EXPECT_EQ(ui().run->text(), QStringLiteral(u"连续运行"));
        for (QPushButton *button : locked)
            EXPECT_TRUE(button->isEnabled());
        const int pc = window()->cpu().pc;
        EXPECT_TRUE(pc >= 4 && pc <= 8) << pc;
        EXPECT_TRUE(pcMarkedAt(static_cast<std::uint16_t>(pc)));
    }

    // A breakpoint on the SJMP line (PC moved there through the listing), then run to it from reset.
    const int sjmpLine = lineOfAddress(0x0008);
    clickPaneLine(sjmpLine);
    click(ui().setBreakpoint);
    EXPECT_EQ(ui().setBreakpoint->text(), QStringLiteral(u"清除断点"));
    EXPECT_EQ(ui().setBreakpoint->toolTip(), QStringLiteral(u"清除已设置的断点"));
    EXPECT_EQ(ui().breakpoint->text(), QStringLiteral("0008"));
    EXPECT_EQ(listingLine(sjmpLine).left(6), QStringLiteral(">*0008"));
    click(ui().reset);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0000"));
    // The second run starts on the breakpoint and stops at once.
    for (int k = 0; k < 2; ++k) {
        click(ui().toBreakpoint);
        ASSERT_TRUE(waitForRunEnd());
        EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));
    }
    EXPECT_EQ(ui().toBreakpoint->text(), QStringLiteral(u"执行到断点"));
    EXPECT_TRUE(ui().run->isEnabled());

    click(ui().setBreakpoint);
    EXPECT_EQ(ui().breakpoint->text(), QString());
    EXPECT_EQ(listingLine(sjmpLine).left(6), QStringLiteral("> 0008"));
    click(ui().toBreakpoint);
    EXPECT_EQ(window()->running(), RunKind::None);
}

TEST_F(SimulatorWindowTest, ListingClicksMoveThePcOnlyOnAddressLines)
{
    openProgram(QStringLiteral("loop"));
    clickPaneLine(lineOfAddress(0x0005));
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0005"));
    EXPECT_TRUE(pcMarkedAt(5));
    steps(1);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));

    // Title, a line without address, a line past the listing and the right button: no change.
    for (int n : {0, 1, 12})
        clickPaneLine(n);
    clickPaneLine(lineOfAddress(0), Qt::RightButton);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0008"));
    EXPECT_TRUE(pcMarkedAt(8));

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
    openProgram(QStringLiteral("nop"));
    steps(1);
    prompter.answerMessage(MsgAnswer::No);
    steps(1);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(lastMessage(), QStringLiteral(u"程序已运行完，复位吗！"));
    EXPECT_EQ(prompter.calls()[0].style, 52); // Yes/No, exclamation
    EXPECT_EQ(prompter.calls()[0].title, QString());
    EXPECT_EQ(prompter.calls()[0].asker, window()); // over the simulator window
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
    openProgram(QStringLiteral("watchdog"));
    steps(4);
    EXPECT_EQ(main->statusText(8), QStringLiteral(u"WDT：已激活"));
    EXPECT_EQ(ui().pc->text(), QStringLiteral("000A"));
    window()->cpu().wdtCount = Cpu51::kWatchdogLimit + 1;
    steps(1);
    // RESET, then the instruction at 0000h.
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0002"));
    EXPECT_EQ(main->statusText(8), QStringLiteral(u"WDT：未激活"));
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
    openProgram(QStringLiteral("pins"));
    steps(6);
    EXPECT_EQ(main->statusText(2), QStringLiteral(u"外中断0：允许中断"));
    QPushButton *t0 = ui().pins[28], *int0 = ui().pins[26];
    click(t0); // falling edge: one count
    EXPECT_EQ(t0->text(), QStringLiteral("0"));
    expectViewsShowTheState(PinClicked);
    EXPECT_TRUE(boxLines(ui().sfr)[4].contains(QStringLiteral("TL0:    01")));
    EXPECT_TRUE(boxLines(ui().sfr)[7].startsWith(QStringLiteral("P3:     EF")));
    click(t0); // rising edge: no count
    click(t0);
    EXPECT_TRUE(boxLines(ui().sfr)[4].contains(QStringLiteral("TL0:    02")));

    click(int0);
    EXPECT_EQ(int0->text(), QStringLiteral("0"));
    steps(1);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0003"));
    EXPECT_EQ(main->statusText(2), QStringLiteral(u"外中断0：响应中断"));
    steps(2);
    EXPECT_EQ(boxLines(ui().registers)[9], QStringLiteral(" R7: 01"));

    // RESET shows the reset latches on the buttons again.
    click(ui().reset);
    EXPECT_EQ(int0->text(), QStringLiteral("1"));
    EXPECT_EQ(main->statusText(2), QStringLiteral(u"外中断0：禁止中断"));
}

TEST_F(SimulatorWindowTest, TimerTicksCountInBothModes)
{
    openProgram(QStringLiteral("timer"));
    steps(2); // timer 0 in mode 1, running
    const auto timer0 = [this] {
        return window()->cpu().sfr[Sfr::TL0] + window()->cpu().sfr[Sfr::TH0] * 256;
    };
    // One count per millisecond of real time, whatever the window does meanwhile: never more than
    // the time allows (plus the one catch-up batch that may have been due when counting began),
    // and not far fewer.
    const auto expectRealTimeRate = [&](const char *what) {
        QTest::qWait(10);
        const int before = timer0();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(300);
        const int counted = timer0() - before;
        const qint64 ms = clock.elapsed();
        EXPECT_LE(counted, ms + TickClock::kMaxCatchUp)
            << what << ": " << counted << " counts in " << ms << " ms";
        EXPECT_GE(counted, ms * 2 / 5) << what << ": " << counted << " counts in " << ms << " ms";
    };
    expectRealTimeRate("between steps");
    click(ui().run);
    expectRealTimeRate("dynamic run");
    click(ui().run);
    click(ui().fastMode);
    click(ui().run);
    expectRealTimeRate("fast run");
    click(ui().run);
    EXPECT_EQ(window()->running(), RunKind::None);
}

TEST_F(SimulatorWindowTest, SteppingThroughATimerRoutineThatKeepsFiringAdvancesTheProgram)
{
    openProgram(QStringLiteral("reload"));
    steps(6); // timer 0 runs from FFF0H, its interrupt enabled; the loop is at 003EH
    const Cpu51 &cpu = window()->cpu();
    const auto timerFlag = [&cpu] { return (cpu.sfr[Sfr::TCON] & 0x20) != 0; };
    for (int round = 1; round <= 6; ++round) {
        // A request pending before a step of the loop: its instruction runs, then the entry.
        ASSERT_TRUE(QTest::qWaitFor(timerFlag, 10000)) << round;
        steps(1);
        EXPECT_EQ(ui().pc->text(), QStringLiteral("000B")) << round;
        EXPECT_EQ(cpu.iram[7], (round + 1) / 2) << round; // INC R7 and SJMP take turns
        // The routine reloads FFF0H; the next request is pending again at its RETI, which still
        // returns to the loop for one instruction.
        steps(3);
        ASSERT_TRUE(QTest::qWaitFor(timerFlag, 10000)) << round;
        steps(1);
        EXPECT_EQ(ui().pc->text(), round % 2 ? QStringLiteral("003F") : QStringLiteral("003E")) << round;
        EXPECT_EQ(cpu.iram[6], round);
    }
    expectViewsShowTheState();
}

TEST_F(SimulatorWindowTest, SimulateCommandChecksTheChosenFiles)
{
    const auto simulate = [this](const QString &name) {
        prompter.answerFile(dir.filePath(name));
        return main->triggerMenuItem(QStringLiteral("emMCS51"));
    };
    // Not a code-image name: nothing.
    prompter.answerFile(dir.filePath(QStringLiteral("loop.Bin")));
    EXPECT_TRUE(main->clickToolbarButton(QStringLiteral("FZ51")));
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(main->currentBinPath(), QString());
    EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"请选择待仿真的目标文件"));

    // No listing lines beside it: the message names the missing file; the path is kept.
    const QString hand = dir.filePath(QStringLiteral("hand.BIN"));
    twtest::writeBytes(hand, QByteArray::fromHex("74120480FD"));
    EXPECT_TRUE(simulate(QStringLiteral("hand.BIN")));
    EXPECT_EQ(lastMessage(),
              QStringLiteral(u"缺失") + dir.filePath(QStringLiteral("hand.lt")) + QStringLiteral(u"文件"));
    EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"信息"));
    EXPECT_EQ(main->currentBinPath(), hand);
    EXPECT_EQ(window(), nullptr);

    // Too many listing lines or code bytes are refused before anything opens.
    QStringList many(Listing::kMaxLines + 1, QStringLiteral("  0000  00"));
    twtest::writeBytes(dir.filePath(QStringLiteral("hand.lt")), many.join(QStringLiteral("\r\n")).toLatin1());
    EXPECT_TRUE(simulate(QStringLiteral("hand.BIN")));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"列表文件超过20000行，不能仿真！"));
    twtest::writeBytes(dir.filePath(QStringLiteral("big.bin")), QByteArray(65537, '\0'));
    twtest::writeBytes(dir.filePath(QStringLiteral("big.lt")), "  MCS51\r\n");
    EXPECT_TRUE(simulate(QStringLiteral("big.bin")));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"目标文件超过64K字节，不能仿真！"));
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mEml")));

    // A hand-made listing with CR LF and LF line ends, odd lines and more than a pane of lines.
    twtest::writeBytes(dir.filePath(QStringLiteral("hand.lt")),
                       twtest::readBytes(windowData(QStringLiteral("hand.lt"))));
    EXPECT_TRUE(simulate(QStringLiteral("hand.BIN")));
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(ui().listingScroll->maximum(), 16);
    expectViews(QStringLiteral("hand"));
    // Lines without four upper-case hexadecimal digits in columns 3 to 6 leave the PC alone.
    steps(1);
    for (int line : {0, 1, 5, 6})
        clickPaneLine(line);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0002"));
    EXPECT_EQ(window()->listing().pcLine(), 4);
    ui().listingScroll->setValue(20);
    EXPECT_EQ(boxLines(ui().listing)[13], QStringLiteral("  0003  80FD\tlast"));
    EXPECT_EQ(boxLines(ui().listing)[14], QString());

    EXPECT_EQ(main->currentBinPath(), hand);
    EXPECT_FALSE(main->triggerMenuItem(QStringLiteral("emMCS51")));
}

} // namespace

TEST_F(SimulatorWindowTest, ListingPaneShowsItsFourteenLinesAndScrollsWithTheWheel)
{
    openProgram(QStringLiteral("long"));
    QPlainTextEdit *pane = ui().listing;
    QScrollBar *scroll = ui().listingScroll;
    ASSERT_GT(window()->listing().count(), Listing::kPaneLines);

    // The box is exactly as tall as its fourteen lines: the last one whole, no room for another.
    const qreal line =
        pane->document()->documentLayout()->blockBoundingRect(pane->document()->firstBlock()).height();
    const QRect view = pane->viewport()->rect();
    EXPECT_EQ(pane->cursorForPosition(QPoint(2, view.bottom() - 1)).blockNumber(),
              Listing::kVisibleLines - 1);
    EXPECT_GE(view.height(), Listing::kVisibleLines * line);
    EXPECT_LT(view.height(), (Listing::kVisibleLines + 1) * line);

    // The wheel moves the listing scroll bar, and the pane follows it; the box itself never scrolls.
    const auto wheel = [pane](int notches) {
        QWheelEvent event(QPointF(10, 10), pane->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(pane->viewport(), &event);
    };
    const int stride = QApplication::wheelScrollLines();
    wheel(-1);
    EXPECT_EQ(scroll->value(), stride);
    EXPECT_EQ(boxLines(pane)[0], listingLine(stride));
    EXPECT_EQ(pane->verticalScrollBar()->value(), 0);
    for (int k = 0; k < 20; ++k)
        wheel(-1);
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_EQ(boxLines(pane)[Listing::kVisibleLines - 1], listingLine(window()->listing().count() - 1));
    wheel(2);
    EXPECT_EQ(scroll->value(), scroll->maximum() - 2 * stride);
    for (int k = 0; k < 20; ++k)
        wheel(1);
    EXPECT_EQ(scroll->value(), 0);
    EXPECT_EQ(boxLines(pane)[0], listingLine(0));
    EXPECT_EQ(pane->verticalScrollBar()->value(), 0);

    // The listing's tabs stop every eight characters, as in the file.
    EXPECT_DOUBLE_EQ(pane->tabStopDistance(),
                     QFontMetricsF(pane->font()).horizontalAdvance(QLatin1Char(' ')) * 8);
}

TEST_F(SimulatorWindowTest, PcLineStaysWhollyInSightBesideLinesWiderThanThePane)
{
    openProgram(QStringLiteral("wide"));
    QPlainTextEdit *pane = ui().listing;
    const Listing &listing = window()->listing();
    // The commented lines do not fit: the box scrolls sideways.
    ASSERT_GT(pane->horizontalScrollBar()->maximum(), 0);

    // Each step moves the marker one line on, through more than a pane of lines; the marked line
    // is never under the sideways scroll bar or past the bottom of the box.
    for (int step = 0; step < 3 * Listing::kVisibleLines - 2; ++step) {
        const int paneLine = listing.pcLine() - listing.clampTop(ui().listingScroll->value());
        ASSERT_GE(paneLine, 0);
        ASSERT_LT(paneLine, Listing::kVisibleLines);
        EXPECT_TRUE(boxLines(pane)[paneLine].startsWith('>')) << "step " << step;
        const QRect line = pane->cursorRect(QTextCursor(pane->document()->findBlockByNumber(paneLine)));
        EXPECT_TRUE(pane->viewport()->rect().contains(line)) << "step " << step << ", pane line " << paneLine;
        steps(1);
    }
}

// What the golden views' comparison says when it fails: a section it has no view for by its name,
// and the texts that differ as text (every test file prints Qt texts so, support/QtPrinters.h).
TEST_F(SimulatorWindowTest, GoldenViewFailuresNameTheSectionAndShowTheTexts)
{
    openProgram(QStringLiteral("loop"));
    EXPECT_NONFATAL_FAILURE(viewText(QStringLiteral("pws")), "no view is named \"pws\"");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(viewText(QStringLiteral("psw")).first(), QString()), "\" Cy:  0\"");
}
