#include "Mcs51TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tw::mcs51::nextAddress;

namespace
{

long long sizeOf(const QString &line, const tw::VariableTable &vars = {})
{
    const twtest::Statement s = twtest::parseStatement(line);
    return nextAddress(0x100, s.word, s.rest, vars) - 0x100;
}

} // namespace

// Plain register and operand counts are checked against as31 for every opcode (As31DifferentialTest).
TEST(Sizer51, StatementSizesFollowTheOperandForms)
{
    const struct {
        const char16_t *line;
        int size;
    } cases[] = {{u"\tRR\tA", 1},
                 {u"\t右环移\tA", 1},
                 {u"\t传输\tA,#1", 2},
                 {u"\tMOV\tDPTR,#1234H", 3},
                 {u"\tINC\tDPTR", 1},
                 {u"\tINC\t30H", 2},
                 {u"\tINC\tACC", 1},
                 {u"\tINC\tA\t;X Y", 1},
                 {u"\tADD\tA,ACC", 2},
                 {u"\tADD\tA,A", 2},
                 {u"\tMOV\tA,A", 2},
                 {u"\tXCH\tA,ACC", 2},
                 {u"\tDJNZ\tACC,LOOP", 3},
                 {u"\tDJNZ\tA,LOOP", 3},
                 {u"\tDEC\tDPTR", 2},
                 {u"\tNOP", 1},
                 {u"\tDB\t'HELLO',0DH,0AH", 7},
                 {u"\tDB\t''", 0},
                 {u"\tDB", 0},
                 {u"\tDB\t1,,2", 2},
                 {u"\tDB\t'A,B'", 2},
                 {u"\tDB\t'", 1},
                 {u"\tDB\t'AB", 1},
                 {u"\tDB\t1\t;2,3", 1},
                 {u"\tDW\t1234H,LOOP", 4},
                 {u"\tDW", 0},
                 {u"\tEQU\t5", 0},
                 {u"\tEND", 0},
                 {u"\t结束", 0},
                 {u"\tCALL\tX", 0},
                 {u"\tXYZ\t1", 0},
                 {u"\tMOV\tR0，A", 1},
                 {u"\tDJNZ\tA，$", 3}};
    for (const auto &c : cases)
        EXPECT_EQ(sizeOf(QString::fromUtf16(c.line)), c.size) << QString::fromUtf16(c.line).toStdString();
}

TEST(Sizer51, OrgGivesTheNewAddress)
{
    tw::VariableTable vars;
    vars.set(u"START"_s, u"2000H"_s);
    EXPECT_EQ(nextAddress(5, u"ORG"_s, u"100H"_s, vars), 256);
    EXPECT_EQ(nextAddress(5, u"起点"_s, u"2000H\t;START"_s, vars), 0x2000);
    EXPECT_EQ(nextAddress(5, u"ORG"_s, u"START"_s, vars), tw::NotANumber); // a number only
    EXPECT_EQ(nextAddress(5, u"ORG"_s, u"10000H"_s, vars), tw::NotANumber);
    EXPECT_EQ(nextAddress(5, u"ORG"_s, u"X1"_s, vars), tw::NotANumber);
    EXPECT_EQ(nextAddress(5, u"ORG"_s, QString(), vars), 0);
    EXPECT_EQ(nextAddress(5, u"ORG"_s, u"70000"_s, vars), 70000);
}

TEST(Sizer51, VariablesAreSubstitutedBeforeSizing)
{
    tw::VariableTable vars;
    vars.set(u"PTR"_s, u"R2"_s);
    vars.set(u"ACCU"_s, u"累加器"_s);
    vars.set(u"GREETING"_s, u"'HI!'"_s);
    EXPECT_EQ(sizeOf(u"\tMOV\tA,PTR"_s, vars), 1);
    EXPECT_EQ(sizeOf(u"\tMOV\tA,ACCU"_s, vars), 2);
    EXPECT_EQ(sizeOf(u"\tINC\tPTR"_s, vars), 1);
    // A variable holding a quoted string counts as the encoder stores it.
    EXPECT_EQ(sizeOf(u"\tDB\tGREETING,0"_s, vars), 4);
}
