// The MCS-51 driver end to end: source file in, the five files out, compared with texts written
// by hand from the file formats.
#include "assembler/Assemble51.h"
#include "assembler/Tidier.h"
#include "common/TextFile.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

// Readable failure output for texts.
static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace
{

struct SourceRun {
    QTemporaryDir dir;
    QString source;
    QString bin;
    AssemblyResult result;

    explicit SourceRun(const QString &text, const QString &name = QStringLiteral("prog.asm"))
    {
        source = dir.filePath(name);
        twtest::writeBytes(source, encodeText(text));
        bin = binPathForSource(source);
    }
    const AssemblyResult &assemble()
    {
        result = assemble51(source, bin);
        return result;
    }
    QString text(const QString &ending) const
    {
        return decodeText(twtest::readBytes(dir.filePath(QStringLiteral("prog.") + ending))).text;
    }
    QByteArray code() const { return twtest::readBytes(bin); }
    bool exists(const QString &ending) const
    {
        return QFile::exists(dir.filePath(QStringLiteral("prog.") + ending));
    }
};

QString lines(const QStringList &list)
{
    return list.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

const QString kProgram = u"start: mov a, #1   ; load\r\n"
                         u"  mov dptr,#table\r\n"
                         u"COUNT EQU 30H\r\n"
                         u"LEN: EQU 2\r\n"
                         u"\r\n"
                         u"\t\t\r\n"
                         u"loop: djnz count, loop\r\n"
                         u" sjmp $\r\n"
                         u"; 数据表\r\n"
                         u"table: db 1,2,3,4,5,0\r\n"
                         u" dw 1234h\r\n"
                         u" end\r\n"
                         u"this line is after the end\r\n"_qs;

} // namespace

TEST(Assemble51, WritesAllFilesInTheirFormats)
{
    SourceRun run(kProgram);
    const AssemblyResult &result = run.assemble();
    ASSERT_TRUE(result.completed) << result.failureMessage.toStdString();
    EXPECT_EQ(result.errorCount, 0);
    EXPECT_TRUE(result.offerSimulation());

    EXPECT_EQ(
        run.text("a51"),
        lines({u"START:\tMOV\tA,#1\t;LOAD"_qs, u"\tMOV\tDPTR,#TABLE"_qs, u"\tCOUNT\tEQU\t30H"_qs,
               u"LEN:\tEQU\t2"_qs, u"\t"_qs, u"LOOP:\tDJNZ\tCOUNT,LOOP"_qs, u"\tSJMP\t$"_qs, u"\t;数据表"_qs,
               u"TABLE:\tDB\t1,2,3,4,5,0"_qs, u"\tDW\t1234H"_qs, u"\tEND"_qs, QString()}));

    const QStringList listing{
        u"  0000  7401\t   \t 1\tSTART:\tMOV\tA,#1\t;LOAD"_qs,
        u"  0002  90000A\t \t 2\t\tMOV\tDPTR,#TABLE"_qs,
        u"        \t       \t 3\t\tCOUNT\tEQU\t30H"_qs,
        u"        \t       \t 4\tLEN:\tEQU\t2"_qs,
        u"  0005  D530FD\t \t 6\tLOOP:\tDJNZ\tCOUNT,LOOP"_qs,
        u"  0008  80FE\t   \t 7\t\tSJMP\t$"_qs,
        u"        \t\t 8\t\t;数据表"_qs,
        u"  000A  01020304\t 9\tTABLE:\tDB\t1,2,3,4,5,0"_qs,
        u"  000E  0500    "_qs,
        u"  0010  1234\t   \t 10\t\tDW\t1234H"_qs,
        u"        \t\t       \t 11\t\tEND"_qs,
    };
    EXPECT_EQ(run.text("lt"), lines(QStringList{u"  MCS51"_qs} + listing));
    // Byte for byte in the system code page, and no temporary left beside the outputs.
    EXPECT_EQ(twtest::readBytes(run.dir.filePath("prog.lt")),
              QByteArray(QStringEncoder("GBK").encode(lines(QStringList{u"  MCS51"_qs} + listing))));
    EXPECT_EQ(QDir(run.dir.path()).entryList(QDir::Files),
              QStringList({"prog.a51", "prog.asm", "prog.bin", "prog.err", "prog.lst", "prog.lt"}));

    const QStringList lst = splitLines(run.text("lst"));
    ASSERT_GT(lst.size(), 3);
    const QStringList lists{QString(),
                            QString(),
                            u"  程序中使用的标号如下："_qs,
                            QString(),
                            u"  START\t0000"_qs,
                            u"  LEN\t0002"_qs,
                            u"  LOOP\t0005"_qs,
                            u"  TABLE\t000A"_qs,
                            QString(),
                            QString(),
                            u"  程序中定义的变量如下："_qs,
                            QString(),
                            u"  COUNT\t30H"_qs};
    EXPECT_EQ(lst.mid(1), QStringList({u"  MCS51"_qs, QString()}) + listing + lists);
    EXPECT_EQ(run.text("err"), u"    汇编成功，没有发现错误！\r\n"_qs);
    EXPECT_EQ(run.code(), QByteArray::fromHex("7401 90000A D530FD 80FE 010203040500 1234"));
    EXPECT_EQ(result.summary(), u"    汇编成功，没有发现错误！"_qs);
}

TEST(Assemble51, CodeImageLength)
{
    // Trailing zero bytes of a table still reach the chip.
    SourceRun table(u" mov a,#1\r\n db 1,0,0\r\n"_qs);
    table.assemble();
    EXPECT_EQ(table.code(), QByteArray::fromHex("7401010000"));
    // Nothing but zeros: one byte.
    SourceRun zeros(u" nop\r\n nop\r\n"_qs);
    zeros.assemble();
    EXPECT_EQ(zeros.code(), QByteArray::fromHex("0000"));
    SourceRun empty(u"; nothing\r\n"_qs);
    empty.assemble();
    EXPECT_EQ(empty.code(), QByteArray(1, '\0'));
    // A statement may end exactly at the end of the address space.
    SourceRun top(u" org 0fffdh\r\n ljmp 1234h\r\n"_qs);
    ASSERT_TRUE(top.assemble().completed) << top.result.failureMessage.toStdString();
    const QByteArray code = top.code();
    ASSERT_EQ(code.size(), 65536);
    EXPECT_EQ(code.right(3), QByteArray::fromHex("021234"));
}

TEST(Assemble51, ListingEdges)
{
    // Ten bytes continue over two more lines, four bytes further each; a label standing after the
    // last byte of the address space is listed without an address.
    SourceRun run(u" org 0fff0h\r\n db 1,2,3,4,5,6,7,8,9,10\r\n org 0fffeh\r\n sjmp $\r\ntop: end\r\n"_qs);
    ASSERT_TRUE(run.assemble().completed) << run.result.failureMessage.toStdString();
    EXPECT_EQ(run.text("lt"),
              lines({u"  MCS51"_qs, u"        \t       \t 1\t\tORG\t0FFF0H"_qs,
                     u"  FFF0  01020304\t 2\t\tDB\t1,2,3,4,5,6,7,8,9,10"_qs, u"  FFF4  05060708"_qs,
                     u"  FFF8  090A    "_qs, u"        \t       \t 3\t\tORG\t0FFFEH"_qs,
                     u"  FFFE  80FE\t   \t 4\t\tSJMP\t$"_qs, u"        \t\t       \t 5\tTOP:\tEND"_qs}));
    EXPECT_TRUE(run.text("lst").endsWith(u"  TOP\t10000\r\n"_qs));
}

TEST(Assemble51, ErrorReportLinesAndNumbers)
{
    SourceRun run(u"x: nop\r\n"
                  u"\r\n"
                  u" mov a,#300\r\n"
                  u"x: nop\r\n"
                  u" sjmp nowhere\r\n"
                  u" xyz 1\r\n"
                  u"LED: BIT P1.0\r\n"
                  u" end\r\n"_qs);
    const AssemblyResult &result = run.assemble();
    ASSERT_TRUE(result.completed);
    EXPECT_EQ(result.errorCount, 6);
    EXPECT_FALSE(result.offerSimulation());
    // Line numbers are those of the normalised source, which is the tidied file the user sees.
    EXPECT_EQ(
        run.text("err"),
        lines({u"    汇编过程发现 6处错误。"_qs, QString(), u" 1\t第 1行\t标号重复定义"_qs,
               u" 2\t第 2行\t操作数越界"_qs, u" 3\t第 3行\t标号重复定义"_qs, u" 4\t第 4行\t标号未定义"_qs,
               u" 5\t第 5行\t操作码错误"_qs, u" 6\t第 6行\t操作数非法"_qs, QString()}));
    EXPECT_EQ(result.summary(), u"    汇编过程发现 6处错误。"_qs);
    // The listing names the duplicate once per re-definition.
    EXPECT_TRUE(run.text("lst").contains(u"  程序中重复定义的标号如下：\r\n\r\n  X\r\n"_qs));
    // A label value beyond the address space is still listed.
    EXPECT_TRUE(run.text("lst").contains(u"  LED\t10000\r\n"_qs));
}

TEST(Assemble51, EndAndColonRules)
{
    // "end" in a comment or in quotes does not end the program; a colon in quotes is no label.
    SourceRun run(u"; jump to the end\r\n"
                  u" db 'TIME:'\r\n"
                  u" sjmp done ; to the end\r\n"
                  u"done: nop\r\n"_qs);
    ASSERT_TRUE(run.assemble().completed);
    EXPECT_EQ(run.result.errorCount, 0) << run.text("err").toStdString();
    EXPECT_EQ(run.code(), QByteArray::fromHex("54494D453A 8000 00"));
}

TEST(Assemble51, SecondPassSizesWithTheNamesItKnows)
{
    // Pass 1 enters DA as a variable; pass 2 encodes DA as the instruction and never enters it, so
    // MOV A,DA is one byte long in pass 1 and two in pass 2: the code follows pass 2's sizes.
    SourceRun run(u"DA EQU R1\r\n MOV A,DA\r\nL: NOP\r\n SJMP L\r\n"_qs);
    ASSERT_TRUE(run.assemble().completed);
    EXPECT_EQ(run.code(), QByteArray::fromHex("D4 E500 00 80FC"));
    EXPECT_TRUE(run.text("lt").contains(u"\r\n  0003  00\t     \t 3\tL:\tNOP\r\n"_qs));
}

TEST(Assemble51, FatalFailuresLeaveNothingStale)
{
    struct Case {
        QString source;
        QString message;
    };
    const Case cases[] = {
        {u" nop\r\nX EQU\r\n"_qs, u"汇编失败，EQU语句缺操作数！"_qs},
        {u" nop\r\nL: EQU\r\n"_qs, u"汇编失败，EQU语句缺操作数！"_qs},
        {u" nop\r\n org 10000h\r\n"_qs, u"第 2行地址错误！"_qs},
        {u" org 0fffeh\r\n nop\r\n mov dptr,#1\r\n"_qs, u"第 3行地址错误！"_qs},
        {u" org 0ffffh\r\n db 1,2\r\n"_qs, u"第 2行地址错误！"_qs},
    };
    for (const Case &c : cases) {
        SourceRun run(c.source);
        twtest::writeBytes(run.bin, "old");
        twtest::writeBytes(run.dir.filePath("prog.err"), "old");
        twtest::writeBytes(run.dir.filePath("prog.lst"), "old");
        const AssemblyResult &result = run.assemble();
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(result.failureMessage, c.message);
        EXPECT_FALSE(run.exists("bin"));
        EXPECT_FALSE(run.exists("err"));
        EXPECT_FALSE(run.exists("lst"));
    }

    // An output that cannot be written is a failure, not a success with missing files.
    SourceRun unwritable(u" nop\r\n"_qs);
    const AssemblyResult blocked = assemble51(unwritable.source, unwritable.dir.filePath("gone/prog.bin"));
    EXPECT_FALSE(blocked.completed);
    EXPECT_EQ(blocked.failureMessage, u"文件写入失败："_qs + unwritable.dir.filePath("gone/prog.lst"));

    // A source that cannot be read is never assembled.
    QTemporaryDir dir;
    const AssemblyResult missing = assemble51(dir.filePath("none.asm"), dir.filePath("none.bin"));
    EXPECT_FALSE(missing.completed);
    EXPECT_EQ(missing.failureMessage, u"规格化出错，请检查你的源程序！"_qs);
}

TEST(Assemble51, TableLimits)
{
    QString source;
    for (int i = 0; i < 2048; ++i)
        source += QStringLiteral("L%1: NOP\r\n").arg(i);
    SourceRun full(source);
    EXPECT_TRUE(full.assemble().completed);
    SourceRun over(source + u"ONEMORE: NOP\r\n"_qs);
    EXPECT_FALSE(over.assemble().completed);
    EXPECT_EQ(over.result.failureMessage, u"源程序中使用的标号数目太多！\r\n本软件限定标号数目最大为2048"_qs);

    // 1024 variables and 1024 re-definitions fit; one more of either stops the run with a message.
    QString variables;
    QString duplicates;
    for (int i = 0; i < 1024; ++i) {
        variables += QStringLiteral("V%1 EQU %2\r\n").arg(i).arg(i % 256);
        duplicates += QStringLiteral("V%1: NOP\r\nV%1: NOP\r\n").arg(i);
    }
    for (const QString &text : {variables, duplicates}) {
        SourceRun fits(text);
        EXPECT_TRUE(fits.assemble().completed) << fits.result.failureMessage.toStdString();
        SourceRun beyond(text + u"VLAST EQU 1\r\nV0: NOP\r\n"_qs);
        EXPECT_FALSE(beyond.assemble().completed);
        EXPECT_EQ(beyond.result.failureMessage, u"汇编失败，存在有不可识别的语句！"_qs);
        EXPECT_FALSE(beyond.exists("bin"));
    }
}

TEST(Assemble51, TidiedSourceAssemblesTheSame)
{
    SourceRun raw(kProgram);
    raw.assemble();
    SourceRun tidied(kProgram);
    ASSERT_TRUE(tidySourceFile(tidied.source));
    tidied.assemble();
    EXPECT_EQ(raw.code(), tidied.code());
}

TEST(Assemble51, HeadlessDriver)
{
    SourceRun clean(kProgram);
    const auto ok = twtest::runDriver({QStringLiteral("asm51"), clean.source});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(ok.out).trimmed(), u"汇编成功，没有发现错误！"_qs);
    EXPECT_EQ(clean.code().left(2), QByteArray::fromHex("7401"));

    SourceRun bad(u" xyz\r\n"_qs);
    EXPECT_EQ(twtest::runDriver({QStringLiteral("asm51"), bad.source}).exitCode, 1);
    SourceRun fatal(u"X EQU\r\n"_qs);
    EXPECT_EQ(twtest::runDriver({QStringLiteral("asm51"), fatal.source}).exitCode, 2);
}
