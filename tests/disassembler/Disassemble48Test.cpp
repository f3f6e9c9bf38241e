// The MCS-48 disassembler end to end: image file in, source text or label dump out, with the
// messages the window would show.
#include "disassembler/Disassemble48.h"
#include "Output48.h"
#include "common/Prompter.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>

namespace
{

const QString kFailed = QStringLiteral("存在有非MCS48操作码，反汇编失败！");
const QString kUndefined = QStringLiteral("存在无定义代码！");

struct Run48 {
    QTemporaryDir dir;
    QString bin, asmPath, errPath;
    tw::Disasm48Outcome outcome;

    QByteArray asmBytes() const { return twtest::readBytes(asmPath); }
    QByteArray errBytes() const { return twtest::readBytes(errPath); }
    twtest::Output48 output() const { return twtest::readOutputFile48(asmPath); }
    QStringList texts() const
    {
        QStringList out;
        for (const auto &m : outcome.messages)
            out << m.text;
        return out;
    }
};

QByteArray bytesAt(int size, std::initializer_list<std::pair<int, std::initializer_list<int>>> pieces)
{
    QByteArray image(size, '\0');
    for (const auto &[address, bytes] : pieces) {
        int a = address;
        for (int b : bytes)
            image[a++] = static_cast<char>(b);
    }
    return image;
}

std::unique_ptr<Run48> run48(const QByteArray &image, const QString &start = {}, const QString &end = {},
                             bool partial = false)
{
    auto run = std::make_unique<Run48>();
    run->bin = run->dir.filePath(QStringLiteral("prog.bin"));
    run->asmPath = run->dir.filePath(QStringLiteral("prog.asm"));
    run->errPath = run->dir.filePath(QStringLiteral("prog.err"));
    twtest::writeBytes(run->bin, image);
    run->outcome = tw::Disassemble48({run->bin, run->asmPath, start, end, partial});
    return run;
}

TEST(Disassemble48, WorkedExampleGivesTheExactText)
{
    const auto run = run48(QByteArray::fromHex("0403000083"));
    ASSERT_TRUE(run->outcome.succeeded);
    EXPECT_EQ(run->asmBytes(), QByteArray(";Tarnwick MCS-48 disassembly\r\n"
                                          "L1: EQU  0007H\rORG 0000H\rL0: JMP L2\r"
                                          ";============================\r\nDB 00H\r"
                                          ";============================\r\nL2: NOP\rRET\rEND\r\r\n"));
    ASSERT_EQ(run->outcome.messages.size(), 1u);
    const auto &question = run->outcome.messages[0];
    EXPECT_EQ(question.text, QStringLiteral("反汇编完成！\r\n打开汇编语言程序吗？"));
    EXPECT_EQ(question.style, 52);
    EXPECT_EQ(question.title, QStringLiteral("反汇编信息"));
    EXPECT_TRUE(run->outcome.opensOutputOnYes);
    EXPECT_EQ(run->outcome.filesWritten, QStringList{run->asmPath});
    EXPECT_EQ(run->outcome.proposedOutputPath, run->asmPath);
    EXPECT_EQ(run->outcome.dumpPath, run->errPath);
    EXPECT_FALSE(QFile::exists(run->errPath));
}

TEST(Disassemble48, RangeBoxesAndDataLines)
{
    // Start 0 always labels 0000H; 0003H and 0007H are runs even when nothing leads there.
    const auto zeros = run48(QByteArray(9, '\0'));
    const auto all = zeros->output();
    EXPECT_EQ(all.code.size(), 9u);
    EXPECT_TRUE(zeros->asmBytes().contains("ORG 0000H\rL0: NOP\r"));
    EXPECT_TRUE(zeros->asmBytes().contains("L2: NOP\r"));

    // The byte at the end address is never written; nine data bytes make 8 + 1 DB items; bytes
    // print as HexByte ("FFH", "0AH").
    QByteArray image = bytesAt(0x120, {{0x100, {0x83, 0xFF, 0x0A, 1, 2, 3, 4, 5, 6, 7, 0x5A}}});
    const auto data = run48(image, QStringLiteral("0100"), QStringLiteral("010B"));
    ASSERT_TRUE(data->outcome.succeeded);
    EXPECT_TRUE(
        data->asmBytes().contains("ORG 0100H\rRET\r;============================\r\n"
                                  "DB FFH, 0AH, 01H, 02H, 03H, 04H, 05H, 06H\rDB 07H, 5AH\rEND\r\r\n"));
    // A lone byte is one item.
    const auto lone = run48(QByteArray::fromHex("835A"), QStringLiteral("0"), QStringLiteral("0002"));
    EXPECT_TRUE(lone->asmBytes().contains("RET\r;============================\r\nDB 5AH\rEND"));

    // "1" in the start box is 1000H, beyond this file: an empty range.
    const auto padded = run48(QByteArray(16, '\0'), QStringLiteral("1"));
    EXPECT_FALSE(padded->outcome.succeeded);

    // Bytes beyond the file within the range are zero, whatever an earlier, longer file held.
    run48(QByteArray(64, '\xFF'));
    const auto shortFile = run48(QByteArray::fromHex("83"), QStringLiteral("0"), QStringLiteral("0003"));
    EXPECT_TRUE(shortFile->asmBytes().contains("DB 00H, 00H\r"));
}

TEST(Disassemble48, SizeLimitIsFourKilobytes)
{
    const auto fits = run48(QByteArray(4096, '\0'));
    EXPECT_TRUE(fits->outcome.succeeded);
    const auto tooLong = run48(QByteArray(4097, '\0'));
    EXPECT_FALSE(tooLong->outcome.succeeded);
    ASSERT_EQ(tooLong->outcome.messages.size(), 1u);
    EXPECT_EQ(tooLong->outcome.messages[0].text,
              QStringLiteral("目标代码长度超出范围，此非48单片机机器码？"));
    EXPECT_EQ(tooLong->outcome.messages[0].style, tw::MsgStyle::Exclamation);
    EXPECT_EQ(tooLong->outcome.messages[0].title, QStringLiteral("信息"));
    EXPECT_FALSE(QFile::exists(tooLong->asmPath));
    EXPECT_FALSE(QFile::exists(tooLong->errPath));

    // Code from the start address on: the file's first byte belongs there, the limit shrinks.
    const auto partial = run48(QByteArray::fromHex("2342"
                                                   "83"),
                               QStringLiteral("0800"), {}, true);
    ASSERT_TRUE(partial->outcome.succeeded);
    EXPECT_TRUE(partial->asmBytes().contains("ORG 0800H\rMOV A,#42H\rRET\rEND"));
    EXPECT_FALSE(run48(QByteArray(2049, '\0'), QStringLiteral("0800"), {}, true)->outcome.succeeded);
}

TEST(Disassemble48, LabelsOutsideTheWrittenCodeGetEquLines)
{
    const auto beyond = run48(bytesAt(0x102, {{0x100, {0xE4, 0x00}}}), QStringLiteral("0100"));
    ASSERT_TRUE(beyond->outcome.succeeded);
    EXPECT_TRUE(beyond->asmBytes().contains("\r\nL1: EQU  0700H\rORG 0100H\rJMP L1\r"));

    // 0100: CALL 0050H (below the start); JNZ 010AH (the end address); DJNZ R0,0101H and
    // JZ 0103H (operand bytes); RET.
    const auto mixed = run48(
        bytesAt(0x10A, {{0x100, {0x14, 0x50, 0x96, 0x0A, 0xE8, 0x01, 0xC6, 0x03, 0x83}}, {0x50, {0x83}}}),
        QStringLiteral("0100"), QStringLiteral("010A"));
    ASSERT_TRUE(mixed->outcome.succeeded);
    const auto out = mixed->output();
    EXPECT_TRUE(out.problems.isEmpty()) << out.problems.join(u'\n').toStdString();
    EXPECT_EQ(out.code.at(0x100), QStringLiteral("CALL >0050"));
    EXPECT_EQ(out.code.at(0x102), QStringLiteral("JNZ >010A"));
    EXPECT_EQ(out.code.at(0x104), QStringLiteral("DJNZ R0,>0101"));
    EXPECT_EQ(out.code.at(0x106), QStringLiteral("JZ >0103"));
    EXPECT_EQ(out.code.size(), 5u) << "the run below the start stays out of the text";
}

TEST(Disassemble48, MemoryBankFollowsDecodingOrderAndUnnumberedTargetsGetLabels)
{
    // 0100: JMP 0200H. 0200: CALL 0150H; SEL MB1; JMP 0880H. 0150 is decoded after SEL MB1, so
    // its JMP goes to 0923H.
    const auto later = run48(
        bytesAt(0x1000,
                {{0x100, {0x44, 0x00}}, {0x200, {0x34, 0x50, 0xF5, 0x04, 0x80}}, {0x150, {0x24, 0x23}}}),
        QStringLiteral("0100"));
    ASSERT_TRUE(later->outcome.succeeded);
    EXPECT_EQ(later->output().code.at(0x150), QStringLiteral("JMP >0923"));

    // The label pass pops 0130H (SEL MB1) before 0120H and numbers 0860H; the decoding pass takes
    // 0120H first (the JMP queued it last) and meets CALL 0060H, which it numbers itself.
    auto image = [](int at60) {
        return bytesAt(0x900, {{0x100, {0x34, 0x20, 0x34, 0x30, 0x24, 0x20}},
                               {0x120, {0x14, 0x60, 0x83}},
                               {0x130, {0xF5, 0x83}},
                               {0x60, {at60}},
                               {0x860, {0x83}}});
    };
    const auto good = run48(image(0x83), QStringLiteral("0100"), QStringLiteral("0900"));
    ASSERT_TRUE(good->outcome.succeeded);
    const auto out = good->output();
    EXPECT_TRUE(out.problems.isEmpty()) << out.problems.join(u'\n').toStdString();
    EXPECT_EQ(out.code.at(0x120), QStringLiteral("CALL >0060"));

    // The same with an undefined code at 0060H: only the decoding pass meets it.
    const auto bad = run48(image(0x01), QStringLiteral("0100"), QStringLiteral("0900"));
    EXPECT_FALSE(bad->outcome.succeeded);
    EXPECT_EQ(bad->texts(), QStringList{kFailed});
    EXPECT_EQ(bad->errBytes(), QByteArray("L 1\t 288\r\nL 2\t 304\r\nL 3\t 2144\r\nL 4\t 96\r\n\r\n"));
}

TEST(Disassemble48, OverlappingRunKeepsItsTextUnderItsOwnOrg)
{
    // 0000: JMP 0006H. 0006: RET. 0003: NOP, NOP, MOV A,#83H (its operand is the RET), RET.
    const auto run = run48(QByteArray::fromHex("0406000000238383"));
    ASSERT_TRUE(run->outcome.succeeded);
    EXPECT_TRUE(
        run->asmBytes().contains("L1: RET\r;============================\r\nORG 0006H\r\nL3: RET\rEND"));
    const auto out = run->output();
    EXPECT_TRUE(out.problems.isEmpty()) << out.problems.join(u'\n').toStdString();
    EXPECT_EQ(out.code.at(5), QStringLiteral("MOV A,#83H"));
    EXPECT_EQ(out.code.at(6), QStringLiteral("RET"));
}

TEST(Disassemble48, FailuresWriteTheLabelDumpAndLeaveTheOutputAlone)
{
    // An undefined code met by the label pass: two messages, the vectors in the dump (decimal).
    const auto undefined = run48(QByteArray::fromHex("00000001"));
    EXPECT_FALSE(undefined->outcome.succeeded);
    EXPECT_EQ(undefined->texts(), (QStringList{kUndefined, kFailed}));
    EXPECT_EQ(undefined->outcome.messages[1].style, 48);
    EXPECT_EQ(undefined->outcome.messages[1].title, QStringLiteral("反汇编信息"));
    EXPECT_EQ(undefined->errBytes(), QByteArray("L 1\t 7\r\nL 2\t 3\r\n\r\n"));
    EXPECT_EQ(undefined->outcome.filesWritten, QStringList{undefined->errPath});
    EXPECT_FALSE(QFile::exists(undefined->asmPath));

    // Empty file, end 0, start at or above the end: failure with an empty dump.
    for (const auto &[bytes, start, end] :
         {std::tuple{QByteArray(), QString(), QString()},
          std::tuple{QByteArray(4, '\0'), QString(), QStringLiteral("0")},
          std::tuple{QByteArray(4, '\0'), QStringLiteral("0004"), QString()},
          std::tuple{QByteArray(4, '\0'), QStringLiteral("0003"), QStringLiteral("0002")}}) {
        const auto run = run48(bytes, start, end);
        EXPECT_FALSE(run->outcome.succeeded);
        EXPECT_EQ(run->texts(), QStringList{kFailed});
        EXPECT_EQ(run->errBytes(), QByteArray("\r\n"));
    }

    // A failure keeps an existing output file as it was.
    auto keep = std::make_unique<Run48>();
    const QString bin = keep->dir.filePath(QStringLiteral("k.bin"));
    const QString out = keep->dir.filePath(QStringLiteral("k.asm"));
    twtest::writeBytes(bin, QByteArray::fromHex("01"));
    twtest::writeBytes(out, "old text");
    EXPECT_FALSE(tw::Disassemble48({bin, out, {}, {}}).succeeded);
    EXPECT_EQ(twtest::readBytes(out), QByteArray("old text"));

    // A missing input file, and an output that cannot be written.
    EXPECT_FALSE(tw::Disassemble48({keep->dir.filePath(QStringLiteral("none.bin")), out, {}, {}}).succeeded);
    const QString good = keep->dir.filePath(QStringLiteral("g.bin"));
    twtest::writeBytes(good, QByteArray::fromHex("83"));
    const auto unwritable =
        tw::Disassemble48({good, keep->dir.filePath(QStringLiteral("no/such.asm")), {}, {}});
    EXPECT_FALSE(unwritable.succeeded);
    EXPECT_EQ(twtest::readBytes(keep->dir.filePath(QStringLiteral("g.err"))),
              QByteArray("L 1\t 7\r\nL 2\t 3\r\n\r\n"));
}

TEST(Disassemble48, PendingAndSegmentLimits)
{
    // Every transfer decoded is queued: 256 calls in one run fit, 257 do not.
    auto calls = [](int count) {
        QByteArray image(0x100 + 2 * count + 1, '\0');
        for (int i = 0; i < count; ++i) {
            image[0x100 + 2 * i] = 0x14;
            image[0x101 + 2 * i] = 0x50;
        }
        image[0x50] = static_cast<char>(0x83);
        image[0x100 + 2 * count] = static_cast<char>(0x83);
        return image;
    };
    EXPECT_TRUE(run48(calls(256), QStringLiteral("0100"))->outcome.succeeded);
    const auto stack = run48(calls(257), QStringLiteral("0100"));
    EXPECT_FALSE(stack->outcome.succeeded);
    EXPECT_EQ(stack->texts(), QStringList{kFailed});
    EXPECT_EQ(stack->errBytes(), QByteArray("L 1\t 80\r\n\r\n"));

    // Each call reaches a RET with a gap before the next one, so every target opens a segment:
    // segment 0 and 255 more fit, the 257th segment does not.
    auto separated = [](int count) {
        QByteArray image(0x600, '\0');
        for (int i = 0; i < count; ++i) {
            const int target = 0x400 + 2 * i;
            image[0x100 + 2 * i] = static_cast<char>(0x14 | ((target >> 8) << 5));
            image[0x101 + 2 * i] = static_cast<char>(target & 0xFF);
            image[target] = static_cast<char>(0x83);
        }
        image[0x100 + 2 * count] = static_cast<char>(0x83);
        return image;
    };
    EXPECT_TRUE(run48(separated(255), QStringLiteral("0100"))->outcome.succeeded);
    EXPECT_FALSE(run48(separated(256), QStringLiteral("0100"))->outcome.succeeded);

    // A JMPP to the next instruction at every even address: L0 and one label per JMPP. 2,048
    // names are what our assembler takes; one more is a failure, not output it cannot read.
    auto jumps = [](int count) {
        QByteArray image;
        for (int i = 0; i < count; ++i)
            image += QByteArray::fromHex("D6") + static_cast<char>((2 * i + 2) & 0xFF);
        return image;
    };
    const auto most = run48(jumps(2047));
    ASSERT_TRUE(most->outcome.succeeded);
    EXPECT_EQ(most->output().definitions.size(), 2048u);
    const auto tooMany = run48(jumps(2048));
    EXPECT_FALSE(tooMany->outcome.succeeded);
    EXPECT_EQ(tooMany->texts(), QStringList{kFailed});
    EXPECT_FALSE(QFile::exists(tooMany->asmPath));
}

TEST(Disassemble48, RandomCodeIsCoveredOnceWithEveryLabelDefined)
{
    // Images of defined opcodes only: the text must cover the range byte for byte, data bytes must
    // be the image's, every label used must be defined exactly once, and our assembler must make
    // the image again from the text. The last two bytes of each page are NOP: our assembler keeps
    // a page jump there in the page of its operand byte.
    static const QByteArray undefined = QByteArray::fromHex("010B33383B6373828B9BA2B7C2C3E2F3");
    const bool haveAssembler = twtest::runDriver({}).err.contains("asm48");
    QRandomGenerator random(4848);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        QByteArray image(static_cast<int>(random.bounded(64, 4096)), '\0');
        for (qsizetype a = 0; a < image.size(); ++a) {
            char &b = image[a];
            do
                b = static_cast<char>(random.bounded(256));
            while (undefined.contains(b));
            if ((a & 0xFF) >= 0xFE)
                b = 0;
        }
        const auto run = run48(image);
        if (!run->outcome.succeeded) {
            EXPECT_EQ(run->texts(), QStringList{kFailed}) << "only a limit may stop random code";
            continue;
        }
        const auto out = run->output();
        EXPECT_TRUE(out.problems.isEmpty()) << out.problems.join(u'\n').toStdString();
        std::vector<int> cover(static_cast<std::size_t>(image.size()) + 1, 0);
        for (const auto &[address, length] : out.lengths)
            for (int i = 0; i < length; ++i)
                if (address + i < image.size() + 1)
                    ++cover[static_cast<std::size_t>(address + i)];
        for (const auto &[address, byte] : out.data) {
            ++cover[static_cast<std::size_t>(address)];
            EXPECT_EQ(byte, static_cast<std::uint8_t>(image[static_cast<int>(address)]));
        }
        for (int a = 0; a < image.size(); ++a)
            EXPECT_GE(cover[static_cast<std::size_t>(a)], 1) << "address " << a;
        if (!haveAssembler)
            continue;
        QFile::remove(run->bin);
        const twtest::ProcessResult assembled = twtest::runDriver({QStringLiteral("asm48"), run->asmPath});
        EXPECT_EQ(assembled.exitCode, 0) << assembled.out.toStdString();
        QByteArray again = twtest::readBytes(run->bin);
        again.resize(image.size(), '\0');
        EXPECT_EQ(again.toHex().toStdString(), image.toHex().toStdString());
    }
}

