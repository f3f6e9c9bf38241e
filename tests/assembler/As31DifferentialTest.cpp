// Differential tests against as31: the same programs, in this assembler's dialect and translated
// to as31's, must give the same bytes at the same addresses.
#include "Mcs51TestSupport.h"
#include "assembler/mcs51/Aliases.h"
#include "assembler/mcs51/OpcodeTable.h"
#include "common/TextFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tw::mcs51;

namespace
{

using ByteMap = QMap<int, int>;

// as31's -Fbyte output: one "AAAA: BB" line per byte.
std::optional<ByteMap> assembleWithAs31(const QString &as31Source, const QString &folder)
{
    const QString source = QDir(folder).filePath(u"peer.asm"_s);
    const QString output = QDir(folder).filePath(u"peer.byte"_s);
    twtest::writeBytes(source, as31Source.toLatin1());
    const auto run = twtest::runProgram(u"as31"_s, {u"-Fbyte"_s, u"-O"_s + output, source}, folder, 60000);
    if (run.exitCode != 0) {
        ADD_FAILURE() << "as31 failed:\n" << run.out.toStdString() << run.err.toStdString();
        return std::nullopt;
    }
    ByteMap bytes;
    for (const QString &line :
         QString::fromLatin1(twtest::readBytes(output)).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u':');
        if (parts.size() == 2)
            bytes.insert(parts[0].trimmed().toInt(nullptr, 16), parts[1].trimmed().toInt(nullptr, 16));
    }
    return bytes;
}

bool driverAssembles()
{
    static const bool present = twtest::runDriver({}).err.contains("asm51");
    return present;
}

// Addresses as31 emitted must hold its bytes; every other byte must be zero.
void expectImage(const QByteArray &ours, const ByteMap &peer, const std::string &what)
{
    int differences = 0;
    for (int address = 0; address < ours.size() && differences < 10; ++address) {
        const int expected = peer.value(address, 0);
        const int actual = static_cast<std::uint8_t>(ours[address]);
        if (actual != expected) {
            ++differences;
            ADD_FAILURE() << what << ": at " << std::hex << address << " ours " << actual << ", as31 "
                          << expected;
        }
    }
}

// Our bytes twice: from the sizer and encoder alone (each statement's bytes where as31 put them),
// and end to end through `twdrive asm51` (normaliser, both passes, the .bin file).
void expectSameBytes(const QStringList &lines, const QString &name)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto peer = assembleWithAs31(twtest::toAs31(lines), dir.path());
    ASSERT_TRUE(peer.has_value()) << name.toStdString();
    ASSERT_FALSE(peer->isEmpty()) << name.toStdString();

    const auto mini = twtest::assembleLines(lines);
    EXPECT_TRUE(mini->errors.isEmpty())
        << name.toStdString() << ": " << mini->errors.join(u'|').toStdString();
    EXPECT_EQ(mini->bytes.keys(), peer->keys()) << name.toStdString();
    expectImage(QByteArray(reinterpret_cast<const char *>(mini->image->bytes.data()), 0x10000), *peer,
                name.toStdString() + " (encoder)");

    if (!driverAssembles())
        return;
    const QString source = QDir(dir.path()).filePath(u"ours.asm"_s);
    ASSERT_TRUE(tw::writeLines(source, lines));
    const auto run = twtest::runDriver({u"asm51"_s, source});
    ASSERT_EQ(run.exitCode, 0) << name.toStdString() << "\n"
                               << twtest::readBytes(QDir(dir.path()).filePath(u"ours.err"_s)).toStdString();
    const QByteArray bin = twtest::readBytes(QDir(dir.path()).filePath(u"ours.bin"_s));
    EXPECT_EQ(bin.size(), peer->lastKey() + 1) << name.toStdString();
    expectImage(bin, *peer, name.toStdString() + " (asm51)");
}

QString hexNumber(int value, int digits)
{
    return u'0' + QString::number(value, 16).toUpper().rightJustified(digits, u'0') + u'H';
}

