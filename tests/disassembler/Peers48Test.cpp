// The MCS-48 disassembler against d48 and our own assembler, on images of random opcodes.
#include "disassembler/DisasmSupport.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace distest;

namespace
{

const QByteArray kUndefined = QByteArray::fromHex("010B33383B6373828B9BA2B7C2C3E2F3");
// Codes whose meaning differs between this system's dialect and the plain 8048 (or that d48 reads
// otherwise), and the bank switch, which d48 follows in address order rather than flow order.
const QByteArray kDialect = QByteArray::fromHex("2287C0C1E0E10666A6D6F5B3");

// Random opcodes but the excluded ones; the last byte of each page is NOP: a page jump there
// reaches the next page, and d48 takes the page from the opcode.
QByteArray randomCode(QRandomGenerator &random, int size, const QByteArray &excluded)
{
    QByteArray image(size, '\0');
    for (qsizetype a = 0; a < image.size(); ++a) {
        char &b = image[a];
        do
            b = static_cast<char>(random.bounded(256));
        while (excluded.contains(b));
        if ((a & 0xFF) == 0xFF)
            b = 0;
    }
    return image;
}

// d48's listing with -d: "<label:>\tmnemonic\toperands\t\t; AAAA - hh hh\t<ascii>", as address ->
// length and operand value (immediate or target, -1 for none).
std::map<long, std::pair<int, long>> readD48(const QString &path)
{
    static const QRegularExpression line(u"^([^;]*);\\s*([0-9a-f]{4}) - ((?:[0-9a-f]{2} ?)+)"_qs);
    static const QRegularExpression immediate(u"#([0-9a-f]+)(h?)\\b"_qs);
    static const QRegularExpression target(u"\\bX([0-9a-f]{4})\\b"_qs);
    std::map<long, std::pair<int, long>> out;
    for (const QString &l : QString::fromLatin1(twtest::readBytes(path)).split(u'\n')) {
        const QRegularExpressionMatch m = line.match(l);
        if (!m.hasMatch())
            continue;
        const QString statement = m.captured(1).remove(QRegularExpression(u"^X[0-9a-f]{4}:"_qs));
        long operand = -1;
        if (const auto i = immediate.match(statement); i.hasMatch())
            operand = i.captured(1).toLong(nullptr, i.captured(2).isEmpty() ? 10 : 16);
        else if (const auto t = target.match(statement); t.hasMatch())
            operand = t.captured(1).toLong(nullptr, 16);
        out[m.captured(2).toLong(nullptr, 16)] = {
            static_cast<int>(m.captured(3).trimmed().split(u' ').size()), operand};
    }
    return out;
}

long ourOperand(const QString &statement)
{
    static const QRegularExpression operand(u"(?:#([0-9A-F]{2})H|>([0-9A-F]{4}))$"_qs);
    const QRegularExpressionMatch m = operand.match(statement);
    return m.hasMatch() ? (m.captured(1) + m.captured(2)).toLong(nullptr, 16) : -1;
}

} // namespace

// Every address both disassemblers decode as an instruction has the same length and operand.
TEST(Dis48Peers, InstructionsAgreeWithD48WhereBothDecode)
{
    TW_REQUIRE_PROGRAMS(u"d48"_qs);
    QRandomGenerator random(0x8048);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir dir;
        const Job job =
            runJob(Cpu::Mcs48, dir.path(),
                   randomCode(random, static_cast<int>(random.bounded(256, 2049)), kUndefined + kDialect));
        ASSERT_EQ(job.result, u"ok");
        const Listing ours = readOutput(job.files.value(u"asm"_qs));
        ASSERT_EQ(ours.problems, QStringList());
        const auto peerRun =
            twtest::runProgram(u"d48"_qs, {u"-d"_qs, u"-b"_qs, u"in.bin"_qs}, dir.path(), 60000);
        ASSERT_EQ(peerRun.exitCode, 0) << peerRun.err.toStdString();
        const auto peer = readD48(dir.filePath(u"in.d48"_qs));
        std::size_t compared = 0;
        for (const auto &[address, statement] : ours.code) {
            const auto p = peer.find(address);
            if (p == peer.end())
                continue;
            ++compared;
            EXPECT_EQ(ours.lengths.at(address), p->second.first) << address << " " << statement.toStdString();
            EXPECT_EQ(ourOperand(statement), p->second.second) << address << " " << statement.toStdString();
        }
        // d48 sweeps linearly and realigns after data, so most of our code lines meet one of its lines.
        EXPECT_GT(compared * 10, ours.code.size() * 8) << compared << " of " << ours.code.size();
    }
}

// Images of defined opcodes only: our assembler makes the image again from the text, so every
// byte is there once, at its address, and every label is defined.
TEST(Dis48Peers, RandomCodeReassemblesWithOurAssembler)
{
    QRandomGenerator random(4848);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const QByteArray image = randomCode(random, static_cast<int>(random.bounded(64, 4096)), kUndefined);
        QTemporaryDir dir;
        const Job job = runJob(Cpu::Mcs48, dir.path(), image);
        if (job.result != u"ok") {
            EXPECT_EQ(job.messages, QStringList{u"反汇编信息|48|存在有非MCS48操作码，反汇编失败！"_qs});
            continue;
        }
        EXPECT_EQ(reassemble(Cpu::Mcs48, dir.path(), image.size()).toHex(), image.toHex());
    }
}