TEST(Disassemble48, DriverWritesTheExpectedSourceOfAProgramWithTablesAndBanks)
{
    // Vectors, a JMPP @A table left as data, a call into memory bank 1 beyond the file, RETR.
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("banks.bin"));
    const QString out = dir.filePath(QStringLiteral("banks.asm"));
    twtest::writeBytes(bin, twtest::readBytes(twtest::dataPath(QStringLiteral("disassembler/48/banks.bin"))));
    EXPECT_EQ(twtest::runDriver({QStringLiteral("dis48"), bin, out}).exitCode, 0);
    EXPECT_EQ(twtest::readBytes(out),
              twtest::readBytes(twtest::dataPath(QStringLiteral("disassembler/48/banks.asm"))));

    EXPECT_EQ(
        twtest::runDriver({QStringLiteral("dis48"), bin, out, QStringLiteral("0020"), QStringLiteral("0025")})
            .exitCode,
        0);
    EXPECT_TRUE(twtest::readBytes(out).contains("ORG 0020H\rMOV R0,#05H\rL1: DJNZ R0,L1\rRETI\rEND"));
    twtest::writeBytes(bin, QByteArray::fromHex("01"));
    EXPECT_EQ(twtest::runDriver({QStringLiteral("dis48"), bin, out}).exitCode, 1);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("banks.err"))));
}

} // namespace
