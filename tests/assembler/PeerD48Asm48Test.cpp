// The MCS-48 assembler against d48 (Debian package d52), both ways:
// - random programs over every operand form are assembled here and disassembled by d48, which
//   must give back each statement: same address, mnemonic, operands, immediate values, targets;
// - random 8048 code is disassembled by d48 and the listing, translated where d48's syntax
//   leaves this dialect, is assembled here: the image must equal the original byte for byte.
// Our own disassembler's text must reassemble the same way.
#include "assembler/AssemblyRun.h"
#include "assembler/mcs48/Forms.h"
#include "common/TextFile.h"

#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace tw;
using tw::mcs48::Operand;

namespace
{

// Codes d48 does not decode as this dialect does: the dialect's extra forms, and the bank selects,
// whose effect on JMP and CALL targets d48 tracks and this assembler deliberately does not.
const QByteArray kNotCompared = QByteArray::fromHex("2287C0C1E0E1D60666A6E5F5");
// Codes neither defines, and the extra forms d48 reads as data.
const QByteArray kNotGenerated = QByteArray::fromHex("010B33383B6373828B9BA2B7C2C3E2F3"
                                                     "2287C0C1E0E1D60666A6");

bool takesSecondByte(Operand kind)
{
    return kind == Operand::Imm || kind == Operand::Page || kind == Operand::Addr11;
}

struct Planned {
    const mcs48::Form *form = nullptr;
    int address = 0;
    int length = 1;
    int first = 0, second = 0; // register, pointer or port numbers
    int value = 0;             // immediate or target
    bool altSpelling = false;
};

QString operandText(Operand kind, int number, const Planned &p, bool canonical)
{
    switch (kind) {
    case Operand::Rn:
        return QStringLiteral("R%1").arg(number);
    case Operand::AtRi:
        return QStringLiteral("@R%1").arg(number);
    case Operand::Pp:
        return QStringLiteral("P%1").arg(number);
    case Operand::Imm:
        return canonical ? QStringLiteral("#%1").arg(p.value, 0, 16)
                         : QStringLiteral("#0%1H").arg(p.value, 2, 16, QChar(u'0')).toUpper();
    case Operand::Page:
    case Operand::Addr11:
        return canonical ? QStringLiteral("@%1").arg(p.value, 0, 16)
                         : QStringLiteral("L%1").arg(p.value, 4, 16, QChar(u'0')).toUpper();
    case Operand::Tcnti:
        return !canonical && p.altSpelling ? QStringLiteral("TCHTI") : QStringLiteral("TCNTI");
    case Operand::Tcnt:
        return !canonical && p.altSpelling ? QStringLiteral("TCHT") : QStringLiteral("TCNT");
    default:
        break;
    }
    static const std::map<Operand, const char *> names = {
        {Operand::A, "A"},     {Operand::C, "C"},     {Operand::AtA, "@A"},  {Operand::T, "T"},
        {Operand::Psw, "PSW"}, {Operand::Pc, "PC"},   {Operand::Ah, "AH"},   {Operand::F0, "F0"},
        {Operand::F1, "F1"},   {Operand::P1, "P1"},   {Operand::P2, "P2"},   {Operand::Bus, "BUS"},
        {Operand::I, "I"},     {Operand::Cnt, "CNT"}, {Operand::Clk, "CLK"}, {Operand::Rb0, "RB0"},
        {Operand::Rb1, "RB1"}, {Operand::Mb0, "MB0"}, {Operand::Mb1, "MB1"}};
    const auto it = names.find(kind);
    return it == names.end() ? QString() : QString::fromLatin1(it->second);
}

// "MNEMONIC OP1,OP2", with immediates as "#hex" and targets as "@hex" when canonical.
QString statementText(const Planned &p, bool canonical)
{
    QString mnemonic = QString::fromLatin1(p.form->mnemonic.data(), p.form->mnemonic.size());
    if (canonical && p.form->opcode == 0x08)
        mnemonic = QStringLiteral("INS"); // IN A,BUS and INS A,BUS are one instruction
    QStringList operands;
    if (p.form->first != Operand::None)
        operands << operandText(p.form->first, p.first, p, canonical);
    if (p.form->second != Operand::None)
        operands << operandText(p.form->second, p.second, p, canonical);
    return operands.isEmpty() ? mnemonic : mnemonic + u' ' + operands.join(u',');
}

const mcs48::Form *formNamed(std::string_view mnemonic)
{
    return &*std::find_if(mcs48::forms().begin(), mcs48::forms().end(),
                          [&](const mcs48::Form &f) { return f.mnemonic == mnemonic; });
}

int numberFor(Operand kind, QRandomGenerator &random)
{
    switch (kind) {
    case Operand::Rn:
        return random.bounded(8);
    case Operand::AtRi:
        return random.bounded(2);
    case Operand::Pp:
        return random.bounded(4, 8);
    default:
        return 0;
    }
}

// A program over every compared form, each statement labelled by its address; page jumps get a
// target on the page of their second byte, JMP and CALL any statement.
std::vector<Planned> planProgram(QRandomGenerator &random, int statements)
{
    std::vector<const mcs48::Form *> candidates;
    for (const mcs48::Form &form : mcs48::forms())
        if (!kNotCompared.contains(static_cast<char>(form.opcode)) && form.opcode != 0x00)
            candidates.push_back(&form);
    std::vector<Planned> plan;
    int address = 0;
    for (int i = 0; i < statements; ++i) {
        Planned p;
        p.form = candidates[random.bounded(static_cast<quint32>(candidates.size()))];
        p.length = takesSecondByte(p.form->first) || takesSecondByte(p.form->second) ? 2 : 1;
        // d48 takes a page jump's page from its opcode, the chip from its second byte: they part
        // at the last byte of a page, where any two-byte form crosses into the next.
        if (p.length == 2 && (address & 0xFF) == 0xFF)
            p.form = formNamed("ENT0"), p.length = 1;
        p.address = address;
        p.first = numberFor(p.form->first, random);
        p.second = numberFor(p.form->second, random);
        p.value = static_cast<int>(random.bounded(256));
        p.altSpelling = random.bounded(2) == 1;
        address += p.length;
        plan.push_back(p);
    }
    plan.back().form = formNamed("RET");
    plan.back().length = 1;
    for (Planned &p : plan) {
        const Operand kind = takesSecondByte(p.form->first) ? p.form->first : p.form->second;
        if (kind != Operand::Page && kind != Operand::Addr11)
            continue;
        std::vector<int> targets;
        const int page = (p.address + 1) & ~0xFF;
        for (const Planned &t : plan)
            if (kind == Operand::Addr11 || (t.address & ~0xFF) == page)
                targets.push_back(t.address);
        p.value = targets[random.bounded(static_cast<quint32>(targets.size()))];
    }
    return plan;
}

QString sourceOf(const std::vector<Planned> &plan)
{
    QString text;
    for (const Planned &p : plan)
        text += QStringLiteral("L%1:\t").arg(p.address, 4, 16, QChar(u'0')).toUpper() +
                statementText(p, false) + QStringLiteral("\r\n");
    return text + QStringLiteral("\tEND\r\n");
}

struct PeerLine {
    QString canonical;
    QByteArray bytes;
};

// d48 -d lines: "[Xaaaa:]\tmnemonic\toperands\t; AAAA - hh hh\t...".
std::map<int, PeerLine> readListing(const QString &path)
{
    static const QRegularExpression line(QStringLiteral(
        "^(?:X[0-9a-f]{4}:)?\\t([a-z0-9]+)\\t?([^;\\t]*)\\t*; ([0-9a-f]{4}) - ((?:[0-9a-f]{2} ?)+)"));
    static const QRegularExpression number(QStringLiteral("^#(?:([0-9]+)|([0-9a-f]+)h)$"));
    static const QRegularExpression target(QStringLiteral("^X([0-9a-f]{4})$"));
    std::map<int, PeerLine> out;
    for (const QString &text : QString::fromLatin1(twtest::readBytes(path)).split(u'\n')) {
        const auto m = line.match(text);
        if (!m.hasMatch())
            continue;
        QString mnemonic = m.captured(1).toUpper();
        if (mnemonic == u"RETR")
            mnemonic = QStringLiteral("RETI");
        QStringList operands;
        for (const QString &op : m.captured(2).trimmed().split(u',', Qt::SkipEmptyParts)) {
            if (const auto n = number.match(op); n.hasMatch())
                operands << QStringLiteral("#%1").arg(
                    n.captured(1).isEmpty() ? n.captured(2).toInt(nullptr, 16) : n.captured(1).toInt(), 0,
                    16);
            else if (const auto t = target.match(op); t.hasMatch())
                operands << QStringLiteral("@%1").arg(t.captured(1).toInt(nullptr, 16), 0, 16);
            else
                operands << op.toUpper();
        }
        PeerLine peer;
        peer.canonical = operands.isEmpty() ? mnemonic : mnemonic + u' ' + operands.join(u',');
        peer.bytes = QByteArray::fromHex(m.captured(4).toLatin1());
        out[m.captured(3).toInt(nullptr, 16)] = peer;
    }
    return out;
}

twtest::ProcessResult runD48(const QTemporaryDir &dir, const QStringList &options)
{
    return twtest::runProgram(QStringLiteral("d48"),
                              options + QStringList{QStringLiteral("-b"), QStringLiteral("prog.bin")},
                              dir.path(), 60000);
}

TEST(PeerD48Asm48, D48ReadsBackEveryAssembledStatement)
{
    TW_REQUIRE_PROGRAMS(QStringLiteral("d48"));
    QRandomGenerator random(0x48A5);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const std::vector<Planned> plan = planProgram(random, 700);
        const QString source = dir.filePath(QStringLiteral("prog.asm"));
        twtest::writeBytes(source, encodeText(sourceOf(plan)));
        const AssemblyResult result =
            assembleFile(AsmCpu::Mcs48, source, dir.filePath(QStringLiteral("prog.bin")));
        ASSERT_TRUE(result.completed) << result.failureMessage.toStdString();
        ASSERT_EQ(result.errorCount, 0)
            << decodeText(twtest::readBytes(result.paths.errorReport)).text.toStdString();

        const auto peerRun = runD48(dir, {QStringLiteral("-d")});
        ASSERT_EQ(peerRun.exitCode, 0) << peerRun.err.toStdString();
        const auto peer = readListing(dir.filePath(QStringLiteral("prog.d48")));
        const QByteArray image = twtest::readBytes(result.paths.bin);
        for (const Planned &p : plan) {
            const QString expected = statementText(p, true);
            SCOPED_TRACE(
                QStringLiteral("%1 %2").arg(p.address, 4, 16, QChar(u'0')).arg(expected).toStdString());
            const auto it = peer.find(p.address);
            ASSERT_NE(it, peer.end());
            EXPECT_EQ(it->second.canonical.toStdString(), expected.toStdString());
            EXPECT_EQ(it->second.bytes.size(), p.length);
            EXPECT_EQ(it->second.bytes, image.mid(p.address, p.length).leftJustified(p.length, '\0'));
        }
    }
}

