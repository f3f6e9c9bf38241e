// The MCS-48 assembler against d48 (Debian package d52): random 8048 code is disassembled by d48
// and the listing, translated where d48's syntax leaves this dialect, is assembled here; the image
// must equal the original byte for byte. Our own disassembler's text must reassemble the same way.
#include "assembler/Assemble48.h"
#include "common/TextFile.h"

#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

using namespace tw;

namespace
{

// Codes neither defines, and the dialect's extra forms, which d48 reads as data.
const QByteArray kNotGenerated = QByteArray::fromHex("010B33383B6373828B9BA2B7C2C3E2F3"
                                                     "2287C0C1E0E1D60666A6");

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
// jump from its opcode, so one at xxFEH or xxFFH (which reaches the next page) is not generated.
QByteArray randomCode(QRandomGenerator &random, int size)
{
    std::vector<int> allowed;
    for (int op = 0; op < 256; ++op)
        if (!kNotGenerated.contains(static_cast<char>(op)))
            allowed.push_back(op);
    QByteArray code;
    while (code.size() < size) {
        const int op = allowed[random.bounded(static_cast<quint32>(allowed.size()))];
        if (isPageJump(op) && (code.size() & 0xFF) >= 0xFE)
            continue;
        code += static_cast<char>(op);
        if (lengthOf(op) == 2)
            code += static_cast<char>(random.bounded(256));
    }
    return code + '\x83';
}

TEST(PeerD48Asm48, RandomCodeThroughD48ReassemblesByteForByte)
{
    if (!twtest::havePeer(QStringLiteral("d48")))
        GTEST_SKIP() << "d48 is not installed";
    QRandomGenerator random(0x8048);
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QByteArray code = randomCode(random, static_cast<int>(random.bounded(200, 2048)));
        twtest::writeBytes(dir.filePath(QStringLiteral("prog.bin")), code);
        const auto peerRun = twtest::runProgram(
            QStringLiteral("d48"), {QStringLiteral("-b"), QStringLiteral("prog.bin")}, dir.path(), 60000);
        ASSERT_EQ(peerRun.exitCode, 0) << peerRun.err.toStdString();
        const QString source = dir.filePath(QStringLiteral("back.asm"));
        twtest::writeBytes(source, translate(QString::fromLatin1(
                                                 twtest::readBytes(dir.filePath(QStringLiteral("prog.d48")))))
                                       .toLatin1());
        const AssemblyResult result = assemble48(source, dir.filePath(QStringLiteral("back.bin")));
        ASSERT_TRUE(result.completed) << result.failureMessage.toStdString();
        EXPECT_EQ(result.errorCount, 0)
            << decodeText(twtest::readBytes(result.paths.errorReport)).text.toStdString();
        QByteArray expected = code;
        while (expected.size() > 1 && expected.endsWith('\0'))
            expected.chop(1);
        EXPECT_EQ(twtest::readBytes(result.paths.bin).toHex().toStdString(), expected.toHex().toStdString());
    }
}

TEST(PeerD48Asm48, PageEdgeJumpsReadBackThroughOurDisassembler)
{
    // The chip takes the page from the program counter after both bytes: from 00FEH and 00FFH
    // that is page 1. The disassembler must read the same targets, so its text reassembles.
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("prog.asm"));
    twtest::writeBytes(source,
                       "\tJMP\tSTART\r\n\tORG\t0F0H\r\nSTART:\tMOV\tA,#1\r\n\tORG\t0FEH\r\n\tJNZ\tNEXT\r\n"
                       "\tJC\tBACK\r\n\tORG\t110H\r\nNEXT:\tRET\r\nBACK:\tDJNZ\tR2,NEXT\r\n\tRET\r\n");
    ASSERT_EQ(twtest::runDriver({QStringLiteral("asm48"), source}).exitCode, 0);
    const QByteArray code = twtest::readBytes(dir.filePath(QStringLiteral("prog.bin")));
    EXPECT_EQ(code.mid(0xFE, 4).toHex(), QByteArray("9610f611"));
    EXPECT_EQ(code.mid(0x110).toHex(), QByteArray("83ea1083"));
    const QString back = dir.filePath(QStringLiteral("back.asm"));
    ASSERT_EQ(
        twtest::runDriver({QStringLiteral("dis48"), dir.filePath(QStringLiteral("prog.bin")), back}).exitCode,
        0);
    ASSERT_EQ(twtest::runDriver({QStringLiteral("asm48"), back}).exitCode, 0);
    EXPECT_EQ(twtest::readBytes(dir.filePath(QStringLiteral("back.bin"))).toHex(), code.toHex());
}

} // namespace
