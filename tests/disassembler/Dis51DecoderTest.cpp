// The MCS-51 instruction texts: names, hand-checked lines, and every opcode reassembled by as31.
#include "disassembler/Dis51Peers.h"
#include "support/TestFiles.h"

#include "common/CodeImage.h"
#include "disassembler/Decoder51.h"
#include "disassembler/DisasmLabels.h"
#include "disassembler/Names51.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace tw;

namespace
{

struct Line {
    int pc;
    std::vector<std::uint8_t> bytes;
    const char *text;
    int target; // -1: none expected
};

// Decodes bytes placed at pc; the target (if any) gets label index 5.
QString decodeAt(int pc, const std::vector<std::uint8_t> &bytes, int dptr, int *target)
{
    auto image = std::make_unique<CodeImage>();
    for (std::size_t k = 0; k < bytes.size(); ++k)
        (*image)[static_cast<int>((pc + static_cast<int>(k)) & 0xFFFF)] = bytes[k];
    const Instruction51 instruction = fetch51(*image, pc, dptr);
    *target = instruction.target;
    return instructionText51(*image, instruction, 5);
}

} // namespace

TEST(Dis51Names, RegistersAndBits)
{
    EXPECT_EQ(registerName51(0xE0), "Acc");
    EXPECT_EQ(registerName51(0x87), "PCON");
    EXPECT_EQ(registerName51(0x99), "SBUF");
    EXPECT_EQ(registerName51(0x97), "97H");
    EXPECT_EQ(registerName51(0xC8), "C8H");
    EXPECT_EQ(registerName51(0x05), "05H");
    EXPECT_EQ(registerName51(0xC8), "C8H"); // 8052 registers stay numbers

    EXPECT_EQ(bitName51(0xE0), "ACC.0");
    EXPECT_EQ(bitName51(0xE7), "ACC.7");
    EXPECT_EQ(bitName51(0xD7), "CY");
    EXPECT_EQ(bitName51(0xD0), "P");
    EXPECT_EQ(bitName51(0xAF), "EA");
    EXPECT_EQ(bitName51(0x9F), "SM0");
    EXPECT_EQ(bitName51(0x8B), "IE1");
    EXPECT_EQ(bitName51(0xBC), "PS");
    EXPECT_EQ(bitName51(0xF3), "B.3");
    EXPECT_EQ(bitName51(0x00), "00H");
    EXPECT_EQ(bitName51(0x7F), "7FH");
    EXPECT_EQ(bitName51(0x0A), "0AH");
    EXPECT_EQ(bitName51(0xAD), "0ADH");
    EXPECT_EQ(bitName51(0xD1), "0D1H");
    EXPECT_EQ(bitName51(0xFF), "0FFH");

    int named = 0;
    for (int address = 0; address < 256; ++address)
        if (!bitName51(static_cast<std::uint8_t>(address)).endsWith(u'H'))
            ++named;
    EXPECT_EQ(named, 82);
}

TEST(Dis51Decoder, LinesAsWritten)
{
    const std::vector<Line> lines = {
        {0x0100, {0x85, 0x30, 0x40}, "MOV 40H,30H", -1},
        {0x0100, {0x75, 0x81, 0x60}, "MOV SP,#60H", -1},
        {0x0100, {0x74, 0xC5}, "MOV A,#0C5H", -1},
        {0x0100, {0x90, 0xAB, 0x0C}, "MOV DPTR,#0AB0CH", -1},
        {0x0100, {0x90, 0x12, 0xAB}, "MOV DPTR,#12ABH", -1},
        {0x0100, {0x90, 0x00, 0xA0}, "MOV DPTR,#00A0H", -1},
        {0x0100, {0x04}, "INC  A", -1},
        {0x0100, {0x14}, "DEC A", -1},
        {0x0100, {0xA5}, "NOP", -1},
        {0x0100, {0xC2, 0xAF}, "CLR EA", -1},
        {0x0100, {0xD2, 0xD7}, "SETB CY", -1},
        {0x0100, {0xB2, 0xAD}, "CPL 0ADH", -1},
        {0x0100, {0xA0, 0x20}, "ORL C,/20H", -1},
        {0x0100, {0x92, 0x90}, "MOV P1.0,C", -1},
        {0x0100, {0xE5, 0xE0}, "MOV A,Acc", -1},
        {0x0100, {0xC0, 0xE0}, "PUSH Acc", -1},
        {0x0100, {0xA8, 0x30}, "MOV R0,30H", -1},
        {0x0100, {0x88, 0xF0}, "MOV B,R0", -1},
        {0x0100, {0xE3}, "MOVX A,@R1", -1},
        {0x0100, {0xD7}, "XCHD A,@R1", -1},
        {0x0100, {0x43, 0x90, 0x0F}, "ORL P1,#0FH", -1},
        {0x0100, {0x83}, "MOVC A,@A+PC", -1},
        // Targets: relative from the next instruction, 2 KB blocks, long, and 16-bit wrap.
        {0x0200, {0x80, 0xFE}, "SJMP L5", 0x0200},
        {0x0300, {0xB4, 0x0A, 0xF9}, "CJNE A,#0AH, L5", 0x02FC},
        {0x0300, {0xD8, 0xFE}, "DJNZ R0,L5", 0x0300},
        {0x0300, {0xD5, 0x30, 0x10}, "DJNZ 30H, L5", 0x0313},
        {0x0300, {0x20, 0xE7, 0x00}, "JB ACC.7, L5", 0x0303},
        {0x0300, {0xB6, 0x0A, 0x00}, "CJNE @R0,#0AH, L5", 0x0303},
        {0x0300, {0xBF, 0xFF, 0x00}, "CJNE R7,#0FFH, L5", 0x0303},
        {0x0300, {0xB5, 0xE0, 0x00}, "CJNE A,Acc, L5", 0x0303},
        {0x07FE, {0x01, 0x10}, "AJMP L5", 0x0810},
        {0x07FC, {0x01, 0x10}, "AJMP L5", 0x0010},
        {0x1000, {0x21, 0x34}, "AJMP L5", 0x1134},
        {0x1000, {0xF1, 0x34}, "ACALL L5", 0x1734},
        {0x0100, {0x02, 0x12, 0x34}, "LJMP L5", 0x1234},
        {0x0100, {0x12, 0x00, 0x00}, "LCALL L5", 0x0000},
        {0x0010, {0x80, 0x80}, "SJMP L5", 0xFF92},
        {0xFFFE, {0x01, 0x10}, "AJMP L5", 0x0010},
        {0xFFF0, {0x80, 0x7F}, "SJMP L5", 0x0071},
    };
    for (const Line &line : lines) {
        int target = -2;
        EXPECT_EQ(decodeAt(line.pc, line.bytes, 0, &target), QString::fromLatin1(line.text))
            << std::hex << line.pc << " opcode " << int(line.bytes[0]);
        EXPECT_EQ(target, line.target) << std::hex << line.pc << " opcode " << int(line.bytes[0]);
    }

    int target = -2;
    EXPECT_EQ(decodeAt(0x100, {0x73}, 0x0101, &target), "JMP @A+DPTR");
    EXPECT_EQ(target, 0x0101);
}

