// Every MCS-48 opcode through the whole disassembler: the statement each one prints, its length and
// whether the run goes on after it. The expected texts are typed from the 8048 opcode map with this
// system's dialect, not taken from the program's table.
#include "Output48.h"
#include "disassembler/Disassemble48.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// One row of the opcode map per high nibble. "?" is undefined; "%0-7" stands for a register or
// port digit running over the following columns; ">" + address is a label operand; a final "!"
// means the run ends after the instruction. The operand byte is 5AH at address 0101H.
const char *const kMap[16][16] = {
    {"NOP", "?", "OUTL BUS,A", "ADD A,#5AH", "JMP >005A!", "EN I", "JNTF >015A", "DEC A", "INS A,BUS",
     "IN A,P1", "IN A,P2", "?", "MOVD A,P%4-7"},
    {"INC @R%0-1", "JB0 >015A", "ADDC A,#5AH", "CALL >005A", "DIS I", "JTF >015A", "INC A", "INC R%0-7"},
    {"XCH A,@R%0-1", "MOV A,PC", "MOV A,#5AH", "JMP >015A!", "EN TCHTI", "JNT0 >015A", "CLR A",
     "XCH A,R%0-7"},
    {"XCHD A,@R%0-1", "JB1 >015A", "?", "CALL >015A", "DIS TCHTI", "JT0 >015A", "CPL A", "?", "OUTL P1,A",
     "OUTL P2,A", "?", "MOVD P%4-7,A"},
    {"ORL A,@R%0-1", "MOV A,T", "ORL A,#5AH", "JMP >025A!", "STRT CNT", "JNT1 >015A", "SWAP A",
     "ORL A,R%0-7"},
    {"ANL A,@R%0-1", "JB2 >015A", "ANL A,#5AH", "CALL >025A", "STRT T", "JT1 >015A", "DA A", "ANL A,R%0-7"},
    {"ADD A,@R%0-1", "MOV T,A", "?", "JMP >035A!", "STOP TCHT", "JNF1 >015A", "RRC A", "ADD A,R%0-7"},
    {"ADDC A,@R%0-1", "JB3 >015A", "?", "CALL >035A", "ENT0 CLK", "JF1 >015A", "RR A", "ADDC A,R%0-7"},
    {"MOVX A,@R%0-1", "?", "RET!", "JMP >045A!", "CLR F0", "JNI >015A", "CLR AH", "ORL BUS,#5AH",
     "ORL P1,#5AH", "ORL P2,#5AH", "?", "ORLD P%4-7,A"},
    {"MOVX @R%0-1,A", "JB4 >015A", "RETI!", "CALL >045A", "CPL F0", "JNZ >015A", "CLR C", "ANL BUS,#5AH",
     "ANL P1,#5AH", "ANL P2,#5AH", "?", "ANLD P%4-7,A"},
    {"MOV @R%0-1,A", "?", "MOVP A,@A", "JMP >055A!", "CLR F1", "JNF0 >015A", "CPL C", "MOV R%0-7,A"},
    {"MOV @R%0-1,#5AH", "JB5 >015A", "JMPP @A!", "CALL >055A", "CPL F1", "JF0 >015A", "?", "MOV R%0-7,#5AH"},
    {"DEC @R%0-1", "?", "?", "JMP >065A!", "SEL RB0", "JZ >015A", "MOV A,PSW", "DEC R%0-7"},
    {"XRL A,@R%0-1", "JB6 >015A", "XRL A,#5AH", "CALL >065A", "SEL RB1", "JMPP >015A!", "MOV PSW,A",
     "XRL A,R%0-7"},
    {"DJNZ @R%0-1,>015A", "?", "MOVP3 A,@A", "JMP >075A!", "SEL MB0", "JNC >015A", "RL A",
     "DJNZ R%0-7,>015A"},
    {"MOV A,@R%0-1", "JB7 >015A", "?", "CALL >075A", "SEL MB1", "JC >015A", "RLC A", "MOV A,R%0-7"},
};

// The 256 expected statements, with the "%a-b" groups spread over their columns.
std::vector<QString> expectedStatements()
{
    std::vector<QString> expected(256);
    for (int row = 0; row < 16; ++row) {
        int column = 0;
        for (const char *entry : kMap[row]) {
            if (column >= 16 || entry == nullptr)
                break;
            const QString text = QString::fromLatin1(entry);
            const qsizetype percent = text.indexOf(u'%');
            if (percent < 0) {
                expected[static_cast<std::size_t>(row * 16 + column++)] = text;
                continue;
            }
            const int first = text[percent + 1].digitValue();
            const int last = text[percent + 3].digitValue();
            for (int digit = first; digit <= last; ++digit)
                expected[static_cast<std::size_t>(row * 16 + column++)] =
                    text.left(percent) + QString::number(digit) + text.mid(percent + 4);
        }
    }
    return expected;
}

TEST(Opcodes48, ExpectedMapCoversEveryOpcode)
{
    const auto expected = expectedStatements();
    int undefined = 0;
    for (int op = 0; op < 256; ++op) {
        EXPECT_FALSE(expected[static_cast<std::size_t>(op)].isEmpty()) << "opcode " << op;
        undefined += expected[static_cast<std::size_t>(op)] == QStringLiteral("?");
    }
    EXPECT_EQ(undefined, 16);
}

TEST(Opcodes48, EveryOpcodeDisassemblesToItsStatement)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto expected = expectedStatements();
    for (int op = 0; op < 256; ++op) {
        SCOPED_TRACE(QStringLiteral("opcode %1").arg(op, 2, 16, QChar(u'0')).toStdString());
        QByteArray image(0x104, '\0');
        image[0x100] = static_cast<char>(op);
        image[0x101] = 0x5A;
        const QString bin = dir.filePath(QStringLiteral("op%1.bin").arg(op));
        const QString asmPath = dir.filePath(QStringLiteral("op%1.asm").arg(op));
        twtest::writeBytes(bin, image);
        const tw::Disasm48Outcome outcome =
            tw::Disassemble48({bin, asmPath, QStringLiteral("0100"), QStringLiteral("0104")});

        QString statement = expected[static_cast<std::size_t>(op)];
        if (statement == QStringLiteral("?")) {
            EXPECT_FALSE(outcome.succeeded);
            ASSERT_EQ(outcome.messages.size(), 2u);
            EXPECT_EQ(outcome.messages[0].text, QStringLiteral("存在无定义代码！"));
            EXPECT_EQ(outcome.messages[1].text, QStringLiteral("存在有非MCS48操作码，反汇编失败！"));
            EXPECT_FALSE(QFile::exists(asmPath));
            continue;
        }
        ASSERT_TRUE(outcome.succeeded);
        const bool ends = statement.endsWith(u'!');
        if (ends)
            statement.chop(1);
        const twtest::Output48 out = twtest::readOutputFile48(asmPath);
        EXPECT_TRUE(out.problems.isEmpty()) << out.problems.join(u'\n').toStdString();
        ASSERT_TRUE(out.code.count(0x100));
        EXPECT_EQ(out.code.at(0x100), statement);
        const int length = out.lengths.at(0x100);
        EXPECT_EQ(length, statement.contains(u'#') || statement.contains(u'>') ? 2 : 1);
        // What follows the instruction: decoded when the run goes on, DB when it ends.
        const long after = 0x100 + length;
        EXPECT_EQ(out.code.count(after), ends ? 0u : 1u);
        EXPECT_EQ(out.data.count(after), ends ? 1u : 0u);
    }
}

} // namespace
