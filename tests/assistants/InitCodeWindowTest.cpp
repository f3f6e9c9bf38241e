// The initialisation-code window in the real main window (offscreen): the three launchers and their
// pages, list picks and the TIM switch recomputing the baud page, the timer and interrupt pages
// driven by clicks and typing, the digit filter, and the window's independence from the lock.
#include "assistants/ui/InitCodeWindow.h"
#include "assistants/BaudRate.h"
#include "assistants/TimerCode.h"
#include "assistants/ui/BaudPageWidget.h"
#include "assistants/ui/InterruptPageWidget.h"
#include "assistants/ui/TimerPageWidget.h"
#include "common/ScriptedPrompter.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QString kInitCode = QString::fromLatin1(ToolName::InitCode);
const QString kDigitsOnly = QStringLiteral(u"请输入数字！");

QString shown(const QString &program)
{
    return QString(program).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QStringList items(const QComboBox *list)
{
    QStringList texts;
    for (int k = 0; k < list->count(); ++k)
        texts << list->itemText(k);
    return texts;
}

class InitCodeWindowTest : public twtest::ToolWindowTest
{
  protected:
    void SetUp() override
    {
        registerInitCodeWindow();
        ToolWindowTest::SetUp();
    }
    void TearDown() override
    {
        twtest::registerStandIns(false);
        ToolWindowTest::TearDown();
    }

    InitCodeWindow *launch(const char *item)
    {
        EXPECT_TRUE(main->triggerMenuItem(QString::fromLatin1(item)));
        return qobject_cast<InitCodeWindow *>(main->toolWindow(kInitCode));
    }
    // A pick from the list as the keyboard makes it (activated, not a typed text).
    static void pick(QComboBox *list, const QString &text)
    {
        const int index = list->findText(text);
        ASSERT_GE(index, 0) << qPrintable(text);
        list->setCurrentIndex(index == 0 ? 1 : index - 1);
        QTest::keyClick(list, index == 0 ? Qt::Key_Up : Qt::Key_Down);
        ASSERT_EQ(list->currentText(), text);
    }
    QStringList messages() const { return prompter.messageTexts(); }
    void expectOnlyDigitMessages(int count)
    {
        ASSERT_EQ(messages(), QStringList(count, kDigitsOnly));
        for (const auto &call : prompter.calls()) {
            EXPECT_EQ(call.style, MsgStyle::Information);
            EXPECT_EQ(call.title, QString());
        }
        prompter.clearCalls();
    }
};

} // namespace

TEST_F(InitCodeWindowTest, EachLauncherOpensItsPageWithFilledListsAndNothingComputed)
{
    InitCodeWindow *window = launch("btlsz");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral(u"波特率设置"));
    EXPECT_EQ(window->pos(), QPoint(319, 38)); // 2895 twips left of the middle, 5 % down
    EXPECT_TRUE(window->baudPage()->isVisible());
    EXPECT_FALSE(window->timerPage()->isVisible());
    EXPECT_FALSE(window->interruptPage()->isVisible());
    const auto &baud = window->baudPage()->controls();
    EXPECT_EQ(items(baud.crystal), QStringList({"4", "6", "8", "10", "11.0592", "12", "14.7456", "16", "18",
                                                "20", "22.1184", "24"}));
    EXPECT_EQ(items(baud.serialMode), QStringList({"0", "1", "2", "3"}));
    EXPECT_EQ(items(baud.baud).size(), 11);
    EXPECT_EQ(baud.crystal->currentText(), "6");
    EXPECT_EQ(baud.serialMode->currentText(), "1");
    EXPECT_EQ(baud.baud->currentText(), "9600");
    EXPECT_FALSE(baud.tim->isChecked());
    for (QLineEdit *box : {baud.timerMode, baud.th1, baud.tl1})
        EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(baud.program->toPlainText(), QString());

    // Results stay when another page is opened and the baud page comes back; its lists are
    // refilled (nothing twice) and show their defaults again.
    pick(baud.crystal, "11.0592");
    EXPECT_EQ(launch("ZDSZ"), window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral(u"中断设置"));
    EXPECT_TRUE(window->interruptPage()->isVisible());
    EXPECT_FALSE(window->baudPage()->isVisible());
    EXPECT_EQ(launch("dsqsz"), window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral(u"定时/计数器设置"));
    EXPECT_TRUE(window->timerPage()->isVisible());
    const auto &timer = window->timerPage()->controls();
    EXPECT_EQ(items(timer.crystal),
              QStringList({"4", "6", "8", "10", "11.0592", "12", "16", "18", "20", "24"}));
    EXPECT_EQ(timer.crystal->currentText(), "6");
    EXPECT_EQ(launch("btlsz"), window);
    EXPECT_EQ(items(baud.crystal).size(), 12);
    EXPECT_EQ(baud.crystal->currentText(), "6");
    EXPECT_EQ(baud.th1->text(), "FDH");
    EXPECT_EQ(prompter.calls().size(), 0);
}

