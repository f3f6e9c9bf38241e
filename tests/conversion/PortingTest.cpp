// Porting MCS-48 source to MCS-51: single lines against their expected 8051 text, the report and
// the question, the name guards, and a corpus of 8048 programs whose ported text our MCS-51
// assembler accepts without an error.
#include "ConversionTestSupport.h"
#include "assembler/AssemblyRun.h"
#include "common/TextFile.h"
#include "conversion/Porting48.h"
#include "isa/Mcs48.h"

#include <QDirIterator>
#include <QFileInfo>

#include <map>

using namespace tw;

namespace
{

const QString kHeaderFirstLine = u";由MCS48源程序转换得MCS51程序\r\n"_qs;
const QString kClean = u"    转换成功，没有发现问题！\r\n"_qs;

// The ported lines without the four header lines.
QString body(const PortResult &result)
{
    return result.ported.section(u"\r\n"_qs, 4);
}

QString portLine(const QString &line, QString *report = nullptr)
{
    const PortResult result = portSource48({line});
    if (report)
        *report = result.report;
    return body(result);
}

QString errorReport(const QStringList &lines)
{
    QString text = u"    转换过程发现"_qs + u' ' + QString::number(lines.size()) + u"处不能转换。\r\n\r\n"_qs;
    for (const QString &line : lines)
        text += line + u"\r\n"_qs;
    return text + u"\r\n"_qs;
}

// An MCS-48 line for a row of the instruction table, operands in Intel's spelling: "TCNTI" and
// "TCNT" where this system's 8048 assembler writes TCHTI and TCHT. A jump's target is the line
// itself, so that every relative jump of the ported program is in range.
QString line48(std::string_view mnemonic, const mcs48::OpcodeRow &row)
{
    using mcs48::Operand;
    const QString label = u"T%1"_qs.arg(row.opcode, 2, 16, QChar(u'0')).toUpper();
    QString text =
        label + u":\t"_qs + QString::fromLatin1(mnemonic.data(), static_cast<qsizetype>(mnemonic.size()));
    for (std::size_t i = 0; i < row.operands.size() && row.operands[i] != Operand::None; ++i) {
        text += i == 0 ? u'\t' : u',';
        switch (row.operands[i]) {
        case Operand::Rn:
            text += u"R"_qs + QString::number(row.opcode & 7);
            break;
        case Operand::AtRi:
            text += u"@R"_qs + QString::number(row.opcode & 1);
            break;
        case Operand::Pp:
            text += u"P"_qs + QString::number(4 + (row.opcode & 3));
            break;
        case Operand::Imm:
            text += u"#12H"_qs;
            break;
        case Operand::Page:
        case Operand::Addr11:
            text += label;
            break;
        case Operand::Tcnti:
            text += u"TCNTI"_qs;
            break;
        case Operand::Tcnt:
            text += u"TCNT"_qs;
            break;
        default:
            text += QString::fromLatin1(mcs48::operandName(row.operands[i]).data());
        }
    }
    return text;
}

} // namespace

namespace
{

} // namespace

TEST(Porting, SixLineExample)
{
    const PortResult result =
        portSource48({u"START:\tJMP\tMAIN\t; go"_qs, u"\tORL\tBUS,#0FH"_qs, u"\tMOVD\tP4,A"_qs,
                      u"\tIN\tA,P1"_qs, u"\tDJNZ\t@R1,LOOP"_qs, u"\tEND"_qs, u"\tNOT READ"_qs});
    EXPECT_TRUE(result.ported.startsWith(kHeaderFirstLine));
    EXPECT_EQ(result.ported.count(u"\r\n"_qs), 4 + 7 + 1);
    EXPECT_EQ(body(result), u"START:\tLJMP  MAIN\r\n\tORL  P0,#0FH\r\n\t;\tMOVD\tP4,A\r\n\tMOV  A,P1\r\n"
                            u"\tDEC @R1\r\nCJNE @R1,#00H,LOOP\r\n\tEND\r\n\r\n"_qs);
    EXPECT_EQ(result.errorCount, 1);
    EXPECT_EQ(result.report, errorReport({u" 1\t第 3行\t对8243扩展芯片的操作"_qs}));
}

