// The MCS-51 disassembler against its peers: as31 and our own assembler take what it writes back
// to the same bytes, and where d52 also sees code the two agree on instruction starts and bytes.
#include "disassembler/DisasmSupport.h"
#include "support/TestFiles.h"

#include "base/CodeImage.h"
#include "common/TextFile.h"
#include "disassembler/common/DisasmLabels.h"
#include "disassembler/mcs51/Decoder51.h"
#include "disassembler/mcs51/Names51.h"
#include "disassembler/mcs51/Opcodes51.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace distest;

namespace
{

// Our dialect ("ORG 0030H", "L3: EQU  0F00H", "DB 12H, 0A5H", numbers with "H") in as31's.
QString toAs31(const QString &ours)
{
    static const QRegularExpression equ(u"^(L\\d+): EQU  ([0-9A-F]{4})H$"_qs);
    static const QRegularExpression number(u"\\b([0-9A-F]+)H\\b"_qs);
    QString out;
    for (QString line : tw::splitLines(ours)) {
        if (line.startsWith(u';'))
            continue;
        line.replace(equ, u".equ \\1, \\2H"_qs).replace(number, u"0x\\1"_qs);
        if (line.startsWith(u"ORG ") || line.startsWith(u"DB "))
            line = (line.startsWith(u'O') ? u".org"_qs : u".byte"_qs) + line.mid(line.indexOf(u' '));
        out += (line == u"END" ? u".end"_qs : line) + u'\n';
    }
    return out;
}

struct As31Line {
    int address = 0;
    QByteArray bytes;
    QString source;
};

struct As31Result {
    bool ok = false;
    QString messages;
    QByteArray image; // from 0000H to the highest address assembled, gaps 0
    std::vector<As31Line> lines;
};

As31Result as31(const QString &source, const QString &dir)
{
    As31Result result;
    const QString asmPath = QDir(dir).filePath(u"a31.asm"_qs);
    const QString outPath = QDir(dir).filePath(u"a31.out"_qs);
    twtest::writeBytes(asmPath, source.toLatin1());
    QFile::remove(outPath);
    const twtest::ProcessResult run =
        twtest::runProgram(u"as31"_qs, {u"-l"_qs, u"-Fbyte"_qs, u"-O"_qs + outPath, asmPath}, dir, 60000);
    result.messages = QString::fromLatin1(run.out + run.err);
    result.ok = run.exitCode == 0;
    // Long byte runs go on over indented lines; the source text stands on the last of them.
    static const QRegularExpression listed(u"^([0-9A-F]{4}): ((?:[0-9A-F]{2} )+)\\s*(.*)$"_qs);
    static const QRegularExpression continued(u"^\\s+((?:[0-9A-F]{2} )*)\\s*(.*)$"_qs);
    const QString listing = QString::fromLatin1(twtest::readBytes(QDir(dir).filePath(u"a31.lst"_qs)));
    for (const QString &line : tw::splitLines(listing)) {
        QRegularExpressionMatch m = listed.match(line);
        if (m.hasMatch()) {
            result.lines.push_back({m.captured(1).toInt(nullptr, 16),
                                    QByteArray::fromHex(m.captured(2).toLatin1()), m.captured(3)});
        } else if (m = continued.match(line); m.hasMatch() && !result.lines.empty()) {
            result.lines.back().bytes += QByteArray::fromHex(m.captured(1).toLatin1());
            result.lines.back().source += m.captured(2);
        }
    }
    for (const As31Line &line : result.lines) {
        if (result.image.size() < line.address + line.bytes.size())
            result.image.resize(line.address + line.bytes.size(), '\0');
        result.image.replace(line.address, line.bytes.size(), line.bytes);
    }
    return result;
}

// d52's instruction starts and bytes for the .bin file at binPath (data lines left out).
std::map<int, QByteArray> d52Code(const QString &binPath)
{
    const QFileInfo info(binPath);
    twtest::runProgram(u"d52"_qs, {u"-b"_qs, u"-d"_qs, info.completeBaseName()}, info.absolutePath(), 60000);
    static const QRegularExpression line(
        u"^(?:\\w+:)?\\t(\\w+)[^;]*; ([0-9a-f]{4})   ((?:[0-9a-f]{2} )*[0-9a-f]{2})"_qs);
    std::map<int, QByteArray> code;
    const QString path = info.absolutePath() + u'/' + info.completeBaseName() + u".d52"_qs;
    for (const QString &text : tw::splitLines(QString::fromLatin1(twtest::readBytes(path)))) {
        const QRegularExpressionMatch m = line.match(text);
        if (m.hasMatch() && m.captured(1).toLower() != u"db" && m.captured(1).toLower() != u"dw")
            code[m.captured(2).toInt(nullptr, 16)] =
                QByteArray::fromHex(m.captured(3).remove(u' ').toLatin1());
    }
    return code;
}

// A code image whose instructions, jump targets and data-pointer values all fall on instruction
// starts: vectors hold RETI, straight-line code runs from 0030H. A5H is never used.
QByteArray generatedProgram(unsigned seed, int size)
{
    std::mt19937 random(seed);
    const auto &table = tw::opcodes51();
    QByteArray image(size, '\0');
    for (int vector = 3; vector < 0x30; vector += 8)
        image[vector] = static_cast<char>(0x32);
    image.replace(0, 3, bytesOf({0x02, 0x00, 0x30}));
    std::vector<int> starts;
    int pc = 0x30;
    while (pc + 5 < size) {
        int opcode = static_cast<int>(random() % 256);
        opcode = opcode == 0xA5 ? 0 : opcode;
        image[pc] = static_cast<char>(opcode);
        for (int k = 1; k < table[static_cast<std::size_t>(opcode)].length; ++k)
            image[pc + k] = static_cast<char>(random() % 256);
        starts.push_back(pc);
        pc += table[static_cast<std::size_t>(opcode)].length;
    }
    image.replace(pc, 2, bytesOf({0x80, 0xFE}));
    // Code runs without a gap from 0030H, so every block and branch range holds a start.
    const auto pick = [&](int low, int high) {
        std::vector<int> fit;
        std::copy_if(starts.begin(), starts.end(), std::back_inserter(fit),
                     [&](int start) { return start >= low && start <= high; });
        return fit[random() % fit.size()];
    };
    for (int start : starts) {
        const int opcode = static_cast<std::uint8_t>(image[start]);
        const tw::Opcode51 &row = table[static_cast<std::size_t>(opcode)];
        const int next = start + row.length;
        if (row.target == tw::Target51::Relative) {
            image[next - 1] = static_cast<char>(pick(next - 128, next + 127) - next);
        } else if (row.target == tw::Target51::Block) {
            const int base = next & ~0x7FF;
            const int target = pick(base, base + 0x7FF);
            image.replace(start, 2,
                          bytesOf({(((target - base) >> 8) << 5) | (opcode & 0x1F), target & 0xFF}));
        } else if (row.target == tw::Target51::Long || row.dptr == tw::Dptr51::Load) {
            const int target = pick(0x30, size);
            image.replace(start + 1, 2, bytesOf({target >> 8, target & 0xFF}));
        }
    }
    return image;
}

class Dis51Peers : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        TW_REQUIRE_PROGRAMS(u"as31"_qs, u"d52"_qs);
        ASSERT_TRUE(dir.isValid());
    }
    QString disassemble(const QByteArray &bin)
    {
        const Job job = runJob(Cpu::Mcs51, dir.path(), bin);
        EXPECT_EQ(job.result, u"ok");
        return QString::fromLatin1(job.files.value(u"asm"_qs));
    }
    QTemporaryDir dir;
};

} // namespace

