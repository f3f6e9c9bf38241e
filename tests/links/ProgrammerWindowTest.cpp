// The programmer window inside the real main window (offscreen), on the simulated chip: the lock
// while it is open, the buffer and its files, the chip buttons, the lock-bit boxes, the cable
// test and a port that cannot be had.
#include "links/ui/ProgrammerWindow.h"
#include "SimAt89s51.h"
#include "common/CheckedFile.h"
#include "common/SaveChoice.h"
#include "common/ScriptedPrompter.h"
#include "links/PpdevPort.h"
#include "support/FileFaults.h"
#include "support/TestFiles.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/MainWindow.h"
#include "workspace/ui/ToolRegistry.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <utility>

using namespace tw;
using twtest::SimAt89s51;
using twtest::VirtualClock;

namespace
{

const QString kProgrammer = QString::fromLatin1(ToolName::Programmer);
const QString kReady = QStringLiteral(u"端口已打开，准备传输\r\n");

class ProgrammerWindowTest : public twtest::ToolWindowTest
{
  protected:
    QTemporaryDir dir;
    VirtualClock clock;
    SimAt89s51 chip{clock};
    ProgrammerMemory memory;

    void SetUp() override
    {
        registerProgrammerWindow();
        // The same window on the simulated chip instead of /dev/parport0.
        registerTool(kProgrammer, [this](Workspace &workspace) -> QWidget * {
            return new ProgrammerWindow(workspace, {chip, clock, memory});
        });
        ToolWindowTest::SetUp();
    }
    void TearDown() override
    {
        ToolWindowTest::TearDown();
        registerProgrammerWindow();
    }
    ProgrammerWindow *open()
    {
        main->showTool(kProgrammer);
        return qobject_cast<ProgrammerWindow *>(main->toolWindow(kProgrammer));
    }
    void click(ProgrammerWindow *w, int number) { QTest::mouseClick(w->button(number), Qt::LeftButton); }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        twtest::writeBytes(path, bytes);
        return path;
    }
};

} // namespace

TEST_F(ProgrammerWindowTest, OpeningEnablesProgrammingAndHidesTheEditMenusUntilItCloses)
{
    EXPECT_FALSE(main->triggerMenuItem(QStringLiteral("ISP")));
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral(u"ISP编程"));
    EXPECT_EQ(w->logText(), kReady + QStringLiteral(u"编程使能：  00000069\r\n"));
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("0"));
    EXPECT_TRUE(chip.enabled());
    EXPECT_FALSE(main->isMenuVisible(QStringLiteral("mEdit")));
    EXPECT_FALSE(main->isMenuVisible(QStringLiteral("mWindow")));
    for (const char *menu : {"mFile", "mComp", "mCom", "mEml", "mView", "comFZ"})
        EXPECT_FALSE(main->isMenuEnabled(QString::fromLatin1(menu))) << menu;
    for (int i = 1; i <= main->toolbarButtonCount(); ++i)
        EXPECT_FALSE(main->isToolbarButtonEnabled(i)) << i;
    EXPECT_EQ(w->button(6)->toolTip(), QStringLiteral(u"将程序代码写入芯片程序存储器"));
    EXPECT_EQ(w->button(11)->text(), QStringLiteral(u"端口检测"));
    EXPECT_TRUE(prompter.calls().isEmpty());

    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(chip.isOpen());
    EXPECT_FALSE(main->isMenuVisible(QStringLiteral("mEdit")));
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mFile")));
    EXPECT_TRUE(main->isToolbarButtonEnabled(1));
    EXPECT_TRUE(main->isToolbarButtonEnabled(2));
    EXPECT_FALSE(main->isToolbarButtonEnabled(3));
}

