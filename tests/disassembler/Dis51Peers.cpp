#include "disassembler/Dis51Peers.h"

#include "support/TestFiles.h"

#include "common/TextFile.h"
#include "disassembler/Opcodes51.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <random>

namespace dis51test
{

namespace
{

QString hexNumbersToC(QString text)
{
    static const QRegularExpression number(QStringLiteral("\\b([0-9A-F]+)H\\b"));
    return text.replace(number, QStringLiteral("0x\\1"));
}

} // namespace

QString toAs31(const QString &ours)
{
    static const QRegularExpression equ(QStringLiteral("^(L\\d+): EQU  ([0-9A-F]{4})H$"));
    QString out;
    for (const QString &line : tw::splitLines(ours)) {
        QRegularExpressionMatch match = equ.match(line);
        if (line.startsWith(u';'))
            out += line;
        else if (match.hasMatch())
            out += QStringLiteral(".equ %1, 0x%2").arg(match.captured(1), match.captured(2));
        else if (line.startsWith(QStringLiteral("ORG ")))
            out += QStringLiteral(".org ") + hexNumbersToC(line.mid(4));
        else if (line.startsWith(QStringLiteral("DB ")))
            out += QStringLiteral(".byte ") + hexNumbersToC(line.mid(3));
        else if (line == QStringLiteral("END"))
            out += QStringLiteral(".end");
        else
            out += hexNumbersToC(line);
        out += u'\n';
    }
    return out;
}

As31Result as31(const QString &source, const QString &dir)
{
    As31Result result;
    const QString asmPath = QDir(dir).filePath(QStringLiteral("a31.asm"));
    const QString outPath = QDir(dir).filePath(QStringLiteral("a31.out"));
    twtest::writeBytes(asmPath, source.toLatin1());
    QFile::remove(outPath);
    const twtest::ProcessResult run = twtest::runProgram(
        QStringLiteral("as31"),
        {QStringLiteral("-l"), QStringLiteral("-Fbyte"), QStringLiteral("-O") + outPath, asmPath}, dir,
        60000);
    result.messages = QString::fromLatin1(run.out + run.err);
    result.ok = run.exitCode == 0;
    static const QRegularExpression byteLine(QStringLiteral("^([0-9A-Fa-f]{4}): ([0-9A-Fa-f]{2})$"));
    for (const QString &line : tw::splitLines(QString::fromLatin1(twtest::readBytes(outPath)))) {
        const QRegularExpressionMatch match = byteLine.match(line);
        if (match.hasMatch())
            result.bytes[match.captured(1).toInt(nullptr, 16)] =
                static_cast<std::uint8_t>(match.captured(2).toInt(nullptr, 16));
    }
    static const QRegularExpression listed(QStringLiteral("^([0-9A-F]{4}): ((?:[0-9A-F]{2} )+)\\s*(.*)$"));
    const QString listPath = QDir(dir).filePath(QStringLiteral("a31.lst"));
    // Long byte runs go on over indented lines; the source text stands on the last of them.
    static const QRegularExpression continued(QStringLiteral("^\\s+((?:[0-9A-F]{2} )*)\\s*(.*)$"));
    for (const QString &line : tw::splitLines(QString::fromLatin1(twtest::readBytes(listPath)))) {
        QRegularExpressionMatch match = listed.match(line);
        if (match.hasMatch()) {
            result.lines.push_back({match.captured(1).toInt(nullptr, 16),
                                    QByteArray::fromHex(match.captured(2).toLatin1()), match.captured(3)});
        } else if (match = continued.match(line); match.hasMatch() && !result.lines.empty()) {
            result.lines.back().bytes += QByteArray::fromHex(match.captured(1).toLatin1());
            result.lines.back().source += match.captured(2);
        }
    }
    return result;
}

QByteArray imageOf(const std::map<int, std::uint8_t> &bytes)
{
    QByteArray image(bytes.empty() ? 0 : bytes.rbegin()->first + 1, '\0');
    for (const auto &[address, value] : bytes)
        image[address] = static_cast<char>(value);
    return image;
}

std::map<int, D52Instruction> d52Code(const QString &binPath)
{
    const QFileInfo info(binPath);
    twtest::runProgram(QStringLiteral("d52"),
                       {QStringLiteral("-b"), QStringLiteral("-d"), info.completeBaseName()},
                       info.absolutePath(), 60000);
    const QString listing = QString::fromLatin1(
        twtest::readBytes(info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".d52")));
    static const QRegularExpression line(
        QStringLiteral("^(?:\\w+:)?\\t(\\w+)[^;]*; ([0-9a-f]{4})   ((?:[0-9a-f]{2} )*[0-9a-f]{2})"));
    std::map<int, D52Instruction> code;
    for (const QString &text : tw::splitLines(listing)) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        const QString mnemonic = match.captured(1).toLower();
        if (mnemonic == u"db"_qs || mnemonic == u"dw"_qs)
            continue;
        code[match.captured(2).toInt(nullptr, 16)] = {
            mnemonic, QByteArray::fromHex(match.captured(3).remove(u' ').toLatin1())};
    }
    return code;
}

