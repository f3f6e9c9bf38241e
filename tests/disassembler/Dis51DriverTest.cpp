// The MCS-51 disassembler end to end: real .bin files in, .asm and .lst files out.
#include "disassembler/Dis51Peers.h"
#include "support/TestFiles.h"

#include "common/Prompter.h"
#include "common/TextFile.h"
#include "disassembler/Disassemble51.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

class Dis51Driver : public ::testing::Test
{
  protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    Disasm51Result run(const QByteArray &bin, const QString &start = QString(),
                       const QString &end = QString())
    {
        twtest::writeBytes(path(u"in.bin"_qs), bin);
        Disasm51Job job;
        job.binPath = path(u"in.bin"_qs);
        job.outPath = path(u"out.asm"_qs);
        job.startText = start;
        job.endText = end;
        return disassemble51(job);
    }
    QByteArray output() const { return twtest::readBytes(path(u"out.asm"_qs)); }
    QByteArray segmentList() const { return twtest::readBytes(path(u"out.lst"_qs)); }

    QTemporaryDir dir;
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out += static_cast<char>(value);
    return out;
}

const QByteArray kCredit = ";Source recovered by the Tarnwick MCS-51 disassembler\r\n";
const QByteArray kFailureCredit = ";Tarnwick MCS-51 disassembler: incomplete, the disassembly failed\r\n";

} // namespace

TEST_F(Dis51Driver, SmallImageGivesTheExactSourceAndSegmentList)
{
    const Disasm51Result result = run(bytes({0x02, 0x00, 0x05, 0x00, 0x00, 0x80, 0xFE}));
    ASSERT_EQ(result.outcome, DisasmOutcome::Completed);
    EXPECT_EQ(output(), kCredit +
                            "L1: EQU  002BH\rL2: EQU  0023H\rL3: EQU  001BH\rL4: EQU  0013H\rL5: EQU  000BH\r"
                            "ORG 0000H\rL0: LJMP L7\r"
                            ";========0003H=========\r\nORG 0003H\r\nL6: NOP\rNOP\r"
                            ";========0005H=========\r\nORG 0005H\r\nL7: SJMP L7\r"
                            "END\r\r\n");
    EXPECT_EQ(segmentList(),
              encodeText(u"\r\n\r\n  程序段地址如下：\r\n\r\n  0\t0000\t0005\r\n  1\t0005\t0007\r\n"_qs));
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, u"反汇编完成！\r\n打开汇编语言程序吗？"_qs);
    EXPECT_EQ(result.messages[0].title, u"反汇编信息"_qs);
    EXPECT_EQ(result.messages[0].style, 52);
    EXPECT_EQ(result.openPath, path(u"out.asm"_qs));
    EXPECT_EQ(result.filesWritten, QStringList({path(u"out.lst"_qs), path(u"out.asm"_qs)}));
}

// The data pointer is followed in walk order, across walks: the JMP @A+DPTR reached by the LJMP
// sees the two INC DPTR before it, and its target (beyond the file) is an EQU line. The vector run
// from 000BH ends at the run decoded before it, and the bytes no run reached are DB.
TEST_F(Dis51Driver, DataPointerIsFollowedAcrossRuns)
{
    QByteArray bin(0x11, '\0');
    bin.replace(0, 8, bytes({0x90, 0x02, 0x00, 0xA3, 0xA3, 0x02, 0x00, 0x10}));
    bin[0x10] = 0x73;
    ASSERT_EQ(run(bin).outcome, DisasmOutcome::Completed);
    EXPECT_EQ(output(), kCredit + "L1: EQU  002BH\rL2: EQU  0023H\rL3: EQU  001BH\rL4: EQU  0013H\r"
                                  "L8: EQU  0202H\rORG 0000H\r"
                                  "L0: MOV DPTR,#0200H\rL6: INC DPTR\rINC DPTR\rLJMP L7\r"
                                  ";========0008H=========\r\nDB 00H, 00H, 00H\r"
                                  ";========000BH=========\r\nORG 000BH\r\nL5: NOP\rNOP\rNOP\rNOP\rNOP\r"
                                  ";========0010H=========\r\nORG 0010H\r\nL7: JMP @A+DPTR\r"
                                  "END\r\r\n");
    EXPECT_TRUE(segmentList().endsWith("  0\t0000\t0008\r\n  1\t0010\t0011\r\n  2\t000B\t0010\r\n"));
}

