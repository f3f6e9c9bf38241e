// Both assembly drivers end to end through real files: the programs under
// tests/data/assembler/golden must give their a51, .lt, .lst, .err and .bin files byte for byte;
// the small programs of runs.txt their code images; the failures of failures.txt their message,
// with nothing of an earlier run left looking current. Then the table limits, the tidier and the
// headless driver.
#include "Mcs51TestSupport.h"

#include "assembler/AssemblyRun.h"
#include "assembler/ErrorList.h"
#include "assembler/common/Messages.h"
#include "common/TextFile.h"
#include "source/Tidier.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace tw;

namespace
{

const QStringList kOutputs = {QStringLiteral("lt"), QStringLiteral("lst"), QStringLiteral("err"),
                              QStringLiteral("bin")};

struct AsmRun {
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("prog.asm"));
    AssemblyResult result;

    explicit AsmRun(const QByteArray &bytes) { twtest::writeBytes(source, bytes); }
    explicit AsmRun(const QString &text) : AsmRun(encodeText(text)) {}
    QString path(const QString &ending) const { return dir.filePath(QStringLiteral("prog.") + ending); }
    QByteArray bytes(const QString &ending) const { return twtest::readBytes(path(ending)); }
    const AssemblyResult &assemble(bool mcs48 = false)
    {
        for (const QString &ending : kOutputs)
            twtest::writeBytes(path(ending), "stale");
        result = assembleFile(mcs48 ? AsmCpu::Mcs48 : AsmCpu::Mcs51, source, path(QStringLiteral("bin")));
        return result;
    }
};

