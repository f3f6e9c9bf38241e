// The MCS-48 encoder and sizer statement by statement: every opcode of the 8048 map (and the
// dialect's extra ones) from a table typed from the opcode map, then each rejection's message,
// placeholder code text and what stays in the image.
#include "assembler/ErrorList.h"
#include "assembler/mcs48/Encoder.h"
#include "assembler/mcs48/Sizer.h"
#include "assembler/mcs51/Symbols.h"
#include "common/CodeImage.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace tw;

namespace
{

constexpr long long kPc = 0x0120; // page 1; NEAR lies on it, G0..G7 on pages 0..7

struct Encoding {
    QString code; // without the TAB
    QStringList errors;
    QByteArray stored; // bytes at pc.. after the call (the image starts filled with EEH)
};

class Encoder48 : public ::testing::Test
{
  protected:
    std::unique_ptr<CodeImage> image = std::make_unique<CodeImage>();
    mcs51::LabelTable labels;
    ErrorList errors;

    void SetUp() override
    {
        labels.define(QStringLiteral("NEAR"), 0x0155);
        labels.define(QStringLiteral("FAR"), 0x0255);
        for (int page = 0; page < 8; ++page)
            labels.define(QStringLiteral("G%1").arg(page), page * 0x100 + 0x5A);
        labels.define(QStringLiteral("BANK1"), 0x0A23);
    }

