// The sender window inside the real main window (offscreen): its launcher, the lock, loading,
// every message, the settings string, sends through a fake link and through a real
// pseudo-terminal pair.
#include "FakeSerialLink.h"
#include "PtyPair.h"
#include "common/ScriptedPrompter.h"
#include "links/ui/SerialSenderWindow.h"
#include "support/TestFiles.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;
using twtest::FakeSerialLink;
using twtest::PtyPair;

namespace
{

const QString kSender = QString::fromLatin1(ToolName::SerialSender);
constexpr int kNotice = 48;

QByteArray counting(int length)
{
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(static_cast<char>(i & 0xFF));
    return bytes;
}

class SenderWindowTest : public twtest::ToolWindowTest
{
  protected:
    QTemporaryDir dir;
    FakeSerialLink link;
    QtSerialLink realLink;

    void SetUp() override
    {
        registerSerialSenderWindow();
        ToolWindowTest::SetUp();
    }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        twtest::writeBytes(path, bytes);
        return path;
    }
    SerialSenderWindow *window() const
    {
        return qobject_cast<SerialSenderWindow *>(main->toolWindow(kSender));
    }
    SerialSenderWindow *launch(const QString &binPath = QString())
    {
        main->setCurrentBinPath(binPath);
        prompter.clearCalls();
        EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("send1")));
        if (SerialSenderWindow *w = window()) {
            w->useLink(link);
            w->sender().setPollInterval(0);
            return w;
        }
        return nullptr;
    }
    // Clicks 发送 and waits for the send to end.
    void send(SerialSenderWindow *w)
    {
        QSignalSpy finished(&w->sender(), &SerialSender::finished);
        QTest::mouseClick(w->sendButton(), Qt::LeftButton);
        if (w->sender().isRunning()) {
            EXPECT_TRUE(finished.wait(10000));
        }
    }
    void expectMessages(const QStringList &texts)
    {
        EXPECT_EQ(prompter.messageTexts(), texts);
        for (const auto &call : prompter.calls()) {
            if (call.kind != ScriptedPrompter::Kind::Message)
                continue;
            EXPECT_EQ(call.style, kNotice);
            EXPECT_EQ(call.title, QStringLiteral(u"提示"));
        }
        prompter.clearCalls();
    }
    void expectButtonsEnabled(SerialSenderWindow *w)
    {
        for (QPushButton *b : {w->chooseButton(), w->sendButton(), w->saveAsButton(), w->receiveButton()})
            EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    }
};

} // namespace

TEST_F(SenderWindowTest, LauncherClosesOnlyEditorsAndLocksTheMainWindowUntilTheSenderCloses)
{
    const QString source = file(QStringLiteral("a.asm"), " NOP\r\n");
    main->openInEditor(source);
    ASSERT_EQ(main->editorCount(), 1);
    SerialSenderWindow *w = launch();
    ASSERT_TRUE(w);
    EXPECT_EQ(main->editorCount(), 0);
    EXPECT_TRUE(mainLocked());
    EXPECT_EQ(w->windowTitle(), QStringLiteral(u"通讯"));
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window());
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mFile")));
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mCom")));
    EXPECT_TRUE(main->isToolbarButtonEnabled(1));

    // A cancelled save question keeps the editor and opens nothing.
    main->openInEditor(source);
    main->editors().first()->setHasChanged(true);
    prompter.answerMessage(MsgAnswer::Cancel);
    EXPECT_TRUE(main->triggerMenuItem(QStringLiteral("send1")));
    EXPECT_FALSE(window());
    EXPECT_EQ(main->editorCount(), 1);
    EXPECT_FALSE(main->triggerMenuItem(QStringLiteral("ISP")));
}

