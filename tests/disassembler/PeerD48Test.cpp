// Differential check against d48: on generated 8048 programs, every address that both
// disassemblers decode as an instruction must have the same length and the same operand value
// (immediate byte or transfer target).
#include "Output48.h"
#include "disassembler/Disassemble48.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace
{

// Codes whose meaning differs between this system's dialect and the plain 8048 (or that d48 reads
// otherwise), the bank switch whose order rules differ, and the undefined codes.
const QByteArray kExcluded = QByteArray::fromHex("2287C0C1E0E10666A6D6F5B3"
                                                 "010B33383B6373828B9BA2B7C2C3E2F3");

enum class Kind { One, Immediate, Page, Long };

Kind kindOf(int op)
{
    if ((op & 0x0F) == 0x04)
        return Kind::Long;
    if ((op & 0x1F) == 0x12 || (op & 0x0F) == 0x06 || (op & 0xF8) == 0xE8)
        return Kind::Page;
    static const QByteArray immediates = QByteArray::fromHex("03132343538889 8A98999AB0B1D3");
    if (immediates.contains(static_cast<char>(op)) || (op & 0xF8) == 0xB8)
        return Kind::Immediate;
    return Kind::One;
}

bool endsFlow(int op)
{
    return (op & 0x1F) == 0x04 || op == 0x83 || op == 0x93;
}

// A program of 8048 instructions with jump and call targets on instruction starts and short
// stretches of random data after jumps and returns.
QByteArray program(QRandomGenerator &random, int size)
{
    std::vector<int> allowed;
    for (int op = 0; op < 256; ++op)
        if (!kExcluded.contains(static_cast<char>(op)))
            allowed.push_back(op);
    QByteArray image(size, '\0');
    std::vector<int> starts;
    int a = 0;
    while (a < size - 1) {
        int op = allowed[random.bounded(static_cast<quint32>(allowed.size()))];
        if (kindOf(op) == Kind::Page && (a & 0xFF) >= 0xFE)
            op = 0x00; // page edges are read differently by d48
        image[a] = static_cast<char>(op);
        starts.push_back(a);
        a += kindOf(op) == Kind::One ? 1 : 2;
        if (endsFlow(op) && random.bounded(3) == 0)
            for (int n = random.bounded(1, 6); n > 0 && a < size; --n)
                image[a++] = static_cast<char>(random.bounded(256));
    }
    for (const int start : starts) {
        const int op = static_cast<std::uint8_t>(image[start]);
        if (start + 1 >= size)
            break;
        switch (kindOf(op)) {
        case Kind::One:
            break;
        case Kind::Immediate:
            image[start + 1] = static_cast<char>(random.bounded(256));
            break;
        case Kind::Long: {
            const int target = starts[random.bounded(static_cast<quint32>(starts.size()))];
            image[start] = static_cast<char>((op & 0x1F) | ((target >> 8) << 5));
            image[start + 1] = static_cast<char>(target & 0xFF);
            break;
        }
        case Kind::Page: {
            const int page = (start + 2) & ~0xFF;
            std::vector<int> inPage;
            for (const int s : starts)
                if ((s & ~0xFF) == page)
                    inPage.push_back(s);
            const int target =
                inPage.empty() ? page : inPage[random.bounded(static_cast<quint32>(inPage.size()))];
            image[start + 1] = static_cast<char>(target & 0xFF);
            break;
        }
        }
    }
    return image;
}

struct PeerLine {
    int length = 0;
    long operand = -1;
};

// d48's listing with -d: "<label:>\tmnemonic\toperands\t\t; AAAA - hh hh\t<ascii>".
std::map<long, PeerLine> readD48(const QString &path)
{
    static const QRegularExpression line(QStringLiteral("^([^;]*);\\s*([0-9a-f]{4}) - ((?:[0-9a-f]{2} ?)+)"));
    static const QRegularExpression immediate(QStringLiteral("#([0-9a-f]+)(h?)\\b"));
    static const QRegularExpression target(QStringLiteral("\\bX([0-9a-f]{4})\\b"));
    std::map<long, PeerLine> out;
    const QString text = QString::fromLatin1(twtest::readBytes(path));
    for (const QString &l : text.split(u'\n')) {
        const auto m = line.match(l);
        if (!m.hasMatch())
            continue;
        QString statement = m.captured(1);
        statement.remove(QRegularExpression(QStringLiteral("^X[0-9a-f]{4}:")));
        PeerLine peer;
        peer.length = static_cast<int>(m.captured(3).trimmed().split(u' ').size());
        if (const auto i = immediate.match(statement); i.hasMatch())
            peer.operand = i.captured(1).toLong(nullptr, i.captured(2).isEmpty() ? 10 : 16);
        else if (const auto t = target.match(statement); t.hasMatch())
            peer.operand = t.captured(1).toLong(nullptr, 16);
        out[m.captured(2).toLong(nullptr, 16)] = peer;
    }
    return out;
}

long ourOperand(const QString &statement)
{
    static const QRegularExpression immediate(QStringLiteral("#([0-9A-F]{2})H$"));
    static const QRegularExpression target(QStringLiteral(">([0-9A-F]{4})$"));
    if (const auto i = immediate.match(statement); i.hasMatch())
        return i.captured(1).toLong(nullptr, 16);
    if (const auto t = target.match(statement); t.hasMatch())
        return t.captured(1).toLong(nullptr, 16);
    return -1;
}

TEST(PeerD48, InstructionsAgreeWithD48WhereBothDecode)
{
    if (!twtest::havePeer(QStringLiteral("d48")))
        GTEST_SKIP() << "d48 is not installed";
    QRandomGenerator random(0x8048);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString bin = dir.filePath(QStringLiteral("prog.bin"));
        const QString asmPath = dir.filePath(QStringLiteral("prog.asm"));
        const QByteArray image = program(random, static_cast<int>(random.bounded(256, 2049)));
        twtest::writeBytes(bin, image);

        const tw::Disasm48Outcome outcome = tw::Disassemble48({bin, asmPath, {}, {}});
        ASSERT_TRUE(outcome.succeeded);
        const twtest::Output48 ours = twtest::readOutputFile48(asmPath);
        ASSERT_TRUE(ours.problems.isEmpty()) << ours.problems.join(u'\n').toStdString();

        const auto peerRun = twtest::runProgram(
            QStringLiteral("d48"), {QStringLiteral("-d"), QStringLiteral("-b"), QStringLiteral("prog.bin")},
            dir.path(), 60000);
        ASSERT_EQ(peerRun.exitCode, 0) << peerRun.err.toStdString();
        const auto peer = readD48(dir.filePath(QStringLiteral("prog.d48")));
        ASSERT_FALSE(peer.empty());

        std::size_t compared = 0;
        for (const auto &[address, statement] : ours.code) {
            const auto p = peer.find(address);
            if (p == peer.end())
                continue;
            ++compared;
            SCOPED_TRACE(
                QStringLiteral("%1 %2").arg(address, 4, 16, QChar(u'0')).arg(statement).toStdString());
            EXPECT_EQ(ours.lengths.at(address), p->second.length);
            EXPECT_EQ(ourOperand(statement), p->second.operand);
        }
        // d48 sweeps linearly and realigns after data, so most of our code lines meet one of its lines.
        EXPECT_GT(compared * 10, ours.code.size() * 8) << compared << " of " << ours.code.size();
    }
}

} // namespace
