// Differential tests against as31: the same programs, in this assembler's dialect and translated
// to as31's, must give the same bytes at the same addresses.
#include "Mcs51TestSupport.h"
#include "assembler/common/Aliases.h"
#include "common/TextFile.h"
#include "isa/Mcs51.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <random>

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

// Picks the text of an operand whose value varies: #data, #data16, direct, bit, /bit, targets.
// The index counts the direct operands of the statement so far.
using OperandPicker = std::function<QString(Operand kind, int directIndex)>;

// One statement for an opcode's row.
QString statementFor(const OpcodeRow &row, const OperandPicker &pick)
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
        case Operand::Direct:
            operands << pick(kind, directs++);
            break;
        case Operand::Imm:
        case Operand::Imm16:
        case Operand::Bit:
        case Operand::NotBit:
        case Operand::Rel:
        case Operand::Addr11:
        case Operand::Addr16:
            operands << pick(kind, 0);
            break;
        }
    }
    return u'\t' + QString::fromLatin1(row.mnemonic.data(), static_cast<qsizetype>(row.mnemonic.size())) +
           (operands.isEmpty() ? QString() : u'\t' + operands.join(u','));
}

// Values that differ per opcode so that swapped or dropped operand bytes show; targets are "$".
QString fixedPick(const OpcodeRow &row, Operand kind, int directIndex)
{
    switch (kind) {
    case Operand::Imm:
        return u'#' + hexNumber(row.opcode ^ 0x5A, 2);
    case Operand::Imm16:
        return u'#' + hexNumber(0x1234 + row.opcode, 4);
    case Operand::Direct:
        return hexNumber((directIndex ? 0x60 : 0x30) + (row.opcode & 0x0F), 2);
    case Operand::Bit:
        return hexNumber(row.opcode ^ 0xA5, 2);
    case Operand::NotBit:
        return u'/' + hexNumber(row.opcode ^ 0xA5, 2);
    case Operand::Addr16:
        return hexNumber(0x2000 + row.opcode * 3, 4);
    default:
        return u"$"_s;
    }
}

// Random programs: every statement labelled L<n>, operands drawn from numbers in three radixes,
// SFR and bit names both assemblers know, byte.bit texts, and labels in reach of each jump.
class RandomProgram
{
  public:
    explicit RandomProgram(unsigned seed) : m_random(seed) {}

    QStringList lines(int count)
    {
        m_count = count;
        QStringList out;
        for (m_index = 0; m_index < count; ++m_index) {
            const OpcodeRow *row = nullptr;
            while (!row || row->mnemonic.empty())
                row = &kOpcodes[static_cast<std::size_t>(draw(0, 255))];
            out << u'L' + QString::number(m_index) + u':' +
                       statementFor(*row, [this](Operand kind, int) { return pick(kind); });
        }
        out << u"\tEND"_s;
        return out;
    }

  private:
    int draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    QString number(int value)
    {
        switch (draw(0, 2)) {
        case 0:
            return hexNumber(value, 2);
        case 1:
            return QString::number(value);
        default:
            return QString::number(value, 2) + u'B';
        }
    }

    QString oneOf(const QStringList &texts) { return texts[draw(0, static_cast<int>(texts.size()) - 1)]; }

    QString label(int low, int high)
    {
        return u'L' + QString::number(std::clamp(m_index + draw(low, high), 0, m_count - 1));
    }

    QString bit()
    {
        static const QStringList names = {u"TR0"_s,  u"TF1"_s,  u"RI"_s,    u"TI"_s,    u"EA"_s,
                                          u"ES"_s,   u"INT0"_s, u"RD"_s,    u"PT2"_s,   u"TF2"_s,
                                          u"CY"_s,   u"OV"_s,   u"ACC.5"_s, u"B.2"_s,   u"PSW.4"_s,
                                          u"P1.3"_s, u"P3.7"_s, u"IE.7"_s,  u"SCON.0"_s};
        switch (draw(0, 2)) {
        case 0:
            return number(draw(0, 255));
        case 1:
            return oneOf(names);
        default:
            return hexNumber(draw(0x20, 0x2F), 0).mid(1) + u'.' + QString::number(draw(0, 7));
        }
    }