// Page jumps in the last three bytes of a page take the page of their second byte, as the chip
// does: d48 agrees at xxFDH and xxFEH; at xxFFH (next page) the chip rule alone decides. The text
// reassembles to the same bytes.
TEST(Dis48Peers, PageJumpsAtThePageEdgeFollowTheChip)
{
    QByteArray image(0x260, '\0');
    const auto put = [&](int address, std::initializer_list<int> bytes) {
        const QByteArray code = bytesOf(bytes);
        image.replace(address, code.size(), code);
    };
    put(0x000, {0x04, 0xFD});       // JMP 00FDH
    put(0x0FD, {0x96, 0x40});       // JNZ: second byte at 00FEH, page 0
    put(0x0FF, {0xF6, 0x40});       // JC: second byte at 0100H, page 1
    put(0x101, {0x24, 0xFE});       // JMP 01FEH
    put(0x1FE, {0xEA, 0x50, 0x83}); // DJNZ R2: second byte at 01FFH, page 1; RET
    for (const int target : {0x040, 0x140, 0x150})
        image[target] = static_cast<char>(0x83);
    QTemporaryDir dir;
    const Job job = runJob(Cpu::Mcs48, dir.path(), image);
    ASSERT_EQ(job.result, u"ok");
    const Listing ours = readOutput(job.files.value(u"asm"_qs));
    EXPECT_EQ(ours.problems, QStringList());
    EXPECT_EQ(ours.code.at(0x0FD), u"JNZ >0040"_qs);
    EXPECT_EQ(ours.code.at(0x0FF), u"JC >0140"_qs);
    EXPECT_EQ(ours.code.at(0x1FE), u"DJNZ R2,>0150"_qs);
    EXPECT_EQ(reassemble(Cpu::Mcs48, dir.path(), image.size()).toHex(), image.toHex());

    if (!twtest::havePeer(u"d48"_qs)) {
        ASSERT_NE(qgetenv("CI"), QByteArray("true")) << "d48 is not installed";
        GTEST_SKIP() << "d48 is not installed";
    }
    const auto peerRun = twtest::runProgram(u"d48"_qs, {u"-d"_qs, u"-b"_qs, u"in.bin"_qs}, dir.path(), 60000);
    ASSERT_EQ(peerRun.exitCode, 0) << peerRun.err.toStdString();
    const auto peer = readD48(dir.filePath(u"in.d48"_qs));
    EXPECT_EQ(peer.at(0x0FD).second, 0x040);
    EXPECT_EQ(peer.at(0x1FE).second, 0x150);
}

// JMPP @A jumps to an address only the program knows, so the run goes on after it and the next
// address gets a label: mid-page, at the last byte of a page (the label is on the next page) and
// at the last byte of the range (a label past the text, never written). The text reassembles to
// the same bytes.
TEST(Dis48Peers, JmppThroughTheAccumulatorGoesOnAndReassembles)
{
    QByteArray image(0x210, '\0');
    const auto put = [&](int address, std::initializer_list<int> bytes) {
        const QByteArray code = bytesOf(bytes);
        image.replace(address, code.size(), code);
    };
    put(0x000, {0x44, 0x00, 0x00, 0x44, 0x0F}); // JMP 0200H; vector 0003H: JMP 020FH
    put(0x0FF, {0xB3, 0x83});                   // the NOPs from 0007H reach JMPP @A; RET
    put(0x200, {0x23, 0x03, 0xB3, 0x44, 0x08, 0x44, 0x0A, 0x00, 0x83});
    image[0x20F] = static_cast<char>(0xB3);
    QTemporaryDir dir;
    const Job job = runJob(Cpu::Mcs48, dir.path(), image);
    ASSERT_EQ(job.result, u"ok");
    const QByteArray text = job.files.value(u"asm"_qs);
    const Listing ours = readOutput(text);
    EXPECT_EQ(ours.problems, QStringList());
    const auto statement = [&ours](long address) {
        const auto found = ours.code.find(address);
        return found == ours.code.end() ? QString() : found->second;
    };
    EXPECT_EQ(statement(0x202), u"JMPP @A"_qs);
    EXPECT_EQ(statement(0x203), u"JMP >0208"_qs);
    EXPECT_EQ(statement(0x208), u"RET"_qs);
    EXPECT_EQ(statement(0x100), u"RET"_qs);
    EXPECT_EQ(statement(0x20F), u"JMPP @A"_qs);
    EXPECT_EQ(text.count("JMPP @A\rL"), 2) << text.constData();
    EXPECT_TRUE(text.contains("DB 44H, 0AH, 00H\r")) << text.constData(); // not reached
    EXPECT_EQ(reassemble(Cpu::Mcs48, dir.path(), image.size()).toHex(), image.toHex());
}
