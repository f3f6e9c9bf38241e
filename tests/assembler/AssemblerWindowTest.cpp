// The assembler window inside the real main window (offscreen), for both CPUs: launchers, input
// checks, the lock while it is open, the end questions, the hand-over to the simulator, failures.
#include "assembler/ui/AssemblerWindow.h"
#include "common/ScriptedPrompter.h"
#include "common/TextFile.h"
#include "support/FileFaults.h"
#include "support/FuseMounts.h"
#include "support/TestFiles.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QCoreApplication>
#include <QDir>
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

class AssemblerWindowTest : public twtest::ToolWindowTest
{
  protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        registerAssemblerWindow();
        ToolWindowTest::SetUp();
    }

    QString source(const QString &name, const QString &text)
    {
        const QString path = dir.filePath(name);
        twtest::writeBytes(path, encodeText(text));
        return path;
    }
    // Opens the file in an editor (when given) and the window through a launcher.
    AssemblerWindow *launch(const char *item, const QString &path = QString())
    {
        if (!path.isEmpty())
            main->openInEditor(path);
        prompter.clearCalls();
        EXPECT_TRUE(main->triggerMenuItem(QString::fromLatin1(item)));
        return qobject_cast<AssemblerWindow *>(main->toolWindow(kAssembler));
    }
    void clickStart(AssemblerWindow *window)
    {
        QTest::mouseClick(window->startButton(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void expectOneMessage(const QString &text, int style, const QString &title = u"编译信息"_qs)
    {
        ASSERT_EQ(prompter.calls().size(), 1);
        EXPECT_EQ(prompter.calls()[0].text, text);
        EXPECT_EQ(prompter.calls()[0].style, style);
        EXPECT_EQ(prompter.calls()[0].title, title);
    }
    void expectWindowGoneAndMainBack()
    {
        EXPECT_FALSE(main->toolWindow(kAssembler));
        for (const char *menu : {"mFile", "mEdit", "mComp"})
            EXPECT_TRUE(main->isMenuEnabled(QString::fromLatin1(menu))) << menu;
        EXPECT_TRUE(main->isToolbarButtonEnabled(1));
    }
};

} // namespace

TEST_F(AssemblerWindowTest, CleanRuns)
{
    // MCS-48: an OK box and no simulator; its launcher picks the CPU.
    AssemblerWindow *window = launch("assembler48", source("blink.asm", u"LOOP: CPL F0\r\n JMP LOOP\r\n"_qs));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->cpu(), AssemblerWindow::Cpu::Mcs48);
    clickStart(window);
    expectOneMessage(u"汇编成功，没有发现错误！"_qs, kOkExclamation);
    EXPECT_EQ(twtest::readBytes(dir.filePath("blink.bin")), QByteArray::fromHex("950400"));
    EXPECT_TRUE(main->currentBinPath().isEmpty());
    expectWindowGoneAndMainBack();
    EXPECT_TRUE(main->isMenuEnabled("mFileNew"));

    // The MCS-51 launcher, then the MCS-48 choice clicked in the window.
    window = launch("assembler51", source("pick.asm", u" MOV A,#1\r\n"_qs));
    ASSERT_TRUE(window);
    QTest::mouseClick(window->findChild<QRadioButton *>(QStringLiteral("mcs48Option")), Qt::LeftButton);
    clickStart(window);
    expectOneMessage(u"汇编成功，没有发现错误！"_qs, kOkExclamation);
    EXPECT_EQ(twtest::readBytes(dir.filePath("pick.bin")), QByteArray::fromHex("2301"));

    // MCS-51: the simulate question; Yes hands the image over and keeps the file items off.
    window = launch("assembler51", source("main.asm", u"start: mov a,#1\r\n sjmp start\r\n"_qs));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->binEdit()->text(), dir.filePath("main.bin"));
    EXPECT_EQ(window->cpu(), AssemblerWindow::Cpu::Mcs51);
    EXPECT_TRUE(mainLocked());
    prompter.answerMessage(MsgAnswer::Yes);
    clickStart(window);
    expectOneMessage(u"汇编成功，没有发现错误！\r\n仿真调试吗？"_qs, kYesNoExclamation);
    EXPECT_EQ(twtest::readBytes(dir.filePath("main.bin")), QByteArray::fromHex("740180FC"));
    EXPECT_EQ(main->currentBinPath(), dir.filePath("main.bin"));
    EXPECT_FALSE(main->toolWindow(kAssembler));
    EXPECT_TRUE(main->isMenuEnabled("mFile"));
    for (const char *item : {"mFileNew", "mFileOpen", "mFileSave", "mFileSaveAs", "mEditSelAll", "emMCS51"})
        EXPECT_FALSE(main->isMenuEnabled(QString::fromLatin1(item))) << item;
}