const QHash<Operand, QString> kFixedOperands = {
    {Operand::A, u"A"_s},         {Operand::C, u"C"_s},          {Operand::AB, u"AB"_s},
    {Operand::Dptr, u"DPTR"_s},   {Operand::AtDptr, u"@DPTR"_s}, {Operand::AtADptr, u"@A+DPTR"_s},
    {Operand::AtAPc, u"@A+PC"_s},
};

// One statement for an opcode's row, with operand values that differ per opcode so that swapped
// or dropped operand bytes show.
QString statementFor(const OpcodeRow &row)
{
    QStringList operands;
    int directs = 0;
    for (int i = 0; i < row.operandCount(); ++i) {
        const Operand kind = row.operands[static_cast<std::size_t>(i)];
        switch (kind) {
        case Operand::None:
        case Operand::A:
        case Operand::C:
        case Operand::AB:
        case Operand::Dptr:
        case Operand::AtDptr:
        case Operand::AtADptr:
        case Operand::AtAPc:
            operands << kFixedOperands.value(kind);
            break;
        case Operand::R:
            operands << u"R"_s + QString::number(row.opcode & 7);
            break;
        case Operand::AtR:
            operands << u"@R"_s + QString::number(row.opcode & 1);
            break;
        case Operand::Imm:
            operands << u'#' + hexNumber(row.opcode ^ 0x5A, 2);
            break;
        case Operand::Imm16:
            operands << u'#' + hexNumber(0x1234 + row.opcode, 4);
            break;
        case Operand::Direct:
            operands << hexNumber((directs++ ? 0x60 : 0x30) + (row.opcode & 0x0F), 2);
            break;
        case Operand::Bit:
            operands << hexNumber(row.opcode ^ 0xA5, 2);
            break;
        case Operand::NotBit:
            operands << u'/' + hexNumber(row.opcode ^ 0xA5, 2);
            break;
        case Operand::Rel:
        case Operand::Addr11:
            operands << u"$"_s;
            break;
        case Operand::Addr16:
            operands << hexNumber(0x2000 + row.opcode * 3, 4);
            break;
        }
    }
    return u'\t' + QString::fromLatin1(row.mnemonic.data(), static_cast<qsizetype>(row.mnemonic.size())) +
           (operands.isEmpty() ? QString() : u'\t' + operands.join(u','));
}

} // namespace

TEST(As31Differential, EveryOpcodeEncodesAsAs31Does)
{
    if (!twtest::havePeer(u"as31"_s))
        GTEST_SKIP() << "as31 is not installed";
    QStringList lines;
    int covered = 0;
    for (const OpcodeRow &row : kOpcodes) {
        if (row.mnemonic.empty())
            continue; // A5H has no instruction
        // A page jump's opcode carries bits 8-10 of its target: "$" in page 2 at row's page.
        const bool page = row.operands[0] == Operand::Addr11;
        const int address =
            page ? 0x1000 + (row.opcode >> 5) * 0x100 + (row.opcode & 0x10) * 8 : row.opcode * 8;
        lines << u"\tORG\t"_s + hexNumber(address, 4) << statementFor(row);
        ++covered;
    }
    lines << u"\tEND"_s;
    EXPECT_EQ(covered, 255);
    expectSameBytes(lines, u"every opcode"_s);
}

TEST(As31Differential, CorpusProgramsGiveTheSameBytes)
{
    if (!twtest::havePeer(u"as31"_s))
        GTEST_SKIP() << "as31 is not installed";
    const QDir corpus(twtest::dataPath(u"assembler/as31"_s));
    const QStringList programs = corpus.entryList({u"*.asm"_s}, QDir::Files, QDir::Name);
    ASSERT_GE(programs.size(), 5);
    for (const QString &program : programs) {
        const auto text = tw::readTextFile(corpus.filePath(program));
        ASSERT_TRUE(text.has_value()) << program.toStdString();
        expectSameBytes(tw::splitLines(text->text), program);
    }
}
