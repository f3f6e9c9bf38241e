// The MCS-51 disassembler against its peers: what it writes assembles back to the same bytes
// (as31, and our own assembler once its driver command is there), and where d52 also sees code
// the two agree on instruction starts, lengths and operand bytes.
#include "disassembler/Dis51Peers.h"
#include "support/TestFiles.h"

#include "common/TextFile.h"
#include "disassembler/Disassemble51.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

using namespace tw;

namespace
{

struct Images {
    QString name;
    QByteArray bin;
};

class Dis51Peers : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!twtest::havePeer(u"as31"_qs) || !twtest::havePeer(u"d52"_qs))
            GTEST_SKIP() << "as31 or d52 not installed";
        ASSERT_TRUE(dir.isValid());
    }

    // The fixture program and generated programs, as .bin images.
    std::vector<Images> programs()
    {
        std::vector<Images> images;
        const QString source =
            QString::fromLatin1(twtest::readBytes(twtest::dataPath(u"disassembler/51/program.a51"_qs)));
        const dis51test::As31Result fixture = dis51test::as31(source, dir.path());
        EXPECT_TRUE(fixture.ok) << fixture.messages.toStdString();
        images.push_back({u"program"_qs, dis51test::imageOf(fixture.bytes)});
        const int sizes[] = {256, 700, 2048, 5000, 12000};
        for (unsigned seed = 1; seed <= 10; ++seed)
            images.push_back(
                {u"generated%1"_qs.arg(seed), dis51test::generatedProgram(seed, sizes[seed % 5])});
        return images;
    }

    QString disassemble(const Images &image, const QString &start = QString(), const QString &end = QString())
    {
        const QString bin = dir.filePath(image.name + u".bin"_qs);
        twtest::writeBytes(bin, image.bin);
        Disasm51Job job;
        job.binPath = bin;
        job.outPath = dir.filePath(image.name + u".asm"_qs);
        job.startText = start;
        job.endText = end;
        const Disasm51Result result = disassemble51(job);
        EXPECT_EQ(result.outcome, DisasmOutcome::Completed) << image.name.toStdString();
        return QString::fromLatin1(twtest::readBytes(job.outPath));
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(Dis51Peers, As31ReassemblesTheSameBytes)
{
    for (const Images &image : programs()) {
        const dis51test::As31Result again =
            dis51test::as31(dis51test::toAs31(disassemble(image)), dir.path());
        ASSERT_TRUE(again.ok) << image.name.toStdString() << "\n" << again.messages.toStdString();
        EXPECT_EQ(dis51test::imageOf(again.bytes).toHex().toStdString(), image.bin.toHex().toStdString())
            << image.name.toStdString();
    }
}

// Only the range is written, from its own ORG; labels outside it come as EQU lines.
TEST_F(Dis51Peers, PartialRangeReassemblesTheRange)
{
    const Images image{u"ranged"_qs, dis51test::generatedProgram(77, 0x1800)};
    // Start and end on instruction starts: find them in d52's reading of the whole image.
    twtest::writeBytes(dir.filePath(u"whole.bin"_qs), image.bin);
    const auto code = dis51test::d52Code(dir.filePath(u"whole.bin"_qs));
    const int start = code.lower_bound(0x0400)->first;
    const int end = code.lower_bound(0x1000)->first;
    const QString source = disassemble(image, u"%1"_qs.arg(start, 4, 16, QChar(u'0')).toUpper(),
                                       u"%1"_qs.arg(end, 4, 16, QChar(u'0')).toUpper());
    const dis51test::As31Result again = dis51test::as31(dis51test::toAs31(source), dir.path());
    ASSERT_TRUE(again.ok) << again.messages.toStdString();
    EXPECT_EQ(again.bytes.begin()->first, start);
    QByteArray range;
    for (int address = start; address < end; ++address)
        range += static_cast<char>(again.bytes.count(address) ? again.bytes.at(address) : 0);
    EXPECT_EQ(range.toHex().toStdString(), image.bin.mid(start, end - start).toHex().toStdString());
}

// Every address both disassemblers decode as an instruction start: same length, and our line
// assembles to the bytes d52 read there.
TEST_F(Dis51Peers, AgreesWithD52WhereBothSeeCode)
{
    for (const Images &image : programs()) {
        const dis51test::As31Result ours = dis51test::as31(dis51test::toAs31(disassemble(image)), dir.path());
        ASSERT_TRUE(ours.ok) << image.name.toStdString();
        const auto theirs = dis51test::d52Code(dir.filePath(image.name + u".bin"_qs));
        int instructions = 0;
        int common = 0;
        for (const dis51test::ListedLine &line : ours.lines) {
            // d52 writes runs of zeros as data; we decode them as NOP where the flow goes.
            if (line.source.contains(u".byte"_qs) || line.bytes == QByteArray(1, '\0'))
                continue;
            ++instructions;
            const auto found = theirs.find(line.address);
            if (found == theirs.end())
                continue;
            ++common;
            EXPECT_EQ(line.bytes.toHex().toStdString(), found->second.bytes.toHex().toStdString())
                << image.name.toStdString() << " at " << std::hex << line.address << ": "
                << line.source.toStdString() << " / d52 " << found->second.mnemonic.toStdString();
        }
        EXPECT_GT(common, instructions * 3 / 4) << image.name.toStdString();
    }
}

// Images of random bytes: the job completes or fails with its message, and completed output
// defines every label it names and leaves no operand empty.
TEST_F(Dis51Peers, RandomImagesGiveCompleteSource)
{
    std::mt19937 random(5101);
    int completed = 0;
    for (int round = 0; round < 40; ++round) {
        QByteArray bin(64 + static_cast<int>(random() % 3000), '\0');
        for (char &byte : bin)
            byte = static_cast<char>(random());
        twtest::writeBytes(dir.filePath(u"r.bin"_qs), bin);
        Disasm51Job job{dir.filePath(u"r.bin"_qs), dir.filePath(u"r.asm"_qs), QString(), QString(),
                        QString()};
        const Disasm51Result result = disassemble51(job);
        if (result.outcome != DisasmOutcome::Completed) {
            EXPECT_EQ(result.messages.back().text, u"反汇编失败！"_qs);
            continue;
        }
        ++completed;
        dis51test::expectLabelsDefined(result.sourceText.toLatin1());
    }
    EXPECT_GT(completed, 10);
}

// Our own assembler reads the output as it stands (lone CR line ends, "Acc", "0E0H", EQU, DB).
TEST_F(Dis51Peers, OwnAssemblerReassemblesTheSameBytes)
{
    const twtest::ProcessResult usage = twtest::runDriver({});
    if (!usage.err.contains("asm51"))
        GTEST_SKIP() << "twdrive asm51 not there yet";
    for (const Images &image : programs()) {
        disassemble(image);
        const QString source = dir.filePath(image.name + u".asm"_qs);
        const QString bin = dir.filePath(image.name + u".bin"_qs);
        const QByteArray original = twtest::readBytes(bin);
        QFile::remove(bin);
        const twtest::ProcessResult run = twtest::runDriver({u"asm51"_qs, source});
        ASSERT_EQ(run.exitCode, 0) << image.name.toStdString() << run.out.toStdString();
        // The assembler stops at the last byte that is not 0.
        QByteArray again = twtest::readBytes(bin);
        QByteArray expected = original;
        while (expected.endsWith('\0'))
            expected.chop(1);
        again.resize(std::max(again.size(), expected.size()), '\0');
        expected.resize(again.size(), '\0');
        EXPECT_EQ(again.toHex().toStdString(), expected.toHex().toStdString()) << image.name.toStdString();
    }
}

// Random bytes from 0100H on (so that no relative branch wraps below 0000H): whatever the flow
// finds, overlapping runs included, our assembler puts every byte of the range back. A5H reached
// by the flow is written NOP and comes back as 00H.
TEST_F(Dis51Peers, OwnAssemblerReassemblesRandomImages)
{
    if (!twtest::runDriver({}).err.contains("asm51"))
        GTEST_SKIP() << "twdrive asm51 not there yet";
    std::mt19937 random(8051);
    for (int round = 0; round < 20; ++round) {
        QByteArray bin(0x100 + 64 + static_cast<int>(random() % 3000), '\0');
        for (int k = 0x100; k < bin.size(); ++k)
            bin[k] = static_cast<char>(random());
        disassemble({u"random"_qs, bin}, u"0100"_qs);
        const QString bin2 = dir.filePath(u"random.bin"_qs);
        QFile::remove(bin2);
        const twtest::ProcessResult run = twtest::runDriver({u"asm51"_qs, dir.filePath(u"random.asm"_qs)});
        ASSERT_EQ(run.exitCode, 0) << round << run.out.toStdString();
        QByteArray again = twtest::readBytes(bin2);
        again.resize(std::max(again.size(), bin.size()), '\0');
        for (int address = 0x100; address < bin.size(); ++address) {
            const auto original = static_cast<std::uint8_t>(bin[address]);
            const auto back = static_cast<std::uint8_t>(again[address]);
            if (back != original && !(original == 0xA5 && back == 0))
                ADD_FAILURE() << "round " << round << " at " << std::hex << address << ": " << int(original)
                              << " came back as " << int(back);
        }
    }
}