TEST_F(AssemblerWindowTest, ErrorsOfferTheReportInAnEditor)
{
    const struct {
        const char *item, *name, *bin;
        QString text;
    } cases[] = {{"assembler51", "bad.ASM", "bad.bin", u" xyz\r\n mov a,#300\r\n"_qs},
                 {"assembler48", "bad48.asm", "bad48.bin", u" RETR\r\n JNZ NOWHERE\r\n"_qs}};
    for (const auto &c : cases) {
        AssemblerWindow *window = launch(c.item, source(QString::fromLatin1(c.name), c.text));
        ASSERT_TRUE(window);
        EXPECT_EQ(window->binEdit()->text(), dir.filePath(c.bin));
        prompter.answerMessage(MsgAnswer::Yes);
        clickStart(window);
        expectOneMessage(u"汇编过程发现 2处错误。\r\n查看出错信息吗？"_qs, kYesNoExclamation);
        expectWindowGoneAndMainBack();
        EditorWindow *report = main->activeEditor();
        ASSERT_TRUE(report);
        EXPECT_EQ(report->windowTitle(), u"编译信息"_qs);
        EXPECT_EQ(report->openFile(), dir.filePath(QString::fromLatin1(c.bin).replace(u"bin"_qs, u"err"_qs)));
        EXPECT_TRUE(main->currentBinPath().isEmpty());
    }
}

TEST_F(AssemblerWindowTest, StartChecksInOrder)
{
    AssemblerWindow *window = launch("assembler51");
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->sourceEdit()->text().isEmpty());
    EXPECT_FALSE(window->startButton()->isEnabled());
    const struct {
        QString source, bin, message;
    } cases[] = {
        {QString(), u"x.bin"_qs, u"请选择待汇编的文件！"_qs},
        {dir.filePath("missing.asm"), QString(), u"待汇编的文件不存在！"_qs},
        {source(u"notes.txt"_qs, u"nop\r\n"_qs), u"x.bin"_qs, u"待汇编的文件不是汇编语言源程序！"_qs},
        {source(u"ok.asm"_qs, u"nop\r\n"_qs), QString(), u"请选择汇编后的文件存放地址！"_qs},
        // Only the last three characters count: no dot is needed before them.
        {source(u"xasm"_qs, u"nop\r\n"_qs), QString(), u"请选择汇编后的文件存放地址！"_qs},
    };
    for (const auto &c : cases) {
        prompter.clearCalls();
        window->sourceEdit()->setText(c.source);
        window->binEdit()->setText(c.bin);
        window->start();
        expectOneMessage(c.message, kYesNoExclamation, u"信息"_qs);
        EXPECT_EQ(main->toolWindow(kAssembler), window);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("ok.a51")));
    EXPECT_TRUE(mainLocked());
}

// A code image that is the source, its a51 copy or one of the run's own outputs, typed or picked
// under "All Files", however spelt: Start refuses it with a message and touches no file.
TEST_F(AssemblerWindowTest, StartRefusesACodeImageOverTheSourceOrAnOutput)
{
    const QString text = u"start: mov a,#1\r\n sjmp start\r\n"_qs;
    const QString path = source(u"prog.asm"_qs, text);
    QDir(dir.path()).mkdir(u"sub"_qs);
    QFile::link(path, dir.filePath(u"link.bin"_qs));
    QFile::link(dir.filePath(u"prog.a51"_qs), dir.filePath(u"other.err"_qs));
    AssemblerWindow *window = launch("assembler51", path);
    ASSERT_TRUE(window);
    const QStringList refused = {
        path,                                // the source itself
        dir.filePath(u"sub/../prog.asm"_qs), // the same through another folder
        dir.filePath(u"link.bin"_qs),        // a link to it
        dir.filePath(u"sub/../prog.a51"_qs), // the a51 copy, not made yet
        dir.filePath(u"out.lst"_qs),         // its own listing: out. + lst
        dir.filePath(u"other.bin"_qs),       // its report other.err links to the a51 copy
    };
    for (const QString &bin : refused) {
        SCOPED_TRACE(bin.toStdString());
        prompter.clearCalls();
        window->binEdit()->setText(bin);
        clickStart(window);
        expectOneMessage(collidingPathsMessage(), kYesNoExclamation, u"信息"_qs);
        EXPECT_EQ(main->toolWindow(kAssembler), window);
    }
    // Picked in the save dialog under "All Files".
    prompter.answerFile(path);
    window->browseBin();
    prompter.clearCalls();
    clickStart(window);
    expectOneMessage(collidingPathsMessage(), kYesNoExclamation, u"信息"_qs);
    EXPECT_EQ(twtest::readBytes(path), encodeText(text));
    for (const char *name : {"prog.a51", "prog.lst", "prog.lt", "prog.err", "out.lt", "prog.bin"})
        EXPECT_FALSE(QFile::exists(dir.filePath(QString::fromLatin1(name)))) << name;

    // A code image of its own goes through.
    prompter.answerMessage(MsgAnswer::No);
    window->binEdit()->setText(dir.filePath(u"sub/prog.bin"_qs));
    clickStart(window);
    EXPECT_EQ(twtest::readBytes(dir.filePath(u"sub/prog.bin"_qs)).toHex(), QByteArray("740180fc"));
    EXPECT_EQ(twtest::readBytes(path), encodeText(text));
}

