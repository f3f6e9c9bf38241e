// The sender's logic: loading, lengths, headers, settings, the COM device order, and the paced
// send over a fake link (order of writes and drains, progress, time-outs, failures, cancel) and
// over a real line whose receiver has stopped.
#include "FakeSerialLink.h"
#include "PtyPair.h"
#include "common/Paths.h"
#include "links/ComPorts.h"
#include "links/QtSerialLink.h"
#include "links/SendFile.h"
#include "links/SerialSender.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;
using twtest::FakeSerialLink;

namespace
{

QByteArray counting(int length)
{
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(static_cast<char>(i & 0xFF));
    return bytes;
}

SendJob jobOf(const QByteArray &file, bool header = false)
{
    SendJob job;
    job.device = QStringLiteral("/dev/ttyS0");
    job.blocks = file;
    job.blocks.append(QByteArray((kSendBlockSize - file.size() % kSendBlockSize) % kSendBlockSize, '\0'));
    job.withHeader = header;
    job.header = {0x0A, 0x1B, 0x2C, 0x3D};
    return job;
}

SendOutcome run(SerialSender &sender, const SendJob &job, QList<int> *progress = nullptr)
{
    QSignalSpy finished(&sender, &SerialSender::finished);
    QObject context;
    if (progress)
        QObject::connect(&sender, &SerialSender::progress, &context,
                         [progress](int v) { progress->append(v); });
    sender.setPollInterval(0);
    EXPECT_TRUE(sender.start(job));
    if (finished.isEmpty()) {
        EXPECT_TRUE(finished.wait(10000));
    }
    return finished.isEmpty() ? SendOutcome::Cancelled : finished.first().first().value<SendOutcome>();
}

// A send over a link whose driver runs what it runs: completed, the whole file written; else only
// the port opened and closed again.
void expectAllOrNothingSent(FakeSerialLink &link, const SendJob &job, SendOutcome outcome)
{
    SerialSender sender(link);
    EXPECT_EQ(run(sender, job), outcome);
    if (outcome == SendOutcome::Completed)
        EXPECT_EQ(link.written, job.blocks);
    else
        EXPECT_EQ(link.events, QStringList({QStringLiteral("open %1 %2 %3")
                                                .arg(job.device)
                                                .arg(job.baud)
                                                .arg(QChar::fromLatin1(job.parity)),
                                            "close"}));
    EXPECT_FALSE(link.isOpen());
}

} // namespace

TEST(SendFile, LoadingClearsTheImageAndRefusesFilesOverSixtyFourKilobytes)
{
    QTemporaryDir dir;
    const QString longer = dir.filePath(QStringLiteral("long.bin"));
    const QString shorter = dir.filePath(QStringLiteral("short.bin"));
    twtest::writeBytes(longer, QByteArray(300, '\xAA'));
    twtest::writeBytes(shorter, QByteArray(1, '\x5A'));
    SendImage sent;
    ASSERT_EQ(loadSendFile(longer, sent), SendLoad::Loaded);
    EXPECT_EQ(sent.blockCount, 2);
    ASSERT_EQ(loadSendFile(shorter, sent), SendLoad::Loaded);
    EXPECT_EQ(sent.length, 1);
    EXPECT_EQ(sent.blockCount, 1);
    EXPECT_EQ(sent.block(0), QByteArray(1, '\x5A') + QByteArray(255, '\0'));

    // Files of 32,513 bytes and more once overflowed the counters; up to 64 KB now go whole.
    const QString big = dir.filePath(QStringLiteral("big.bin"));
    twtest::writeBytes(big, counting(65536));
    ASSERT_EQ(loadSendFile(big, sent), SendLoad::Loaded);
    EXPECT_EQ(sent.blockCount, 256);
    EXPECT_EQ(sendLengthText(sent.length), QStringLiteral("10000H"));
    EXPECT_EQ(sent.block(255), counting(256));

    const QString tooBig = dir.filePath(QStringLiteral("huge.bin"));
    twtest::writeBytes(tooBig, QByteArray(65537, 'x'));
    EXPECT_EQ(loadSendFile(tooBig, sent), SendLoad::TooLong);
    EXPECT_EQ(loadSendFile(dir.filePath(QStringLiteral("none.bin")), sent), SendLoad::Unreadable);
    EXPECT_EQ(sent.length, 65536); // a failed load leaves the last file

    twtest::writeBytes(shorter, QByteArray());
    ASSERT_EQ(loadSendFile(shorter, sent), SendLoad::Loaded);
    EXPECT_EQ(sent.blockCount, 0);
    EXPECT_EQ(sendLengthText(0), QStringLiteral("0000H"));
    EXPECT_EQ(sendLengthText(1000), QStringLiteral("03E8H"));
}

