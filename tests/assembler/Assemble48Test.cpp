// The MCS-48 driver end to end: a source file in, the .lt, .lst, .err and .bin files out,
// compared with texts written by hand from the file formats; fatal failures and the headless
// driver's exit codes.
#include "assembler/Assemble48.h"
#include "assembler/Assemble51.h"
#include "common/TextFile.h"

#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace
{

const QStringList kOutputs = {QStringLiteral("lt"), QStringLiteral("lst"), QStringLiteral("err"),
                              QStringLiteral("bin")};

struct Run48 {
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("prog.asm"));
    QString bin = dir.filePath(QStringLiteral("prog.bin"));
    AssemblyResult result;

    explicit Run48(const QString &text) { twtest::writeBytes(source, encodeText(text)); }
    const AssemblyResult &assemble()
    {
        result = assemble48(source, bin);
        return result;
    }
    QString path(const QString &ending) const { return dir.filePath(QStringLiteral("prog.") + ending); }
    QString text(const QString &ending) const { return decodeText(twtest::readBytes(path(ending))).text; }
    QByteArray code() const { return twtest::readBytes(bin); }
    void writeStaleOutputs() const
    {
        for (const QString &ending : kOutputs)
            twtest::writeBytes(path(ending), "stale");
    }
};

QString lines(const QStringList &list)
{
    return list.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

TEST(Assemble48, CleanProgramListsEveryLineWithItsAddress)
{
    Run48 run(u"start:\tmov a,#12h\r\n"
              u"\r\n"
              u"; a comment\r\n"
              u"L1: equ 20h\r\n"
              u"\torg 10h\r\n"
              u"tab: db 1,2,3,4,5,6\r\n"
              u"  jmp start\r\n"
              u"  jmpp @a\r\n"
              u" end\r\n"
              u" nop\r\n"_qs);
    const AssemblyResult &result = run.assemble();
    ASSERT_TRUE(result.completed) << result.failureMessage.toStdString();
    EXPECT_EQ(result.errorCount, 0);
    EXPECT_EQ(result.summary(), QStringLiteral(u"    汇编成功，没有发现错误！"));
    const QString listing = lines({
        u"  0000  2312\t   \t 1\tSTART:\tMOV\tA,#12H"_qs,
        u"  0002  \t 2\t\t;A COMMENT"_qs,
        u"  0002  \t       \t 3\tL1:\tEQU\t20H"_qs,
        u"  0002  \t       \t 4\t\tORG\t10H"_qs,
        u"  0010  01020304\t 5\tTAB:\tDB\t1,2,3,4,5,6"_qs,
        u"  0014  0506    "_qs,
        u"  0016  0400\t   \t 6\t\tJMP\tSTART"_qs,
        u"  0018  B3\t     \t 7\t\tJMPP\t@A"_qs,
        u"  0019  \t       \t 8\t\tEND"_qs,
    });
    // Both files are one text with a line break of their own at the end; no "  MCS51" title.
    EXPECT_EQ(run.text(QStringLiteral("lt")), listing + QStringLiteral("\r\n"));
    EXPECT_EQ(run.text(QStringLiteral("lst")),
              listingCreditLine() + QStringLiteral("\r\n\r\n") + listing +
                  lines({QString(), QString(), u"  程序中使用的标号如下："_qs, QString(), u"  START\t0000"_qs,
                         u"  L1\t0020"_qs, u"  TAB\t0010"_qs}) +
                  QStringLiteral("\r\n"));
    EXPECT_EQ(run.text(QStringLiteral("err")), QStringLiteral(u"    汇编成功，没有发现错误！\r\n"));
    // Up to the last non-zero byte.
    EXPECT_EQ(run.code(), QByteArray::fromHex("2312") + QByteArray(14, '\0') +
                              QByteArray::fromHex("01020304050604 00B3"));
    EXPECT_TRUE(QFile::exists(run.path(QStringLiteral("a51"))));
}

TEST(Assemble48, ErrorsAreReportedWithTheirLinesAndTheRunGoesOn)
{
    Run48 run(u"loop: inc r0\r\n"
              u" jnz loop\r\n"
              u"X EQU 5\r\n"
              u" mov a,#x\r\n"
              u"loop: djnz r8,loop\r\n"
              u"BAD: EQU WHERE\r\n"
              u" org 1f0h\r\n"
              u" db 1,300,2\r\n"
              u" ds 1\r\n"
              u"far: jc loop\r\n"
              u" mov a,r0,r1\r\n"
              u" ret\r\n"_qs);
    const AssemblyResult &result = run.assemble();
    ASSERT_TRUE(result.completed) << result.failureMessage.toStdString();
    EXPECT_EQ(result.errorCount, 10);
    EXPECT_EQ(result.summary(), QStringLiteral(u"    汇编过程发现 10处错误。"));
    EXPECT_EQ(run.text(QStringLiteral("err")),
              lines({u"    汇编过程发现 10处错误。"_qs, QString(), u" 1\t第 1行\t标号重复定义"_qs,
                     u" 2\t第 3行\t操作码非法"_qs, u" 3\t第 4行\t操作数越界"_qs,
                     u" 4\t第 5行\t标号重复定义"_qs, u" 5\t第 5行\t操作数非法"_qs,
                     u" 6\t第 6行\t操作数非法"_qs, u" 7\t第 8行\t操作数越界"_qs, u" 8\t第 9行\t操作码非法"_qs,
                     u" 9\t第 10行\t转移范围越界"_qs, u" 10\t第 11行\t操作数过多"_qs}) +
                  QStringLiteral("\r\n"));
    const QString listing = run.text(QStringLiteral("lt"));
    EXPECT_TRUE(listing.contains(u"  0003  000000\t \t 3\t\tX\tEQU\t5\r\n"_qs)) << listing.toStdString();
    EXPECT_TRUE(listing.contains(u"  0005  \t       \t 5\tLOOP:\tDJNZ\tR8,LOOP\r\n"_qs));
    EXPECT_TRUE(listing.contains(u"  01F0  010002\t \t 8\t\tDB\t1,300,2\r\n"_qs));
    EXPECT_TRUE(
        run.text(QStringLiteral("lst")).contains(u"  程序中重复定义的标号如下：\r\n\r\n  LOOP\r\n"_qs));
    // Rejected statements still take their room; JC on page 1 cannot reach LOOP on page 0.
    const QByteArray code = run.code();
    EXPECT_EQ(code.left(5), QByteArray::fromHex("1896000000"));
    EXPECT_EQ(code.mid(0x1F0), QByteArray::fromHex("010002F600F883"));
}

TEST(Assemble48, ProgramOfZerosGivesOneByteAndRerunsReplaceEverything)
{
    // Two TABs make a statement of one TAB: listed with its address, not an error.
    Run48 run(u" nop\r\n\t\t\r\n org 20h\r\n db 0,0\r\n"_qs);
    run.writeStaleOutputs();
    ASSERT_TRUE(run.assemble().completed);
    EXPECT_EQ(run.result.errorCount, 0);
    EXPECT_TRUE(run.text(QStringLiteral("lt"))
                    .startsWith(u"  0000  00\t     \t 1\t\tNOP\r\n  0001  \t 2\t\t\r\n"_qs));
    EXPECT_EQ(run.code(), QByteArray(1, '\0'));
    for (const QString &ending : kOutputs)
        EXPECT_NE(twtest::readBytes(run.path(ending)), QByteArray("stale")) << ending.toStdString();
}

TEST(Assemble48, FatalFailuresLeaveNothingStale)
{
    // An address past FFFFH names its line; nothing of an earlier run survives.
    {
        Run48 run(u" org 0fffeh\r\n nop\r\n mov a,#1\r\n"_qs);
        run.writeStaleOutputs();
        EXPECT_FALSE(run.assemble().completed);
        EXPECT_EQ(run.result.failureMessage, QStringLiteral(u"第 3行地址错误！"));
        for (const QString &ending : kOutputs)
            EXPECT_FALSE(QFile::exists(run.path(ending))) << ending.toStdString();
    }
    {
        Run48 run(u" org 10000h\r\n"_qs);
        EXPECT_FALSE(run.assemble().completed);
        EXPECT_EQ(run.result.failureMessage, addressErrorMessage(1));
    }
    // Too many labels.
    {
        QString text;
        for (int i = 0; i <= 2048; ++i)
            text += QStringLiteral("L%1: NOP\r\n").arg(i);
        Run48 run(text);
        EXPECT_FALSE(run.assemble().completed);
        EXPECT_EQ(run.result.failureMessage, tooManyLabelsMessage());
    }
    // A failure in pass 2 (a number beyond 32 bits) keeps the listing gathered so far.
    {
        Run48 run(u" mov a,#1\r\n mov a,#99999999999\r\n nop\r\n"_qs);
        run.writeStaleOutputs();
        EXPECT_FALSE(run.assemble().completed);
        EXPECT_EQ(run.result.failureMessage, QStringLiteral(u"汇编失败，存在有不可识别的语句！"));
        EXPECT_EQ(run.text(QStringLiteral("lst")), listingCreditLine() + QStringLiteral("\r\n\r\n") +
                                                       lines({u"  0000  2301\t   \t 1\t\tMOV\tA,#1"_qs}) +
                                                       QStringLiteral("\r\n"));
        for (const char *ending : {"lt", "err", "bin"})
            EXPECT_FALSE(QFile::exists(run.path(QString::fromLatin1(ending)))) << ending;
    }
    // A source that cannot be read.
    {
        Run48 run{QString()};
        QFile::remove(run.source);
        EXPECT_FALSE(run.assemble().completed);
        EXPECT_EQ(run.result.failureMessage, QStringLiteral(u"规格化出错，请检查你的源程序！"));
    }
}

TEST(Assemble48, PageJumpsAtAPageEdgeReachTheNextPageAndReadBackThroughTheDisassembler)
{
    // The chip takes the page from the program counter after both bytes: from 00FEH and 00FFH
    // that is page 1, so a target on page 0 is out of reach there.
    Run48 run(
        u"\tJMP\tSTART\r\n\tORG\t0F0H\r\nSTART:\tMOV\tA,#1\r\n\tORG\t0FEH\r\n"
        u"\tJNZ\tNEXT\r\n\tJC\tBACK\r\n\tORG\t110H\r\nNEXT:\tRET\r\nBACK:\tDJNZ\tR2,NEXT\r\n\tRET\r\n"_qs);
    ASSERT_TRUE(run.assemble().completed);
    EXPECT_EQ(run.result.errorCount, 0) << run.text(QStringLiteral("err")).toStdString();
    const QByteArray code = run.code();
    EXPECT_EQ(code.mid(0xFE, 4), QByteArray::fromHex("9610F611"));
    EXPECT_EQ(code.mid(0x110), QByteArray::fromHex("83EA1083"));
    // Our disassembler reads the same targets: its text assembles to the same image.
    const QString back = run.dir.filePath(QStringLiteral("back.asm"));
    ASSERT_EQ(twtest::runDriver({QStringLiteral("dis48"), run.bin, back}).exitCode, 0);
    ASSERT_EQ(twtest::runDriver({QStringLiteral("asm48"), back}).exitCode, 0);
    EXPECT_EQ(twtest::readBytes(run.dir.filePath(QStringLiteral("back.bin"))).toHex(), code.toHex());

    Run48 wrong(u"\tORG\t0FDH\r\nHERE:\tJZ\tHERE\r\n\tJNZ\tHERE\r\n\tJC\tNEXT\r\nNEXT:\tRET\r\n"_qs);
    ASSERT_TRUE(wrong.assemble().completed);
    EXPECT_EQ(wrong.text(QStringLiteral("err")),
              lines({u"    汇编过程发现 1处错误。"_qs, QString(), u" 1\t第 3行\t转移范围越界"_qs}) +
                  QStringLiteral("\r\n"));
    EXPECT_EQ(wrong.code().mid(0xFD), QByteArray::fromHex("C6FD9600F60383"));
}

TEST(Assemble48, HeadlessDriverPrintsTheSummaryAndExitCode)
{
    QTemporaryDir dir;
    const struct {
        const char *name;
        const char *text;
        int exitCode;
        QString line;
    } cases[] = {
        {"good.asm", "START: JMP START\r\n", 0, QStringLiteral(u"    汇编成功，没有发现错误！")},
        {"bad.asm", " JMP NOWHERE\r\n INS A,P1\r\n", 1, QStringLiteral(u"    汇编过程发现 2处错误。")},
        {"far.asm", " ORG 0FFFFH\r\n DB 1,2\r\n", 2, QStringLiteral(u"第 2行地址错误！")},
        {"notes.txt", " NOP\r\n", 2, QStringLiteral(u"待汇编的文件不是汇编语言源程序！")},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        twtest::writeBytes(path, c.text);
        const twtest::ProcessResult run = twtest::runDriver({QStringLiteral("asm48"), path});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(QString::fromUtf8(run.out).trimmed(), c.line.trimmed()) << c.name;
    }
    // The trailing zero (JMP's low byte) is not written: readers take it as 0.
    EXPECT_EQ(twtest::readBytes(dir.filePath(QStringLiteral("good.bin"))), QByteArray::fromHex("04"));
}

} // namespace