    Encoding encode(const QString &statement, long long pc = kPc)
    {
        image->bytes.fill(0xEE);
        errors.clear();
        const QString mnemonic = statement.section(u' ', 0, 0);
        const QString operands = statement.section(u' ', 1);
        mcs48::EncodeContext context{*image, labels, errors};
        QString code = mcs48::encodeStatement(pc, mnemonic, operands, context);
        if (code.size() < 8) {
            EXPECT_TRUE(code.endsWith(u'\t')) << statement.toStdString();
            code.chop(1);
        }
        Encoding out{code, {}, {}};
        for (const QString &line : errors.text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            out.errors << line.section(u'\t', 2);
        for (long long a = pc; a < pc + 4 && a <= 0xFFFF; ++a)
            out.stored += static_cast<char>((*image)[static_cast<int>(a)]);
        return out;
    }
};

// One row of the opcode map. '%' in the text stands for 0..count-1 (from `first` on for the
// expander ports), added to the opcode.
struct Row {
    const char *text;
    const char *hex;
    int count = 1;
    int first = 0;
};

// Typed from the 8048 opcode map, column by column within each row of sixteen codes. Jumps go to
// NEAR (0155H) from 0120H; JMP and CALL to G<page> (page * 100H + 5AH).
const Row kMap[] = {
    {"NOP", "00"},
    {"OUTL BUS,A", "02"},
    {"ADD A,#5AH", "035A"},
    {"JMP G0", "045A"},
    {"EN I", "05"},
    {"JNTF NEAR", "0655"},
    {"DEC A", "07"},
    {"INS A,BUS", "08"},
    {"IN A,P1", "09"},
    {"IN A,P2", "0A"},
    {"MOVD A,P%", "0C", 4, 4},

    {"INC @R%", "10", 2},
    {"JB0 NEAR", "1255"},
    {"ADDC A,#0", "1300"},
    {"CALL G0", "145A"},
    {"DIS I", "15"},
    {"JTF NEAR", "1655"},
    {"INC A", "17"},
    {"INC R%", "18", 8},

    {"XCH A,@R%", "20", 2},
    {"MOV A,PC", "22"},
    {"MOV A,#255", "23FF"},
    {"JMP G1", "245A"},
    {"EN TCNTI", "25"},
    {"JNT0 NEAR", "2655"},
    {"CLR A", "27"},
    {"XCH A,R%", "28", 8},

    {"XCHD A,@R%", "30", 2},
    {"JB1 NEAR", "3255"},
    {"CALL G1", "345A"},
    {"DIS TCNTI", "35"},
    {"JT0 NEAR", "3655"},
    {"CPL A", "37"},
    {"OUTL P1,A", "39"},
    {"OUTL P2,A", "3A"},
    {"MOVD P%,A", "3C", 4, 4},

    {"ORL A,@R%", "40", 2},
    {"MOV A,T", "42"},
    {"ORL A,#11110000B", "43F0"},
    {"JMP G2", "445A"},
    {"STRT CNT", "45"},
    {"JNT1 NEAR", "4655"},
    {"SWAP A", "47"},
    {"ORL A,R%", "48", 8},

    {"ANL A,@R%", "50", 2},
    {"JB2 NEAR", "5255"},
    {"ANL A,#17Q", "530F"},
    {"CALL G2", "545A"},
    {"STRT T", "55"},
    {"JT1 NEAR", "5655"},
    {"DA A", "57"},
    {"ANL A,R%", "58", 8},

    {"ADD A,@R%", "60", 2},
    {"MOV T,A", "62"},
    {"JMP G3", "645A"},
    {"STOP TCNT", "65"},
    {"JNF1 NEAR", "6655"},
    {"RRC A", "67"},
    {"ADD A,R%", "68", 8},

    {"ADDC A,@R%", "70", 2},
    {"JB3 NEAR", "7255"},
    {"CALL G3", "745A"},
    {"ENT0 CLK", "75"},
    {"JF1 NEAR", "7655"},
    {"RR A", "77"},
    {"ADDC A,R%", "78", 8},

    {"MOVX A,@R%", "80", 2},
    {"RET", "83"},
    {"JMP G4", "845A"},
    {"CLR F0", "85"},
    {"JNI NEAR", "8655"},
    {"CLR AH", "87"},
    {"ORL BUS,#12H", "8812"},
    {"ORL P1,#1", "8901"},
    {"ORL P2,#80H", "8A80"},
    {"ORLD P%,A", "8C", 4, 4},

    {"MOVX @R%,A", "90", 2},
    {"JB4 NEAR", "9255"},
    {"RETI", "93"},
    {"CALL G4", "945A"},
    {"CPL F0", "95"},
    {"JNZ NEAR", "9655"},
    {"CLR C", "97"},
    {"ANL BUS,#0FEH", "98FE"},
    {"ANL P1,#7FH", "997F"},
    {"ANL P2,#0", "9A00"},
    {"ANLD P%,A", "9C", 4, 4},

    {"MOV @R%,A", "A0", 2},
    {"MOVP A,@A", "A3"},
    {"JMP G5", "A45A"},
    {"CLR F1", "A5"},
    {"JNF0 NEAR", "A655"},
    {"CPL C", "A7"},
    {"MOV R%,A", "A8", 8},

    {"MOV @R%,#3", "B003", 2},
    {"JB5 NEAR", "B255"},
    {"JMPP @A", "B3"},
    {"CALL G5", "B45A"},
    {"CPL F1", "B5"},
    {"JF0 NEAR", "B655"},
    {"MOV R%,#0AAH", "B8AA", 8},

    {"DEC @R%", "C0", 2},
    {"JMP G6", "C45A"},
    {"SEL RB0", "C5"},
    {"JZ NEAR", "C655"},
    {"MOV A,PSW", "C7"},
    {"DEC R%", "C8", 8},

    {"XRL A,@R%", "D0", 2},
    {"JB6 NEAR", "D255"},
    {"XRL A,#1", "D301"},
    {"CALL G6", "D45A"},
    {"SEL RB1", "D5"},
    {"JMPP NEAR", "D655"},
    {"MOV PSW,A", "D7"},
    {"XRL A,R%", "D8", 8},

    {"DJNZ @R%,NEAR", "E055", 2},
    {"MOVP3 A,@A", "E3"},
    {"JMP G7", "E45A"},
    {"SEL MB0", "E5"},
    {"JNC NEAR", "E655"},
    {"RL A", "E7"},
    {"DJNZ R%,NEAR", "E855", 8},

    {"MOV A,@R%", "F0", 2},
    {"JB7 NEAR", "F255"},
    {"CALL G7", "F45A"},
    {"SEL MB1", "F5"},
    {"JC NEAR", "F655"},
    {"RLC A", "F7"},
    {"MOV A,R%", "F8", 8},
};

// The sixteen codes that neither the 8048 nor this dialect defines.
const QByteArray kUndefined = QByteArray::fromHex("010B33383B6373828B9BA2B7C2C3E2F3");

QByteArray withNumber(const QByteArray &bytes, int n)
{
    QByteArray out = bytes;
    out[0] = static_cast<char>(static_cast<std::uint8_t>(out[0]) + n);
    return out;
}

TEST_F(Encoder48, EveryOpcodeOfTheMapFromItsStatement)
{
    std::set<int> covered;
    for (const Row &row : kMap) {
        for (int k = 0; k < row.count; ++k) {
            QString statement = QString::fromUtf8(row.text);
            statement.replace(u'%', QString::number(row.first + k));
            const QByteArray expected = withNumber(QByteArray::fromHex(row.hex), k);
            SCOPED_TRACE(statement.toStdString());
            const Encoding got = encode(statement);
            EXPECT_EQ(got.code, QString::fromLatin1(expected.toHex().toUpper()));
            EXPECT_TRUE(got.errors.isEmpty()) << got.errors.join(u',').toStdString();
            // NOP is listed but never stored (DataListsDirectivesAndNop).
            if (statement != QStringLiteral("NOP")) {
                EXPECT_EQ(got.stored.left(expected.size()), expected);
            }
            const QString mnemonic = statement.section(u' ', 0, 0);
            EXPECT_EQ(mcs48::nextAddress(kPc, mnemonic, statement.section(u' ', 1)) - kPc, expected.size());
            covered.insert(static_cast<std::uint8_t>(expected[0]));
        }
    }
    for (int op = 0; op < 256; ++op)
        EXPECT_EQ(covered.count(op) == 1, !kUndefined.contains(static_cast<char>(op))) << std::hex << op;
}

TEST_F(Encoder48, OtherSpellingsOfTheSameInstructions)
{
    const struct {
        const char *text;
        const char *hex;
    } cases[] = {
        {"IN A,BUS", "08"},     {"EN TCHTI", "25"},           {"DIS TCHTI", "35"},
        {"STOP TCHT", "65"},    {"MOV ACC,#1", "2301"},       {"XCH 累加器,工作寄存器3", "2B"},
        {"OUTL 端口1,A", "39"}, {"MOV @工作寄存器1,A", "A1"}, {"MOV A,R2 ;COMMENT", "FA"},
        {"RET ANYTHING", "83"}, {"JMP BANK1", "4423"},        {"MOV A,#0FFH", "23FF"},
        {"MOVD P7，A", "3F"},
    };
    for (const auto &c : cases) {
        const QString statement = QString::fromUtf8(c.text);
        SCOPED_TRACE(statement.toStdString());
        const Encoding got = encode(statement);
        EXPECT_EQ(got.code, QString::fromLatin1(c.hex));
        EXPECT_TRUE(got.errors.isEmpty()) << got.errors.join(u',').toStdString();
        EXPECT_EQ(mcs48::nextAddress(kPc, statement.section(u' ', 0, 0), statement.section(u' ', 1)) - kPc,
                  QByteArray::fromHex(c.hex).size());
    }
}

struct Rejection {
    const char *text;
    const char *message;
    const char *code;
    const char *stored; // the first bytes at pc afterwards; EE = untouched
};

void expectRejections(Encoder48 &, const std::function<Encoding(const QString &)> &encode,
                      std::initializer_list<Rejection> cases)
{
    for (const Rejection &c : cases) {
        const QString statement = QString::fromUtf8(c.text);
        SCOPED_TRACE(statement.toStdString());
        const Encoding got = encode(statement);
        EXPECT_EQ(got.errors, QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(got.code, QString::fromLatin1(c.code));
        const QByteArray stored = QByteArray::fromHex(c.stored);
        EXPECT_EQ(got.stored.left(stored.size()).toHex().toUpper(), stored.toHex().toUpper());
    }
}

TEST_F(Encoder48, OperandRejectionsNameTheOperandAndLeaveAPlaceholder)
{
    expectRejections(*this, [this](const QString &s) { return encode(s); },
                     {
                         {"MOVX B,A", "第一操作数错误", "00", "EE"},
                         {"MOVX A,R0", "第二操作数错误", "00", "EE"},
                         {"MOV X,A", "第一操作数错误", "0000", "EEEE"},
                         {"MOV A,X", "第二操作数错误", "0000", "EEEE"},
                         {"MOV T,#1", "第二操作数错误", "0000", "EE"},
                         {"ANL P1,A", "第二操作数错误", "0000", "EE"},
                         {"XRL R0,A", "第一操作数错误", "000000", "EE"},
                         {"XRL A,T", "第二操作数错误", "0000", "EE"},
                         {"ADD R0,A", "操作数错误", "0000", "EE"},
                         {"ADDC A,T", "操作数非法", "0000", "EE"},
                         {"CPL B", "操作数错误", "000000", "EE"},
                         {"INC @R2", "操作数非法", "00", "EE"},
                         {"XCH A,T", "操作数错误", "00", "EE"},
                         {"INS A,P1", "操作数错误", "00", "EE"},
                         {"EN T", "操作数错误", "00", "EE"},
                         // The opcode goes into the image before the operand is looked at.
                         {"RL B", "操作数非法", "00", "E7"},
                         {"SWAP R0", "操作数非法", "47", "47"},
                         // A bad DJNZ register stores nothing and lists an empty code field.
                         {"DJNZ R8,NEAR", "操作数非法", "", "EE"},
                         // Immediates above a byte; an EQU name after # is no number either.
                         {"MOV A,#256", "操作数越界", "0000", "EEEE"},
                         {"ORL BUS,#LIMIT", "操作数越界", "0000", "EE"},
                         // Mnemonics outside the dialect, Intel's RETR among them.
                         {"RETR", "操作码非法", "000000", "EE"},
                         {"mov A,R0", "操作码非法", "000000", "EE"},
                     });
}

TEST_F(Encoder48, JumpTargetsMustBeLabelsOnTheRightPage)
{
    expectRejections(*this, [this](const QString &s) { return encode(s); },
                     {
                         // A number is not a target; JMP and CALL store nothing then.
                         {"JMP 100H", "标号未定义", "000000", "EEEE"},
                         {"CALL $", "标号未定义", "000000", "EEEE"},
                         // Conditional jumps, DJNZ and JMPP keep their opcode in the image.
                         {"JNZ NOWHERE", "标号未定义", "9600", "96EE"},
                         {"DJNZ @R1,NOWHERE", "标号未定义", "E100", "E1EE"},
                         {"JMPP NOWHERE", "标号未定义", "D600", "D6EE"},
                         {"JNZ FAR", "转移范围越界", "9600", "96EE"},
                         {"JB7 G0", "转移范围越界", "F200", "F2EE"},
                         {"DJNZ R3,FAR", "转移范围越界", "EB00", "EBEE"},
                         {"JMPP G2", "转移范围越界", "D600", "D6EE"},
                     });
    // The page is the one of the next instruction, where the program counter stands when the
    // jump is taken: from 01FEH and 01FFH only page 2 is reachable.
    for (const long long pc : {0x01FE, 0x01FF}) {
        SCOPED_TRACE(pc);
        EXPECT_EQ(encode(QStringLiteral("JC G2"), pc).code, QStringLiteral("F65A"));
        const Encoding got = encode(QStringLiteral("DJNZ R1,NEAR"), pc);
        EXPECT_EQ(got.errors, QStringList{QStringLiteral("转移范围越界")});
        EXPECT_EQ(got.stored.left(2), QByteArray::fromHex("E9EE"));
    }
    EXPECT_EQ(encode(QStringLiteral("JMPP NEAR"), 0x01FD).code, QStringLiteral("D655"));
    EXPECT_EQ(encode(QStringLiteral("JMPP G2"), 0x01FD).errors, QStringList{QStringLiteral("转移范围越界")});
    // JMP and CALL carry address bits 8-10 in the opcode; bit 11 is the bank, not checked.
    labels.define(QStringLiteral("L123"), 0x0123);
    EXPECT_EQ(encode(QStringLiteral("CALL BANK1")).code, QStringLiteral("5423"));
    EXPECT_EQ(encode(QStringLiteral("CALL L123")).code, QStringLiteral("3423"));
}

TEST_F(Encoder48, DataListsDirectivesAndNop)
{
    Encoding got = encode(QStringLiteral("DB 12H,300"));
    EXPECT_EQ(got.code, QStringLiteral("1200"));
    EXPECT_EQ(got.errors, QStringList{QStringLiteral("操作数越界")});
    EXPECT_EQ(got.stored.left(2), QByteArray::fromHex("12EE"));
    got = encode(QStringLiteral("DB 'A',1"));
    EXPECT_EQ(got.code, QStringLiteral("0001"));
    EXPECT_EQ(got.stored.left(2), QByteArray::fromHex("EE01"));
    got = encode(QStringLiteral("DW 1234H,5"));
    EXPECT_EQ(got.code, QStringLiteral("12340005"));
    EXPECT_EQ(got.stored, QByteArray::fromHex("12340005"));
    got = encode(QStringLiteral("DW 10000H,0FFFFH ;LAST"));
    EXPECT_EQ(got.code, QStringLiteral("0000FFFF"));
    EXPECT_EQ(got.errors, QStringList{QStringLiteral("操作数越界")});
    EXPECT_EQ(got.stored, QByteArray::fromHex("EEEEFFFF"));
    got = encode(QStringLiteral("DB 1 , ,2"));
    EXPECT_EQ(got.code, QStringLiteral("0102"));
    // NOP lists 00 but leaves the image as it is (an ORG back over code keeps the old byte).
    got = encode(QStringLiteral("NOP"));
    EXPECT_EQ(got.code, QStringLiteral("00"));
    EXPECT_EQ(got.stored.left(1), QByteArray::fromHex("EE"));
    for (const char *directive : {"ORG 100H", "END", "EQU 5"}) {
        got = encode(QString::fromLatin1(directive));
        EXPECT_EQ(got.code, QString());
        EXPECT_TRUE(got.errors.isEmpty());
    }
    // More operands than the form takes: one error, the form still encoded.
    got = encode(QStringLiteral("MOV A,R0,R1"));
    EXPECT_EQ(got.code, QStringLiteral("F8"));
    EXPECT_EQ(got.errors, QStringList{QStringLiteral("操作数过多")});
}

TEST_F(Encoder48, BytesPastTheLastAddressEndTheRun)
{
    EXPECT_EQ(encode(QStringLiteral("RET"), 0xFFFF).code, QStringLiteral("83"));
    errors.setLineNumber(7);
    for (const char *statement : {"MOV A,#1", "DW 1", "JMP G0"}) {
        try {
            encode(QString::fromLatin1(statement), 0xFFFF);
            ADD_FAILURE() << statement << " was stored past FFFFH";
        } catch (const AssemblyFailure &failure) {
            EXPECT_EQ(failure.message(), QStringLiteral(u"第 7行地址错误！"));
        }
    }
}

// Lengths the opcode map above does not check: directives, data lists, names that are not
// operands, comments, mnemonics outside the dialect.
TEST(Sizer48, LengthsByMnemonicAndOperands)
{
    const struct {
        const char *mnemonic;
        const char *operands;
        long long next; // from 100H
    } cases[] = {
        {"ORG", "", 0},         {"ORG", "1000H 2000H", 0x1000}, {"ORG", "X", 65536},
        {"DB", "1,2,3", 0x103}, {"DB", "1, ,2", 0x102},         {"DB", "", 0x100},
        {"DB", "'AB'", 0x101},  {"DW", "1,2", 0x104},           {"MOV", "A,#12H", 0x102},
        {"MOV", "X,Y", 0x103},  {"MOV", "A,#1 ;NOTE,X", 0x102}, {"JMPP", "L1", 0x102},
        {"RETR", "", 0x100},    {"EQU", "20H", 0x100},          {"END", "", 0x100},
        {"LJMP", "X", 0x100},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mcs48::nextAddress(0x100, QString::fromLatin1(c.mnemonic), QString::fromLatin1(c.operands)),
                  c.next)
            << c.mnemonic << " " << c.operands;
}

} // namespace