TEST(SendFile, HeadersSettingsAndNames)
{
    std::array<quint8, 4> header{};
    EXPECT_EQ(parseFileHeader(QStringLiteral("0a1B2c3D"), header), HeaderCheck::Ok);
    EXPECT_EQ(header, (std::array<quint8, 4>{0x0A, 0x1B, 0x2C, 0x3D}));
    EXPECT_EQ(parseFileHeader(QStringLiteral("0a1B2c3"), header), HeaderCheck::WrongLength);
    EXPECT_EQ(parseFileHeader(QStringLiteral("0a1B2c3G"), header), HeaderCheck::BadCharacter);
    EXPECT_EQ(parseFileHeader(QStringLiteral("0a1B2c3 "), header), HeaderCheck::BadCharacter);
    EXPECT_EQ(parseFileHeader(QStringLiteral(u"0a1B2c3Ｄ"), header), HeaderCheck::BadCharacter);

    EXPECT_EQ(serialSettings(QStringLiteral("19200"), u'e'), QStringLiteral("19200,e,8,1"));
    EXPECT_EQ(settingsBaud(QStringLiteral("19200,e,8,1")), 19200);
    EXPECT_EQ(settingsParity(QStringLiteral("19200,e,8,1")), 'e');
    EXPECT_EQ(settingsBaud(QStringLiteral("fast,n,8,1")), 0);
    EXPECT_EQ(drainTimeoutMs(9600, 'n', 256), 2 * 267 + 2000);
    EXPECT_EQ(drainTimeoutMs(110, 'e', 256), 2 * 25600 + 2000);

    EXPECT_TRUE(hasBinEnding(QStringLiteral("a.bin")));
    EXPECT_TRUE(hasBinEnding(QStringLiteral("A.BIN")));
    EXPECT_TRUE(hasBinEnding(QStringLiteral("cabin")));
    EXPECT_FALSE(hasBinEnding(QStringLiteral("a.Bin")));
}

TEST(ComPorts, BuiltInPortsUnlessUsbAdaptersComeFirst)
{
    QTemporaryDir dev;
    const QString root = dev.path();
    EXPECT_EQ(deviceForComPort(1, root), root + QStringLiteral("/ttyS0"));
    EXPECT_EQ(deviceForComPort(4, root), root + QStringLiteral("/ttyS3"));
    for (const char *name : {"ttyACM0", "ttyUSB10", "ttyUSB2", "ttyUSBx"})
        twtest::writeBytes(QDir(root).filePath(QString::fromLatin1(name)), QByteArray());
    EXPECT_EQ(usbSerialAdapters(root),
              (QStringList{root + QStringLiteral("/ttyUSB2"), root + QStringLiteral("/ttyUSB10"),
                           root + QStringLiteral("/ttyACM0")}));
    EXPECT_EQ(deviceForComPort(1, root), root + QStringLiteral("/ttyUSB2"));
    EXPECT_EQ(deviceForComPort(3, root), root + QStringLiteral("/ttyACM0"));
    EXPECT_EQ(deviceForComPort(4, root), root + QStringLiteral("/ttyS0"));
    qputenv("TARNWICK_COM4", "/dev/pts/77");
    EXPECT_EQ(deviceForComPort(4, root), QStringLiteral("/dev/pts/77"));
    qunsetenv("TARNWICK_COM4");
}