TEST_F(AssemblerWindowTest, PathFieldsAndBrowsing)
{
    // A listing in the active editor leaves both paths empty.
    AssemblerWindow *window = launch("assembler48", source(u"prog.lst"_qs, u"listing\r\n"_qs));
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->sourceEdit()->text().isEmpty());
    EXPECT_TRUE(window->binEdit()->text().isEmpty());

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
    // The dialogs belong to the assembler window, so they open over it, not over the main window.
    for (const ScriptedPrompter::Call &call : prompter.calls())
        EXPECT_EQ(call.asker, window);
}

TEST_F(AssemblerWindowTest, FailuresAndClosingGiveTheMainWindowBack)
{
    const struct {
        const char *item, *name;
        QString text, message;
    } cases[] = {{"assembler51", "fail", u" nop\r\nX EQU\r\n"_qs, u"汇编失败，EQU语句缺操作数！"_qs},
                 {"assembler48", "far", u" ORG 0FFFFH\r\n NOP\r\n"_qs, u"第 2行地址错误！"_qs}};
    for (const auto &c : cases) {
        const QString base = dir.filePath(QString::fromLatin1(c.name));
        twtest::writeBytes(base + u".bin"_qs, "stale");
        twtest::writeBytes(base + u".err"_qs, "stale");
        AssemblerWindow *window = launch(c.item, source(QString::fromLatin1(c.name) + u".asm"_qs, c.text));
        ASSERT_TRUE(window);
        clickStart(window);
        expectOneMessage(c.message, kOkExclamation);
        EXPECT_FALSE(QFile::exists(base + u".bin"_qs));
        EXPECT_FALSE(QFile::exists(base + u".err"_qs));
        expectWindowGoneAndMainBack();
    }
    AssemblerWindow *window = launch("assembler51");
    ASSERT_TRUE(window);
    EXPECT_TRUE(mainLocked());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    expectWindowGoneAndMainBack();
}

TEST_F(AssemblerWindowTest, AnOutputThatCannotBeWrittenIsNamedAndTheEarlierFilesStay)
{
    // A listing of an earlier run, and a folder where the code image goes.
    const QString base = dir.filePath(u"held"_qs);
    twtest::writeBytes(base + u".lst"_qs, "old");
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"held.bin"_qs));
    AssemblerWindow *window = launch("assembler51", source(u"held.asm"_qs, u" NOP\r\n"_qs));
    ASSERT_TRUE(window);
    clickStart(window);
    expectOneMessage(u"文件写入失败："_qs + base + u".bin（已有同名的文件夹）"_qs, kOkExclamation);
    EXPECT_EQ(twtest::readBytes(base + u".lst"_qs), QByteArray("old"));
    EXPECT_FALSE(QFile::exists(base + u".a51"_qs));
    EXPECT_TRUE(main->currentBinPath().isEmpty());
    expectWindowGoneAndMainBack();
}

namespace
{

constexpr char kAssembleIn[] = "TW_WINDOW_ASSEMBLES_IN";

// This test program, running only the case that assembles p.asm of folder through the window.
struct WindowRun {
    explicit WindowRun(const QString &folder) { qputenv(kAssembleIn, QFile::encodeName(folder)); }
    ~WindowRun() { qunsetenv(kAssembleIn); }
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList args = {u"--gtest_filter=AssemblerWindowTest.AssemblesTheFolderItIsGiven"_qs};
};

// The window's assembly killed at every call that moves a name in folder; see
// killAssemblyAtEachNamingCall.
int killWindowAssemblyAtEachCall(const QString &folder)
{
    const WindowRun run(folder);
    return twtest::killAssemblyAtEachNamingCall(folder, run.program, run.args);
}

} // namespace

// Run in a process of its own by the case below, which kills it: assembles p.asm of the folder
// the environment names through the window's start button.
TEST_F(AssemblerWindowTest, AssemblesTheFolderItIsGiven)
{
    const QString folder = qEnvironmentVariable(kAssembleIn);
    if (folder.isEmpty())
        GTEST_SKIP() << "run by KilledWhilePlacingItsOutputsLeavesThemOneRunsAfterTheNextRun";
    AssemblerWindow *window = launch("assembler51", folder + u"/p.asm"_qs);
    ASSERT_TRUE(window);
    prompter.answerMessage(MsgAnswer::No);
    clickStart(window);
}

// The window's assembly killed while it puts its five outputs in place leaves them, once another
// tool has written into the folder, all of the killed run or all of the run before.
TEST_F(AssemblerWindowTest, KilledWhilePlacingItsOutputsLeavesThemOneRunsAfterTheNextRun)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    EXPECT_GT(killWindowAssemblyAtEachCall(dir.path()), 0) << "no kill left a mix to settle";
    twtest::EachMount mounts{twtest::mountToTry<twtest::BindfsMount>("bindfs")};
    mounts.run([](twtest::TestMount &mount) {
        EXPECT_GT(killWindowAssemblyAtEachCall(mount.mountPoint()), 0) << "no kill left a mix to settle";
    });
    TW_SKIP_UNTRIED(mounts);
}