// Each of the 256 opcodes with several operand patterns, decoded at its own address, and every
// register and bit name: as31 assembles the same bytes again (A5H excepted: it is written NOP).
TEST_F(Dis51Peers, EveryOpcodeAndNameReassemblesToItsBytes)
{
    QString names = u".org 0x8000\n"_qs;
    QByteArray nameBytes;
    for (int address = 0; address < 256; ++address) {
        const auto byte = static_cast<std::uint8_t>(address);
        names += toAs31(u"SETB "_qs + QString::fromStdString(tw::bitName51(byte)) + u"\rMOV A,"_qs +
                        QString::fromStdString(tw::registerName51(byte)) + u'\r');
        nameBytes += bytesOf({0xD2, address, 0xE5, address});
    }
    const As31Result named = as31(names, dir.path());
    ASSERT_TRUE(named.ok) << named.messages.toStdString();
    EXPECT_EQ(named.image.mid(0x8000).toHex(), nameBytes.toHex());

    for (const auto &[first, second] : std::vector<std::pair<int, int>>{
             {0x12, 0x34}, {0xE0, 0xF0}, {0x85, 0xD0}, {0x80, 0xFE}, {0xA5, 0x0A}, {0x00, 0x7F}}) {
        auto image = std::make_unique<tw::CodeImage>();
        tw::DisasmLabels labels;
        QString source;
        QByteArray expected;
        for (int opcode = 0; opcode < 256; ++opcode) {
            const int pc = 0x0800 + opcode * 4;
            const QByteArray bytes = bytesOf({opcode, first, second});
            for (int k = 0; k < 3; ++k)
                (*image)[pc + k] = static_cast<std::uint8_t>(bytes[k]);
            const tw::Instruction51 instruction = tw::fetch51(*image, pc, 0x1234);
            int label = instruction.target < 0 ? -1 : labels.find(instruction.target);
            if (instruction.target >= 0 && label < 0) {
                label = labels.add(instruction.target);
                source += u".equ L%1, 0x%2\n"_qs.arg(label).arg(instruction.target, 4, 16, QChar(u'0'));
            }
            source += u".org 0x%1\n"_qs.arg(pc, 4, 16, QChar(u'0')) +
                      toAs31(QString::fromStdString(tw::instructionText51(*image, instruction, label)));
            expected += bytes.left(instruction.row->length).leftJustified(4, '\0');
        }
        As31Result result = as31(source, dir.path());
        ASSERT_TRUE(result.ok) << result.messages.toStdString();
        result.image.resize(0x800 + 4 * 256, '\0');
        for (int opcode = 0; opcode < 256; ++opcode)
            EXPECT_EQ(result.image.mid(0x800 + 4 * opcode, 4).toHex(), expected.mid(4 * opcode, 4).toHex())
                << "opcode " << std::hex << opcode << " operands " << first << " " << second;
    }
}