TEST_F(ProgrammerWindowTest, BufferFromAFileThroughTheChipAndBackIntoAFile)
{
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    prompter.answerFile(file(QStringLiteral("a.bin"), QByteArray("\x02\x00\x30", 3)));
    click(w, 1);
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("3"));
    EXPECT_EQ(w->dumpText(), QStringLiteral("0000H: 02 00 30\r\n"));
    EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"打开"));

    prompter.answerFile(file(QStringLiteral("b.Bin"), QByteArray(17, 'x')));
    click(w, 1);
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("3"));

    click(w, 10);
    EXPECT_EQ(w->logText(), kReady + QStringLiteral(u"芯片擦除 OK\r\n写入 OK\r\n校验 OK\r\n写加密位 OK\r\n"));
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(chip.flash.data()), 4),
              QByteArray("\x02\x00\x30\xFF", 4));

    click(w, 9);
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("4096"));
    const QStringList lines = w->dumpText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 256);
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("0FF0H:")));
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("0000H: 02 00 30 FF")));
    EXPECT_TRUE(w->logText().endsWith(QStringLiteral(u"未加密\r\n读出 OK\r\n")) ||
                w->logText().endsWith(QStringLiteral(u"读出 OK\r\n")));

    const QString saved = dir.filePath(QStringLiteral("read.bin"));
    prompter.answerFile(saved);
    click(w, 2);
    EXPECT_EQ(twtest::readBytes(saved).size(), 4096);
    EXPECT_EQ(twtest::readBytes(saved).left(4), QByteArray("\x02\x00\x30\xFF", 4));
    EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"另存为"));

    click(w, 3);
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("0"));
    EXPECT_TRUE(w->dumpText().isEmpty());

    const QString shown = w->logText();
    click(w, 4);
    EXPECT_EQ(w->logText(), shown + QStringLiteral(u"芯片非空\r\n"));
    click(w, 5);
    click(w, 4);
    EXPECT_EQ(w->logText(), kReady + QStringLiteral(u"芯片空\r\n"));
}

TEST_F(ProgrammerWindowTest, LockBoxesStayCumulativeAndTheLockButtonWritesThem)
{
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    auto state = [w] {
        return QString::fromLatin1("%1%2%3")
            .arg(int(w->lockBox(0)->isChecked()))
            .arg(int(w->lockBox(1)->isChecked()))
            .arg(int(w->lockBox(2)->isChecked()));
    };
    QTest::mouseClick(w->lockBox(2), Qt::LeftButton);
    EXPECT_EQ(state(), QStringLiteral("111"));
    QTest::mouseClick(w->lockBox(1), Qt::LeftButton);
    EXPECT_EQ(state(), QStringLiteral("100"));
    QTest::mouseClick(w->lockBox(1), Qt::LeftButton);
    EXPECT_EQ(state(), QStringLiteral("110"));
    click(w, 8);
    EXPECT_EQ(chip.lockBits(), 3);
    EXPECT_TRUE(w->logText().endsWith(QStringLiteral(u"写加密位 OK\r\n")));
    click(w, 7);
    EXPECT_TRUE(w->logText().endsWith(QStringLiteral(u"二级加密\r\n已加密，不可校验\r\n")));
    QTest::mouseClick(w->lockBox(0), Qt::LeftButton);
    EXPECT_EQ(state(), QStringLiteral("000"));
}

TEST_F(ProgrammerWindowTest, CableTestModeSwapsTheButtonsAndDrivesOneLineAtATime)
{
    memory.mosiHigh = memory.sckHigh = false;
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    click(w, 11);
    EXPECT_TRUE(w->inCableTest());
    EXPECT_EQ(w->button(11)->text(), QStringLiteral(u"ISP\n操作"));
    EXPECT_EQ(w->button(11)->toolTip(), QStringLiteral(u"切换到ISP编程操作"));
    const char *captions[5] = {"MOSI=1", "MOSI=0", "SCK=1", "SCK=0", "读MISO"};
    const char *tips[5] = {"P1.5", "P1.5", "P1.7", "P1.7", "P1.6"};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(w->button(4 + k)->text(), QString::fromUtf8(captions[k]));
        EXPECT_EQ(w->button(4 + k)->toolTip(), QString::fromUtf8(tips[k]));
    }
    EXPECT_FALSE(w->button(9)->isEnabled());
    EXPECT_FALSE(w->button(10)->isEnabled());
    EXPECT_EQ(w->logText(), kReady);

    click(w, 4);
    click(w, 6);
    EXPECT_EQ(w->logText(), kReady + QStringLiteral(u"输出 MOSI=1\r\n输出 SCK=1\r\n"));
    EXPECT_EQ(chip.writes.back() & 3, 0);
    click(w, 8);
    EXPECT_TRUE(w->logText().startsWith(kReady + QStringLiteral(u"输出 MOSI=1\r\n输出 SCK=1\r\n输入 MISO=")));

    // The open, clear and lock-bit controls work the same here.
    QTest::mouseClick(w->lockBox(2), Qt::LeftButton);
    EXPECT_TRUE(w->lockBox(0)->isChecked());
    click(w, 3);
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("0"));

    chip.received.clear();
    click(w, 11);
    EXPECT_FALSE(w->inCableTest());
    EXPECT_EQ(w->button(6)->toolTip(), QStringLiteral(u"将程序写入芯片程序存储器"));
    EXPECT_EQ(w->button(4)->text(), QStringLiteral(u"检空"));
    EXPECT_EQ(w->button(11)->text(), QStringLiteral(u"端口检测"));
    EXPECT_TRUE(w->button(9)->isEnabled());
    EXPECT_TRUE(w->button(10)->isEnabled());
    EXPECT_EQ(chip.received.size(), 4u); // programming enable once more
    EXPECT_EQ(w->logText(), kReady);
}