TEST(SerialSend, EachBlockWaitsForTheQueueToDrainAndProgressCountsDown)
{
    FakeSerialLink link;
    SerialSender sender(link);
    link.pending = {3, 0, 200, 56, 0, 4, 0, 256, 0};
    QList<int> progress;
    EXPECT_EQ(run(sender, jobOf(counting(257), true), &progress), SendOutcome::Completed);
    EXPECT_EQ(link.events,
              (QStringList{"open /dev/ttyS0 9600 n", "write 4", "pending 3", "pending 0", "write 256",
                           "pending 200", "pending 56", "pending 0", "write 4", "pending 4", "pending 0",
                           "write 256", "pending 256", "pending 0", "close"}));
    EXPECT_EQ(progress, (QList<int>{456, 312, 256, 256, 0, 0}));
    const QByteArray header("\x0A\x1B\x2C\x3D", 4);
    EXPECT_EQ(link.written, header + counting(256) + header + QByteArray(1, '\0') + QByteArray(255, '\0'));
    EXPECT_FALSE(link.isOpen());
}

TEST(SerialSend, FailuresTimeOutsAndCancelAllCloseThePort)
{
    FakeSerialLink link;
    SerialSender sender(link);

    link.openFails = true;
    EXPECT_EQ(run(sender, jobOf(counting(10))), SendOutcome::PortFailed);
    EXPECT_EQ(run(sender, jobOf(counting(10))), SendOutcome::PortFailed);
    EXPECT_FALSE(link.isOpen());

    link.openFails = false;
    link.writesBeforeFailure = 1;
    link.events.clear();
    EXPECT_EQ(run(sender, jobOf(counting(300))), SendOutcome::PortFailed);
    EXPECT_EQ(link.events.last(), QStringLiteral("close"));

    link.writesBeforeFailure = -1;
    link.pending = {10, -1};
    EXPECT_EQ(run(sender, jobOf(counting(10))), SendOutcome::PortFailed);
    EXPECT_FALSE(link.isOpen());

    // A queue that never drains ends in a time-out, header wait or block wait alike.
    link.stuckPending = 4;
    SendJob stuck = jobOf(counting(10), true);
    stuck.drainTimeoutMs = 30;
    EXPECT_EQ(run(sender, stuck), SendOutcome::TimedOut);
    EXPECT_FALSE(link.isOpen());
    stuck.withHeader = false;
    EXPECT_EQ(run(sender, stuck), SendOutcome::TimedOut);
    EXPECT_FALSE(sender.isRunning());

    link.stuckPending = 100;
    QSignalSpy finished(&sender, &SerialSender::finished);
    ASSERT_TRUE(sender.start(jobOf(counting(10))));
    EXPECT_TRUE(sender.isRunning());
    EXPECT_FALSE(sender.start(jobOf(counting(10))));
    sender.cancel();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.first().first().value<SendOutcome>(), SendOutcome::Cancelled);
    EXPECT_FALSE(link.isOpen());

    EXPECT_FALSE(sender.start(jobOf(QByteArray())));
}

// A driver that cannot make the chosen rate takes another and says nothing; the sender reads the
// rate back after opening, and where it is further off than a UART's divisors put it, sends nothing
// at all and closes the port.
TEST(SerialSend, APortRunningAtAnotherRateThanChosenGetsNothing)
{
    const struct {
        qint32 chosen, running;
        SendOutcome outcome;
    } cases[] = {
        {9600, 9600, SendOutcome::Completed},
        {56000, 57600, SendOutcome::Completed}, // a 16550's nearest divisor
        {128000, 115200, SendOutcome::RateNotTaken},
        {256000, 9600, SendOutcome::RateNotTaken},
        {9600, 256000, SendOutcome::RateNotTaken},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.chosen);
        FakeSerialLink link;
        link.takesBaud = c.running;
        SendJob job = jobOf(counting(10));
        job.baud = c.chosen;
        expectAllOrNothingSent(link, job, c.outcome);
    }
}