// The fixture program and generated ones: as31 and our assembler make the same image from our
// output, and every instruction start d52 also decodes has the bytes our line assembles to.
TEST_F(Dis51Peers, ProgramsRoundTripAndAgreeWithD52)
{
    const As31Result fixture =
        as31(QString::fromLatin1(twtest::readBytes(twtest::dataPath(u"disassembler/51/program.a51"_qs))),
             dir.path());
    ASSERT_TRUE(fixture.ok) << fixture.messages.toStdString();
    std::vector<QByteArray> images = {fixture.image};
    const int sizes[] = {256, 700, 2048, 5000, 12000};
    for (unsigned seed = 1; seed <= 10; ++seed)
        images.push_back(generatedProgram(seed, sizes[seed % 5]));
    for (const QByteArray &image : images) {
        SCOPED_TRACE(image.size());
        const As31Result ours = as31(toAs31(disassemble(image)), dir.path());
        ASSERT_TRUE(ours.ok) << ours.messages.toStdString();
        EXPECT_EQ(ours.image.toHex(), image.toHex());
        EXPECT_EQ(reassemble(Cpu::Mcs51, dir.path(), image.size()).toHex(), image.toHex());

        twtest::writeBytes(dir.filePath(u"in.bin"_qs), image);
        const std::map<int, QByteArray> theirs = d52Code(dir.filePath(u"in.bin"_qs));
        int instructions = 0;
        int common = 0;
        for (const As31Line &line : ours.lines) {
            // d52 writes runs of zeros as data; we decode them as NOP where the flow goes.
            if (line.source.contains(u".byte"_qs) || line.bytes == QByteArray(1, '\0'))
                continue;
            ++instructions;
            const auto found = theirs.find(line.address);
            if (found == theirs.end())
                continue;
            ++common;
            EXPECT_EQ(line.bytes.toHex(), found->second.toHex())
                << std::hex << line.address << ": " << line.source.toStdString();
        }
        EXPECT_GT(common, instructions * 3 / 4);
    }
}