TEST_F(InitCodeWindowTest, BaudPicksAndTheTimSwitchRecompute)
{
    const auto &baud = launch("btlsz")->baudPage()->controls();
    pick(baud.crystal, "11.0592");
    EXPECT_EQ(baud.timerMode->text(), "2");
    EXPECT_EQ(baud.th1->text(), "FDH");
    EXPECT_EQ(baud.tl1->text(), "FDH");
    EXPECT_EQ(baud.program->toPlainText(),
              shown(QStringLiteral(
                  u"MOV SCON,#50H\r\nMOV PCON,#00H\r\nMOV TMOD,#20H\r\nMOV TH1,#FDH\r\nMOV TL1,#FDH\r\n"
                  u"CLR ET1\r\n;CLR ES  ;关闭串行口中断\r\n;SETB ES ;打开串行口中断\r\nSETB TR1")));
    pick(baud.baud, "19200");
    EXPECT_EQ(baud.th1->text(), "FDH");
    EXPECT_TRUE(baud.program->toPlainText().contains("MOV PCON,#80H"));

    // Typing into a list computes nothing; the next pick or click reads what was typed.
    baud.crystal->lineEdit()->selectAll();
    QTest::keyClicks(baud.crystal->lineEdit(), "24");
    QTest::keyClick(baud.crystal->lineEdit(), Qt::Key_Return);
    QTest::keyClick(baud.crystal, Qt::Key_Enter);
    EXPECT_EQ(baud.crystal->currentText(), "24");
    EXPECT_EQ(baud.crystal->count(), 12);
    EXPECT_EQ(baud.th1->text(), "FDH");
    baud.baud->lineEdit()->selectAll();
    QTest::keyClicks(baud.baud->lineEdit(), "110");
    EXPECT_EQ(baud.th1->text(), "FDH");

    // Each click of TIM, with either button, switches it and recomputes.
    QTest::mouseClick(baud.tim, Qt::LeftButton);
    EXPECT_TRUE(baud.tim->isChecked());
    EXPECT_EQ(baud.timerMode->text(), "0");
    EXPECT_EQ(baud.th1->text(), "2AH");
    EXPECT_EQ(baud.tl1->text(), "1EH");
    QTest::mouseClick(baud.tim, Qt::RightButton);
    EXPECT_FALSE(baud.tim->isChecked());
    EXPECT_EQ(baud.th1->text(), "EEH");
    EXPECT_EQ(baud.tl1->text(), "08H");
    // A double click (press, release, press with the double-click event, release) switches once.
    QTest::mousePress(baud.tim, Qt::LeftButton);
    QTest::mouseRelease(baud.tim, Qt::LeftButton);
    QTest::mousePress(baud.tim, Qt::LeftButton);
    QTest::mouseDClick(baud.tim, Qt::LeftButton);
    QTest::mouseRelease(baud.tim, Qt::LeftButton);
    EXPECT_TRUE(baud.tim->isChecked());
    EXPECT_EQ(baud.th1->text(), "2AH");
    QTest::mouseClick(baud.tim, Qt::LeftButton);

    // Serial mode 0 writes the rate into the baud box; mode 2 empties it and the timer boxes.
    pick(baud.serialMode, "0");
    EXPECT_EQ(baud.baud->currentText(), "2000000");
    EXPECT_EQ(baud.th1->text(), QString());
    EXPECT_EQ(baud.program->toPlainText(), QString());
    pick(baud.serialMode, "2");
    EXPECT_EQ(baud.baud->currentText(), QString());
    EXPECT_TRUE(baud.program->toPlainText().endsWith(QStringLiteral(u"波特率 375000")));
    // Mode 1 with an empty baud box leaves the reference box empty.
    pick(baud.serialMode, "1");
    EXPECT_EQ(baud.program->toPlainText(), QString());
    // A baud text of 0 takes the message path.
    QTest::keyClicks(baud.baud->lineEdit(), "0");
    pick(baud.serialMode, "3");
    EXPECT_EQ(baud.program->toPlainText(), shown(baudTooSlowMessage()));
    EXPECT_EQ(baud.timerMode->text(), QString());
    EXPECT_EQ(prompter.calls().size(), 0);
}