// A driver that takes no parity drops it and says nothing, as a pseudo-terminal does; one may also
// run another parity than asked. The sender reads the parity back after opening and sends nothing
// where it is not the one chosen, odd and even alike.
TEST(SerialSend, APortRunningAnotherParityThanChosenGetsNothing)
{
    const struct {
        char chosen, running;
        SendOutcome outcome;
    } cases[] = {
        {'n', 'n', SendOutcome::Completed},      {'o', 'o', SendOutcome::Completed},
        {'e', 'e', SendOutcome::Completed},      {'o', 'n', SendOutcome::ParityNotTaken},
        {'e', 'n', SendOutcome::ParityNotTaken}, {'e', 'o', SendOutcome::ParityNotTaken},
        {'n', 'e', SendOutcome::ParityNotTaken},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((std::string{c.chosen, ' ', c.running}));
        FakeSerialLink link;
        link.takesParity = c.running;
        SendJob job = jobOf(counting(10));
        job.parity = c.chosen;
        expectAllOrNothingSent(link, job, c.outcome);
    }
}

// The real link on a pseudo-terminal, whose driver drops any parity: the port opens for even and
// odd parity alike, reads back none, and the sender sends the line nothing.
TEST(SerialSend, TheRealLinkReadsBackTheParityAPseudoTerminalDrops)
{
    twtest::PtyPair pty;
    ASSERT_FALSE(pty.slaveName().isEmpty());
    QtSerialLink link;
    for (const char parity : {'e', 'o', 'n'}) {
        SCOPED_TRACE(parity);
        ASSERT_TRUE(link.open(pty.slaveName(), 9600, parity));
        EXPECT_EQ(link.runningParity(), 'n');
        link.close();
    }
    SerialSender sender(link);
    SendJob job = jobOf(counting(10));
    job.device = pty.slaveName();
    for (const char parity : {'e', 'o'}) {
        job.parity = parity;
        EXPECT_EQ(run(sender, job), SendOutcome::ParityNotTaken);
    }
    EXPECT_TRUE(pty.readWaiting().isEmpty());
}

// The rate read back is the driver's, not the one asked for: a pseudo-terminal keeps whatever rate
// it is given, and one set behind the link's back is the one the link reports.
TEST(SerialSend, TheRealLinkReadsTheRateBackFromTheDriver)
{
    twtest::PtyPair pty;
    ASSERT_FALSE(pty.slaveName().isEmpty());
    QtSerialLink link;
    ASSERT_TRUE(link.open(pty.slaveName(), 256000, 'n'));
    EXPECT_EQ(link.runningBaud(), 256000);
    pty.setLineRate(B9600);
    EXPECT_EQ(link.runningBaud(), 9600);
    link.close();
}

// A line the receiver no longer reads takes no more bytes. That is a wait that times out, not a
// port fault; and what never went out is dropped with the port, so it does not follow the next
// send's bytes once the receiver reads again.
TEST(SerialSend, ALineThatStopsTakingBytesTimesOutAndItsBytesNeverFollow)
{
    twtest::PtyPair pty;
    ASSERT_FALSE(pty.slaveName().isEmpty());
    QtSerialLink link;
    SerialSender sender(link);
    SendJob job = jobOf(counting(600), true);
    job.device = pty.slaveName();
    job.drainTimeoutMs = 100;
    const int filled = pty.fillLine();
    ASSERT_GT(filled, 0);
    EXPECT_EQ(run(sender, job), SendOutcome::TimedOut);
    EXPECT_FALSE(link.isOpen());

    // The receiver reads again: the filler comes out, then the next send's bytes and nothing of
    // the stalled one.
    const QByteArray waiting = pty.readWaiting();
    EXPECT_EQ(waiting, QByteArray(waiting.size(), '\xEE'));
    job.withHeader = false;
    pty.startReading(768);
    EXPECT_EQ(run(sender, job), SendOutcome::Completed);
    EXPECT_EQ(pty.finishReading(), job.blocks);

    job.device = QStringLiteral("/dev/nonexistent-port");
    EXPECT_EQ(run(sender, job), SendOutcome::PortFailed);
}