// Start 0010H, end "002" (read as 0020H): labels below the start, at the end and inside an
// instruction come first as EQU lines, then those above the end; the undecoded tail becomes DB.
TEST_F(Dis51Driver, RangeSplitsLabelsIntoEquatesAndLines)
{
    QByteArray bin(0x10, '\0');
    bin += bytes({0x12, 0x00, 0x05, 0x12, 0x00, 0x20, 0x12, 0x00, 0x17, 0x12, 0x01, 0x00, 0x80, 0xFE, 0xAA,
                  0xBB, 0x77, 0x66});
    const Disasm51Result result = run(bin, u"0010"_qs, u"002"_qs);
    ASSERT_EQ(result.outcome, DisasmOutcome::Completed);
    EXPECT_EQ(output(), kCredit + "L0: EQU  0000H\rL1: EQU  0005H\rL2: EQU  0020H\rL3: EQU  0017H\r"
                                  "L4: EQU  0100H\rORG 0010H\r"
                                  "LCALL L1\rLCALL L2\rLCALL L3\rLCALL L4\rL5: SJMP L5\r"
                                  ";========001EH=========\r\nDB 0AAH, 0BBH\r"
                                  "END\r\r\n");
    EXPECT_TRUE(segmentList().endsWith("  0\t0010\t001E\r\n"));
}

TEST_F(Dis51Driver, DataStretchesGiveEightBytesALine)
{
    QByteArray bin(0x100, '\0');
    bin += bytes({0x80, 0xFE, 1, 2, 3, 4, 5, 6, 7, 8, 0xA9, 0xFF});
    ASSERT_EQ(run(bin, u"0100"_qs, u"010B"_qs).outcome, DisasmOutcome::Completed);
    EXPECT_TRUE(output().endsWith(";========0102H=========\r\nDB 01H, 02H, 03H, 04H, 05H, 06H, 07H, 08H\r"
                                  "DB 0A9H\rEND\r\r\n"));
    ASSERT_EQ(run(bin, u"0100"_qs, u"010A"_qs).outcome, DisasmOutcome::Completed);
    EXPECT_TRUE(output().endsWith(";========0102H=========\r\nDB 01H, 02H, 03H, 04H, 05H, 06H, 07H, 08H\r"
                                  "END\r\r\n"));
}

// Each job starts from a cleared image: past the end of a short file there are only zeros, not
// the bytes of a longer file disassembled before.
TEST_F(Dis51Driver, ImageIsClearedBeforeEachLoad)
{
    ASSERT_EQ(run(QByteArray(0x120, static_cast<char>(0x77)), u"0100"_qs).outcome, DisasmOutcome::Completed);
    QByteArray shorter(0x100, '\0');
    shorter += bytes({0x80, 0xFE});
    ASSERT_EQ(run(shorter, u"0100"_qs, u"0108"_qs).outcome, DisasmOutcome::Completed);
    EXPECT_TRUE(output().endsWith(";========0102H=========\r\nDB 00H, 00H, 00H, 00H, 00H, 00H\rEND\r\r\n"));
}

// Targets wrap at 16 bits as the CPU computes them: a backward jump from 0000H is no failure.
TEST_F(Dis51Driver, TargetsWrapAtSixteenBits)
{
    ASSERT_EQ(run(bytes({0x80, 0x80})).outcome, DisasmOutcome::Completed);
    EXPECT_TRUE(output().contains("L7: EQU  FF82H\r"));
    EXPECT_TRUE(output().contains("ORG 0000H\rL0: SJMP L7\r"));
    dis51test::expectLabelsDefined(output());

    QByteArray full(0x10000, '\0');
    full[0] = 0x02; // LJMP FFFEH
    full[1] = static_cast<char>(0xFF);
    full[2] = static_cast<char>(0xFE);
    full[0xFFFE] = 0x01; // AJMP in the block after FFFFH: 0010H
    full[0xFFFF] = 0x10;
    ASSERT_EQ(run(full).outcome, DisasmOutcome::Completed);
    const QByteArray text = output();
    EXPECT_TRUE(text.contains("ORG FFFEH\r\nL7: AJMP L8\r"));
    EXPECT_TRUE(text.contains("ORG 0010H\r\nL8: NOP\r"));
    EXPECT_TRUE(segmentList().contains("\tFFFE\tFFFF\r\n"));
    dis51test::expectLabelsDefined(text);
}

