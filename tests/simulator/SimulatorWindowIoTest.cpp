// The simulator window's data pages: the serial transmit and receive pages and RAM editing with
// its checks and key filter.
#include "SimulatorWindowTestFixture.h"

#include <QElapsedTimer>

using namespace tw;
using twtest::boxLines;

namespace
{

constexpr int kOkInformation = 64;

class SimulatorWindowIoTest : public twtest::SimulatorWindowTest
{
  protected:
    void doubleClick(QPlainTextEdit *box) { QTest::mouseDClick(box->viewport(), Qt::LeftButton); }
    // Types into the RAM-set boxes and applies.
    void setRam(const QString &address, const QString &data)
    {
        ui().ramAddress->setText(address);
        ui().ramData->setText(data);
        click(ui().ramApply);
    }
    bool sfrRowHas(int row, const char *text)
    {
        return boxLines(ui().sfr)[row].contains(QLatin1String(text));
    }
};

TEST_F(SimulatorWindowIoTest, TransmitPageShowsEachByteModeAndRateUntilTimerOneStops)
{
    openProgram(QStringLiteral("transmit"));
    clickTab(ui().ioTabs, SimulatorWindow::TransmitTab);
    EXPECT_TRUE(ui().transmitFrame->isVisible());
    EXPECT_FALSE(ui().receiveFrame->isVisible());
    EXPECT_TRUE(ui().transmitRate->isVisible());
    EXPECT_FALSE(ui().receiveRate->isVisible());
    EXPECT_EQ(ui().rateFrame->title(), QStringLiteral(u"单片机发送程序的"));

    steps(5);
    EXPECT_EQ(ui().transmitted->toPlainText(), QStringLiteral("41 "));
    EXPECT_EQ(ui().serialMode->text(), QStringLiteral("1"));
    EXPECT_EQ(ui().transmitRate->text(), QStringLiteral("9600"));
    EXPECT_TRUE(sfrRowHas(9, "SCON:   52"));
    EXPECT_TRUE(prompter.calls().isEmpty());

    // Another crystal gives another rate for the next byte; "清空" empties the box.
    ui().crystal->setCurrentText(QStringLiteral("12"));
    steps(1);
    EXPECT_EQ(ui().transmitted->toPlainText(), QStringLiteral("41 42 "));
    EXPECT_EQ(ui().transmitRate->text(), QStringLiteral("10416.65625"));
    click(ui().clearTransmitted);
    EXPECT_EQ(ui().transmitted->toPlainText(), QString());

    // With timer 1 stopped the message comes after the SBUF write completed, and ends the run.
    click(ui().fastMode);
    click(ui().run);
    ASSERT_TRUE(waitForRunEnd());
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(lastMessage(), QStringLiteral(u"波特率发生器（定时器1）未启动！"));
    EXPECT_EQ(prompter.calls()[0].style, kOkInformation);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0016"));
    EXPECT_EQ(ui().run->text(), QStringLiteral(u"连续运行"));
    EXPECT_TRUE(ui().step->isEnabled());
    EXPECT_EQ(ui().transmitted->toPlainText(), QString());
    EXPECT_TRUE(window()->cpu().bit(Bit::TI));
    // A single step that meets the stopped generator shows the message and starts no run.
    steps(2);
    ASSERT_EQ(prompter.calls().size(), 2);
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0016"));
    EXPECT_EQ(window()->running(), RunKind::None);
    EXPECT_EQ(ui().run->text(), QStringLiteral(u"连续运行"));
}

TEST_F(SimulatorWindowIoTest, FastRunKeepsEveryTransmittedByte)
{
    // Mode 2 needs no baud-rate generator: a byte every three instructions.
    openProgram(QStringLiteral("mode2"));
    click(ui().fastMode);
    click(ui().run);
    // Run until well past the first slices, however slow this machine is at the moment.
    const auto sentSoFar = [&] {
        return ui().transmitted->toPlainText().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    QElapsedTimer clock;
    clock.start();
    while (sentSoFar().size() <= 2000 && clock.elapsed() < 30000)
        QTest::qWait(20);
    click(ui().run);
    const QStringList sent = sentSoFar();
    ASSERT_GT(sent.size(), 2000);
    EXPECT_EQ(window()->cpu().transmitsDropped, 0u);
    for (int k = 0; k < sent.size(); ++k)
        ASSERT_EQ(sent[k], QStringLiteral("%1_0").arg(k % 256, 2, 16, QLatin1Char('0')).toUpper()) << k;
    EXPECT_EQ(ui().serialMode->text(), QStringLiteral("2"));
    EXPECT_EQ(ui().transmitRate->text(), QStringLiteral("172800"));
}

TEST_F(SimulatorWindowIoTest, ReceiveFeederHandsBytesToSbufWithRi)
{
    openProgram(QStringLiteral("receive"));
    clickTab(ui().ioTabs, SimulatorWindow::ReceiveTab);
    EXPECT_TRUE(ui().receiveFrame->isVisible());
    EXPECT_FALSE(ui().transmitFrame->isVisible());
    EXPECT_EQ(ui().rateFrame->title(), QStringLiteral(u"单片机接收程序的"));
    steps(4);

    // Only upper-case hexadecimal digits go in.
    QTest::keyClicks(ui().toSend, QStringLiteral("31a32"));
    EXPECT_EQ(ui().toSend->text(), QStringLiteral("3132"));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"请输入十六进制代码！"));
    QTest::keyClick(ui().toSend, Qt::Key_Backspace);
    QTest::keyClick(ui().toSend, Qt::Key_2);
    EXPECT_EQ(ui().toSend->text(), QStringLiteral("3132"));

