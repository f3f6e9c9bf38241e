// Every library routine run by the same batch program in our simulator core and in s51 (ucsim):
// a driver (its own state at 48h-4Eh, above every routine's buffers) loads a hundred random
// inputs in turn, calls the routine and stores the registers, the operands and text buffer at
// 30h-43h, A and PSW to external RAM. Both simulators must leave the same bytes, so the routines
// do on another simulator of the chip what the reference tests saw in ours.
#include "SubroutineRig.h"
#include "common/TextFile.h"
#include "simulator/Cpu51.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using namespace twtest;

namespace
{

constexpr int kCases = 100;
constexpr int kInputBytes = 28;  // 30h-43h, then R0-R7
constexpr int kOutputBytes = 30; // R0-R7, 30h-43h (X, Y, a text), A, PSW without P

QString hexByte(int value)
{
    return QStringLiteral("%1H").arg(value, 3, 16, QLatin1Char('0')).toUpper();
}

QString driverBefore()
{
    QString text = QStringLiteral("\tORG\t0\r\n\tMOV\tSP,#5FH\r\n\tMOV\tDPTR,#TWCASES\r\n\tMOV\t4AH,#0\r\n"
                                  "\tMOV\t4BH,#0\r\n\tMOV\t4CH,#%1\r\n"
                                  "TWNEXT:\tMOV\tR1,#30H\r\n\tMOV\tR2,#20\r\n"
                                  "TWLOAD:\tCLR\tA\r\n\tMOVC\tA,@A+DPTR\r\n\tINC\tDPTR\r\n\tMOV\t@R1,A\r\n"
                                  "\tINC\tR1\r\n\tDJNZ\tR2,TWLOAD\r\n")
                       .arg(kCases);
    for (int r = 0; r < 8; ++r)
        text +=
            QStringLiteral("\tCLR\tA\r\n\tMOVC\tA,@A+DPTR\r\n\tINC\tDPTR\r\n\tMOV\t%1,A\r\n").arg(hexByte(r));
    text +=
        QStringLiteral("\tMOV\tPSW,#0\r\n\tLCALL\t%1\r\n\tMOV\t4DH,A\r\n\tMOV\tA,PSW\r\n\tANL\tA,#0FEH\r\n"
                       "\tMOV\t4EH,A\r\n\tMOV\t48H,DPL\r\n\tMOV\t49H,DPH\r\n\tMOV\tDPL,4BH\r\n"
                       "\tMOV\tDPH,4AH\r\n");
    QList<int> saved;
    for (int a = 0; a < 8; ++a)
        saved.append(a);
    for (int a = 0x30; a < 0x44; ++a)
        saved.append(a);
    saved << 0x4D << 0x4E;
    for (int address : saved)
        text += QStringLiteral("\tMOV\tA,%1\r\n\tMOVX\t@DPTR,A\r\n\tINC\tDPTR\r\n").arg(hexByte(address));
    text += QStringLiteral("\tMOV\t4BH,DPL\r\n\tMOV\t4AH,DPH\r\n\tMOV\tDPL,48H\r\n\tMOV\tDPH,49H\r\n"
                           "\tDJNZ\t4CH,TWMORE\r\nTWDONE:\tSJMP\tTWDONE\r\nTWMORE:\tLJMP\tTWNEXT\r\n");
    return text;
}

QString casesTable(std::mt19937 &random)
{
    QString text = QStringLiteral("TWCASES:");
    for (int c = 0; c < kCases; ++c) {
        QStringList bytes;
        for (int k = 0; k < kInputBytes; ++k) {
            int value = static_cast<int>(random() & 0xFF);
            if (k == 20)
                value = 0x30; // R0 points to X
            if (k == 21)
                value = 0x38; // R1 points to Y
            bytes.append(hexByte(value));
        }
        for (int k = 0; k < kInputBytes; k += 8)
            text += QStringLiteral("\tDB\t") + bytes.mid(k, 8).join(u',') + QStringLiteral("\r\n");
    }
    return text;
}

// The bytes an s51 dump prints for one memory, by address.
QByteArray dumped(const QByteArray &output, const QByteArray &command, int size)
{
    QByteArray memory(size, '\0');
    const int start = output.indexOf(command);
    if (start < 0)
        return {};
    const int end = output.indexOf("dump", start + command.size());
    static const QRegularExpression row(QStringLiteral("^0x([0-9a-f]{2,4}) ((?:[0-9a-f]{2} ){1,16})"));
    for (const QByteArray &line : output.mid(start, end < 0 ? -1 : end - start).split('\n')) {
        const auto match = row.match(QString::fromLatin1(line));
        if (!match.hasMatch())
            continue;
        int address = match.captured(1).toInt(nullptr, 16);
        for (const QString &b : match.captured(2).split(u' ', Qt::SkipEmptyParts))
            if (address < size)
                memory[address++] = static_cast<char>(b.toInt(nullptr, 16));
    }
    return memory;
}

bool peersPresent()
{
    const bool present = havePeer(QStringLiteral("s51")) && havePeer(QStringLiteral("srec_cat"));
    if (!present && qEnvironmentVariable("CI") == u"true")
        ADD_FAILURE() << "s51 (sdcc-ucsim) and srec_cat are needed on CI";
    return present;
}

} // namespace