// Random bytes: the job completes or fails with its message, and completed output defines every
// label it names and leaves no operand empty. From the start box 0100H on (no relative branch
// wraps below 0000H), whatever the flow finds, overlapping runs included, our assembler puts every
// byte of the range back, A5H reached by the flow included.
TEST_F(Dis51Peers, RandomImagesGiveSourceOurAssemblerTakes)
{
    std::mt19937 random(5101);
    int completed = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        const int from = round % 2 ? 0x100 : 0;
        QByteArray bin(from + 64 + static_cast<int>(random() % 3000), '\0');
        for (int k = from; k < bin.size(); ++k)
            bin[k] = static_cast<char>(random());
        const Job job = runJob(Cpu::Mcs51, dir.path(), bin, from ? u"0100"_qs : QString());
        if (job.result != u"ok") {
            EXPECT_EQ(job.messages.back(), u"反汇编信息|48|反汇编失败！"_qs);
            continue;
        }
        ++completed;
        EXPECT_EQ(readOutput(job.files.value(u"asm"_qs)).problems, QStringList());
        if (!from)
            continue;
        const QByteArray again = reassemble(Cpu::Mcs51, dir.path(), bin.size());
        for (int address = from; address < bin.size(); ++address) {
            const auto original = static_cast<std::uint8_t>(bin[address]);
            const auto back = static_cast<std::uint8_t>(again[address]);
            if (back != original)
                ADD_FAILURE() << std::hex << address << ": " << int(original) << " came back as "
                              << int(back);
        }
    }
    EXPECT_GT(completed, 20);
}

// Random images through the headless driver both ways: every disassembly reported as done
// assembles without an error to the bytes of its range. Ranges from 0000H make relative jumps
// wrap below 0000H, ranges at the top of the address space make them and AJMP/ACALL wrap past
// FFFFH, and an instruction there may run past FFFFH.
TEST_F(Dis51Peers, CompletedDisassembliesAssembleBackToTheSameBytes)
{
    std::mt19937 random(0x5151);
    int completed = 0;
    for (int round = 0; round < 220; ++round) {
        SCOPED_TRACE(round);
        const bool top = round % 5 == 4;
        const int size = top ? 0x10000 : 1 + static_cast<int>(random() % 4096);
        const int from = top ? 0x10000 - 1 - static_cast<int>(random() % 2048) : 0;
        QByteArray bin(size, '\0');
        for (int k = from; k < size; ++k)
            bin[k] = static_cast<char>(random());
        const QString binPath = dir.filePath(u"in.bin"_qs), outPath = dir.filePath(u"out.asm"_qs);
        twtest::writeBytes(binPath, bin);
        QFile::remove(outPath);
        QStringList args = {u"dis51"_qs, binPath, outPath};
        if (top)
            args << u"%1"_qs.arg(from, 4, 16, QChar(u'0')).toUpper() << QString();
        const twtest::ProcessResult dis = twtest::runDriver(args);
        if (dis.exitCode != 0) {
            EXPECT_EQ(dis.exitCode, 1);
            continue;
        }
        ++completed;
        const twtest::ProcessResult as = twtest::runDriver({u"asm51"_qs, outPath});
        ASSERT_EQ(as.exitCode, 0)
            << tw::decodeText(twtest::readBytes(dir.filePath(u"out.err"_qs))).text.toStdString();
        QByteArray back = twtest::readBytes(dir.filePath(u"out.bin"_qs));
        back.resize(size, '\0');
        ASSERT_EQ(back.mid(from).toHex().toStdString(), bin.mid(from).toHex().toStdString());
    }
    EXPECT_GT(completed, 150);
}
