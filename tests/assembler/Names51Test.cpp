#include "Mcs51TestSupport.h"
#include "assembler/common/Aliases.h"
#include "assembler/common/Operands.h"
#include "assembler/mcs51/Names.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::mcs51;
using namespace Qt::StringLiterals;

namespace
{

QString q(const char16_t *text)
{
    return QString::fromUtf16(text);
}

struct Resolved {
    const char16_t *text;
    int address;
};

// Each good text gives its address silently; each bad one gives 0 and one "操作数越界".
template <typename Resolve>
void expectResolution(Resolve resolve, std::initializer_list<Resolved> good,
                      std::initializer_list<const char16_t *> bad)
{
    for (const auto &c : good) {
        twtest::RecordingSink sink;
        EXPECT_EQ(resolve(q(c.text), sink), c.address) << q(c.text).toStdString();
        EXPECT_TRUE(sink.messages.isEmpty()) << q(c.text).toStdString();
    }
    for (const char16_t *text : bad) {
        twtest::RecordingSink sink;
        EXPECT_EQ(resolve(q(text), sink), 0) << q(text).toStdString();
        EXPECT_EQ(sink.messages, QStringList{q(u"操作数越界")}) << q(text).toStdString();
    }
}

} // namespace

TEST(MnemonicAliases, ChineseAndEnglishAliasesGiveTheStandardMnemonic)
{
    // alias=standard; the last four are no aliases (exact, case-sensitive, whole text).
    const QString table =
        u"起点=ORG 结束=END 定义字节=DB 等值=EQU BIT=EQU 定义字=DW 空操作=NOP "
        u"位为1转移并清零=JBC 位为1转移=JB 位为0转移=JNB 有进位转移=JC 无进位转移=JNC "
        u"累加器为0转移=JZ 累加器非0转移=JNZ 散转=JMP 相对转移=SJMP 短转移=SJMP 绝对转移=AJMP "
        u"长转移=LJMP 绝对调用=ACALL 长调用=LCALL 进栈=PUSH 出栈=POP 数据存储器传送=MOVX "
        u"程序存储器传送=MOVC 传送=MOV 传输=MOV 或=ORL 与=ANL 异或=XRL 取反=CPL 取非=CPL "
        u"清零=CLR 返回=RET 中断返回=RETI 置位=SETB 右环移=RR 右循环=RR 带进位右环移=RRC "
        u"带进位右循环=RRC 左环移=RL 左循环=RL 带进位左环移=RLC 带进位左循环=RLC 加1=INC "
        u"减1=DEC 加=ADD 带进位加=ADDC 减=SUBB 乘=MUL 除=DIV 累加器半交换=SWAP 调整=DA "
        u"比较转移=CJNE CJNZ=CJNE 循环=DJNZ DJNE=DJNZ 字节交换=XCH 半字节交换=XCHD "
        u"MOV=MOV cjnz=cjnz CALL=CALL 传送A=传送A"_s;
    for (const QString &pair : table.split(u' ')) {
        const QString alias = pair.section(u'=', 0, 0);
        EXPECT_EQ(standardMnemonic(alias), pair.section(u'=', 1, 1)) << alias.toStdString();
    }
}

