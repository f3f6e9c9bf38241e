// The assembler window inside the real main window (offscreen): launchers, input checks, the
// lock while it is open, the end questions and the hand-over to the simulator.
#include "assembler/ui/AssemblerWindow.h"
#include "common/ScriptedPrompter.h"
#include "common/TextFile.h"
#include "support/TestFiles.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
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

class AssemblerWindowTest : public ::testing::Test
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

    QString source(const char *name, const QString &text)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        twtest::writeBytes(path, encodeText(text));
        return path;
    }
    AssemblerWindow *launch(const char *item = "assembler51")
    {
        EXPECT_TRUE(main->triggerMenuItem(QString::fromLatin1(item)));
        return qobject_cast<AssemblerWindow *>(main->toolWindow(kAssembler));
    }
    void clickStart(AssemblerWindow *window)
    {
        QTest::mouseClick(window->startButton(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool mainLocked() const
    {
        for (const char *menu : {"mEdit", "mFile", "mComp", "mCom", "mEml", "mView", "comFZ", "mWindow"})
            if (main->isMenuEnabled(QString::fromLatin1(menu)))
                return false;
        for (int i = 1; i <= main->toolbarButtonCount(); ++i)
            if (main->isToolbarButtonEnabled(i))
                return false;
        return true;
    }
};

} // namespace

TEST_F(AssemblerWindowTest, CleanRunHandsTheImageToTheSimulator)
{
    const QString asmPath = source("main.asm", u"start: mov a,#1\r\n sjmp start\r\n"_qs);
    main->openInEditor(asmPath);
    AssemblerWindow *window = launch();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->sourceEdit()->text(), asmPath);
    EXPECT_EQ(window->binEdit()->text(), dir.filePath("main.bin"));
    EXPECT_TRUE(window->startButton()->isEnabled());
    EXPECT_EQ(window->cpu(), AssemblerWindow::Cpu::Mcs51);
    EXPECT_TRUE(mainLocked());

    prompter.answerMessage(MsgAnswer::Yes);
    clickStart(window);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u"汇编成功，没有发现错误！\r\n仿真调试吗？"_qs);
    EXPECT_EQ(prompter.calls()[0].style, kYesNoExclamation);
    EXPECT_EQ(prompter.calls()[0].title, u"编译信息"_qs);
    EXPECT_EQ(twtest::readBytes(dir.filePath("main.bin")), QByteArray::fromHex("740180FC"));
    EXPECT_EQ(main->currentBinPath(), dir.filePath("main.bin"));
    EXPECT_FALSE(main->toolWindow(kAssembler));
    // The window gave the top menus back; the simulate answer keeps these items off.
    EXPECT_TRUE(main->isMenuEnabled("mFile"));
    for (const char *item : {"mFileNew", "mFileOpen", "mFileSave", "mFileSaveAs", "mEditSelAll", "emMCS51"})
        EXPECT_FALSE(main->isMenuEnabled(QString::fromLatin1(item))) << item;
}

TEST_F(AssemblerWindowTest, ErrorsOfferTheReport)
{
    const QString asmPath = source("bad.ASM", u" xyz\r\n mov a,#300\r\n"_qs);
    main->openInEditor(asmPath);
    AssemblerWindow *window = launch();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->binEdit()->text(), dir.filePath("bad.bin"));
    prompter.answerMessage(MsgAnswer::Yes);
    clickStart(window);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u"汇编过程发现 2处错误。\r\n查看出错信息吗？"_qs);
    EXPECT_FALSE(main->toolWindow(kAssembler));
    EditorWindow *report = main->activeEditor();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->windowTitle(), u"编译信息"_qs);
    EXPECT_EQ(report->openFile(), dir.filePath("bad.err"));
    EXPECT_TRUE(main->currentBinPath().isEmpty());
}

