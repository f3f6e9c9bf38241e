// Under a real window manager, a tool window's questions and file dialogs belong to the tool
// window: while one is open it is the active window over the tool window, and once it is
// answered the tool window is again the active, topmost window, never buried under the locked
// main window. Tool windows fit on the smallest screen the program accepts, clear of the main
// window's status bar. The help window, too, stays above the main window. Among the tool windows
// the one opened or clicked last is on top.
#include "WindowManagerSupport.h"
#include "XSession.h"

#include "assembler/AssemblyRun.h"
#include "assembler/ui/AssemblerWindow.h"
#include "assistants/ui/FontWindow.h"
#include "assistants/ui/InitCodeWindow.h"
#include "assistants/ui/TimerPageWidget.h"
#include "assistants/ui/UnicodeWindow.h"
#include "conversion/ui/ConversionWindow.h"
#include "links/ui/SerialSenderWindow.h"
#include "simulator/ui/SimulatorWindow.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/HelpWindow.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace twtest;

namespace
{

const QString kAssembler = QString::fromLatin1(tw::ToolName::Assembler);
const QString kSimulator = QString::fromLatin1(tw::ToolName::Simulator);

class ToolWindowsStayOnTop : public WindowManagerTest
{
  protected:
    QWidget *tool(const QString &name) const { return main->toolWindow(name); }

    // Every dialog answered so far belonged to this window (its X window id given, as the window
    // may be gone by now), at the window-manager level too, and had the focus while it was open.
    void expectAllAskedBy(const QWidget *window, quint64 windowId, qsizetype count)
    {
        ASSERT_EQ(user->answered().size(), count);
        for (const AnsweredDialog &dialog : user->answered()) {
            EXPECT_EQ(dialog.parent, window) << dialog.title.toStdString() << dialog.text.toStdString();
            EXPECT_EQ(dialog.transientFor, windowId) << dialog.title.toStdString();
            EXPECT_TRUE(dialog.hadFocus) << dialog.title.toStdString();
        }
    }

    tw::AssemblerWindow *openAssembler()
    {
        EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("assembler51")));
        auto *window = qobject_cast<tw::AssemblerWindow *>(tool(kAssembler));
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(waitActiveOnTop(window)) << "the assembler window did not come up on top";
        return window;
    }

    // A program assembled beside its source; the simulator window opened on it.
    tw::SimulatorWindow *openSimulator(const QByteArray &source)
    {
        const QString asmPath = writeSource(QStringLiteral("prog.asm"), source);
        const QString bin = dir.filePath(QStringLiteral("prog.bin"));
        EXPECT_EQ(tw::assembleFile(tw::AsmCpu::Mcs51, asmPath, bin, {}).errorCount, 0);
        main->setCurrentBinPath(bin);
        main->showTool(kSimulator);
        auto *window = qobject_cast<tw::SimulatorWindow *>(tool(kSimulator));
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(waitActiveOnTop(window)) << "the simulator window did not come up on top";
        return window;
    }
};

} // namespace

TEST_F(ToolWindowsStayOnTop, AssemblerAfterBrowsingAndItsQuestions)
{
    const QString source = writeSource(QStringLiteral("ok.asm"), "\tMOV\tA,#1\r\n\tEND\r\n");
    tw::AssemblerWindow *assembler = openAssembler();
    ASSERT_NE(assembler, nullptr);
    EXPECT_EQ(transientFor(display, assembler->winId()), main->winId());
    expectFitsAboveStatusBar(assembler);

    // 浏  览: the file dialog over the assembler, which is on top again afterwards.
    user->queue(chooseFile(source));
    assembler->findChild<QPushButton *>(QStringLiteral("browseSourceButton"))->click();
    EXPECT_EQ(assembler->sourceEdit()->text(), source);
    EXPECT_TRUE(waitActiveOnTop(assembler)) << "buried after the file dialog";

    // A refused start: the message box, then the assembler again.
    assembler->binEdit()->clear();
    user->queue(pressButton(QMessageBox::No));
    assembler->startButton()->setEnabled(true);
    assembler->startButton()->click();
    EXPECT_TRUE(waitActiveOnTop(assembler)) << "buried after the start check";
    expectAllAskedBy(assembler, assembler->winId(), 2);

    // The end question, answered Yes: the simulator comes up on top.
    assembler->binEdit()->setText(dir.filePath(QStringLiteral("ok.bin")));
    user->queue(pressButton(QMessageBox::Yes));
    assembler->startButton()->click();
    ASSERT_EQ(user->answered().size(), 3);
    EXPECT_EQ(user->answered().last().text, QStringLiteral(u"汇编成功，没有发现错误！\r\n仿真调试吗？"));
    EXPECT_TRUE(user->answered().last().hadFocus);
    QWidget *simulator = tool(kSimulator);
    ASSERT_NE(simulator, nullptr);
    EXPECT_TRUE(waitActiveOnTop(simulator)) << "the simulator opened under the main window";
}