// A source line of the case tables: "\n" separates lines.
QString sourceText(const QString &field)
{
    return QString(field).replace(QStringLiteral("\\n"), QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString repeated(const QString &pattern, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QString(pattern).replace(QStringLiteral("%1"), QString::number(i));
    return text;
}

} // namespace

TEST(Assembly, GoldenOutputFiles)
{
    const QDir golden(twtest::dataPath(QStringLiteral("assembler/golden")));
    const QStringList cases = golden.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_GE(cases.size(), 7);
    for (const QString &name : cases) {
        SCOPED_TRACE(name.toStdString());
        const QDir expected(golden.filePath(name));
        AsmRun run(twtest::readBytes(expected.filePath(QStringLiteral("prog.asm"))));
        ASSERT_TRUE(run.assemble(name.startsWith(u"48")).completed)
            << run.result.failureMessage.toStdString();
        for (const QString &file : expected.entryList(QDir::Files))
            EXPECT_EQ(twtest::readBytes(run.dir.filePath(file)), twtest::readBytes(expected.filePath(file)))
                << file.toStdString();
        // Every output written, no temporary left beside them.
        EXPECT_EQ(QDir(run.dir.path()).entryList(QDir::Files),
                  QStringList({"prog.a51", "prog.asm", "prog.bin", "prog.err", "prog.lst", "prog.lt"}));
    }
}

TEST(Assembly, CodeImagesOfSmallPrograms)
{
    for (const QStringList &row : twtest::readTable(QStringLiteral("runs.txt"), 4)) {
        SCOPED_TRACE(row.join(u'|').toStdString());
        AsmRun run(sourceText(row[1]));
        ASSERT_TRUE(run.assemble(row[0] == u"48").completed) << run.result.failureMessage.toStdString();
        EXPECT_EQ(run.result.errorCount, row[3].toInt()) << run.bytes(QStringLiteral("err")).toStdString();
        QString hex = row[2];
        const int start = hex.startsWith(u'@') ? hex.mid(1, 4).toInt(nullptr, 16) : 0;
        if (start)
            hex = hex.mid(6);
        const QByteArray code = run.bytes(QStringLiteral("bin"));
        const QByteArray expected = QByteArray::fromHex(hex.remove(u' ').toLatin1());
        EXPECT_EQ(code.size(), start + expected.size());
        EXPECT_EQ(code.mid(start).toHex(), expected.toHex());
    }
}

TEST(Assembly, FailuresLeaveNothingStale)
{
    for (const QStringList &row : twtest::readTable(QStringLiteral("failures.txt"), 3)) {
        for (const QString &cpu : row[0].split(u' ')) {
            SCOPED_TRACE((cpu + u'|' + row[1]).toStdString());
            AsmRun run(sourceText(row[1]));
            EXPECT_FALSE(run.assemble(cpu == u"48").completed);
            EXPECT_EQ(run.result.failureMessage, row[2]);
            for (const char *ending : {"bin", "err", "lt"})
                EXPECT_FALSE(QFile::exists(run.path(QString::fromLatin1(ending)))) << ending;
            EXPECT_NE(run.bytes(QStringLiteral("lst")), QByteArray("stale"));
        }
    }
    // A failure in the MCS-48 pass 2 keeps the listing gathered so far.
    AsmRun pass2(u" mov a,#1\r\n mov a,#99999999999\r\n"_qs);
    pass2.assemble(true);
    EXPECT_EQ(decodeText(pass2.bytes(QStringLiteral("lst"))).text,
              listingCreditLine() + u"\r\n\r\n  0000  2301\t   \t 1\t\tMOV\tA,#1\r\n\r\n"_qs);

    for (const bool mcs48 : {false, true}) {
        // An output that cannot be written is a failure, not a success with missing files.
        AsmRun run(u" nop\r\n"_qs);
        const QString bin = run.dir.filePath(QStringLiteral("gone/prog.bin"));
        const AssemblyResult blocked = assembleFile(mcs48 ? AsmCpu::Mcs48 : AsmCpu::Mcs51, run.source, bin);
        EXPECT_FALSE(blocked.completed);
        EXPECT_TRUE(
            blocked.failureMessage.startsWith(u"文件写入失败："_qs + run.dir.filePath(u"gone/prog."_qs)))
            << blocked.failureMessage.toStdString();
        // A code image over the source: the run refuses before touching a file, whether the
        // source would assemble (and be overwritten) or fail (and be cleaned up).
        for (const QByteArray &text : {QByteArray(" nop\r\n"), QByteArray("X EQU\r\n")}) {
            AsmRun self(text);
            const AssemblyResult refused =
                assembleFile(mcs48 ? AsmCpu::Mcs48 : AsmCpu::Mcs51, self.source, self.source);
            EXPECT_FALSE(refused.completed);
            EXPECT_EQ(refused.failureMessage, collidingPathsMessage());
            EXPECT_EQ(twtest::readBytes(self.source), text);
            EXPECT_EQ(QDir(self.dir.path()).entryList(QDir::Files), QStringList{u"prog.asm"_qs});
        }
        // A source that cannot be read is never assembled, and the message says why.
        QFile::remove(run.source);
        EXPECT_EQ(run.assemble(mcs48).failureMessage,
                  u"源程序文件读取失败："_qs + run.source + u"（文件或文件夹不存在）"_qs);
    }
}

TEST(Assembly, TableLimits)
{
    const QString labels = repeated(QStringLiteral("L%1: NOP\r\n"), 2048);
    for (const bool mcs48 : {false, true}) {
        AsmRun full(labels);
        EXPECT_TRUE(full.assemble(mcs48).completed);
        AsmRun over(labels + u"ONEMORE: NOP\r\n"_qs);
        EXPECT_FALSE(over.assemble(mcs48).completed);
        EXPECT_EQ(over.result.failureMessage, tooManyLabelsMessage());
    }
    // 1024 variables and 1024 re-definitions fit; one more of either stops the run with a message.
    // The message names the limit that was met, not a statement of the source.
    const std::pair<QString, QString> limits[] = {
        {repeated(QStringLiteral("V%1 EQU %1\r\n"), 1024), tooManyVariablesMessage()},
        {repeated(QStringLiteral("V%1: NOP\r\nV%1: NOP\r\n"), 1024), duplicateLimitMessage()}};
    for (const auto &[text, message] : limits) {
        AsmRun fits(text);
        EXPECT_TRUE(fits.assemble().completed) << fits.result.failureMessage.toStdString();
        AsmRun beyond(text + u"VLAST EQU 1\r\nV0: NOP\r\n"_qs);
        EXPECT_FALSE(beyond.assemble().completed);
        EXPECT_EQ(beyond.result.failureMessage, message);
        EXPECT_FALSE(QFile::exists(beyond.path(QStringLiteral("bin"))));
    }
    // The error list stops at a million lines, and says that is why.
    ErrorList errors;
    for (int i = 0; i < 1000000; ++i)
        errors.record(u"操作数非法"_qs);
    try {
        errors.record(u"操作数非法"_qs);
        ADD_FAILURE() << "the million-and-first error was taken";
    } catch (const AssemblyFailure &failure) {
        EXPECT_EQ(failure.message(), errorLimitMessage());
        EXPECT_TRUE(failure.message().contains(u"1000000"));
    }
    // The same label 1,025 times over: the re-definition limit, for both CPUs.
    for (const bool mcs48 : {false, true}) {
        AsmRun duplicates(repeated(QStringLiteral("SAME: NOP\r\n"), 1026));
        EXPECT_FALSE(duplicates.assemble(mcs48).completed);
        EXPECT_EQ(duplicates.result.failureMessage, duplicateLimitMessage());
        EXPECT_TRUE(duplicates.result.failureMessage.contains(u"1024"));
    }
}

namespace
{

// Where pass 2 placed each label (the address field of the line that defines it first) and the
// value pass 1 gave it (the label list), read back from the listing; errors by line number.
struct LabelCheck {
    struct Place {
        QString addressField;
        int line = 0;
    };
    std::map<QString, Place> placed;
    std::map<QString, QString> listed;
    std::multimap<int, QString> errors;
};

LabelCheck readLabels(const QString &listing, const QString &report)
{
    static const QRegularExpression numbered(u"^(.{8}).*?\\t (\\d+)\\t(.*)$"_qs);
    static const QRegularExpression listedLine(u"^  ([^\\t]+)\\t([0-9A-F]{4})$"_qs);
    static const QRegularExpression errorLine(u"^ *\\d+\\t第 (\\d+)行\\t(.*)$"_qs);
    LabelCheck check;
    bool inLabelList = false;
    for (const QString &line : listing.split(u"\r\n"_qs)) {
        if (line.startsWith(u"  程序中"_qs)) {
            inLabelList = line == u"  程序中使用的标号如下："_qs;
            continue;
        }
        if (const auto m = listedLine.match(line); inLabelList && m.hasMatch()) {
            check.listed[m.captured(1)] = m.captured(2);
            continue;
        }
        const auto m = numbered.match(line);
        if (!m.hasMatch())
            continue;
        const QString head = m.captured(3).section(u'\t', 0, 0);
        const QStringList names = head.split(u':');
        for (qsizetype k = 0; k + 1 < names.size(); ++k)
            check.placed.try_emplace(names[k],
                                     LabelCheck::Place{m.captured(1).mid(2, 4), m.captured(2).toInt()});
    }
    for (const QString &line : report.split(u"\r\n"_qs))
        if (const auto m = errorLine.match(line); m.hasMatch())
            check.errors.emplace(m.captured(1).toInt(), m.captured(2));
    return check;
}

bool hasError(const LabelCheck &check, int line, const QString &message)
{
    const auto [from, to] = check.errors.equal_range(line);
    return std::any_of(from, to, [&](const auto &e) { return e.second == message; });
}

// Random statements: instructions, data, jumps to labels, variables (some named like mnemonics,
// which pass 1 and pass 2 read differently), labels with EQU values, ORG, comments, label-only
// lines, and labels holding characters no operand can name.
QString randomProgram(QRandomGenerator &random)
{
    const auto pick = [&](std::initializer_list<const char *> items) {
        return QString::fromUtf8(*(items.begin() + random.bounded(static_cast<int>(items.size()))));
    };
    const auto label = [&] { return u"L%1"_qs.arg(random.bounded(30)); };
    const auto variable = [&] { return pick({"V1", "V2", "V3", "DA", "RL", "SWAP", "CNT"}); };
    QString text;
    const int count = random.bounded(20, 120);
    for (int i = 0; i < count; ++i) {
        switch (random.bounded(10)) {
        case 0:
            text += label() + u":"_qs;
            break;
        case 1:
            text += pick({"A,B", "X,Y", "P,L1", "Q ,R", "M，N"}) + u":"_qs;
            break;
        case 2:
            text += label() + u": "_qs;
            break;
        default:
            break;
        }
        switch (random.bounded(16)) {
        case 0:
            text += u" ; note"_qs;
            break;
        case 1:
            text += u" "_qs + variable() + u" EQU "_qs + pick({"R1", "30H", "5", "A", "DA"});
            break;
        case 2:
            text += u" ORG 0%1H"_qs.arg(random.bounded(0x800), 0, 16).toUpper();
            break;
        case 3:
            text += u" DB 1,'AB',"_qs + QString::number(random.bounded(256));
            break;
        case 4:
            text += u" MOV A,"_qs + variable();
            break;
        case 5:
            text += u" "_qs + variable() + u" A"_qs;
            break;
        case 6:
            text += u" "_qs + pick({"SJMP", "AJMP", "LJMP", "JZ", "ACALL"}) + u" "_qs + label();
            break;
        case 7:
            text += u" DJNZ R2,"_qs + label();
            break;
        case 8:
            text += u" MOV DPTR,#"_qs + label();
            break;
        case 9:
            text += u" EQU "_qs + QString::number(random.bounded(0x100));
            break;
        case 10:
            text += pick({" MOV,A", " XYZ 1,2", " ,,", " CJNE A,#1,L3"});
            break;
        default:
            text += pick({" NOP", " MOV A,#12H", " INC R3", " MOVX @DPTR,A", " LCALL 1234H"});
            break;
        }
        text += u"\r\n"_qs;
    }
    return text;
}

} // namespace

// After pass 2 every label stands where pass 1 put it, or its line carries an error: a run
// never succeeds with code that jumps to the wrong place.
TEST(Assembly, LabelsStandWherePassOnePutThem)
{
    // A comma cannot be part of a label: an error on its line, and both passes go on alike.
    AsmRun comma(u"A,B:\tMOV\tA,#1\r\nX:\tSJMP\tX\r\n"_qs);
    comma.assemble();
    EXPECT_EQ(comma.bytes(QStringLiteral("bin")).toHex(), QByteArray("740180fe"));
    EXPECT_EQ(comma.result.errorCount, 1);
    EXPECT_TRUE(decodeText(comma.bytes(QStringLiteral("err"))).text.contains(u"第 1行\t操作数非法"_qs));
    AsmRun comma48(u"A,B:\tMOV\tA,#1\r\nX:\tJMP\tX\r\n"_qs);
    comma48.assemble(true);
    EXPECT_EQ(comma48.bytes(QStringLiteral("bin")).toHex(), QByteArray("23010402"));
    EXPECT_EQ(comma48.result.errorCount, 1);

    QRandomGenerator random(0x51AB);
    int matched = 0, moved = 0;
    for (int round = 0; round < 200; ++round) {
        const QString program = randomProgram(random);
        SCOPED_TRACE(program.toStdString());
        AsmRun run(program);
        if (!run.assemble().completed)
            continue; // an address error: nothing written
        const LabelCheck check = readLabels(decodeText(run.bytes(QStringLiteral("lst"))).text,
                                            decodeText(run.bytes(QStringLiteral("err"))).text);
        for (const auto &[name, place] : check.placed) {
            SCOPED_TRACE(name.toStdString());
            const auto listed = check.listed.find(name);
            if (listed == check.listed.end()) {
                EXPECT_TRUE(hasError(check, place.line, u"操作数非法"_qs)) << place.line;
                continue;
            }
            if (place.addressField.trimmed().isEmpty())
                continue; // on an EQU or ORG line
            const bool same = place.addressField == listed->second;
            EXPECT_EQ(hasError(check, place.line, u"标号地址错误"_qs), !same) << place.line;
            ++(same ? matched : moved);
        }
    }
    // Both kinds were met: the statements do make the passes disagree now and then.
    EXPECT_GT(matched, 1000);
    EXPECT_GT(moved, 20);
}

// The report is written in the source's encoding, every line of it: the numbers, the line texts
// and each message, the same message many times over.
TEST(Assembly, ErrorReportInTheSourcesEncoding)
{
    const QString source = u"; 中文注释\r\n XYZ\r\nL: NOP\r\nL: NOP\r\n XYZ 1\r\n"_qs;
    for (const bool mcs48 : {false, true}) {
        const QString opcode = mcs48 ? u"操作码非法"_qs : u"操作码错误"_qs;
        const QString expected =
            u"    汇编过程发现 4处错误。\r\n\r\n 1\t第 2行\t"_qs + opcode +
            u"\r\n 2\t第 3行\t标号重复定义\r\n 3\t第 4行\t标号重复定义\r\n 4\t第 5行\t"_qs + opcode +
            u"\r\n\r\n"_qs;
        for (const TextEncoding encoding : {TextEncoding::Gbk, TextEncoding::Utf8}) {
            SCOPED_TRACE(::testing::Message() << (mcs48 ? "MCS-48, encoding " : "MCS-51, encoding ")
                                              << static_cast<int>(encoding));
            AsmRun run(encodeText(source, encoding));
            ASSERT_TRUE(run.assemble(mcs48).completed) << run.result.failureMessage.toStdString();
            EXPECT_EQ(run.result.errorCount, 4);
            EXPECT_EQ(run.bytes(QStringLiteral("err")), encodeText(expected, encoding));
        }
    }
    AsmRun clean(encodeText(u"; 中文\r\n NOP\r\n"_qs, TextEncoding::Utf8));
    ASSERT_TRUE(clean.assemble().completed);
    EXPECT_EQ(clean.bytes(QStringLiteral("err")),
              encodeText(u"    汇编成功，没有发现错误！\r\n"_qs, TextEncoding::Utf8));
}

TEST(Assembly, TidiedSourceAssemblesTheSame)
{
    const QString golden = twtest::dataPath(QStringLiteral("assembler/golden/51-program/prog."));
    AsmRun run(twtest::readBytes(golden + u"asm"_qs));
    ASSERT_TRUE(tidySourceFile(run.source));
    run.assemble();
    EXPECT_EQ(run.bytes(QStringLiteral("bin")), twtest::readBytes(golden + u"bin"_qs));
}

// Quoted text reaches the a51 copy with its blanks. DB cannot hold them: an item that a blank cuts
// out of a quoted text is illegal, one that only a comma cuts is read as a number, as any item.
TEST(Assembly, QuotedTextKeepsItsBlanksAndDbReportsItsPieces)
{
    AsmRun run(u" org 0100h\r\n db 'Hello, world',0\r\n db 'HELLO WORLD'\r\n db 'A,B'\r\n"
               u" db 'AB',0dh\r\n"_qs);
    ASSERT_TRUE(run.assemble().completed);
    EXPECT_EQ(run.bytes(QStringLiteral("a51")),
              encodeText(u"\tORG\t0100H\r\n\tDB\t'HELLO, WORLD',0\r\n\tDB\t'HELLO WORLD'\r\n"
                         u"\tDB\t'A,B'\r\n\tDB\t'AB',0DH\r\n\tEND\r\n\r\n"_qs));
    EXPECT_EQ(decodeText(run.bytes(QStringLiteral("err"))).text,
              u"    汇编过程发现 6处错误。\r\n\r\n"
              u" 1\t第 2行\t操作数非法\r\n 2\t第 2行\t操作数非法\r\n"
              u" 3\t第 3行\t操作数非法\r\n 4\t第 3行\t操作数非法\r\n"
              u" 5\t第 4行\t操作数越界\r\n 6\t第 4行\t操作数越界\r\n\r\n"_qs);
    // One byte for each rejected piece, so the addresses after them stay where the sizer put them.
    EXPECT_EQ(run.bytes(QStringLiteral("bin")).mid(0x100).toHex(), QByteArray("0000000000000041420d"));
}

// The word ORG and the EQU statements leave the listing's address field blank; ORG written as 起点
// keeps the address it stands at, which the simulator's listing pane reads.
TEST(Assembly, OrgAliasKeepsItsAddressInTheListing)
{
    AsmRun run(u" org 0100h\r\n nop\r\n起点 0200H\r\n nop\r\nX EQU 5\r\n"_qs);
    ASSERT_TRUE(run.assemble().completed);
    const QStringList lines = splitLines(decodeText(run.bytes(QStringLiteral("lt"))).text);
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[1], u"        \t       \t 1\t\tORG\t0100H"_qs);
    EXPECT_EQ(lines[3], u"  0101  \t       \t 3\t\t起点\t0200H"_qs);
    EXPECT_EQ(lines[4], u"  0200  00\t     \t 4\t\tNOP"_qs);
    EXPECT_TRUE(lines[5].startsWith(u"        \t"_qs)) << lines[5].toStdString();
    EXPECT_EQ(run.bytes(QStringLiteral("bin")), QByteArray(0x201, '\0')); // two NOPs, at 0100H and 0200H
}

