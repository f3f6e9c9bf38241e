// Every table bound of both disassemblers, met by generated images: the job fails with its
// message instead of running past the bound, and the last size that fits still completes.
#include "disassembler/DisasmSupport.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using namespace distest;

namespace
{

const QString kFailed51 = u"反汇编信息|48|反汇编失败！"_qs;

// A full table has its own message before the plain failure.
QStringList limitReached(const QString &table, int bound)
{
    return {u"信息|48|"_qs + table + u"超过%1个，超出本软件的处理能力！"_qs.arg(bound), kFailed51};
}
const QString kPending = u"待反汇编的转移目标"_qs;
const QString kLabels = u"标号数目"_qs;
const QByteArray kFailureCredit51 = ";Tarnwick MCS-51 disassembler: incomplete, the disassembly failed\r\n";

// count blocks of code, block k made by make(k), placed one after the other from address at on.
QByteArray repeated(int size, int at, int count, const std::function<QByteArray(int)> &make)
{
    QByteArray image(size, '\0');
    for (int k = 0; k < count; ++k) {
        const QByteArray code = make(k);
        image.replace(at, code.size(), code);
        at += code.size();
    }
    return image;
}

class DisasmLimits : public ::testing::Test
{
  protected:
    Job run(Cpu cpu, const QByteArray &bin, const QString &start = {})
    {
        for (const QString &name : {u"in.asm"_qs, u"in.lst"_qs, u"in.err"_qs})
            QFile::remove(dir.filePath(name));
        return runJob(cpu, dir.path(), bin, start);
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(DisasmLimits, Mcs51PendingTargetsAndLabels)
{
    // 1,100 calls to new targets before the first can be walked: the label pass's queue is full.
    Job job = run(Cpu::Mcs51, repeated(3300, 0, 1100, [](int k) {
                      return bytesOf({0x12, 0x80 + (k >> 8), k & 0xFF});
                  }));
    EXPECT_EQ(job.messages, limitReached(kPending, 1025));
    EXPECT_EQ(job.files.value(u"asm"_qs), kFailureCredit51 + "END\r\r\n");

    // A chain of 1,100 subroutines, each calling the next and a new address above the file: the
    // EQU lines stop at the first label the output cannot hold.
    QByteArray chain = repeated(0x100 + 1100 * 7, 0x100, 1100, [](int k) {
        const int next = 0x107 + 7 * k;
        return bytesOf({0x12, next >> 8, next & 0xFF, 0x12, 0x80 + (k >> 8), k & 0xFF, 0x22});
    });
    chain.replace(0, 3, bytesOf({0x02, 0x01, 0x00}));
    job = run(Cpu::Mcs51, chain);
    EXPECT_EQ(job.messages, limitReached(kLabels, 2048));
    EXPECT_TRUE(
        job.files.value(u"asm"_qs).startsWith(kFailureCredit51 + "L9: EQU  8000H\rL11: EQU  8001H\r"));
    EXPECT_TRUE(job.files.value(u"asm"_qs).endsWith("L2049: EQU  83FCH\rEND\r\r\n"));
    EXPECT_FALSE(job.files.value(u"asm"_qs).contains("ORG"));
}

// From 1000H: two subroutines and blocks of calls to distinct addresses below the start, which
// hold RET. Every label but those of the subroutines is a late EQU line, L0 included, so 2,047
// labels make the 2,048 names our assembler takes; one more fails after the runs, with the
// segment list written.
TEST_F(DisasmLimits, Mcs51OutputHoldsAtMostTheNamesOurAssemblerTakes)
{
    const auto image = [](int lows) {
        const int first = 0x1000 + 6 + 3 * 1000 + 1;
        const int second = first + 3 * 1000 + 1;
        QByteArray code = bytesOf({0x12, first >> 8, first & 0xFF, 0x12, second >> 8, second & 0xFF});
        for (int low = 1; low <= lows; ++low) {
            code += bytesOf({0x12, low >> 8, low & 0xFF});
            if (low % 1000 == 0 || low == lows)
                code += bytesOf({0x22});
        }
        return QByteArray(0x1000, static_cast<char>(0x22)) + code;
    };
    Job job = run(Cpu::Mcs51, image(2045), u"1000"_qs);
    ASSERT_EQ(job.result, u"ok");
    EXPECT_TRUE(job.files.value(u"asm"_qs).contains("\rL2047: EQU  07D0H\rORG 1000H\r"));
    reassemble(Cpu::Mcs51, dir.path(), 0); // our assembler takes all 2,048 names

    job = run(Cpu::Mcs51, image(2046), u"1000"_qs);
    EXPECT_EQ(job.result, u"failed");
    EXPECT_TRUE(job.files.value(u"asm"_qs).startsWith(kFailureCredit51 + "ORG 1000H\rLCALL L1\rLCALL L2\r"));
    EXPECT_FALSE(job.files.value(u"asm"_qs).contains("EQU"));
    EXPECT_TRUE(job.files.value(u"lst"_qs).endsWith("  0\t1000\t2778\r\n  1\t2778\t2803\r\n"));
    EXPECT_TRUE(job.written.contains(u"lst"_qs));
}

TEST_F(DisasmLimits, Mcs48PendingSegmentsAndLabels)
{
    // One walk of calls to distinct addresses in bank 1: the label pass queues 1,025 targets, one
    // more fails there.
    const auto distinct = [](int count) {
        QByteArray image = repeated(0x1000, 0x101, count, [](int k) {
            const int target = 0x106 + k;
            return bytesOf({0x14 | ((target >> 8) << 5), target & 0xFF});
        });
        image[0x100] = static_cast<char>(0xF5);
        return image;
    };
    EXPECT_EQ(run(Cpu::Mcs48, distinct(1025), u"0100"_qs).messages, limitReached(kPending, 256));
    EXPECT_EQ(run(Cpu::Mcs48, distinct(1026), u"0100"_qs).messages, limitReached(kPending, 1025));

    // Each call reaches a RET with a gap before the next, so every target opens a segment:
    // segment 0 and 255 more fit.
    const auto separated = [](int count) {
        QByteArray image = repeated(0x600, 0x100, count, [](int k) {
            const int target = 0x400 + 2 * k;
            return bytesOf({0x14 | ((target >> 8) << 5), target & 0xFF});
        });
        for (int k = 0; k < count; ++k)
            image[0x400 + 2 * k] = static_cast<char>(0x83);
        image[0x100 + 2 * count] = static_cast<char>(0x83);
        return image;
    };
    EXPECT_EQ(run(Cpu::Mcs48, separated(255), u"0100"_qs).result, u"ok");
    EXPECT_EQ(run(Cpu::Mcs48, separated(256), u"0100"_qs).messages, limitReached(u"程序段数目"_qs, 256));

    // A JMPP to the next instruction at every even address: L0 and one label per jump. A jump at
    // xxFEH cannot reach the next page, so there a JNZ falls through to it and jumps back to the
    // page's first byte (on page 0, where that is L0, to its own operand byte). 2,048 names are
    // what our assembler takes; one more is a failure, not output it cannot read.
    const auto jumps = [](int count) {
        return repeated(2 * count, 0, count, [](int k) {
            if ((2 * k & 0xFF) == 0xFE)
                return bytesOf({0x96, 2 * k < 0x100 ? 0xFF : 0x00});
            return bytesOf({0xD6, (2 * k + 2) & 0xFF});
        });
    };
    Job job = run(Cpu::Mcs48, jumps(2047));
    ASSERT_EQ(job.result, u"ok");
    EXPECT_EQ(readOutput(job.files.value(u"asm"_qs)).labels, 2048);
    job = run(Cpu::Mcs48, jumps(2048));
    EXPECT_EQ(job.messages, limitReached(kLabels, 2048));
    EXPECT_FALSE(job.files.contains(u"asm"_qs));
}