TEST_F(SenderWindowTest, OpeningLoadsTheCurrentFileWhateverItsExtensionAndStartsFromTheDefaults)
{
    SerialSenderWindow *w = launch(file(QStringLiteral("code.hex"), counting(257)));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->fileEdit()->text(), dir.filePath(QStringLiteral("code.hex")));
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("0101H"));
    EXPECT_FALSE(w->lengthEdit()->isEnabled());
    EXPECT_EQ(w->settings(), QStringLiteral("9600,n,8,1"));
    EXPECT_TRUE(w->portOption(0)->isChecked());
    EXPECT_EQ(w->portOption(3)->text(), QStringLiteral("COM4"));
    EXPECT_TRUE(w->headerOption(1)->isChecked());
    EXPECT_EQ(w->headerOption(0)->text(), QStringLiteral(u"有(8位十六进制代码) "));
    EXPECT_TRUE(w->headerEdit()->isHidden());
    EXPECT_FALSE(w->saveAsButton()->isEnabled());
    EXPECT_FALSE(w->receiveButton()->isEnabled());
    EXPECT_EQ(w->baudBox()->count(), 14);
    EXPECT_EQ(w->baudBox()->itemText(13), QStringLiteral("256000"));
    EXPECT_EQ(w->baudBox()->currentText(), QStringLiteral("9600"));
    EXPECT_TRUE(prompter.calls().isEmpty());

    // A current file that cannot be read is reported, and the earlier file is not sent under
    // its name.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QString gone = dir.filePath(QStringLiteral("gone.bin"));
    w = launch(gone);
    ASSERT_TRUE(w);
    expectMessages({QStringLiteral(u"文件读取失败：") + gone + QStringLiteral(u"（文件或文件夹不存在）")});
    EXPECT_EQ(w->fileEdit()->text(), gone);
    EXPECT_TRUE(w->lengthEdit()->text().isEmpty());
    send(w);
    EXPECT_TRUE(prompter.calls().isEmpty());
    EXPECT_TRUE(link.events.isEmpty());
}

TEST_F(SenderWindowTest, ChecksBeforeTheSendAndTheirMessages)
{
    SerialSenderWindow *w = launch();
    ASSERT_TRUE(w);
    w->headerOption(0)->click();
    EXPECT_FALSE(w->headerEdit()->isHidden());
    w->headerEdit()->setText(QStringLiteral("0a1B2c3"));
    send(w);
    expectMessages({QStringLiteral(u"文件头需为8位十六进制代码")});
    w->headerEdit()->setText(QStringLiteral("0a1B2c3G"));
    send(w);
    expectMessages({QStringLiteral(u"文件头有非法字符")});
    expectButtonsEnabled(w);
    w->headerOption(1)->click();
    EXPECT_TRUE(w->headerEdit()->text().isEmpty());
    send(w);
    expectMessages({QStringLiteral(u"请选择待发送的文件。")});
    expectButtonsEnabled(w);

    // An empty file: nothing sent and nothing said.
    main->setCurrentBinPath(file(QStringLiteral("empty.bin"), QByteArray()));
    prompter.answerFile(main->currentBinPath());
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("0000H"));
    prompter.clearCalls();
    send(w);
    EXPECT_TRUE(prompter.calls().isEmpty());
    EXPECT_TRUE(link.events.isEmpty());

    // The file choice: .Bin is ignored, a cancel changes nothing, too long a file is refused.
    prompter.answerFile(file(QStringLiteral("x.Bin"), "abc"));
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    prompter.answerFile(QString());
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    EXPECT_EQ(w->fileEdit()->text(), dir.filePath(QStringLiteral("empty.bin")));
    EXPECT_EQ(prompter.calls()[0].title, QStringLiteral(u"请选择待发送的目标文件"));
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral(u"二进制代码文件 (*.bin)"));
    prompter.clearCalls();
    prompter.answerFile(file(QStringLiteral("huge.bin"), QByteArray(65537, 'x')));
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    expectMessages({QStringLiteral(u"文件长度超过65536字节，不能发送。")});
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("0000H"));
    EXPECT_EQ(w->fileEdit()->text(), dir.filePath(QStringLiteral("empty.bin")));
    EXPECT_EQ(main->currentBinPath(), dir.filePath(QStringLiteral("empty.bin")));

    // The receive path: kept for the next opening.
    w->saveAsButton()->setEnabled(true);
    prompter.answerFile(dir.filePath(QStringLiteral("in.bin")));
    QTest::mouseClick(w->saveAsButton(), Qt::LeftButton);
    EXPECT_EQ(w->receiveEdit()->text(), dir.filePath(QStringLiteral("in.bin")));
    w->close();
    w = launch();
    EXPECT_EQ(w->receiveEdit()->text(), dir.filePath(QStringLiteral("in.bin")));
}

TEST_F(SenderWindowTest, SettingsChangeOnlyByAPickOrAParityClick)
{
    SerialSenderWindow *w = launch();
    ASSERT_TRUE(w);
    w->parityOption(2)->click();
    EXPECT_EQ(w->settings(), QStringLiteral("9600,e,8,1"));
    w->baudBox()->setCurrentIndex(8);
    emit w->baudBox()->activated(8);
    EXPECT_EQ(w->settings(), QStringLiteral("19200,e,8,1"));
    w->baudBox()->setEditText(QStringLiteral("4800"));
    EXPECT_EQ(w->settings(), QStringLiteral("19200,e,8,1"));
    w->parityOption(1)->click();
    EXPECT_EQ(w->settings(), QStringLiteral("4800,o,8,1"));
}