QByteArray generatedProgram(unsigned seed, int size)
{
    std::mt19937 random(seed);
    const auto &table = tw::opcodes51();
    QByteArray image(size, '\0');
    for (int vector = 3; vector < 0x30; vector += 8)
        image[vector] = static_cast<char>(0x32);
    image[0] = 0x02; // LJMP 0030H
    image[2] = 0x30;

    // Straight-line instructions from 0030H, ended by SJMP to itself.
    std::vector<int> starts;
    int pc = 0x30;
    while (pc + 5 < size) {
        int opcode = static_cast<int>(random() % 256);
        if (opcode == 0xA5)
            opcode = 0x00;
        const int length = table[static_cast<std::size_t>(opcode)].length;
        image[pc] = static_cast<char>(opcode);
        for (int k = 1; k < length; ++k)
            image[pc + k] = static_cast<char>(random() % 256);
        starts.push_back(pc);
        pc += length;
    }
    image[pc] = static_cast<char>(0x80);
    image[pc + 1] = static_cast<char>(0xFE);

    // Every transfer and every data-pointer load aimed at an instruction start it can reach.
    const auto pick = [&](int low, int high) {
        std::vector<int> fit;
        for (int start : starts)
            if (start >= low && start <= high)
                fit.push_back(start);
        return fit.empty() ? -1 : fit[random() % fit.size()];
    };
    for (int start : starts) {
        const int opcode = static_cast<std::uint8_t>(image[start]);
        const tw::Opcode51 &row = table[static_cast<std::size_t>(opcode)];
        const int next = start + row.length;
        if (row.target == tw::Target51::Relative) {
            const int target = pick(next - 128, next + 127);
            image[next - 1] = static_cast<char>(target - next);
        } else if (row.target == tw::Target51::Block) {
            const int base = next & ~0x7FF;
            const int target = pick(base, base + 0x7FF);
            if (target < 0) {
                image[start] = image[start + 1] = 0;
                continue;
            }
            image[start] = static_cast<char>((((target - base) >> 8) << 5) | (opcode & 0x1F));
            image[start + 1] = static_cast<char>(target & 0xFF);
        } else if (row.target == tw::Target51::Long || row.dptr == tw::Dptr51::Load) {
            const int target = pick(0x30, size);
            image[start + 1] = static_cast<char>(target >> 8);
            image[start + 2] = static_cast<char>(target & 0xFF);
        }
    }
    return image;
}

void expectLabelsDefined(const QByteArray &source)
{
    static const QRegularExpression prefix(u"^(L\\d+): "_qs);
    static const QRegularExpression use(u"\\b(L\\d+)\\b"_qs);
    QSet<QString> defined;
    QSet<QString> used;
    for (const QString &line : tw::splitLines(QString::fromLatin1(source))) {
        if (line.startsWith(u';'))
            continue;
        QString rest = line;
        const QRegularExpressionMatch own = prefix.match(line);
        if (own.hasMatch()) {
            EXPECT_FALSE(defined.contains(own.captured(1))) << "defined twice: " << line.toStdString();
            defined.insert(own.captured(1));
            rest = line.mid(own.capturedLength());
        }
        if (rest.startsWith(u"EQU"_qs))
            continue;
        EXPECT_FALSE(rest.endsWith(u',') || rest.endsWith(u' ')) << "empty operand: " << line.toStdString();
        for (auto it = use.globalMatch(rest); it.hasNext();)
            used.insert(it.next().captured(1));
    }
    for (const QString &label : used)
        EXPECT_TRUE(defined.contains(label)) << "undefined " << label.toStdString();
}

} // namespace dis51test