// Where our assembler would read ACC as register A and choose another opcode, E0H stays a number.
TEST(Dis51Decoder, AccumulatorAddressKeptWhereAWouldChangeTheOpcode)
{
    const std::vector<std::pair<std::vector<std::uint8_t>, const char *>> cases = {
        {{0x05, 0xE0}, "INC 0E0H"},
        {{0x15, 0xE0}, "DEC 0E0H"},
        {{0x42, 0xE0}, "ORL 0E0H,A"},
        {{0x53, 0xE0, 0x0F}, "ANL 0E0H,#0FH"},
        {{0x75, 0xE0, 0x12}, "MOV 0E0H,#12H"},
        {{0xF5, 0xE0}, "MOV 0E0H,A"},
        {{0x86, 0xE0}, "MOV 0E0H,@R0"},
        {{0x8F, 0xE0}, "MOV 0E0H,R7"},
        {{0xA7, 0xE0}, "MOV @R1,0E0H"},
        {{0xA8, 0xE0}, "MOV R0,0E0H"},
        {{0x85, 0xE0, 0xF0}, "MOV B,0E0H"},
        {{0x85, 0xF0, 0xE0}, "MOV 0E0H,B"},
        {{0x85, 0xE0, 0xE0}, "MOV 0E0H,0E0H"},
        {{0x25, 0xE0}, "ADD A,Acc"},
        {{0xD0, 0xE0}, "POP Acc"},
        {{0xD5, 0xE0, 0x00}, "DJNZ Acc, L5"},
    };
    for (const auto &[bytes, text] : cases) {
        int target = 0;
        EXPECT_EQ(decodeAt(0x100, bytes, 0, &target), QString::fromLatin1(text));
    }
}

// Each of the 256 opcodes, with several operand patterns, decoded at its own address and
// assembled again by as31: the same bytes come back (A5H excepted: it is written NOP).
TEST(Dis51Decoder, EveryOpcodeReassemblesToItsBytes)
{
    if (!twtest::havePeer(QStringLiteral("as31")))
        GTEST_SKIP() << "as31 not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> operands = {
        {0x12, 0x34}, {0xE0, 0xF0}, {0x85, 0xD0}, {0x80, 0xFE}, {0xA5, 0x0A}, {0x00, 0x7F}};
    for (const auto &[first, second] : operands) {
        auto image = std::make_unique<CodeImage>();
        DisasmLabels labels;
        QString source;
        std::map<int, QByteArray> expected;
        for (int opcode = 0; opcode < 256; ++opcode) {
            const int pc = 0x0800 + opcode * 4;
            (*image)[pc] = static_cast<std::uint8_t>(opcode);
            (*image)[pc + 1] = first;
            (*image)[pc + 2] = second;
            const Instruction51 instruction = fetch51(*image, pc, 0x1234);
            int label = -1;
            if (instruction.target >= 0) {
                label = labels.find(instruction.target);
                if (label < 0) {
                    label = labels.add(instruction.target);
                    source += QStringLiteral(".equ L%1, 0x%2\n")
                                  .arg(label)
                                  .arg(instruction.target, 4, 16, QChar(u'0'));
                }
            }
            source += QStringLiteral(".org 0x%1\n").arg(pc, 4, 16, QChar(u'0')) +
                      dis51test::toAs31(instructionText51(*image, instruction, label));
            const int length = instruction.row->length;
            expected[pc] = QByteArray(reinterpret_cast<const char *>(&(*image)[pc]), length);
            if (opcode == 0xA5)
                expected[pc] = QByteArray(1, '\0');
        }
        const dis51test::As31Result result = dis51test::as31(source, dir.path());
        ASSERT_TRUE(result.ok) << result.messages.toStdString() << source.toStdString();
        ASSERT_GE(result.lines.size(), 256u);
        std::map<int, QByteArray> listed;
        for (const dis51test::ListedLine &line : result.lines)
            listed[line.address] = line.bytes;
        for (const auto &[pc, bytes] : expected)
            EXPECT_EQ(listed[pc].toHex().toStdString(), bytes.toHex().toStdString())
                << "opcode " << std::hex << (pc - 0x800) / 4 << " operands " << int(first) << " "
                << int(second);
    }
}