// The label pass walks 0040H before 0041H and never meets the SJMP at 0041H; the main pass takes
// them the other way round. The SJMP's target still gets a label, and that label a line.
TEST_F(Dis51Driver, TargetMissedByTheLabelPassStillGetsALabel)
{
    QByteArray bin(0x50, '\0');
    const QByteArray code = bytes({0x12, 0x00, 0x41, 0x12, 0x00, 0x40, 0x02, 0x00, 0x41});
    bin.replace(0, code.size(), code);
    bin[0x40] = 0x02; // LJMP 8005H: its operand bytes are SJMP 0048H
    bin[0x41] = static_cast<char>(0x80);
    bin[0x42] = 0x05;
    bin[0x48] = 0x22;
    ASSERT_EQ(run(bin).outcome, DisasmOutcome::Completed);
    const QByteArray text = output();
    EXPECT_TRUE(text.contains(";========0041H=========\r\nORG 0041H\r\nL7: SJMP L10\r"));
    EXPECT_TRUE(text.contains(";========0048H=========\r\nORG 0048H\r\nL10: RET\r"));
    dis51test::expectLabelsDefined(text);
}

TEST_F(Dis51Driver, FailuresReportAndWriteTheFailureFile)
{
    // Longer than 64 KB: only the message, nothing written.
    Disasm51Result result = run(QByteArray(0x10001, '\0'));
    EXPECT_EQ(result.outcome, DisasmOutcome::InputTooLong);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, u"目标代码长度超出范围，此非51单片机机器码？"_qs);
    EXPECT_EQ(result.messages[0].title, u"信息"_qs);
    EXPECT_EQ(result.messages[0].style, MsgStyle::Exclamation);
    EXPECT_FALSE(QFile::exists(path(u"out.asm"_qs)));
    EXPECT_TRUE(result.filesWritten.isEmpty());

    // Empty file and empty range.
    for (const auto &[bin, start, end] : {std::tuple{QByteArray(), QString(), QString()},
                                          std::tuple{QByteArray(0x200, '\0'), u"0100"_qs, u"0100"_qs},
                                          std::tuple{QByteArray(0x200, '\0'), u"0180"_qs, u"0100"_qs}}) {
        QFile::remove(path(u"out.lst"_qs));
        result = run(bin, start, end);
        EXPECT_EQ(result.outcome, DisasmOutcome::Failed);
        ASSERT_EQ(result.messages.size(), 1u);
        EXPECT_EQ(result.messages[0].text, u"反汇编失败！"_qs);
        EXPECT_EQ(result.messages[0].title, u"反汇编信息"_qs);
        EXPECT_EQ(output(), kFailureCredit + "END\r\r\n");
        EXPECT_FALSE(QFile::exists(path(u"out.lst"_qs)));
    }

    // 1,100 calls to new targets before the first one can be walked: the label pass runs out of
    // room for pending targets.
    QByteArray calls;
    for (int k = 0; k < 1100; ++k)
        calls += bytes({0x12, 0x80 + (k >> 8), k & 0xFF});
    result = run(calls);
    EXPECT_EQ(result.outcome, DisasmOutcome::Failed);
    ASSERT_EQ(result.messages.size(), 2u);
    EXPECT_EQ(result.messages[0].text, u"出错！"_qs);
    EXPECT_EQ(result.messages[0].title, u"信息"_qs);
    EXPECT_EQ(result.messages[1].text, u"反汇编失败！"_qs);
    EXPECT_EQ(output(), kFailureCredit + "END\r\r\n");

    // 1,100 calls to one address: the label pass queues it once, the main pass every time, so
    // with the six vectors the 1,020th call finds the queue full. The file holds what was written.
    QByteArray same;
    for (int k = 0; k < 1100; ++k)
        same += bytes({0x12, 0x0F, 0x00});
    result = run(same);
    EXPECT_EQ(result.outcome, DisasmOutcome::Failed);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, u"反汇编失败！"_qs);
    EXPECT_TRUE(
        output().startsWith(kFailureCredit + "L7: EQU  0F00H\rORG 0000H\rL0: LCALL L7\rL6: LCALL L7\r"));
    EXPECT_EQ(output().count("LCALL L7\r"), 1019);
    EXPECT_TRUE(output().endsWith("LCALL L7\rEND\r\r\n"));
    EXPECT_FALSE(QFile::exists(path(u"out.lst"_qs)));

    // A chain of 1,100 subroutines, each calling the next and a new address above the file: the
    // EQU lines of those above the file stop at the first label the output cannot hold.
    QByteArray many(0x100 + 1100 * 7, '\0');
    many.replace(0, 3, bytes({0x02, 0x01, 0x00}));
    for (int k = 0; k < 1100; ++k) {
        const int sub = 0x100 + 7 * k;
        const int next = sub + 7;
        many.replace(sub, 7, bytes({0x12, next >> 8, next & 0xFF, 0x12, 0x80 + (k >> 8), k & 0xFF, 0x22}));
    }
    result = run(many);
    EXPECT_EQ(result.outcome, DisasmOutcome::Failed);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_TRUE(output().startsWith(kFailureCredit + "L9: EQU  8000H\rL11: EQU  8001H\r"));
    EXPECT_TRUE(output().endsWith("L2049: EQU  83FCH\rEND\r\r\n"));
    EXPECT_FALSE(output().contains("ORG"));
    EXPECT_FALSE(QFile::exists(path(u"out.lst"_qs)));

    // An unreadable input.
    Disasm51Job job;
    job.binPath = path(u"missing.bin"_qs);
    job.outPath = path(u"out.asm"_qs);
    EXPECT_EQ(disassemble51(job).outcome, DisasmOutcome::Failed);
}