TEST(Assembly, HeadlessDriver)
{
    QTemporaryDir dir;
    const struct {
        const char *command, *name, *text;
        int exitCode;
        QString line;
    } cases[] = {
        {"asm51", "good.asm", "start: sjmp start\r\n", 0, u"汇编成功，没有发现错误！"_qs},
        {"asm51", "bad.asm", " xyz\r\n", 1, u"汇编过程发现 1处错误。"_qs},
        {"asm51", "fatal.asm", "X EQU\r\n", 2, u"汇编失败，EQU语句缺操作数！"_qs},
        {"asm48", "g48.ASM", "START: JMP START\r\n", 0, u"汇编成功，没有发现错误！"_qs},
        {"asm48", "far.asm", " ORG 0FFFFH\r\n DB 1,2\r\n", 2, u"第 2行地址错误！"_qs},
        {"asm48", "notes.txt", " NOP\r\n", 2, u"待汇编的文件不是汇编语言源程序！"_qs},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        twtest::writeBytes(path, c.text);
        const twtest::ProcessResult run = twtest::runDriver({QString::fromLatin1(c.command), path});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(QString::fromUtf8(run.out).trimmed(), c.line) << c.name;
    }
    EXPECT_EQ(twtest::readBytes(dir.filePath(QStringLiteral("good.bin"))).toHex(), QByteArray("80fe"));
}

// The fixed texts every run writes, spelled out as bytes, are what the converter makes of them.
TEST(Assembly, FixedOutputTextsSpelledOutAsTheConverterWritesThem)
{
    for (const TextEncoding encoding : {TextEncoding::Gbk, TextEncoding::Utf8}) {
        EXPECT_EQ(listingCreditBytes(encoding), encodeText(listingCreditLine(), encoding));
        for (const int errors : {0, 1, 1000000})
            EXPECT_EQ(errorReportHeadingBytes(errors, encoding),
                      encodeText(errorReportHeading(errors), encoding))
                << errors;
    }
}
