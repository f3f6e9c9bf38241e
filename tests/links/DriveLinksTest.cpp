// The headless driver's isp and send commands, run as a separate process.
#include "support/TestFiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

TEST(DriveLinks, IspProgramsTheSimulatedChipAndSendRefusesAMissingDevice)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("t.bin"));
    twtest::writeBytes(bin, QByteArray("\x02\x00\x30", 3));
    twtest::ProcessResult result = twtest::runDriver({QStringLiteral("isp"), bin, QStringLiteral("100")});
    EXPECT_EQ(result.exitCode, 0) << result.out.toStdString();
    const QString out = QString::fromUtf8(result.out);
    EXPECT_TRUE(out.contains(
        QStringLiteral(u"== blank check\n端口已打开，准备传输\n编程使能：  00000069\n芯片非空\n")));
    EXPECT_TRUE(out.contains(
        QStringLiteral(u"== automatic\n端口已打开，准备传输\n芯片擦除 OK\n写入 OK\n校验 OK\n写加密位 OK\n")));
    EXPECT_TRUE(out.contains(QStringLiteral(
        u"== read-out\n端口已打开，准备传输\n芯片擦除 OK\n写入 OK\n校验 OK\n写加密位 OK\n读出 OK\n")));
    EXPECT_TRUE(out.endsWith(QStringLiteral("LOCK BITS 1\nTIMING FAULTS 0\nCHIP SAME AS FILE\n")));

    result = twtest::runDriver({QStringLiteral("send"), bin, dir.filePath(QStringLiteral("ttyNone"))});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QByteArray("LENGTH 0003H\nBLOCKS 1\nPORT FAILED\n"));
}

namespace
{

// What arrives on a terminal until count bytes have come or 20 s have passed, then until nothing
// more comes for a moment: anything beyond count is a fault too.
QByteArray readArriving(int descriptor, int count)
{
    QByteArray arrived;
    char buffer[1024];
    QDeadlineTimer deadline(20000);
    pollfd fd{descriptor, POLLIN, 0};
    while (arrived.size() < count && !deadline.hasExpired())
        if (::poll(&fd, 1, 50) > 0 && (fd.revents & POLLIN))
            arrived.append(buffer,
                           static_cast<int>(std::max<ssize_t>(0, ::read(descriptor, buffer, sizeof buffer))));
    while (::poll(&fd, 1, 300) > 0 && (fd.revents & POLLIN)) {
        const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
        if (n <= 0)
            break;
        arrived.append(buffer, static_cast<int>(n));
    }
    return arrived;
}

} // namespace

// README's way to try the sender without a board: two pseudo-terminals joined by socat. Their
// driver takes no parity, so even and odd parity send nothing and say why; without parity the
// file comes out at the other end, exactly its blocks.
TEST(DriveLinks, SendOverSocatsPseudoTerminalsGoesOnlyWithoutParity)
{
    TW_REQUIRE_PROGRAMS(QStringLiteral("socat"));
    QProcess socat;
    socat.setReadChannel(QProcess::StandardError);
    socat.start(QStringLiteral("socat"),
                {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0"),
                 QStringLiteral("pty,raw,echo=0")});
    const auto stop = qScopeGuard([&socat] {
        socat.terminate();
        socat.waitForFinished(5000);
    });
    QStringList ends;
    QByteArray said;
    for (QDeadlineTimer deadline(20000);
         ends.size() < 2 && socat.waitForReadyRead(deadline.remainingTime());) {
        said += socat.readAllStandardError();
        ends.clear();
        for (const QRegularExpressionMatch &match :
             QRegularExpression(QStringLiteral("PTY is (\\S+)")).globalMatch(QString::fromLocal8Bit(said)))
            ends.append(match.captured(1));
    }
    ASSERT_EQ(ends.size(), 2) << said.toStdString();
    const int other = ::open(QFile::encodeName(ends[1]).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0) << ends[1].toStdString();
    const auto closeOther = qScopeGuard([other] { ::close(other); });

    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("f.bin"));
    QByteArray file;
    for (int i = 0; i < 300; ++i)
        file.append(static_cast<char>(i * 7));
    twtest::writeBytes(bin, file);
    for (const QString parity : {QStringLiteral("e"), QStringLiteral("o")}) {
        SCOPED_TRACE(parity.toStdString());
        const twtest::ProcessResult result =
            twtest::runDriver({QStringLiteral("send"), bin, ends[0], QStringLiteral("9600"), parity});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, QByteArray("LENGTH 012CH\nBLOCKS 2\nPARITY NOT TAKEN\n"));
        EXPECT_EQ(readArriving(other, 0).size(), 0);
    }
    const twtest::ProcessResult result = twtest::runDriver(
        {QStringLiteral("send"), bin, ends[0], QStringLiteral("9600"), QStringLiteral("n")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QByteArray("LENGTH 012CH\nBLOCKS 2\nCOMPLETED\n"));
    EXPECT_EQ(readArriving(other, 512), file + QByteArray(212, '\0'));
}