// From 1000H: two subroutines and three blocks of calls to distinct addresses below the start,
// which hold RET. Every label but those of the subroutines is defined by a late EQU line, L0
// included, so 2,047 labels make the 2,048 names our assembler takes; one more fails after the
// runs, with the segment list written.
TEST_F(Dis51Driver, OutputHoldsAtMostTheNamesOurAssemblerTakes)
{
    const auto image = [](int lows) {
        QByteArray bin(0x1000, static_cast<char>(0x22));
        QByteArray code;
        int low = 1;
        const auto block = [&](int count) {
            for (int k = 0; k < count; ++k, ++low)
                code += bytes({0x12, low >> 8, low & 0xFF});
            code += bytes({0x22});
        };
        const int first = 0x1000 + 6 + 3 * 1000 + 1;
        const int second = first + 3 * 1000 + 1;
        code += bytes({0x12, first >> 8, first & 0xFF, 0x12, second >> 8, second & 0xFF});
        block(1000);
        block(1000);
        block(lows - 2000);
        return bin + code;
    };
    Disasm51Result result = run(image(2045), u"1000"_qs);
    ASSERT_EQ(result.outcome, DisasmOutcome::Completed);
    EXPECT_TRUE(output().startsWith(kCredit + "L0: EQU  0000H\rL3: EQU  0001H\r"));
    EXPECT_TRUE(output().contains("\rL2047: EQU  07D0H\rORG 1000H\r"));
    if (twtest::runDriver({}).err.contains("asm51")) {
        const twtest::ProcessResult assembled = twtest::runDriver({u"asm51"_qs, path(u"out.asm"_qs)});
        EXPECT_EQ(assembled.exitCode, 0) << assembled.out.toStdString();
    }

    result = run(image(2046), u"1000"_qs);
    EXPECT_EQ(result.outcome, DisasmOutcome::Failed);
    EXPECT_TRUE(output().startsWith(kFailureCredit + "ORG 1000H\rLCALL L1\rLCALL L2\rLCALL L3\r"));
    EXPECT_FALSE(output().contains("EQU"));
    EXPECT_TRUE(output().endsWith("\rRET\rEND\r\r\n"));
    EXPECT_TRUE(segmentList().endsWith("  0\t1000\t2778\r\n  1\t2778\t2803\r\n"));
    EXPECT_EQ(result.filesWritten.first(), path(u"out.lst"_qs));
}

TEST_F(Dis51Driver, WholeSixtyFourKilobytesAndTheEndBox)
{
    const Disasm51Result result = run(QByteArray(0x10000, '\0'));
    ASSERT_EQ(result.outcome, DisasmOutcome::Completed);
    EXPECT_TRUE(segmentList().endsWith("  0\t0000\tFFFF\r\n"));
    EXPECT_EQ(output().count("NOP\r"), 0x10000);

    // "FFFF" leaves the last byte out; it is not decoded, and nothing follows it.
    ASSERT_EQ(run(QByteArray(0x10000, '\0'), QString(), u"FFFF"_qs).outcome, DisasmOutcome::Completed);
    EXPECT_EQ(output().count("NOP\r"), 0xFFFF);
    EXPECT_TRUE(segmentList().endsWith("  0\t0000\tFFFF\r\n"));
}

TEST_F(Dis51Driver, HeadlessDriverCommand)
{
    twtest::writeBytes(path(u"p.bin"_qs), bytes({0x02, 0x00, 0x05, 0x00, 0x00, 0x80, 0xFE}));
    twtest::ProcessResult run = twtest::runDriver({u"dis51"_qs, path(u"p.bin"_qs), path(u"p.asm"_qs)});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(twtest::readBytes(path(u"p.asm"_qs)).contains("L7: SJMP L7\r"));
    EXPECT_TRUE(QFile::exists(path(u"p.lst"_qs)));

    run = twtest::runDriver({u"dis51"_qs, path(u"p.bin"_qs), path(u"q.asm"_qs), u"0005"_qs, u"0003"_qs});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(twtest::readBytes(path(u"q.asm"_qs)), kFailureCredit + "END\r\r\n");
}