TEST_F(AssemblerWindowTest, StartChecksInOrder)
{
    AssemblerWindow *window = launch();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->sourceEdit()->text().isEmpty());
    EXPECT_FALSE(window->startButton()->isEnabled());
    const QString notSource = source("notes.txt", u"nop\r\n"_qs);
    const struct {
        QString source, bin, message;
    } cases[] = {
        {QString(), u"x.bin"_qs, u"请选择待汇编的文件！"_qs},
        {dir.filePath("missing.asm"), QString(), u"待汇编的文件不存在！"_qs},
        {notSource, u"x.bin"_qs, u"待汇编的文件不是汇编语言源程序！"_qs},
        {source("ok.asm", u"nop\r\n"_qs), QString(), u"请选择汇编后的文件存放地址！"_qs},
        // Only the last three characters count: no dot is needed before them.
        {source("xasm", u"nop\r\n"_qs), QString(), u"请选择汇编后的文件存放地址！"_qs},
    };
    for (const auto &c : cases) {
        prompter.clearCalls();
        window->sourceEdit()->setText(c.source);
        window->binEdit()->setText(c.bin);
        window->start();
        ASSERT_EQ(prompter.calls().size(), 1);
        EXPECT_EQ(prompter.calls()[0].text, c.message);
        EXPECT_EQ(prompter.calls()[0].style, kYesNoExclamation);
        EXPECT_EQ(prompter.calls()[0].title, u"信息"_qs);
        EXPECT_EQ(main->toolWindow(kAssembler), window);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("ok.a51")));
    EXPECT_TRUE(mainLocked());
}

TEST_F(AssemblerWindowTest, PathFieldsAndBrowsing)
{
    main->openInEditor(source("prog.lst", u"listing\r\n"_qs));
    AssemblerWindow *window = launch("assembler48");
    ASSERT_TRUE(window);
    // A listing in the active editor leaves both paths empty.
    EXPECT_TRUE(window->sourceEdit()->text().isEmpty());
    EXPECT_TRUE(window->binEdit()->text().isEmpty());
    EXPECT_FALSE(window->startButton()->isEnabled());

    QTest::keyClicks(window->sourceEdit(), u"x.asm"_qs);
    EXPECT_EQ(window->binEdit()->text(), u"x.bin"_qs);
    EXPECT_TRUE(window->startButton()->isEnabled());
    window->binEdit()->setText(u"keep.bin"_qs);
    window->sourceEdit()->setText(u"y.src"_qs);
    EXPECT_EQ(window->binEdit()->text(), u"keep.bin"_qs);

    prompter.answerFile(u"/data/a.ASM"_qs);
    window->browseSource();
    EXPECT_EQ(window->sourceEdit()->text(), u"/data/a.ASM"_qs);
    EXPECT_EQ(window->binEdit()->text(), u"/data/a.bin"_qs);
    prompter.answerFile(QString());
    window->browseBin();
    EXPECT_EQ(window->binEdit()->text(), u"/data/a.bin"_qs);
    prompter.answerFile(u"/out/b.bin"_qs);
    window->browseBin();
    EXPECT_EQ(window->binEdit()->text(), u"/out/b.bin"_qs);
    EXPECT_EQ(prompter.calls()[0].title, u"请选择待汇编的文件"_qs);
    EXPECT_EQ(prompter.calls()[1].title, u"汇编后的文件另存为"_qs);
}

TEST_F(AssemblerWindowTest, FailureAndClosingGiveTheMainWindowBack)
{
    const QString asmPath = source("fail.asm", u" nop\r\nX EQU\r\n"_qs);
    twtest::writeBytes(dir.filePath("fail.bin"), "stale");
    main->openInEditor(asmPath);
    AssemblerWindow *window = launch();
    ASSERT_TRUE(window);
    clickStart(window);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u"汇编失败，EQU语句缺操作数！"_qs);
    EXPECT_EQ(prompter.calls()[0].style, kOkExclamation);
    EXPECT_EQ(prompter.calls()[0].title, u"编译信息"_qs);
    EXPECT_FALSE(QFile::exists(dir.filePath("fail.bin")));
    EXPECT_FALSE(main->toolWindow(kAssembler));
    EXPECT_TRUE(main->isMenuEnabled("mFile"));
    EXPECT_TRUE(main->isToolbarButtonEnabled(1));

    // Closing the window by hand restores the main window too.
    window = launch();
    ASSERT_TRUE(window);
    EXPECT_TRUE(mainLocked());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main->isMenuEnabled("mFile"));
    EXPECT_TRUE(main->isMenuEnabled("mEdit"));
}