TEST(Porting, LinesOneByOne)
{
    const std::pair<const char16_t *, const char16_t *> kept[] = {
        {u"\tRETR", u"RETI"},
        {u"L1:\tRETR", u"L1:\tRETI"},
        {u"\tRETR;x", u"\tRETR;x"},
        {u"\tSEL\tRB1", u"\tSETB RS0"},
        {u"\tEN\tTCNTI", u"\tSETB EA\r\nSETB ET0"},
        {u"\tSTRT\tCNT", u"\tMOV TMOD,#06H\r\nSETB TR0"},
        {u"\tJB3\tL", u"\tJB ACC.3,L"},
        {u"\tJNT0\tL", u"\tJNB T0,  L"},
        {u"\tMOV\tA,T", u"\tMOV A,TL0"},
        {u"\tOUTL\tP1,A", u"\tMOV P1,A"},
        {u"\tIN\tA,BUS", u"\tMOV  A,P0"},
        {u"\tCLR\tAH", u"\tANL A,#0FH"},
        {u"lp: djnz r3 , lp ; keep", u"lp: djnz r3 , lp ; keep"},
        {u"x：\tcall\tfar", u"X:\tLCALL  FAR"},
        {u"\tmov a , @r0", u"\tmov a , @r0"},
        {u"\tEND AGAIN", u"\tEND AGAIN"},
    };
    for (const auto &[source, ported] : kept) {
        SCOPED_TRACE(QString::fromUtf16(source).toStdString());
        QString report;
        EXPECT_EQ(portLine(QString::fromUtf16(source), &report), QString::fromUtf16(ported) + u"\r\n\r\n"_qs);
        EXPECT_EQ(report, kClean);
    }

    const std::tuple<const char16_t *, const char16_t *, const char16_t *> refused[] = {
        {u"\tCLR\tF1", u"\t;\tCLR\tF1", u"MCS51无F1标志"},
        {u"ABC\tEQU\t5", u"\t;ABC\tEQU\t5", u"操作码错误 "},
        {u"\tMOV\tA,PC", u"\t;\tMOV\tA,PC", u"对程序指针PC的操作"},
        {u"\tMOVP3\tA,@A", u"\t;\tMOVP3\tA,@A", u"对程序指针PC的操作"},
        {u"\tSEL\tMB1", u"\t;\tSEL\tMB1", u"MCS51无此功能"},
        {u"\tENT0\tCLK", u"\t;\tENT0\tCLK", u"MCS51无此功能"},
        {u"\tJF1\tL", u"\t;\tJF1\tL", u"MCS51无F1标志"},
        {u"\tORL\tR0,#1", u"\t;\tORL\tR0,#1", u"操作数错误"},
        {u"\tOUTL\tP4,A", u"\t;\tOUTL\tP4,A", u"操作数错误"},
        // The page jump through the accumulator has no 8051 text; it is refused, not mangled.
        {u"L:\tJMPP\t@A", u"L:\t;L:\tJMPP\t@A", u"对程序指针PC的操作"},
        // An operand left out is an error, never an operand of an earlier line.
        {u"\tJMP", u";\tJMP", u"操作数错误"},
        {u"\tIN\tA", u"\t;\tIN\tA", u"操作数错误"},
        {u"\tJB5", u";\tJB5", u"操作数错误"},
    };
    for (const auto &[source, ported, message] : refused) {
        SCOPED_TRACE(QString::fromUtf16(source).toStdString());
        QString report;
        EXPECT_EQ(portLine(QString::fromUtf16(source), &report), QString::fromUtf16(ported) + u"\r\n\r\n"_qs);
        EXPECT_EQ(report, errorReport({u" 1\t第 1行\t"_qs + QString::fromUtf16(message)}));
    }

    // Translated with the first operand, and the extra one reported.
    QString report;
    EXPECT_EQ(portLine(u"\tJMP\tL1,L2"_qs, &report), u"\tLJMP  L1\r\n\r\n"_qs);
    EXPECT_EQ(report, errorReport({u" 1\t第 1行\t操作数过多"_qs}));
}

TEST(Porting, OperandsDoNotLeakIntoTheNextLine)
{
    const PortResult result =
        portSource48({u"\tIN\tA,P1"_qs, u"\tIN\tA"_qs, u"\tCALL\tSUB"_qs, u"\tCALL"_qs});
    EXPECT_EQ(body(result), u"\tMOV  A,P1\r\n\t;\tIN\tA\r\n\tLCALL  SUB\r\n;\tCALL\r\n\r\n"_qs);
    EXPECT_EQ(result.report, errorReport({u" 1\t第 2行\t操作数错误"_qs, u" 2\t第 4行\t操作数错误"_qs}));
}