// d48 output into this dialect: its undefined-place labels become EQU labels (they take a colon
// here), RETR is RETI; everything else (INS A,BUS, STOP TCNT, lower case, 0a0h) is accepted.
QString translate(const QString &d48Text)
{
    static const QRegularExpression equLine(QStringLiteral("^(X[0-9a-f]{4})\\tequ\\t"));
    QString out;
    for (QString line : d48Text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        line.replace(equLine, QStringLiteral("\\1:\tequ\t"));
        line.replace(QRegularExpression(QStringLiteral("\\tretr\\b")), QStringLiteral("\treti"));
        out += line + QStringLiteral("\r\n");
    }
    return out;
}

// Instruction lengths and page-jump codes from the 8048 opcode map.
bool isPageJump(int op)
{
    return (op & 0x1F) == 0x12 || (op & 0x0F) == 0x06 || (op & 0xF8) == 0xE8;
}

int lengthOf(int op)
{
    static const QByteArray immediates = QByteArray::fromHex("031323435388898A98999AB0B1D3");
    if ((op & 0x0F) == 0x04 || isPageJump(op) || (op & 0xF8) == 0xB8 ||
        immediates.contains(static_cast<char>(op)))
        return 2;
    return 1;
}

// A stream of defined instructions with random operand bytes. d48 takes the page of a conditional
// jump from its opcode, so one at xxFFH (which reaches the next page) is not generated.
QByteArray randomCode(QRandomGenerator &random, int size)
{
    std::vector<int> allowed;
    for (int op = 0; op < 256; ++op)
        if (!kNotGenerated.contains(static_cast<char>(op)))
            allowed.push_back(op);
    QByteArray code;
    while (code.size() < size) {
        const int op = allowed[random.bounded(static_cast<quint32>(allowed.size()))];
        if (isPageJump(op) && (code.size() & 0xFF) == 0xFF)
            continue;
        code += static_cast<char>(op);
        if (lengthOf(op) == 2)
            code += static_cast<char>(random.bounded(256));
    }
    return code + '\x83';
}

