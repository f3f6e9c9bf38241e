#include "Mcs51TestSupport.h"
#include "assembler/mcs51/JumpTargets.h"
#include "isa/Mcs51.h"

#include <gtest/gtest.h>
#include <random>

using namespace Qt::StringLiterals;
using namespace tw;
using namespace tw::mcs51;

namespace
{

struct Outcome {
    QString code; // without the trailing TAB
    QStringList errors;
    int length = 0;
};

class Encoder51 : public ::testing::Test
{
  protected:
    Encoder51()
    {
        labels.define(u"TABLE"_s, 0x1234);
        labels.define(u"FACH"_s, 0x0100); // reads as the number FACH
        labels.define(u"BACK"_s, 0x0100);
        vars.set(u"COUNT"_s, u"30H"_s);
        vars.set(u"LED"_s, u"P1.0"_s);
        vars.set(u"TEXT"_s, u"'OK'"_s);
    }

    Outcome encode(const QString &line, long long pc = 0x200)
    {
        const twtest::Statement s = twtest::parseStatement(line);
        twtest::RecordingSink sink;
        EncodeContext ctx{*image, labels, vars, sink};
        const Encoded encoded = encodeStatement(pc, s.word, s.rest, ctx);
        QString code = encoded.codeField;
        // A TAB closes a code field shorter than eight characters, and only such a field.
        const bool tab = code.endsWith(u'\t');
        if (tab)
            code.chop(1);
        EXPECT_EQ(tab, code.size() < 8) << line.toStdString();
        return {code, sink.messages, encoded.length};
    }

    std::unique_ptr<tw::CodeImage> image = std::make_unique<tw::CodeImage>();
    LabelTable labels;
    VariableTable vars;
};

struct Case {
    const char16_t *line;
    const char16_t *code;
    const char16_t *error; // nullptr: none
};

} // namespace

#define EXPECT_CASES(...)                                                                                    \
    for (const Case &c : std::initializer_list<Case>{__VA_ARGS__}) {                                         \
        const QString line = QString::fromUtf16(c.line);                                                     \
        const Outcome out = encode(line);                                                                    \
        EXPECT_EQ(out.code, QString::fromUtf16(c.code)) << line.toStdString();                               \
        EXPECT_EQ(out.errors, c.error ? QStringList{QString::fromUtf16(c.error)} : QStringList())            \
            << line.toStdString();                                                                           \
    }

TEST_F(Encoder51, AcceptedFormsGiveTheChipsBytes)
{
    EXPECT_CASES({u"\tNOP", u"00", nullptr}, {u"\tRET", u"22", nullptr}, {u"\tRETI", u"32", nullptr},
                 {u"\tORG\t100H", u"", nullptr}, {u"\tEND", u"", nullptr}, {u"\tEQU\t5", u"", nullptr},
                 {u"\tSJMP\t$", u"80FE", nullptr}, {u"\tJB\tP1.0,$", u"2090FD", nullptr},
                 {u"\tCJNE\tA,#10,$", u"B40AFD", nullptr}, {u"\tDJNZ\tR2,$", u"DAFE", nullptr},
                 {u"\tJMP\t@A+DPTR", u"73", nullptr}, {u"\t散转\t@A+DPTR", u"73", nullptr},
                 {u"\tAJMP\t0123H", u"2123", nullptr}, {u"\tACALL\t0123H", u"3123", nullptr},
                 {u"\tLCALL\t1234H", u"121234", nullptr}, {u"\tMOV\tDPTR,#TABLE", u"901234", nullptr},
                 {u"\tMOV\tDPTR,#0FFFFH", u"90FFFF", nullptr}, {u"\tMOV\t30H,40H", u"854030", nullptr},
                 {u"\tMOV\t30H,C", u"9230", nullptr}, {u"\tMOV\tC,P1.0", u"A290", nullptr},
                 {u"\tMOV\tA,ACC", u"E5E0", nullptr}, {u"\tMOV\tA,A", u"E5E0", nullptr},
                 {u"\tPUSH\tACC", u"C0E0", nullptr}, {u"\tPUSH\tA", u"C0E0", nullptr},
                 {u"\tADD\tA,A", u"25E0", nullptr}, {u"\tANL\tC,/P1.0", u"B090", nullptr},
                 {u"\tORL\tC,P1.0", u"7290", nullptr}, {u"\tMUL\tAB", u"A4", nullptr},
                 {u"\tMOVX\t@DPTR,A", u"F0", nullptr}, {u"\tINC\tDPTR", u"A3", nullptr},
                 {u"\tDB\t'AB',0DH", u"41420D", nullptr}, {u"\tDB\t1,,2", u"0102", nullptr},
                 {u"\tDW\t1234H,5", u"12340005", nullptr}, {u"\tMOV\tA,#COUNT", u"7430", nullptr},
                 {u"\tMOV\tCOUNT,#0FFH", u"7530FF", nullptr}, {u"\tSETB\tLED", u"D290", nullptr},
                 {u"\tCPL\tC", u"B3", nullptr}, {u"\tCLR\tA", u"E4", nullptr},
                 {u"\t清零\tTF2", u"C2CF", nullptr}, {u"\tDJNZ\tA,$", u"D5E0FD", nullptr},
                 {u"\tDB\tTEXT", u"4F4B", nullptr}, {u"\tINC\t工作寄存器3", u"0B", nullptr},
                 {u"\tLJMP\t$", u"020200", nullptr}, {u"\tAJMP\t$", u"4100", nullptr});
}