TEST_F(InitCodeWindowTest, DigitFilterRefusesLettersButLetsCopyAndSelectAllThrough)
{
    InitCodeWindow *window = launch("dsqsz");
    const auto &t0 = window->timerPage()->controls().timers[0];
    QTest::mouseClick(t0.function[0], Qt::LeftButton);
    ASSERT_TRUE(t0.value->isEnabled());
    t0.value->setFocus();
    QTest::keyClicks(t0.value, "5a0");
    EXPECT_EQ(t0.value->text(), "50");
    expectOnlyDigitMessages(1);
    QTest::keyClick(t0.value, Qt::Key_Return);
    QTest::keyClick(t0.value, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(t0.value, '.');
    expectOnlyDigitMessages(3);
    QTest::keyClick(t0.value, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(t0.value, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "50");
    QTest::keyClick(t0.value, Qt::Key_Left);
    QTest::keyClick(t0.value, Qt::Key_Backspace);
    QTest::keyClick(t0.value, Qt::Key_End);
    QTest::keyClick(t0.value, Qt::Key_Backspace);
    EXPECT_EQ(t0.value->text(), QString());
    // "0" on the way reached no timer value; the keys themselves passed.
    EXPECT_EQ(messages(), QStringList({timerTooSmallMessage()}));
    prompter.clearCalls();

    // The baud page's reference program is read-only, selectable and copyable, with no filter.
    launch("btlsz");
    const auto &baud = window->baudPage()->controls();
    pick(baud.crystal, "11.0592");
    baud.program->setFocus();
    QTest::keyClicks(baud.program, "x");
    QTest::keyClick(baud.program, Qt::Key_Return);
    QTest::keyClick(baud.program, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(baud.program, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(messages(), QStringList());
    EXPECT_TRUE(baud.program->isReadOnly());
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("MOV SCON,#50H"));
    EXPECT_TRUE(baud.program->toPlainText().endsWith("SETB TR1"));
}

TEST_F(InitCodeWindowTest, TimerPageFollowsClicksTypingAndCrystalPicks)
{
    InitCodeWindow *window = launch("dsqsz");
    const auto &ui = window->timerPage()->controls();
    const auto &t0 = ui.timers[0];
    const auto &t1 = ui.timers[1];
    EXPECT_TRUE(t0.function[2]->isChecked() && t1.function[2]->isChecked());
    EXPECT_TRUE(t0.start[0]->isChecked() && t1.start[0]->isChecked());
    EXPECT_FALSE(t0.value->isEnabled() || t1.value->isEnabled());
    EXPECT_EQ(t0.valueCaption->text(), QStringLiteral(u"定时/计数值"));
    EXPECT_EQ(t0.start[0]->toolTip(), QStringLiteral(u"由 SETB TR0 启动"));
    EXPECT_EQ(t0.start[1]->toolTip(), QStringLiteral(u"由 P3.2(INT0) 引脚控制"));
    EXPECT_EQ(t1.start[1]->toolTip(), QStringLiteral(u"由 P3.3(INT1) 引脚控制"));

    QTest::mouseClick(t0.function[0], Qt::LeftButton);
    EXPECT_EQ(t0.valueCaption->text(), QStringLiteral(u"定时值(μS)"));
    EXPECT_EQ(ui.program->toPlainText(), "MOV TMOD,#00H\n");
    // Digit by digit at 6 MHz: "1" is too small (one message), "10" and "100" are mode 2.
    t0.value->setFocus();
    QTest::keyClicks(t0.value, "10");
    EXPECT_EQ(messages(), QStringList({timerTooSmallMessage()}));
    EXPECT_EQ(prompter.calls().value(0).style, MsgStyle::Information);
    prompter.clearCalls();
    EXPECT_EQ(t0.th->text(), "FBH");
    QTest::keyClicks(t0.value, "00");
    EXPECT_EQ(t0.modeDigit->text(), "0");
    EXPECT_EQ(t0.th->text(), "F0H");
    EXPECT_EQ(t0.tl->text(), "ECH");
    pick(ui.crystal, "12");
    EXPECT_EQ(ui.program->toPlainText(), "MOV TMOD,#00H\nMOV TH0,#E0H\nMOV TL0,#F8H\n");

    QTest::mouseClick(t1.function[1], Qt::LeftButton);
    EXPECT_EQ(t1.valueCaption->text(), QStringLiteral(u"计数值"));
    QTest::mouseClick(t1.start[1], Qt::LeftButton);
    t1.value->setFocus();
    QTest::keyClicks(t1.value, "100");
    EXPECT_EQ(ui.program->toPlainText(),
              "MOV TMOD,#E0H\nMOV TH0,#E0H\nMOV TL0,#F8H\nMOV TH1,#9CH\nMOV TL1,#9CH\n");
    QTest::mouseClick(t0.function[2], Qt::LeftButton);
    EXPECT_FALSE(t0.value->isEnabled());
    EXPECT_EQ(t0.value->text(), QString());
    EXPECT_EQ(t0.th->text(), QString());
    EXPECT_EQ(t0.valueCaption->text(), QStringLiteral(u"定时/计数值"));
    EXPECT_EQ(ui.program->toPlainText(), "MOV TMOD,#E0H\nMOV TH1,#9CH\nMOV TL1,#9CH\n");
    // A typed crystal is used by the next recomputation, not at once.
    ui.crystal->lineEdit()->selectAll();
    QTest::keyClicks(ui.crystal->lineEdit(), "abc");
    QTest::mouseClick(t0.function[0], Qt::LeftButton);
    EXPECT_EQ(ui.program->toPlainText(), "MOV TMOD,#E0H\nMOV TH1,#9CH\nMOV TL1,#9CH\n");
    QTest::keyClicks(t0.value, "5");
    EXPECT_EQ(messages(), QStringList({timerTooSmallMessage()}));
}

TEST_F(InitCodeWindowTest, InterruptPageWritesIpAndIe)
{
    const auto &ui = launch("ZDSZ")->interruptPage()->controls();
    auto click = [](QRadioButton *button) { QTest::mouseClick(button, Qt::LeftButton); };
    EXPECT_EQ(ui.enabled[0]->text(), QStringLiteral(u"允许"));
    EXPECT_EQ(ui.high[4]->text(), QStringLiteral(u"高级"));
    for (int source = 0; source < kInterruptSources; ++source)
        EXPECT_TRUE(ui.low[source]->isChecked() && ui.disabled[source]->isChecked());

    click(ui.enabled[1]);
    EXPECT_EQ(ui.enable->text(), "MOV IE,#82H");
    EXPECT_EQ(ui.priority->text(), QString());
    click(ui.disabled[1]);
    click(ui.enabled[0]);
    click(ui.high[0]);
    EXPECT_EQ(ui.enable->text(), "MOV IE,#81H");
    EXPECT_EQ(ui.priority->text(), "MOV IP,#01H");
    for (int source = 0; source < kInterruptSources; ++source)
        click(ui.enabled[source]);
    EXPECT_EQ(ui.enable->text(), "MOV IE,#9FH");
    for (int source = 0; source < kInterruptSources; ++source)
        click(ui.high[source]);
    EXPECT_EQ(ui.priority->text(), "MOV IP,#1FH");
    for (int source = 0; source < 4; ++source)
        click(ui.low[source]);
    EXPECT_EQ(ui.priority->text(), "MOV IP,#10H");
    EXPECT_EQ(ui.enable->text(), "MOV IE,#9FH");
    click(ui.low[4]);
    EXPECT_EQ(ui.priority->text(), QString());
    for (int source = 0; source < kInterruptSources; ++source)
        click(ui.disabled[source]);
    EXPECT_EQ(ui.enable->text(), QString());
}

TEST_F(InitCodeWindowTest, StaysOpenBesideLockingToolsAndEditorsAndRestartsAfterClosing)
{
    InitCodeWindow *window = launch("btlsz");
    // Opening it locks nothing.
    EXPECT_TRUE(main->isMenuEnabled("mFile"));
    EXPECT_TRUE(main->isMenuEnabled("comFZ"));
    pick(window->baudPage()->controls().crystal, "12");
    QTest::mouseClick(window->baudPage()->controls().tim, Qt::LeftButton);

    twtest::registerStandIns();
    main->showTool(QString::fromLatin1(ToolName::Assembler));
    EXPECT_FALSE(main->isMenuEnabled("comFZ"));
    EXPECT_EQ(main->toolWindow(kInitCode), window);
    main->unloadTool(QString::fromLatin1(ToolName::Assembler));
    flush();
    EXPECT_TRUE(main->triggerMenuItem("mFileNew"));
    EXPECT_EQ(main->toolWindow(kInitCode), window);
    EXPECT_EQ(window->baudPage()->controls().th1->text(), "D9H"); // 12 MHz timer clock, 9600

    // Closed and opened again: the design state.
    window->close();
    flush();
    EXPECT_EQ(main->toolWindow(kInitCode), nullptr);
    window = launch("dsqsz");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->baudPage()->controls().tim->isChecked());
    EXPECT_EQ(window->baudPage()->controls().th1->text(), QString());
    EXPECT_TRUE(window->timerPage()->controls().timers[0].function[2]->isChecked());
    EXPECT_EQ(window->timerPage()->model().timers[0].modeBits, 0);
    EXPECT_TRUE(window->interruptPage()->controls().disabled[0]->isChecked());
}