TEST(Porting, BlankLinesLabelsAndTheEnd)
{
    // Nothing to port: the header and the closing line end.
    for (const QStringList &lines : {QStringList{}, QStringList{u""_qs, u"   "_qs}}) {
        const PortResult empty = portSource48(lines);
        EXPECT_EQ(empty.ported.count(u"\r\n"_qs), 5);
        EXPECT_TRUE(empty.ported.endsWith(u"\r\n\r\n"_qs));
        EXPECT_EQ(empty.report, kClean);
    }
    // Blank lines are not counted; a line of tabs is counted but writes nothing; a label alone
    // stays so that jumps to it still land.
    const PortResult result = portSource48({u""_qs, u"\t\t"_qs, u"  "_qs, u"HERE:"_qs, u"  THERE: "_qs,
                                            u"\tMOVD\tA,P4"_qs, u"\tend"_qs, u"\tMOVD\tA,P5"_qs});
    EXPECT_EQ(body(result), u"HERE:\r\n  THERE: \r\n\t;\tMOVD\tA,P4\r\n\tend\r\n\r\n"_qs);
    EXPECT_EQ(result.report, errorReport({u" 1\t第 4行\t对8243扩展芯片的操作"_qs}));
}

using PortingFiles = twtest::FolderTest;

TEST_F(PortingFiles, WritesBothFilesAndAsks)
{
    const QString source = path(u"p48.asm"_qs);
    twtest::writeBytes(source, "\tSEL\tRB0\n\tMOVD\tP4,A\n\tSEL\tMB0\n");
    prompter.answerMessage(MsgAnswer::No);
    const CarriedOut carried = carry(portSourceFile(source, path(u"p51.asm"_qs)));
    EXPECT_EQ(carried.result, WriteResult::Written);
    EXPECT_FALSE(carried.openRequested);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u"转换过程发现 2处不能转换。\r\n打开转换后的程序吗？"_qs);
    EXPECT_EQ(prompter.calls()[0].style, 52);
    EXPECT_EQ(prompter.calls()[0].title, u"编译信息"_qs);
    EXPECT_EQ(readTextFile(path(u"p51.err"_qs))->text,
              errorReport({u" 1\t第 2行\t对8243扩展芯片的操作"_qs, u" 2\t第 3行\tMCS51无此功能"_qs}));
    const QString ported = readTextFile(path(u"p51.asm"_qs))->text;
    EXPECT_TRUE(ported.startsWith(kHeaderFirstLine));
    EXPECT_TRUE(ported.endsWith(u"\tCLR RS0\r\n\t;\tMOVD\tP4,A\r\n\t;\tSEL\tMB0\r\n\r\n"_qs));

    // A clean run asks the other question, once the user agrees to replace the files of the last.
    prompter.clearCalls();
    twtest::writeBytes(source, "\tNOP\r\n");
    EXPECT_TRUE(carry(portSourceFile(source, path(u"p51.asm"_qs))).openRequested);
    EXPECT_EQ(prompter.messageTexts(), (QStringList{u"文件已存在！\r\n"_qs + path(u"p51.asm"_qs) +
                                                        u"\r\n"_qs + path(u"p51.err"_qs) + u"\r\n覆盖吗？"_qs,
                                                    u"转换成功，没有发现问题！\r\n打开转换后程序吗？"_qs}));
    EXPECT_EQ(readTextFile(path(u"p51.err"_qs))->text, kClean);

    // Full-width marks and a UTF-8 comment survive in the file's own encoding.
    twtest::writeBytes(source, QStringLiteral(u"\tRET；返回\r\n标号：\tRETR\r\n").toUtf8());
    carry(portSourceFile(source, path(u"u51.asm"_qs)));
    EXPECT_TRUE(twtest::readBytes(path(u"u51.asm"_qs))
                    .endsWith(QStringLiteral(u"\tRET；返回\r\n标号:\tRETI\r\n\r\n").toUtf8()));
}

TEST_F(PortingFiles, NeverWritesOverItsSource)
{
    const QString source = path(u"prog.asm"_qs);
    twtest::writeBytes(source, "\tNOP\r\n");
    const QString err = path(u"prog.err"_qs);
    twtest::writeBytes(err, "keep");
    const struct {
        QString source, output, message;
    } cases[] = {
        {source, dir.path() + u"/./prog.asm"_qs, u"移植后的文件不可以与待移植的文件同名！"_qs},
        // The report would land on the source.
        {err, path(u"prog.asm"_qs), u"出错报告文件不可以与待移植的文件或移植后的文件同名！"_qs},
        // The report would land on the output.
        {source, path(u"x.err"_qs), u"出错报告文件不可以与待移植的文件或移植后的文件同名！"_qs},
    };
    for (const auto &c : cases) {
        prompter.clearCalls();
        EXPECT_FALSE(written(portSourceFile(c.source, c.output)));
        EXPECT_EQ(prompter.messageTexts(), QStringList{c.message});
    }
    EXPECT_EQ(twtest::readBytes(source), QByteArray("\tNOP\r\n"));
    EXPECT_EQ(twtest::readBytes(err), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo::exists(path(u"x.err"_qs)));
}