TEST(RegisterNames, AliasesAndVariablesBecomeTheStandardOperand)
{
    VariableTable vars;
    vars.set(u"COUNT"_s, u"30H"_s);
    vars.set(u"PTR"_s, u"R1"_s);
    vars.set(u"P1"_s, u"40H"_s); // a variable named like a register wins
    const struct {
        const char16_t *text;
        const char16_t *result;
    } cases[] = {
        {u"累加器", u"A"},         {u"ACC", u"A"},          {u"B寄存器", u"B"},
        {u"@数据指针", u"@DPTR"},  {u"工作寄存器0", u"R0"}, {u"工作寄存器7", u"R7"},
        {u"@工作寄存器1", u"@R1"}, {u"端口3", u"P3"},       {u"定时器2高位装载寄存器", u"RLDH"},
        {u"看门狗寄存器", u"WDT"}, {u"COUNT", u"30H"},      {u"#COUNT", u"#30H"},
        {u"@PTR", u"@R1"},         {u"PTR", u"R1"},         {u"P1", u"40H"},
        {u"ACC.7", u"ACC.7"},      {u"#ACC", u"#ACC"},      {u"count", u"count"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(registerName(q(c.text), vars), q(c.result)) << q(c.text).toStdString();
}

// The names as31 also knows are checked against it (As31DifferentialTest); these are the rest.
TEST(DirectAddresses, SfrNamesAndBytesResolveOthersAreOutOfRange)
{
    VariableTable vars;
    vars.set(u"COUNT"_s, u"30H"_s);
    expectResolution(
        [&](const QString &text, tw::ErrorSink &sink) { return directAddress(text, vars, sink); },
        {{u"ACC", 0xE0},
         {u"A", 0xE0},
         {u"累加器", 0xE0},
         {u"30H", 0x30},
         {u"COUNT", 0x30},
         {u"RLDH", 0xCB},
         {u"RLDL", 0xCA},
         {u"WDT", 0xA6},
         {u"WDTRST", 0xA6},
         {u"端口1", 0x90},
         {u"255", 255},
         {u"0", 0}},
        {u"100H", u"DPTR", u"NOSUCH", u"10000H", u"R0", u"@R0", u"p1"});
}

TEST(BitAddresses, NamesByteBitTextsAndNumbers)
{
    VariableTable vars;
    vars.set(u"LED"_s, u"P1.0"_s);
    vars.set(u"ACCU"_s, u"累加器"_s);
    // No IE.6 or IP.6, a leading 0 on the byte, a ninth bit, a byte that is not bit-addressable,
    // Chinese register names (not bit names) and the carry, which the encoder knows itself.
    expectResolution([&](const QString &text, tw::ErrorSink &sink) { return bitAddress(text, vars, sink); },
                     {{u"LED", 0x90},
                      {u"TE2", 0xCF},
                      {u"FO", 0xD5},
                      {u"CP/RL2", 0xC8},
                      {u"C/T2", 0xC9},
                      {u"IE.7", 0xAF},
                      {u"IP.5", 0xBD},
                      {u"PSW.1", 0xD1},
                      {u"20H.0", 0x00},
                      {u"2FH.7", 0x7F},
                      {u"80H.0", 0x80},
                      {u"F8H.7", 0xFF},
                      {u"E0H.3", 0xE3},
                      {u"07H", 0x07}},
                     {u"IE.6", u"IP.7", u"0A0H.0", u"20H.8", u"30H.0", u"ACCU", u"C", u"100H"});
}

TEST(OperandExtraction, SplitsSubstitutesAndCountsTooMany)
{
    VariableTable vars;
    vars.set(u"X"_s, u"R3"_s);
    twtest::RecordingSink sink;
    EXPECT_EQ(extractOperands(u"A,#1"_s, 2, vars, &sink), (QStringList{u"A"_s, u"#1"_s}));
    EXPECT_EQ(extractOperands(u"A\t,#1\t;C,D"_s, 2, vars, &sink), (QStringList{u"A"_s, u"#1"_s}));
    EXPECT_EQ(extractOperands(u"累加器，X"_s, 2, vars, &sink, true), (QStringList{u"A"_s, u"R3"_s}));
    EXPECT_EQ(extractOperands(u""_s, 3, vars, &sink), (QStringList{QString(), QString(), QString()}));
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(extractOperands(u"A,B"_s, 1, vars, &sink), QStringList{u"A"_s});
    EXPECT_EQ(extractOperands(u"A,B,C,D"_s, 2, vars, &sink), (QStringList{u"A"_s, u"B"_s}));
    EXPECT_EQ(sink.messages, (QStringList{u"操作数过多"_s, u"操作数过多"_s}));
    EXPECT_EQ(extractOperands(u"A,B"_s, 1, vars, nullptr), QStringList{u"A"_s});
}

// The encoder's operands share the statement's characters; the list others keep must not.
TEST(OperandExtraction, SharedOperandsMatchTheListAndTheListOwnsItsText)
{
    VariableTable vars;
    vars.set(u"X"_s, u"R3"_s);
    vars.set(u"Y"_s, u"累加器"_s);
    for (const QString &field : {u"A,#1"_s, u"累加器，X"_s, u"@X\t,#X ;Z"_s, u"Y,端口1,@工作寄存器1"_s,
                                 u"P1.0"_s, u""_s, u"A,B,C,D"_s}) {
        for (int count = 1; count <= 3; ++count) {
            twtest::RecordingSink listed, shared;
            const QStringList list = extractOperands(field, count, vars, &listed, true);
            const OperandTexts texts = operandTexts(field, count, vars, &shared, true);
            for (int i = 0; i < count; ++i)
                EXPECT_EQ(texts[i], list[i]) << field.toStdString() << " " << i;
            EXPECT_EQ(shared.messages, listed.messages) << field.toStdString();
        }
    }

    QString field = u"R5,ACC.7"_s;
    const QStringList list = extractOperands(field, 2, vars, nullptr);
    field.fill(u'Z');
    EXPECT_EQ(list, (QStringList{u"R5"_s, u"ACC.7"_s}));
    QString name = u"X"_s;
    const QString resolved = registerName(name, vars);
    vars.set(u"X"_s, u"R4"_s);
    name.fill(u'Q');
    EXPECT_EQ(resolved, u"R3");
}

TEST(StatementSplit, FirstWordThroughAliasesSecondWordAsWritten)
{
    const SplitWords mov = splitStatement(u"MOV\tA,#1"_s);
    EXPECT_EQ(mov.mnemonic, u"MOV");
    EXPECT_EQ(mov.operand, u"A");
    const SplitWords equ = splitStatement(u"等值\t30H\t;COMMENT"_s);
    EXPECT_EQ(equ.mnemonic, u"EQU");
    EXPECT_EQ(equ.operand, u"30H");
    const SplitWords bit = splitStatement(u"BIT\tP1.0"_s);
    EXPECT_EQ(bit.mnemonic, u"EQU");
    EXPECT_EQ(bit.operand, u"P1.0");
    EXPECT_EQ(splitStatement(u";ONLY"_s).mnemonic, QString());
}

TEST(NameTables, FirstLabelWinsVariablesOverwriteAndBothKeepOrder)
{
    LabelTable labels;
    EXPECT_TRUE(labels.define(u"START"_s, 0));
    EXPECT_TRUE(labels.define(u"LOOP"_s, 5));
    EXPECT_FALSE(labels.define(u"START"_s, 9));
    ASSERT_NE(labels.find(u"START"_s), nullptr);
    EXPECT_EQ(*labels.find(u"START"_s), 0);
    EXPECT_EQ(labels.find(u"start"_s), nullptr);
    ASSERT_EQ(labels.count(), 2);
    EXPECT_EQ(labels.entries()[1].name, u"LOOP");

    VariableTable vars;
    vars.set(u"A1"_s, u"1"_s);
    vars.set(u"B1"_s, u"2"_s);
    vars.set(u"A1"_s, u"3"_s);
    ASSERT_EQ(vars.count(), 2);
    EXPECT_EQ(*vars.find(u"A1"_s), u"3");
    EXPECT_EQ(vars.entries()[0].value, u"3");
    for (int i = 2; i < kMaxVariables; ++i)
        ASSERT_TRUE(vars.set(u"V"_s + QString::number(i), u"0"_s));
    EXPECT_FALSE(vars.set(u"ONEMORE"_s, u"0"_s));
    EXPECT_TRUE(vars.set(u"A1"_s, u"4"_s));
    EXPECT_EQ(vars.count(), kMaxVariables);
}