TEST_F(ProgrammerWindowTest, APortThatCannotBeHadIsReportedAndRefusesEveryChipCommand)
{
    chip.setOpenFails(true);
    memory.logText.clear();
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral(u"初始化失败，端口未打开，不能进行传输"));
    EXPECT_EQ(prompter.calls()[0].style, 16);
    EXPECT_EQ(prompter.calls()[0].title, QStringLiteral("VBDumpPort32"));
    const QString notOpen = QStringLiteral(u"端口未打开，不能进行传输\r\n");
    EXPECT_EQ(w->logText(), notOpen);
    for (int number : {4, 5, 6, 7, 8, 9, 10})
        click(w, number);
    EXPECT_EQ(w->logText(), notOpen.repeated(8));
    EXPECT_FALSE(w->logText().contains(QStringLiteral("OK")));

    // The buffer still loads and saves.
    prompter.answerFile(file(QStringLiteral("a.bin"), QByteArray("\x01\x02", 2)));
    click(w, 1);
    EXPECT_EQ(w->dumpText(), QStringLiteral("0000H: 01 02\r\n"));
    prompter.answerFile(dir.filePath(QStringLiteral("copy.bin")));
    click(w, 2);
    EXPECT_EQ(twtest::readBytes(dir.filePath(QStringLiteral("copy.bin"))), QByteArray("\x01\x02", 2));
    EXPECT_TRUE(chip.writes.empty());
}

// The save dialog's question is the one consent, so the buffer replaces the file without a second
// question; a file that cannot be written is named with the reason, and nothing is left behind.
TEST_F(ProgrammerWindowTest, SavingTheBufferGoesThroughTheWriter)
{
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    prompter.answerFile(file(QStringLiteral("a.bin"), QByteArray("\x02\x00\x30", 3)));
    click(w, 1);
    const QString old = file(QStringLiteral("old.bin"), "previous");
    prompter.clearCalls();
    prompter.answerFile(old);
    prompter.answerMessage(MsgAnswer::Yes);
    click(w, 2);
    EXPECT_EQ(twtest::readBytes(old), QByteArray("\x02\x00\x30", 3));
    ASSERT_EQ(prompter.calls().size(), 2);
    EXPECT_EQ(prompter.calls()[0].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(prompter.calls()[1].text, replaceFileQuestion(old));

    const QString missing = dir.filePath(QStringLiteral("none/x.bin"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.bin")));
    const QString folder = dir.filePath(QStringLiteral("folder.bin"));
    for (const auto &[path, reason] : {std::pair{missing, QStringLiteral(u"文件或文件夹不存在")},
                                       std::pair{folder, QStringLiteral(u"已有同名的文件夹")}}) {
        prompter.clearCalls();
        prompter.answerFile(path);
        click(w, 2);
        EXPECT_EQ(prompter.messageTexts(),
                  QStringList{QStringLiteral(u"文件写入失败：") + path + QStringLiteral(u"（") + reason +
                              QStringLiteral(u"）")});
        EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"ISP编程"));
    }
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        (QStringList{QStringLiteral("a.bin"), QStringLiteral("folder.bin"), QStringLiteral("old.bin")}));
}