    QString pick(Operand kind)
    {
        static const QStringList sfrs = {u"B"_s,    u"PSW"_s,   u"SP"_s,   u"DPL"_s,  u"DPH"_s, u"P0"_s,
                                         u"P1"_s,   u"P2"_s,    u"P3"_s,   u"IE"_s,   u"IP"_s,  u"TMOD"_s,
                                         u"TCON"_s, u"T2CON"_s, u"TH0"_s,  u"TL0"_s,  u"TH1"_s, u"TL1"_s,
                                         u"TH2"_s,  u"TL2"_s,   u"SCON"_s, u"SBUF"_s, u"PCON"_s};
        switch (kind) {
        case Operand::Imm:
            return u'#' + number(draw(0, 255));
        case Operand::Imm16:
            return u'#' + (draw(0, 1) ? hexNumber(draw(0, 0xFFFF), 4) : label(-m_count, m_count));
        case Operand::Direct:
            return draw(0, 2) ? number(draw(0, 255)) : oneOf(sfrs);
        case Operand::Bit:
            return bit();
        case Operand::NotBit:
            return u'/' + bit();
        case Operand::Rel:
            return draw(0, 9) ? label(-30, 30) : u"$"_s;
        case Operand::Addr11:
        case Operand::Addr16:
            return label(-m_count, m_count);
        default:
            return QString();
        }
    }

    std::mt19937 m_random;
    int m_index = 0;
    int m_count = 0;
};

} // namespace

TEST(As31Differential, EveryOpcodeEncodesAsAs31Does)
{
    TW_REQUIRE_PROGRAMS(u"as31"_s);
    QStringList lines;
    int covered = 0;
    for (const OpcodeRow &row : kOpcodes) {
        if (row.mnemonic.empty())
            continue; // A5H has no instruction
        // A page jump's opcode carries bits 8-10 of its target: "$" in page 2 at row's page.
        const bool page = row.operands[0] == Operand::Addr11;
        const int address =
            page ? 0x1000 + (row.opcode >> 5) * 0x100 + (row.opcode & 0x10) * 8 : row.opcode * 8;
        lines << u"\tORG\t"_s + hexNumber(address, 4)
              << statementFor(row, [&row](Operand kind, int directIndex) {
                     return fixedPick(row, kind, directIndex);
                 });
        ++covered;
    }
    lines << u"\tEND"_s;
    EXPECT_EQ(covered, 255);
    expectSameBytes(lines, u"every opcode"_s);
}

TEST(As31Differential, CorpusProgramsGiveTheSameBytes)
{
    TW_REQUIRE_PROGRAMS(u"as31"_s);
    const QDir corpus(twtest::dataPath(u"assembler/as31"_s));
    const QStringList programs = corpus.entryList({u"*.asm"_s}, QDir::Files, QDir::Name);
    ASSERT_GE(programs.size(), 5);
    for (const QString &program : programs) {
        const auto text = tw::readTextFile(corpus.filePath(program));
        ASSERT_TRUE(text.has_value()) << program.toStdString();
        expectSameBytes(tw::splitLines(text->text), program);
    }
}

TEST(As31Differential, RandomProgramsGiveTheSameBytes)
{
    TW_REQUIRE_PROGRAMS(u"as31"_s);
    // Up to 500 statements of at most 3 bytes from address 0 stay in the first 2 KB page, so every
    // AJMP and ACALL reaches its label.
    for (unsigned seed : {1u, 2u, 3u, 4u})
        expectSameBytes(RandomProgram(seed).lines(500), u"random program "_s + QString::number(seed));
}