TEST_F(Encoder51, RejectedOperandsAreReportedOnceAndStillEncoded)
{
    EXPECT_CASES({u"\tJMP\tLOOP", u"73", u"操作数非法"}, {u"\tMOV\tDPTR,#70000", u"0000", u"操作数越界"},
                 {u"\tMOV\tDPTR,1234H", u"0000", u"操作数非法"}, {u"\tMOV\tR7,#300", u"0000", u"操作数越界"},
                 {u"\tMOV\t30H,#300", u"000000", u"操作数越界"}, {u"\tMOV\tA,#", u"0000", u"操作数越界"},
                 {u"\tMOV\tA,#LOOP", u"0000", u"操作数越界"}, {u"\tANL\t30H,R0", u"0000", u"操作数非法"},
                 {u"\tXRL\t30H,R0", u"00", u"操作数非法"}, {u"\tMUL\tA", u"A4", u"操作数非法"},
                 {u"\tRR\tB", u"03", u"操作数非法"}, {u"\tMOVX\tR0,A", u"", u"第一操作数错误"},
                 {u"\tMOVX\tA,R0", u"00", u"第二操作数错误"}, {u"\tMOVC\tA,@R0", u"00", u"第二操作数错误"},
                 {u"\tMOVC\tB,@A+PC", u"", u"第一操作数错误"},
                 {u"\tCJNE\tR3,20H,L1", u"BB0000", u"操作数非法"},
                 {u"\tCJNE\tA,#300,$", u"B40000", u"操作数越界"}, {u"\tCJNE\t30H,#1,$", u"", u"操作数非法"},
                 {u"\tCJNE\tA,#1", u"000000", u"缺少操作数"}, {u"\tDEC\tDPTR", u"1500", u"操作数越界"},
                 {u"\tDB\t300", u"00", u"操作数越界"}, {u"\tDB\t'", u"00", u"操作数非法"},
                 {u"\tDB\t'AB", u"00", u"操作数非法"}, {u"\tDB\t'中'", u"00", u"操作数非法"},
                 {u"\tDW\tLOOP", u"0000", u"操作数越界"}, {u"\tXYZ\t1", u"000000", u"操作码错误"},
                 {u"\tSJMP\tLOOP", u"8000", u"标号未定义"}, {u"\tSJMP", u"8000", u"缺少操作数"},
                 {u"\tLJMP\t10000H", u"020000", u"标号未定义"}, {u"\tLCALL", u"120000", u"缺少操作数"},
                 {u"\tAJMP", u"0100", u"缺少操作数"}, {u"\tACALL", u"1100", u"缺少操作数"},
                 {u"\tPUSH", u"C000", u"缺少操作数"}, {u"\tJB\tP1.0", u"200000", u"缺少操作数"},
                 {u"\tMOV\tA", u"", u"缺少操作数"}, {u"\tADD\tB,#1", u"0000", u"操作数非法"},
                 {u"\tADD\tA", u"0000", u"缺少操作数"}, {u"\tXCH\tB,A", u"0000", u"操作数非法"},
                 {u"\tXCHD\tA,R0", u"0000", u"操作数非法"}, {u"\tCLR", u"00", u"缺少操作数"},
                 {u"\tSETB\tA", u"D200", u"操作数越界"}, {u"\tSETB\tIE.6", u"D200", u"操作数越界"},
                 {u"\tMOV\tA,B,C", u"E5F0", u"操作数过多"}, {u"\tINC", u"00", u"缺少操作数"});
}