// Real-looking 8048 programs: what the report does not list is ported, and the whole output,
// the lines left to the programmer as comments, is a program our MCS-51 assembler takes.
TEST_F(PortingFiles, CorpusAssemblesAsMcs51)
{
    // The report's lines of the programs with lines no MCS-51 text replaces.
    const std::map<QString, QStringList> leftOut = {
        {u"display.asm"_qs, {u" 1\t第 20行\t对程序指针PC的操作"_qs}},
        {u"keypad.asm"_qs, {u" 1\t第 36行\t对程序指针PC的操作"_qs}},
    };
    int programs = 0;
    QDirIterator it(twtest::dataPath(u"conversion/port48"_qs), {u"*.asm"_qs}, QDir::Files);
    while (it.hasNext()) {
        const QString source = it.next();
        SCOPED_TRACE(source.toStdString());
        ++programs;
        const QString output = path(QFileInfo(source).baseName() + u"51.asm"_qs);
        ASSERT_TRUE(written(portSourceFile(source, output)));
        const auto expected = leftOut.find(QFileInfo(source).fileName());
        if (expected == leftOut.end()) {
            EXPECT_EQ(readTextFile(portReportPath(output))->text, kClean);
        } else {
            EXPECT_EQ(readTextFile(portReportPath(output))->text, errorReport(expected->second));
        }
        const AssemblyResult assembled =
            assembleFile(AsmCpu::Mcs51, output, output.left(output.size() - 3) + u"bin"_qs);
        EXPECT_TRUE(assembled.completed) << assembled.failureMessage.toStdString();
        EXPECT_EQ(assembled.errorCount, 0) << readTextFile(assembled.paths.errorReport)->text.toStdString();
    }
    EXPECT_GE(programs, 7);
}

// Every form of the MCS-48 instruction table, under its mnemonic or the assembler's second one,
// either ports into text our MCS-51 assembler takes, or is refused for a reason the report names.
TEST_F(PortingFiles, EveryFormOfTheTablePortsOrIsRefusedOnPurpose)
{
    const QString expander = u"对8243扩展芯片的操作"_qs, pc = u"对程序指针PC的操作"_qs;
    const QString noF1 = u"MCS51无F1标志"_qs, noFeature = u"MCS51无此功能"_qs;
    std::map<int, QString> expectedRefusals = {
        {0x22, pc}, {0x66, noF1}, {0x75, noFeature}, {0x76, noF1}, {0xA3, pc},        {0xA5, noF1},
        {0xB3, pc}, {0xB5, noF1}, {0xD6, pc},        {0xE3, pc},   {0xE5, noFeature}, {0xF5, noFeature},
    };
    for (int opcode : {0x0C, 0x3C, 0x8C, 0x9C})
        for (int port = 0; port < 4; ++port)
            expectedRefusals[opcode + port] = expander;

    std::map<int, QString> refusals;
    QStringList ported;
    int forms = 0;
    for (const mcs48::OpcodeRow &row : mcs48::kOpcodes) {
        if (!row.defined())
            continue;
        ++forms;
        bool done = false;
        for (std::string_view mnemonic : {row.mnemonic, row.alias}) {
            if (mnemonic.empty() || done)
                continue;
            const QString source = line48(mnemonic, row);
            const PortResult result = portSource48({source});
            SCOPED_TRACE(source.toStdString());
            if (result.errorCount == 0) {
                ported << body(result).chopped(4);
                done = true;
            } else if (!result.report.contains(u"操作码错误"_qs)) {
                ASSERT_EQ(result.errorCount, 1);
                refusals[row.opcode] = result.report.section(u'\t', -1).trimmed();
                done = true;
            }
        }
        EXPECT_TRUE(done) << "no porting rule for opcode " << row.opcode;
    }
    EXPECT_EQ(forms, 240);
    EXPECT_EQ(refusals, expectedRefusals);

    // All that was ported is one MCS-51 program.
    const QString output = path(u"forms51.asm"_qs);
    twtest::writeBytes(output, (ported.join(u"\r\n"_qs) + u"\r\n\tEND\r\n"_qs).toUtf8());
    const AssemblyResult assembled = assembleFile(AsmCpu::Mcs51, output, path(u"forms51.bin"_qs));
    ASSERT_TRUE(assembled.completed) << assembled.failureMessage.toStdString();
    EXPECT_EQ(assembled.errorCount, 0) << readTextFile(assembled.paths.errorReport)->text.toStdString();
    EXPECT_EQ(ported.size(), forms - static_cast<int>(expectedRefusals.size()));
}