TEST_F(SenderWindowTest, SendsBlocksWithHeadersOverTheLinkWithTheControlsHeld)
{
    SerialSenderWindow *w = launch(file(QStringLiteral("a.bin"), counting(257)));
    ASSERT_TRUE(w);
    w->headerOption(0)->click();
    w->headerEdit()->setText(QStringLiteral("0a1B2c3D"));
    w->portOption(2)->click();
    qputenv("TARNWICK_COM3", "/dev/fake3");
    link.pending = {0, 100, 0, 0, 0};
    QSignalSpy finished(&w->sender(), &SerialSender::finished);
    QTest::mouseClick(w->sendButton(), Qt::LeftButton);
    ASSERT_TRUE(w->sender().isRunning());
    // Nothing that shapes the bytes can change while they go out.
    EXPECT_FALSE(w->sendButton()->isEnabled());
    EXPECT_FALSE(w->chooseButton()->isEnabled());
    EXPECT_FALSE(w->headerOption(1)->isEnabled());
    EXPECT_FALSE(w->portOption(0)->isEnabled());
    EXPECT_FALSE(w->parityOption(1)->isEnabled());
    EXPECT_FALSE(w->baudBox()->isEnabled());
    EXPECT_EQ(w->progressBar()->maximum(), 512);
    ASSERT_TRUE(finished.wait(10000));
    qunsetenv("TARNWICK_COM3");
    const QByteArray header("\x0A\x1B\x2C\x3D", 4);
    EXPECT_EQ(link.written, header + counting(256) + header + QByteArray(256, '\0'));
    EXPECT_EQ(link.events.first(), QStringLiteral("open /dev/fake3 9600 n"));
    EXPECT_EQ(w->progressBar()->value(), 0);
    expectMessages({QStringLiteral(u"发送结束。")});
    expectButtonsEnabled(w);
    EXPECT_TRUE(w->baudBox()->isEnabled());
    EXPECT_FALSE(link.isOpen());

    // A smaller file afterwards: its block is filled with zeros, not the earlier file's tail.
    link.written.clear();
    prompter.answerFile(file(QStringLiteral("one.bin"), QByteArray(1, '\x5A')));
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    EXPECT_EQ(w->lengthEdit()->text(), QStringLiteral("0001H"));
    EXPECT_EQ(main->currentBinPath(), dir.filePath(QStringLiteral("one.bin")));
    w->headerOption(1)->click();
    send(w);
    EXPECT_EQ(link.written, QByteArray(1, '\x5A') + QByteArray(255, '\0'));
}

TEST_F(SenderWindowTest, APortThatFailsIsNamedClosedAndFailsTheSameWayAgain)
{
    SerialSenderWindow *w = launch(file(QStringLiteral("a.bin"), counting(10)));
    ASSERT_TRUE(w);
    qputenv("TARNWICK_COM1", "/dev/nonexistent-port");
    link.openFails = true;
    send(w);
    const QString text = QStringLiteral(u"端口号无效，请变更端口再试。\n/dev/nonexistent-port");
    expectMessages({text});
    send(w);
    expectMessages({text});
    expectButtonsEnabled(w);

    // The real port layer on a device that is not there says the same.
    w->useLink(realLink);
    w->sender().setPollInterval(0);
    send(w);
    expectMessages({text});
    qunsetenv("TARNWICK_COM1");
}

// A port whose driver runs another rate than the one picked gets nothing, and the port message
// names the device and the rate; the same port at a rate it takes sends.
TEST_F(SenderWindowTest, APortRunningAnotherRateGetsNothingAndTheMessageNamesTheRate)
{
    SerialSenderWindow *w = launch(file(QStringLiteral("a.bin"), counting(10)));
    ASSERT_TRUE(w);
    qputenv("TARNWICK_COM1", "/dev/ttyS0");
    link.takesBaud = 115200;
    w->baudBox()->setCurrentIndex(12);
    emit w->baudBox()->activated(12);
    send(w);
    expectMessages({QStringLiteral(u"端口号无效，请变更端口再试。\n/dev/ttyS0 波特率 128000")});
    EXPECT_TRUE(link.written.isEmpty());
    EXPECT_EQ(link.events, QStringList({"open /dev/ttyS0 128000 n", "close"}));
    expectButtonsEnabled(w);

    link.takesBaud = 9600;
    w->baudBox()->setCurrentIndex(6);
    emit w->baudBox()->activated(6);
    send(w);
    expectMessages({QStringLiteral(u"发送结束。")});
    EXPECT_EQ(link.written, counting(10) + QByteArray(246, '\0'));
    qunsetenv("TARNWICK_COM1");
}

