// Every defined opcode of both instruction tables, written as the disassemblers write it, goes
// through our assembler (the headless driver, real files) and must come back as the same bytes.
#include "isa/Mcs48.h"
#include "isa/Mcs51.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;

namespace
{

// Each opcode at eight times its value: all lines share one 2 KB block, and the line of opcode
// k * 20H starts page k, the target of the AJMP/ACALL/JMP/CALL rows whose page bits are k.
int addressOf(int opcode)
{
    return opcode * 8;
}

QString hex(int value)
{
    return u"0%1H"_s.arg(value, 2, 16, QChar(u'0')).toUpper();
}

QString label(int opcode)
{
    return u"L%1"_s.arg(opcode, 2, 16, QChar(u'0')).toUpper();
}

struct Line {
    QString text;
    QByteArray bytes;
};

// Operand bytes 1 and 2 of an MCS-51 line that reads them as numbers.
constexpr std::uint8_t kByte1 = 0x35, kByte2 = 0x47;

Line line51(const tw::mcs51::OpcodeRow &row)
{
    using tw::mcs51::Operand;
    const int pc = addressOf(row.opcode);
    Line line{label(row.opcode) + u": "_s, QByteArray(row.length, '\0')};
    line.bytes[0] = static_cast<char>(row.opcode);
    const std::string_view pattern = row.disassembly;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            line.text += QLatin1Char(pattern[i]);
            continue;
        }
        const char kind = pattern[++i];
        if (kind == 't') {
            // Relative and long targets are the line itself; a page target is its page's start.
            const bool page = tw::mcs51::hasOperand(row, Operand::Addr11);
            line.text += label(page ? row.opcode & 0xE0 : row.opcode);
            if (page)
                line.bytes[1] = 0;
            else if (tw::mcs51::hasOperand(row, Operand::Addr16))
                line.bytes.replace(1, 2,
                                   QByteArray::fromHex(QByteArray::number(pc, 16).rightJustified(4, '0')));
            else
                line.bytes[row.length - 1] = static_cast<char>(-row.length);
            continue;
        }
        const int index = pattern[++i] - '0';
        if (kind == 'w') {
            line.text += u"1234H"_s;
            line.bytes[index] = 0x12, line.bytes[index + 1] = 0x34;
            continue;
        }
        const std::uint8_t value = index == 1 ? kByte1 : kByte2;
        line.text += hex(value);
        line.bytes[index] = static_cast<char>(value);
    }
    return line;
}

Line line48(const tw::mcs48::OpcodeRow &row, std::string_view mnemonic)
{
    using tw::mcs48::Operand;
    tw::mcs48::OpcodeRow spelled = row;
    spelled.mnemonic = mnemonic;
    Line line{label(row.opcode) + u": "_s + QString::fromStdString(tw::mcs48::disassemblyLead(spelled)),
              QByteArray(row.length, '\0')};
    line.bytes[0] = static_cast<char>(row.opcode);
    if (row.has(Operand::Imm)) {
        line.text += u"5AH"_s;
        line.bytes[1] = 0x5A;
    } else if (row.has(Operand::Page)) {
        line.text += label(row.opcode);
        line.bytes[1] = static_cast<char>(addressOf(row.opcode) & 0xFF);
    } else if (row.has(Operand::Addr11)) {
        line.text += label(row.opcode & 0xE0);
        line.bytes[1] = 0;
    }
    return line;
}

// Assembles the lines, each at its own address, and returns the code image file.
QByteArray assemble(const QString &command, const std::map<int, Line> &lines, const QDir &dir)
{
    QString source;
    for (const auto &[address, line] : lines)
        source += u" ORG %1\r\n"_s.arg(hex(address)) + line.text + u"\r\n"_s;
    source += u" END\r\n"_s;
    const QString path = dir.filePath(command + u".asm"_s);
    twtest::writeBytes(path, source.toLatin1());
    const twtest::ProcessResult run = twtest::runDriver({command, path});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << "\n"
                               << twtest::readBytes(dir.filePath(command + u".err"_s)).toStdString();
    return twtest::readBytes(dir.filePath(command + u".bin"_s));
}

void expectBytes(const QByteArray &image, const std::map<int, Line> &lines)
{
    for (const auto &[address, line] : lines)
        EXPECT_EQ(image.mid(address, line.bytes.size()).toHex(), line.bytes.toHex())
            << line.text.toStdString();
}

} // namespace

TEST(InstructionTables, EveryMcs51OpcodeTextAssemblesToItsBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::map<int, Line> lines;
    for (const auto &row : tw::mcs51::kOpcodes) // A5H too: its line is the byte itself
        lines[addressOf(row.opcode)] = line51(row);
    expectBytes(assemble(u"asm51"_s, lines, QDir(dir.path())), lines);
}

// The canonical spellings, then the second mnemonics the dialect takes (IN A,BUS), above 800H.
TEST(InstructionTables, EveryMcs48OpcodeTextAssemblesToItsBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::map<int, Line> lines;
    for (const auto &row : tw::mcs48::kOpcodes) {
        if (row.defined())
            lines[addressOf(row.opcode)] = line48(row, row.mnemonic);
        if (!row.alias.empty()) {
            Line alias = line48(row, row.alias);
            alias.text.replace(0, label(row.opcode).size(), u"A"_s + label(row.opcode));
            lines[0x800 + addressOf(row.opcode)] = alias;
        }
    }
    ASSERT_EQ(lines.size(), 241u);
    expectBytes(assemble(u"asm48"_s, lines, QDir(dir.path())), lines);
}