TEST_F(Encoder51, AcceptedFormsAreAsLongAsTheSizerSays)
{
    for (const char16_t *line : {u"\tMOV\tA,A", u"\tDJNZ\tACC,$", u"\tMOV\tDPTR,#TABLE", u"\tDB\tTEXT,1",
                                 u"\tDW\t1,2,3", u"\tNOP", u"\tORL\tC,/LED", u"\t传送\t工作寄存器1,#1",
                                 u"\tINC\tCOUNT", u"\tCJNE\t@R0,#1,$", u"\tXCH\tA,累加器"}) {
        const Outcome out = encode(QString::fromUtf16(line));
        EXPECT_TRUE(out.errors.isEmpty()) << QString::fromUtf16(line).toStdString();
        EXPECT_EQ(out.length * 2, out.code.size()) << QString::fromUtf16(line).toStdString();
    }
    twtest::RecordingSink sink;
    EncodeContext ctx{*image, labels, vars, sink};
    EXPECT_EQ(encodeStatement(0, u"右循环"_s, u"A"_s, ctx).mnemonic, u"RR");
    EXPECT_EQ(encodeStatement(0, u"DJNE"_s, u"R1,$"_s, ctx).mnemonic, u"DJNZ");
}

TEST_F(Encoder51, NameEquStatementsSetVariablesForLaterStatements)
{
    Outcome out = encode(u"LIMIT\tEQU\t10"_s);
    EXPECT_EQ(out.code, u"");
    EXPECT_TRUE(out.errors.isEmpty());
    ASSERT_NE(vars.find(u"LIMIT"_s), nullptr);
    EXPECT_EQ(*vars.find(u"LIMIT"_s), u"10");
    EXPECT_EQ(encode(u"\tMOV\tA,#LIMIT"_s).code, u"740A");
    encode(u"LIMIT\t等值\t20"_s);
    EXPECT_EQ(encode(u"\tMOV\tA,#LIMIT"_s).code, u"7414");
    encode(u"SW\tBIT\tP3.2"_s);
    EXPECT_EQ(encode(u"\tJNB\tSW,$"_s).code, u"30B2FD");
}

TEST_F(Encoder51, BytesReachTheImageOnlyWithinTheStatementsLength)
{
    (*image)[0x300] = 0x55;
    encode(u"\tXYZ\t1"_s, 0x300); // shows 000000 but has no length
    EXPECT_EQ((*image)[0x300], 0x55);
    const Outcome db = encode(u"\tDB\t'HI',300,7"_s, 0x400);
    EXPECT_EQ(db.length, 4);
    EXPECT_EQ((*image)[0x400], 'H');
    EXPECT_EQ((*image)[0x403], 7);
    EXPECT_EQ(encode(u"\tNOP"_s, 0x500).length, 1);
    EXPECT_EQ(encode(u"\tDB\t1,2"_s, 0xFFFE).length, 2);
    EXPECT_EQ((*image)[0xFFFF], 2);
    EXPECT_THROW(encode(u"\tDB\t1,2"_s, 0xFFFF), tw::AssemblyFailure);
    EXPECT_EQ((*image)[0x10000], 0);
}

TEST_F(Encoder51, FullVariableTableEndsTheRun)
{
    for (int i = vars.count(); i < kMaxVariables; ++i)
        vars.set(u"V"_s + QString::number(i), u"0"_s);
    EXPECT_THROW(encode(u"EXTRA\tEQU\t1"_s), tw::AssemblyFailure);
}