TEST(PeerD48Asm48, RandomCodeThroughD48ReassemblesByteForByte)
{
    TW_REQUIRE_PROGRAMS(QStringLiteral("d48"));
    QRandomGenerator random(0x8048);
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QByteArray code = randomCode(random, static_cast<int>(random.bounded(200, 2048)));
        twtest::writeBytes(dir.filePath(QStringLiteral("prog.bin")), code);
        const auto peerRun = runD48(dir, {});
        ASSERT_EQ(peerRun.exitCode, 0) << peerRun.err.toStdString();
        const QString source = dir.filePath(QStringLiteral("back.asm"));
        twtest::writeBytes(source, translate(QString::fromLatin1(
                                                 twtest::readBytes(dir.filePath(QStringLiteral("prog.d48")))))
                                       .toLatin1());
        const AssemblyResult result =
            assembleFile(AsmCpu::Mcs48, source, dir.filePath(QStringLiteral("back.bin")));
        ASSERT_TRUE(result.completed) << result.failureMessage.toStdString();
        EXPECT_EQ(result.errorCount, 0)
            << decodeText(twtest::readBytes(result.paths.errorReport)).text.toStdString();
        QByteArray expected = code;
        while (expected.size() > 1 && expected.endsWith('\0'))
            expected.chop(1);
        EXPECT_EQ(twtest::readBytes(result.paths.bin).toHex().toStdString(), expected.toHex().toStdString());
    }
}