// The save dialog's question is the agreement: a file another program changes or moves over the
// name while it is open, or makes at a name the dialog found free, stays as that program left it,
// and the run says why; one made before the name is looked at is asked about.
TEST_F(ProgrammerWindowTest, SavingTheBufferReplacesOnlyWhatTheDialogAskedAbout)
{
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    prompter.answerFile(file(QStringLiteral("a.bin"), QByteArray("\x02\x00\x30", 3)));
    click(w, 1);
    const QString target = dir.filePath(QStringLiteral("out.bin"));
    const QString question = replaceFileQuestion(target);
    const auto appendOutside = [&] { twtest::writeBytes(target, twtest::readBytes(target) + "more"); };
    const auto moveOver = [&] { twtest::moveNewFileOver(target, "moved"); };
    const auto makeOutside = [&] { twtest::writeBytes(target, "made"); };
    twtest::AtTheNextWrite atTheWrite;
    const auto failure = [&](const char16_t *reason) {
        return writeFailureMessage(target, QString::fromUtf16(reason));
    };
    const struct {
        const char *what;
        bool existed;
        std::function<void()> whileAsked;
        std::function<void()> asDialogCloses;
        std::function<void()> atWrite;
        QByteArray left;
        QStringList said;
    } cases[] = {
        {"appended while asked",
         true,
         appendOutside,
         {},
         {},
         "previousmore",
         {question, failure(u"文件已被其他程序修改")}},
        {"moved over while asked",
         true,
         moveOver,
         {},
         {},
         "moved",
         {question, failure(u"文件已被其他程序修改")}},
        {"made at a free name as the save writes",
         false,
         {},
         {},
         makeOutside,
         "made",
         {failure(u"其他程序已新建了同名文件")}},
        // No: the dialog again, cancelled.
        {"made at a free name as the dialog closes", false, {}, makeOutside, {}, "made", {question}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(target);
        if (c.existed)
            twtest::writeBytes(target, "previous");
        prompter.clearCalls();
        atTheWrite.set(c.atWrite);
        prompter.answerFile(target, c.asDialogCloses);
        if (c.existed || c.asDialogCloses)
            prompter.answerMessage(c.asDialogCloses ? MsgAnswer::No : MsgAnswer::Yes, c.whileAsked);
        click(w, 2);
        EXPECT_EQ(prompter.messageTexts(), c.said);
        if (c.asDialogCloses)
            EXPECT_EQ(prompter.calls().last().start, target);
        else
            EXPECT_EQ(prompter.calls().last().title, QStringLiteral(u"ISP编程"));
        EXPECT_EQ(twtest::readBytes(target), c.left);
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral(".tw-*")}, QDir::Files | QDir::Hidden),
                  QStringList());
    }
}

TEST(PpdevPort, APortThatIsMissingOrNotAParallelPortIsNotOpenedAndIgnoresAccess)
{
    QTemporaryDir dir;
    PpdevPort missing(dir.filePath(QStringLiteral("parport0")));
    EXPECT_FALSE(missing.open());
    EXPECT_FALSE(missing.isOpen());
    missing.writeControl(0xFC);
    EXPECT_EQ(missing.readStatus(), 0xFF);
    missing.close();

    // A device that is there but refuses the claim (here a plain file) is let go again.
    const QString plain = dir.filePath(QStringLiteral("plain"));
    twtest::writeBytes(plain, QByteArray(4, '\0'));
    PpdevPort notAPort(plain);
    EXPECT_FALSE(notAPort.open());
    EXPECT_FALSE(notAPort.isOpen());
    notAPort.writeControl(0xFF);
    EXPECT_EQ(twtest::readBytes(plain), QByteArray(4, '\0'));
}

TEST_F(ProgrammerWindowTest, TheWindowOnAMissingParallelPortSaysSoAndStaysUsable)
{
    QTemporaryDir devices;
    PpdevPort port(devices.filePath(QStringLiteral("parport0")));
    SteadyIspClock steady;
    ProgrammerMemory fresh;
    registerTool(kProgrammer, [&](Workspace &workspace) -> QWidget * {
        return new ProgrammerWindow(workspace, {port, steady, fresh});
    });
    ProgrammerWindow *w = open();
    ASSERT_TRUE(w);
    ASSERT_EQ(prompter.messageTexts(), QStringList{QStringLiteral(u"初始化失败，端口未打开，不能进行传输")});
    click(w, 10);
    click(w, 11);
    click(w, 4);
    EXPECT_EQ(w->logText(), QStringLiteral(u"端口未打开，不能进行传输\r\n").repeated(3));
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