TEST(JumpTargets51, RelativeRangesCountFromTheNextInstruction)
{
    LabelTable labels;
    labels.define(u"AHEAD"_s, 0x100 + 2 + 127);
    labels.define(u"TOOFAR"_s, 0x100 + 2 + 128);
    labels.define(u"BEHIND"_s, 0x100 + 2 - 128);
    labels.define(u"TOOBACK"_s, 0x100 + 2 - 129);
    labels.define(u"FACH"_s, 0x100);
    labels.define(u"H"_s, 0x100 + 2 + 5); // a suffix alone reads no digits: no number, a label
    const struct {
        const char16_t *target;
        int length;
        int offset;
        const char16_t *error;
    } cases[] = {
        {u"AHEAD", 2, 0x7F, nullptr},      {u"TOOFAR", 2, 0, u"转移范围越界"},
        {u"BEHIND", 2, 0x80, nullptr},     {u"TOOBACK", 2, 0, u"转移范围越界"},
        {u"AHEAD", 3, 0x7E, nullptr},      {u"$", 2, 0xFE, nullptr},
        {u"$", 3, 0xFD, nullptr},          {u"0FEH", 2, 0xFE, nullptr},
        {u"100H", 2, 0, u"转移范围越界"},  {u"FACH", 2, 0, u"转移范围越界"},
        {u"NOWHERE", 2, 0, u"标号未定义"}, {u"H", 2, 5, nullptr},
        {u"B", 2, 0, u"标号未定义"},
    };
    for (const auto &c : cases) {
        twtest::RecordingSink sink;
        const QString target = QString::fromUtf16(c.target);
        EXPECT_EQ(relativeOffset(target, 0x100, c.length, labels, sink), c.offset) << target.toStdString();
        EXPECT_EQ(sink.messages, c.error ? QStringList{QString::fromUtf16(c.error)} : QStringList())
            << target.toStdString();
    }
}

TEST(JumpTargets51, PageAndLongTargets)
{
    LabelTable labels;
    labels.define(u"L7F0"_s, 0x07F0);
    labels.define(u"L900"_s, 0x0900);
    twtest::RecordingSink sink;
    EXPECT_EQ(pageTarget(u"L7F0"_s, 0x07FD, labels, sink), 0x7F0);
    EXPECT_EQ(pageTarget(u"$"_s, 0x0A34, labels, sink), 0x234);
    EXPECT_EQ(pageTarget(u"7FFH"_s, 0x3000, labels, sink), 0x7FF);
    EXPECT_EQ(longTarget(u"$"_s, 0x4321, labels, sink), 0x4321);
    EXPECT_EQ(longTarget(u"L900"_s, 0, labels, sink), 0x900);
    EXPECT_EQ(longTarget(u"0FFFFH"_s, 0, labels, sink), 0xFFFF);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(pageTarget(u"L7F0"_s, 0x07FE, labels, sink), 0); // the next address is in page 1
    EXPECT_EQ(pageTarget(u"800H"_s, 0, labels, sink), 0);
    EXPECT_EQ(longTarget(u"70000"_s, 0, labels, sink), 0);
    EXPECT_EQ(longTarget(u"NOWHERE"_s, 0, labels, sink), 0);
    EXPECT_EQ(sink.messages,
              (QStringList{u"转移范围越界"_s, u"转移范围越界"_s, u"转移范围越界"_s, u"标号未定义"_s}));
}

// Pass 1 places labels with the sizer, pass 2 stores with the encoder: on every statement the
// encoder accepts, both must give the same length, variables and aliases included.
TEST_F(Encoder51, SizerAndEncoderAgreeOnRandomStatements)
{
    vars.set(u"PTR"_s, u"R1"_s);
    vars.set(u"ACCU"_s, u"累加器"_s);
    const QStringList mnemonics =
        u"NOP RET JBC JB JC SJMP JMP AJMP LCALL PUSH MOVX MOVC MOV ORL ANL XRL CPL CLR SETB RR SWAP MUL INC "
        u"DEC ADD ADDC SUBB CJNE DJNZ XCH XCHD DB DW 传送 加1 循环 CJNZ"_s.split(u' ');
    const QStringList operands =
        u"A ACC C AB DPTR @DPTR @A+DPTR @A+PC R0 R7 @R0 @R1 #12H #300 30H P1 P1.0 "
        u"/P1.0 TR0 BACK $ 1234H 'AB' ' B @A PTR @PTR #PTR ACCU TEXT LED /LED 工作寄存器2"_s.split(u' ');
    std::mt19937 random(7);
    auto pick = [&random](const QStringList &list) {
        return list[static_cast<qsizetype>(random() % list.size())];
    };
    int accepted = 0;
    for (int n = 0; n < 20000; ++n) {
        QStringList ops;
        for (int i = static_cast<int>(random() % 4); i > 0; --i)
            ops << pick(operands);
        const QString line = u'\t' + pick(mnemonics) + u'\t' + ops.join(u',');
        const Outcome out = encode(line, 0x100);
        if (!out.errors.isEmpty())
            continue;
        ++accepted;
        const twtest::Statement s = twtest::parseStatement(line);
        ASSERT_EQ(nextAddress(0x100, s.word, s.rest, vars) - 0x100, out.code.size() / 2)
            << line.toStdString();
    }
    EXPECT_GT(accepted, 1000);
}