TEST(SubroutinePeers, EveryRoutineLeavesTheSameResultsInS51)
{
    if (!peersPresent())
        GTEST_SKIP() << "s51 (sdcc-ucsim) or srec_cat not installed";
    QTemporaryDir folder;
    std::mt19937 random(0x8051u);
    for (const QString &library : {QStringLiteral("fixed"), QStringLiteral("float")}) {
        const QDir dir(routinePath(library));
        for (const QString &file : dir.entryList({QStringLiteral("*.asm")}, QDir::Files, QDir::Name)) {
            SCOPED_TRACE(file.toStdString());
            const auto source = tw::parseSubroutineSource(tw::readTextFile(dir.filePath(file))->text);
            ASSERT_TRUE(source);
            const auto image =
                assembleAround(*source, driverBefore().arg(source->entryLabel), casesTable(random));
            ASSERT_TRUE(image);

            auto cpu = std::make_unique<tw::Cpu51>();
            cpu->loadCode(reinterpret_cast<const std::uint8_t *>(image->constData()),
                          static_cast<std::int32_t>(image->size()));
            cpu->reset();
            const int done = image->indexOf(QByteArray("\x80\xFE", 2));
            ASSERT_GT(done, 0);
            const std::uint64_t steps = cpu->run(50000000, done);
            ASSERT_EQ(cpu->pc, done) << "the batch does not finish";

            s51Image(*image, folder.path());
            const QString script =
                QString::fromUtf8(readBytes(dataPath(QStringLiteral("simulator/s51/commands.txt"))))
                    .arg(folder.path(), QString(), QStringLiteral("step %1\n").arg(steps + 2));
            writeBytes(folder.filePath(QStringLiteral("commands")), script.toUtf8());
            const ProcessResult peer = runProgram(
                QStringLiteral("s51"), {"-t", "8052", "-C", folder.filePath(QStringLiteral("commands"))},
                folder.path(), 300000);
            const QByteArray xram = dumped(peer.out + peer.err, "dump /h xram", kCases * kOutputBytes);
            ASSERT_EQ(xram.size(), kCases * kOutputBytes) << (peer.out + peer.err).left(2000).toStdString();
            const QByteArray ours(reinterpret_cast<const char *>(cpu->xram.data()), kCases * kOutputBytes);
            ASSERT_GT(ours.count('\0'), 0);
            ASSERT_LT(ours.count('\0'), ours.size() / 2) << "the batch stored no results";
            for (int c = 0; c < kCases; ++c)
                EXPECT_EQ(xram.mid(c * kOutputBytes, kOutputBytes).toHex(' ').toStdString(),
                          ours.mid(c * kOutputBytes, kOutputBytes).toHex(' ').toStdString())
                    << "case " << c;
            if (::testing::Test::HasFailure())
                return;
        }
    }
}
