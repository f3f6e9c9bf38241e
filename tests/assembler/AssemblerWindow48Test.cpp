// The assembler window's MCS-48 path inside the real main window (offscreen): the MCS48_汇编
// launcher and the CPU choice run the MCS-48 assembler; its end dialogs and failures.
#include "assembler/ui/AssemblerWindow.h"
#include "common/ScriptedPrompter.h"
#include "common/TextFile.h"
#include "support/TestFiles.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QString kAssembler = QString::fromLatin1(ToolName::Assembler);
constexpr int kYesNoExclamation = 52;
constexpr int kOkExclamation = 48;

class AssemblerWindow48 : public ::testing::Test
{
  protected:
    ScriptedPrompter prompter;
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> main;

    void SetUp() override
    {
        registerAssemblerWindow();
        main = std::make_unique<MainWindow>(prompter);
        main->show();
    }
    void TearDown() override
    {
        for (EditorWindow *editor : main->editors())
            editor->clearChanged();
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the source in an editor and the assembler window through a launcher.
    AssemblerWindow *launchOn(const char *name, const QString &text, const char *item = "assembler48")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        twtest::writeBytes(path, encodeText(text));
        main->openInEditor(path);
        EXPECT_TRUE(main->triggerMenuItem(QString::fromLatin1(item)));
        return qobject_cast<AssemblerWindow *>(main->toolWindow(kAssembler));
    }
    void clickStart(AssemblerWindow *window)
    {
        QTest::mouseClick(window->startButton(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void expectOneMessage(const QString &text, int style)
    {
        ASSERT_EQ(prompter.calls().size(), 1);
        EXPECT_EQ(prompter.calls()[0].text, text);
        EXPECT_EQ(prompter.calls()[0].style, style);
        EXPECT_EQ(prompter.calls()[0].title, QStringLiteral(u"编译信息"));
    }
    void expectWindowGoneAndMainBack()
    {
        EXPECT_FALSE(main->toolWindow(kAssembler));
        EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mFile")));
        EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mComp")));
        EXPECT_TRUE(main->isToolbarButtonEnabled(1));
    }
};

TEST_F(AssemblerWindow48, CleanRunsEndWithAnOkBoxAndNoSimulator)
{
    AssemblerWindow *window = launchOn("blink.asm", u"LOOP: CPL F0\r\n JMP LOOP\r\n"_qs);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->cpu(), AssemblerWindow::Cpu::Mcs48);
    EXPECT_TRUE(window->findChild<QRadioButton *>(QStringLiteral("mcs48Option"))->isChecked());
    EXPECT_EQ(window->binEdit()->text(), dir.filePath(QStringLiteral("blink.bin")));
    clickStart(window);
    expectOneMessage(u"汇编成功，没有发现错误！"_qs, kOkExclamation);
    EXPECT_EQ(twtest::readBytes(dir.filePath(QStringLiteral("blink.bin"))), QByteArray::fromHex("9504"));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("blink.lt"))));
    EXPECT_TRUE(main->currentBinPath().isEmpty());
    expectWindowGoneAndMainBack();
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mFileNew")));

    // The MCS-51 launcher, then the MCS-48 choice clicked in the window.
    prompter.clearCalls();
    window = launchOn("pick.asm", u" MOV A,#1\r\n"_qs, "assembler51");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->cpu(), AssemblerWindow::Cpu::Mcs51);
    QTest::mouseClick(window->findChild<QRadioButton *>(QStringLiteral("mcs48Option")), Qt::LeftButton);
    clickStart(window);
    expectOneMessage(u"汇编成功，没有发现错误！"_qs, kOkExclamation);
    EXPECT_EQ(twtest::readBytes(dir.filePath(QStringLiteral("pick.bin"))), QByteArray::fromHex("2301"));
}

TEST_F(AssemblerWindow48, ErrorsOfferTheReportInAnEditor)
{
    AssemblerWindow *window = launchOn("bad.asm", u" RETR\r\n JNZ NOWHERE\r\n"_qs);
    ASSERT_TRUE(window);
    prompter.answerMessage(MsgAnswer::Yes);
    clickStart(window);
    expectOneMessage(u"汇编过程发现 2处错误。\r\n查看出错信息吗？"_qs, kYesNoExclamation);
    expectWindowGoneAndMainBack();
    EditorWindow *report = main->activeEditor();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->windowTitle(), u"编译信息"_qs);
    EXPECT_EQ(report->openFile(), dir.filePath(QStringLiteral("bad.err")));
}

TEST_F(AssemblerWindow48, FailuresShowTheirMessageAndRemoveStaleFiles)
{
    twtest::writeBytes(dir.filePath(QStringLiteral("far.bin")), "stale");
    twtest::writeBytes(dir.filePath(QStringLiteral("far.err")), "stale");
    AssemblerWindow *window = launchOn("far.asm", u" ORG 0FFFFH\r\n NOP\r\n"_qs);
    ASSERT_TRUE(window);
    clickStart(window);
    expectOneMessage(u"第 2行地址错误！"_qs, kOkExclamation);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("far.bin"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("far.err"))));
    expectWindowGoneAndMainBack();

    prompter.clearCalls();
    QString labels;
    for (int i = 0; i < 1100; ++i)
        labels += u"SAME: NOP\r\n"_qs;
    window = launchOn("dup.asm", labels);
    ASSERT_TRUE(window);
    clickStart(window);
    expectOneMessage(u"汇编失败，存在有不可识别的语句！"_qs, kOkExclamation);
    expectWindowGoneAndMainBack();
}

} // namespace