    prompter.clearCalls();
    click(ui().send);
    EXPECT_TRUE(prompter.calls().isEmpty());
    EXPECT_TRUE(ui().feeder->isActive());
    EXPECT_EQ(ui().receiveRate->text(), QStringLiteral("9600"));
    window()->feederTick();
    EXPECT_EQ(ui().toSend->text(), QStringLiteral("32"));
    // RI, and RB8 from the "Non" rule in mode 1.
    steps(1);
    EXPECT_TRUE(sfrRowHas(9, "SCON:   55"));
    EXPECT_TRUE(sfrRowHas(10, "SBUF:   31"));
    // RI still set: the next byte is lost, then the feeder stops.
    window()->feederTick();
    EXPECT_EQ(ui().toSend->text(), QString());
    EXPECT_EQ(window()->cpu().sfr[Sfr::SBUF], 0x31);
    window()->feederTick();
    EXPECT_FALSE(ui().feeder->isActive());

    ui().toSend->setText(QStringLiteral("313"));
    click(ui().send);
    EXPECT_EQ(lastMessage(), QStringLiteral(u"要发送的十六进制代码应是偶数位！"));
    EXPECT_FALSE(ui().feeder->isActive());
}

TEST_F(SimulatorWindowIoTest, RamSetWritesInternalAndExternalRamAfterItsChecks)
{
    openProgram(QStringLiteral("here"));
    // Only on the visible page's box.
    doubleClick(ui().memory);
    EXPECT_FALSE(ui().ramSet->isVisible());
    doubleClick(ui().internalRam);
    ASSERT_TRUE(ui().ramSet->isVisible());
    EXPECT_EQ(ui().ramSet->title(), QStringLiteral(u"片内RAM设置"));
    setRam(QStringLiteral("3"), QStringLiteral("0A0B"));
    EXPECT_FALSE(ui().ramSet->isVisible());
    EXPECT_EQ(boxLines(ui().internalRam)[0],
              QStringLiteral("00H: 00 00 00 0A 0B 00 00 00   00 00 00 00 00 00 00 00"));

    // Each failed check keeps the frame open and writes nothing.
    doubleClick(ui().internalRam);
    setRam(QStringLiteral("100"), QStringLiteral("11"));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"片内RAM地址应小于2位十六进制代码！"));
    setRam(QStringLiteral("40"), QStringLiteral("123"));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"数据应为偶数位十六进制代码！"));
    setRam(QStringLiteral("FF"), QStringLiteral("1122"));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"数据超出片内RAM的范围！"));
    EXPECT_EQ(prompter.calls().last().style, kOkInformation);
    EXPECT_EQ(prompter.calls().last().title, QString());
    EXPECT_TRUE(ui().ramSet->isVisible());
    EXPECT_EQ(window()->cpu().iram[0xFF], 0);
    EXPECT_EQ(window()->cpu().iram[0x40], 0);
    // Lower case is refused by the key filter; a step closes the frame.
    ui().ramData->clear();
    QTest::keyClicks(ui().ramData, QStringLiteral("a"));
    EXPECT_EQ(ui().ramData->text(), QString());
    EXPECT_EQ(lastMessage(), QStringLiteral(u"请输入十六进制代码！"));
    steps(1);
    EXPECT_FALSE(ui().ramSet->isVisible());

    // External RAM, also from the program ROM tab.
    clickTab(ui().memoryTabs, SimulatorWindow::RomTab);
    doubleClick(ui().memory);
    EXPECT_EQ(ui().ramSet->title(), QStringLiteral(u"片外RAM设置"));
    setRam(QStringLiteral("FFF"), QStringLiteral("12"));
    EXPECT_EQ(window()->cpu().xram[0x0FFF], 0x12);
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);
    ui().memoryScroll->setValue(0xFF);
    EXPECT_EQ(boxLines(ui().memory)[0],
              QStringLiteral("0FF0H: 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 12"));
    doubleClick(ui().memory);
    setRam(QStringLiteral("12345"), QStringLiteral("12"));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"片外RAM地址应小于4位十六进制代码！"));
    setRam(QStringLiteral("FFFF"), QStringLiteral("1234"));
    EXPECT_EQ(lastMessage(), QStringLiteral(u"数据超出片外RAM的范围！"));
    EXPECT_EQ(window()->cpu().xram[0xFFFF], 0);
    click(ui().ramCancel);
    EXPECT_FALSE(ui().ramSet->isVisible());

    // The memory tabs keep their own scroll positions.
    clickTab(ui().memoryTabs, SimulatorWindow::RomTab);
    EXPECT_EQ(ui().memoryScroll->value(), 0);
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);
    EXPECT_EQ(ui().memoryScroll->value(), 0xFF);

    // No double click during a run.
    click(ui().run);
    doubleClick(ui().memory);
    EXPECT_FALSE(ui().ramSet->isVisible());
    click(ui().run);
}