TEST_F(ToolWindowsStayOnTop, AssemblerEndQuestionAnsweredNoGivesTheMainWindowBack)
{
    const QString source = writeSource(QStringLiteral("bad.asm"), "\tMOV\tA,\r\n\tEND\r\n");
    tw::AssemblerWindow *assembler = openAssembler();
    ASSERT_NE(assembler, nullptr);
    const quint64 assemblerId = assembler->winId();
    assembler->sourceEdit()->setText(source);
    user->queue(pressButton(QMessageBox::No));
    assembler->startButton()->click();
    expectAllAskedBy(assembler, assemblerId, 1);
    EXPECT_TRUE(user->answered()[0].text.startsWith(QStringLiteral(u"汇编过程发现")));
    EXPECT_EQ(tool(kAssembler), nullptr);
    EXPECT_TRUE(waitActiveOnTop(main.get()));
}

TEST_F(ToolWindowsStayOnTop, SimulatorAfterClearingRamTheEndQuestionAndARefusedKey)
{
    tw::SimulatorWindow *simulator = openSimulator("\tNOP\r\n\tEND\r\n");
    ASSERT_NE(simulator, nullptr);
    EXPECT_EQ(transientFor(display, simulator->winId()), main->winId());
    expectFitsAboveStatusBar(simulator);
    const tw::SimulatorWindow::Controls &ui = simulator->controls();

    // RAM清零 asks twice.
    user->queue(pressButton(QMessageBox::Yes));
    user->queue(pressButton(QMessageBox::No));
    ui.clearRam->click();
    EXPECT_TRUE(waitActiveOnTop(simulator)) << "buried after clearing RAM";

    // A one-byte program: the second step asks whether to reset.
    ui.step->click();
    user->queue(pressButton(QMessageBox::No));
    ui.step->click();
    EXPECT_TRUE(waitActiveOnTop(simulator)) << "buried after the end-of-program question";
    ASSERT_EQ(user->answered().size(), 3);
    EXPECT_EQ(user->answered()[2].text, QStringLiteral(u"程序已运行完，复位吗！"));

    // A key the RAM-set box refuses.
    QTest::mouseDClick(ui.internalRam->viewport(), Qt::LeftButton);
    ASSERT_TRUE(ui.ramSet->isVisible());
    ui.ramData->setFocus();
    user->queue(pressButton(QMessageBox::Ok));
    QTest::keyClick(ui.ramData, Qt::Key_G);
    EXPECT_TRUE(waitActiveOnTop(simulator)) << "buried after the refused key";
    expectAllAskedBy(simulator, simulator->winId(), 4);
    EXPECT_EQ(user->answered()[3].text, QStringLiteral(u"请输入十六进制代码！"));
    EXPECT_TRUE(ui.ramData->text().isEmpty());
}