// The driver encodes first and places the bytes once it has sized the statement, with the
// variables the statement itself may have set; that must store and show what one call does.
TEST_F(Encoder51, PlacingWithTheDriversSizeMatchesOneCall)
{
    std::unique_ptr<tw::CodeImage> twoStep = std::make_unique<tw::CodeImage>();
    VariableTable twoStepVars = vars;
    const QStringList lines = {
        u"\tMOV\tA,#12H"_s, u"X\tEQU\tR1"_s,  u"\tMOV\t@X,A"_s,    u"\tDB\t'HI',X,300"_s, u"X\tEQU\t'ABC'"_s,
        u"\tDB\tX,1"_s,     u"\tORG\t300H"_s, u"\tLJMP\tTABLE"_s,  u"\tCJNE\tA,#1,$"_s,   u"\tXYZ\t1"_s,
        u"\tDW\t1,TABLE"_s, u"\tMOV\tA,A"_s,  u"\tACALL\t1234H"_s, u"\tJB\tLED"_s,        u"\tADD\tA,#"_s};
    long long pc = 0x1F0;
    for (const QString &line : lines) {
        const twtest::Statement s = twtest::parseStatement(line);
        twtest::RecordingSink oneSink, twoSink;
        EncodeContext one{*image, labels, vars, oneSink};
        EncodeContext two{*twoStep, labels, twoStepVars, twoSink};
        const Encoded whole = encodeStatement(pc, s.word, s.rest, one);
        Encoded placed = encodeCode(pc, s.word, s.rest, two);
        const long long next = nextAddress(pc, s.word, s.rest, twoStepVars);
        placeCode(placed, pc, next, *twoStep);
        EXPECT_EQ(placed.codeField, whole.codeField) << line.toStdString();
        EXPECT_EQ(placed.length, whole.length) << line.toStdString();
        EXPECT_EQ(placed.mnemonic, whole.mnemonic) << line.toStdString();
        EXPECT_EQ(twoSink.messages, oneSink.messages) << line.toStdString();
        pc = next;
    }
    EXPECT_TRUE(std::equal(image->bytes.begin(), image->bytes.end(), twoStep->bytes.begin()));
    EXPECT_EQ(*twoStepVars.find(u"X"_s), u"'ABC'");
}

// The encoder finds forms by its UTF-16 mnemonic: every row of the table must be found so, and
// text that is no mnemonic of the table must find nothing.
TEST(OpcodeForms, UnicodeMnemonicsFindTheSameForms)
{
    for (const auto &row : kOpcodes) {
        if (row.mnemonic.empty())
            continue;
        const std::u16string wide(row.mnemonic.begin(), row.mnemonic.end());
        const int found = findOpcode(wide, row.operands[0], row.operands[1], row.operands[2]);
        EXPECT_EQ(found, findOpcode(row.mnemonic, row.operands[0], row.operands[1], row.operands[2]));
        EXPECT_GE(found, 0);
        EXPECT_LE(found, row.opcode) << row.mnemonic;
    }
    EXPECT_EQ(findOpcode(std::u16string_view(u"MOV"), Operand::A, Operand::Imm), 0x74);
    EXPECT_EQ(findOpcode(std::u16string_view(u"传送"), Operand::A, Operand::Imm), -1);
    EXPECT_EQ(findOpcode(std::u16string_view(u"MOVXYZW"), Operand::A, Operand::Imm), -1);
    EXPECT_EQ(findOpcode(std::u16string_view(u"mov"), Operand::A, Operand::Imm), -1);
    EXPECT_EQ(findOpcode(std::u16string_view(u""), Operand::None), -1);
    EXPECT_EQ(findOpcode(std::u16string_view(u"MOV"), Operand::A, Operand::A), -1);
}