TEST_F(SimulatorWindowIoTest, MovxWritesScrollTheViewAndRamClearAsksForEachMemory)
{
    openProgram(QStringLiteral("movx"));
    steps(4);
    // A MOVX write scrolls the external RAM view to its row, also while another tab is shown,
    // and shows the byte in its column; near the top of memory the scroll bar stops at its maximum.
    EXPECT_EQ(ui().memoryScroll->value(), 0x12);
    expectViews(QStringLiteral("movx-0129"));
    steps(2);
    EXPECT_EQ(ui().memoryScroll->value(), 4082);
    expectViews(QStringLiteral("movx-fff8"));
    // Not while the program ROM is shown.
    clickTab(ui().memoryTabs, SimulatorWindow::RomTab);
    click(ui().reset);
    steps(4);
    EXPECT_EQ(ui().memoryScroll->value(), 0);
    clickTab(ui().memoryTabs, SimulatorWindow::ExternalRamTab);

    prompter.answerMessage(MsgAnswer::No);
    prompter.answerMessage(MsgAnswer::Yes);
    click(ui().clearRam);
    ASSERT_EQ(prompter.calls().size(), 2);
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral(u"片内RAM的全部数据将被清除，确定吗！"));
    EXPECT_EQ(prompter.calls()[1].text, QStringLiteral(u"片外RAM的全部数据将被清除，确定吗！"));
    EXPECT_EQ(prompter.calls()[1].style, 52); // Yes/No, exclamation
    EXPECT_EQ(window()->cpu().iram[0x30], 0x55);
    EXPECT_EQ(window()->cpu().xram[0x0129], 0);
    // The rebuilt view shows its first rows, wherever the scroll bar stands.
    EXPECT_EQ(boxLines(ui().memory)[0],
              QStringLiteral("0000H: 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00"));

    prompter.answerMessage(MsgAnswer::Yes);
    prompter.answerMessage(MsgAnswer::No);
    click(ui().clearRam);
    expectViewsShowTheState(InternalRamCleared);
    EXPECT_EQ(window()->cpu().iram[0x30], 0);
    EXPECT_TRUE(boxLines(ui().internalRam)[3].startsWith(QStringLiteral("30H: 00")));
    // SFRs and the PC stay.
    EXPECT_EQ(ui().pc->text(), QStringLiteral("0009"));
    EXPECT_TRUE(sfrRowHas(2, "A:      66"));
}

} // namespace