TEST_F(ToolWindowsStayOnTop, EveryToolWindowFitsAboveTheStatusBarAndStaysAboveTheMainWindow)
{
    tw::registerConversionWindow();
    tw::registerInitCodeWindow();
    tw::registerUnicodeWindow();
    tw::registerSerialSenderWindow();
    const struct {
        const char *item, *tool;
    } tools[] = {{"htb", tw::ToolName::Conversion},  {"btlsz", tw::ToolName::InitCode},
                 {"Unicode", tw::ToolName::Unicode}, {"about", tw::ToolName::About},
                 {"FAQ", tw::ToolName::TextViewer},  {"assembler51", tw::ToolName::Assembler}};
    for (const auto &entry : tools) {
        ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(entry.item))) << entry.item;
        QWidget *window = tool(QString::fromLatin1(entry.tool));
        ASSERT_NE(window, nullptr) << entry.tool;
        EXPECT_TRUE(waitActiveOnTop(window)) << entry.tool << " did not come up on top";
        EXPECT_EQ(transientFor(display, window->winId()), main->winId()) << entry.tool;
        expectFitsAboveStatusBar(window);
        // Clicking the main window's free area does not bury it.
        main->activateWindow();
        QTest::qWait(100);
        EXPECT_EQ(topmost(), window->winId()) << entry.tool << " went under the main window";
        main->unloadTool(QString::fromLatin1(entry.tool));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ToolWindowsStayOnTop, HelpWindowStaysAboveTheMaximisedMainWindow)
{
    ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(tw::Menu::HelpManual)));
    QWidget *help = main->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(waitActiveOnTop(help)) << "the help window did not come up on top";
    EXPECT_EQ(transientFor(display, help->winId()), main->winId());
    // With no task bar to bring it back, a click on the main window must not hide it: the main
    // window is raised and asks for the focus as a click would, the help window stays above.
    main->raise();
    main->activateWindow();
    QTest::qWait(200);
    EXPECT_EQ(topmost(), help->winId()) << "the help window went under the main window";
    // Another page keeps the same window on top.
    ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(tw::Menu::HelpTutorial)));
    EXPECT_EQ(main->helpWindow(), help);
    EXPECT_TRUE(waitFor([&] { return topmost() == help->winId(); }));
}

TEST_F(ToolWindowsStayOnTop, TheToolWindowOpenedOrClickedLastIsOnTopAndTheMainWindowUnderAll)
{
    tw::registerInitCodeWindow();
    tw::registerFontWindow();
    const auto stackedAbove = [this](const QWidget *upper, const QWidget *lower) {
        const QList<quint64> order = stackingOrder(display);
        return order.indexOf(upper->winId()) > order.indexOf(lower->winId()) &&
               order.contains(lower->winId());
    };
    ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(tw::Menu::Interrupts)));
    QWidget *initCode = tool(QString::fromLatin1(tw::ToolName::InitCode));
    ASSERT_NE(initCode, nullptr);
    EXPECT_TRUE(waitActiveOnTop(initCode)) << "中断设置 did not come up on top";

    // 点阵字模 opens over it.
    ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(tw::Menu::DotMatrixFont)));
    QWidget *font = tool(QString::fromLatin1(tw::ToolName::Font));
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(waitActiveOnTop(font)) << "点阵字模 opened beneath 中断设置";
    EXPECT_EQ(transientFor(display, font->winId()), main->winId());
    EXPECT_TRUE(stackedAbove(initCode, main.get()));
    expectFitsAboveStatusBar(font);

    // A click on either brings it forward; the main window stays under both.
    for (QWidget *clicked : {initCode, font, initCode}) {
        clicked->activateWindow();
        EXPECT_TRUE(waitActiveOnTop(clicked)) << clicked->objectName().toStdString() << " stayed beneath";
        QWidget *other = clicked == font ? initCode : font;
        EXPECT_TRUE(stackedAbove(other, main.get())) << other->objectName().toStdString();
    }
    // The menu item of a window already open brings it forward too.
    ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(tw::Menu::DotMatrixFont)));
    EXPECT_EQ(tool(QString::fromLatin1(tw::ToolName::Font)), font);
    EXPECT_TRUE(waitActiveOnTop(font)) << "点阵字模 stayed beneath when chosen again";

    // 定时/计数器设置 brings the open window forward on its page; a key its box refuses asks over
    // it, and afterwards it is on top again.
    ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(tw::Menu::TimerCounter)));
    EXPECT_TRUE(waitActiveOnTop(initCode)) << "中断设置 stayed beneath when chosen again";
    auto *timerPage = static_cast<tw::InitCodeWindow *>(initCode)->timerPage();
    const auto &t0 = timerPage->controls().timers[0];
    QTest::mouseClick(t0.function[0], Qt::LeftButton);
    t0.value->setFocus();
    user->queue(pressButton(QMessageBox::Ok));
    QTest::keyClick(t0.value, Qt::Key_G);
    EXPECT_TRUE(waitFor([this] { return user->idle(); }));
    EXPECT_TRUE(waitActiveOnTop(initCode)) << "buried after the refused key";
    expectAllAskedBy(initCode, initCode->winId(), 1);
    EXPECT_TRUE(stackedAbove(font, main.get()));
}