// Page jumps in the last three bytes of a page. The chip takes the page from the address of the
// second byte: from xxFDH and xxFEH a jump stays in page xx, from xxFFH it reaches page xx+1.
// d48 agrees at xxFDH and xxFEH and reads xxFFH in the opcode's page, so there the chip rule is
// checked on the bytes alone.
TEST(PeerD48Asm48, PageJumpsAtThePageEdgeFollowTheChip)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("prog.asm"));
    twtest::writeBytes(good, "\tJMP\tSTART\r\n\tORG\t0F0H\r\nLOW:\tRET\r\nSTART:\tMOV\tA,#1\r\n"
                             "\tORG\t0FDH\r\n\tJNZ\tLOW\r\n\tJC\tHIGH\r\n\tJMP\tMORE\r\n"
                             "\tORG\t110H\r\nHIGH:\tRET\r\n\tORG\t1FEH\r\nMORE:\tDJNZ\tR2,HIGH\r\n\tRET\r\n");
    const AssemblyResult result = assembleFile(AsmCpu::Mcs48, good, dir.filePath(QStringLiteral("prog.bin")));
    ASSERT_TRUE(result.completed) << result.failureMessage.toStdString();
    ASSERT_EQ(result.errorCount, 0)
        << decodeText(twtest::readBytes(result.paths.errorReport)).text.toStdString();
    const QByteArray code = twtest::readBytes(result.paths.bin);
    EXPECT_EQ(code.mid(0xFD, 6).toHex(), QByteArray("96f0f61024fe")); // xxFDH, xxFFH
    EXPECT_EQ(code.mid(0x1FE, 3).toHex(), QByteArray("ea1083"));      // xxFEH
    // The chip at 00FFH: second byte at 0100H, so page 1 and the target HIGH.
    EXPECT_EQ(((0xFF + 1) & 0xFF00) | static_cast<std::uint8_t>(code[0x100]), 0x110);

    // A target on the opcode's page from xxFFH, or on the next page from xxFEH, is out of reach.
    const QString bad = dir.filePath(QStringLiteral("bad.asm"));
    twtest::writeBytes(bad, "\tORG\t0F0H\r\nLOW:\tRET\r\n\tORG\t0FEH\r\n\tJNZ\tHIGH\r\n"
                            "\tORG\t110H\r\nHIGH:\tRET\r\n\tORG\t1FFH\r\n\tJZ\tHIGH\r\n\tEND\r\n");
    const AssemblyResult refused = assembleFile(AsmCpu::Mcs48, bad, dir.filePath(QStringLiteral("bad.bin")));
    ASSERT_TRUE(refused.completed);
    EXPECT_EQ(refused.errorCount, 2);
    const QString report = decodeText(twtest::readBytes(refused.paths.errorReport)).text;
    EXPECT_TRUE(report.contains(u"\t第 4行\t转移范围越界"_qs)) << report.toStdString();
    EXPECT_TRUE(report.contains(u"\t第 8行\t转移范围越界"_qs)) << report.toStdString();

    if (!twtest::havePeer(QStringLiteral("d48"))) {
        ASSERT_NE(qgetenv("CI"), QByteArray("true")) << "d48 is not installed";
        GTEST_SKIP() << "d48 is not installed";
    }
    const auto peerRun = runD48(dir, {QStringLiteral("-d")});
    ASSERT_EQ(peerRun.exitCode, 0) << peerRun.err.toStdString();
    const auto peer = readListing(dir.filePath(QStringLiteral("prog.d48")));
    ASSERT_TRUE(peer.count(0xFD) && peer.count(0x1FE));
    EXPECT_EQ(peer.at(0xFD).canonical, QStringLiteral("JNZ @f0"));
    EXPECT_EQ(peer.at(0x1FE).canonical, QStringLiteral("DJNZ R2,@110"));
}

} // namespace