// A port whose driver drops the parity picked, as a pseudo-terminal does, gets nothing, and the
// port message names the device and the parity, odd and even alike.
TEST_F(SenderWindowTest, APortDroppingTheParityGetsNothingAndTheMessageNamesTheParity)
{
    PtyPair pty;
    ASSERT_FALSE(pty.slaveName().isEmpty());
    SerialSenderWindow *w = launch(file(QStringLiteral("a.bin"), counting(10)));
    ASSERT_TRUE(w);
    qputenv("TARNWICK_COM1", "/dev/ttyS0");
    link.takesParity = 'n';
    w->parityOption(2)->click();
    send(w);
    expectMessages({QStringLiteral(u"端口号无效，请变更端口再试。\n/dev/ttyS0 校验位 偶EVEN")});
    EXPECT_EQ(link.events, QStringList({"open /dev/ttyS0 9600 e", "close"}));

    qputenv("TARNWICK_COM1", pty.slaveName().toLocal8Bit());
    w->useLink(realLink);
    w->sender().setPollInterval(1);
    w->parityOption(1)->click();
    send(w);
    expectMessages({QStringLiteral(u"端口号无效，请变更端口再试。\n") + pty.slaveName() +
                    QStringLiteral(u" 校验位 奇ODD")});
    EXPECT_TRUE(pty.readWaiting().isEmpty());
    expectButtonsEnabled(w);
    qunsetenv("TARNWICK_COM1");
}

TEST_F(SenderWindowTest, ClosingDuringASendStopsItAndClosesThePort)
{
    SerialSenderWindow *w = launch(file(QStringLiteral("a.bin"), counting(1000)));
    ASSERT_TRUE(w);
    link.stuckPending = 256;
    QTest::mouseClick(w->sendButton(), Qt::LeftButton);
    ASSERT_TRUE(w->sender().isRunning());
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(window());
    EXPECT_TRUE(main->isMenuEnabled(QStringLiteral("mFile")));
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

TEST_F(SenderWindowTest, APseudoTerminalReceivesExactlyTheBlocks)
{
    PtyPair pty;
    ASSERT_FALSE(pty.slaveName().isEmpty());
    qputenv("TARNWICK_COM2", pty.slaveName().toLocal8Bit());
    SerialSenderWindow *w = launch(file(QStringLiteral("one.bin"), QByteArray(1, '\x5A')));
    ASSERT_TRUE(w);
    w->useLink(realLink);
    w->sender().setPollInterval(1);
    w->portOption(1)->click();

    pty.startReading(256);
    send(w);
    EXPECT_EQ(pty.finishReading(), QByteArray(1, '\x5A') + QByteArray(255, '\0'));
    expectMessages({QStringLiteral(u"发送结束。")});

    prompter.answerFile(file(QStringLiteral("b.bin"), counting(257)));
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    w->headerOption(0)->click();
    w->headerEdit()->setText(QStringLiteral("0a1B2c3D"));
    pty.startReading(520);
    send(w);
    const QByteArray header("\x0A\x1B\x2C\x3D", 4);
    EXPECT_EQ(pty.finishReading(),
              header + counting(256) + header + QByteArray(1, '\0') + QByteArray(255, '\0'));
    expectMessages({QStringLiteral(u"发送结束。")});

    prompter.answerFile(file(QStringLiteral("c.bin"), counting(512)));
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    w->headerOption(1)->click();
    pty.startReading(512);
    send(w);
    EXPECT_EQ(pty.finishReading(), counting(512));
    qunsetenv("TARNWICK_COM2");
}

// A receiver that stops reading leaves the queue full: the send ends with the time-out message,
// not the port message, over the fake link and over a real line alike.
TEST_F(SenderWindowTest, AStalledReceiverGetsTheTimeOutMessage)
{
    PtyPair pty;
    ASSERT_FALSE(pty.slaveName().isEmpty());
    qputenv("TARNWICK_COM1", pty.slaveName().toLocal8Bit());
    SerialSenderWindow *w = launch(file(QStringLiteral("a.bin"), counting(600)));
    ASSERT_TRUE(w);
    // The fastest rate gives the shortest wait before the send gives up.
    w->baudBox()->setCurrentIndex(13);
    emit w->baudBox()->activated(13);
    const QString text = QStringLiteral(u"发送超时，数据未能从端口发出。\n") + pty.slaveName();

    link.stuckPending = 256;
    send(w);
    expectMessages({text});
    EXPECT_FALSE(link.isOpen());
    expectButtonsEnabled(w);

    pty.fillLine();
    w->useLink(realLink);
    w->sender().setPollInterval(1);
    send(w);
    expectMessages({text});
    EXPECT_FALSE(realLink.isOpen());
    expectButtonsEnabled(w);
    qunsetenv("TARNWICK_COM1");
}
