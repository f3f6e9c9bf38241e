// The golden tables under tests/data/disassembler: whole jobs through real files, single MCS-51
// lines and names, and every MCS-48 opcode through the whole disassembler.
#include "disassembler/DisasmSupport.h"
#include "support/TestFiles.h"

#include "common/CodeImage.h"
#include "disassembler/Decoder51.h"
#include "disassembler/DisasmText.h"
#include "disassembler/Names51.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace distest;

namespace
{

// The data lines of a table file (no comments, no blank lines).
QStringList tableLines(const QString &relativePath)
{
    QStringList lines;
    for (const QString &line :
         QString::fromUtf8(twtest::readBytes(twtest::dataPath(relativePath))).split(u'\n'))
        if (!line.isEmpty() && !line.startsWith(u'#'))
            lines << line;
    EXPECT_FALSE(lines.isEmpty()) << relativePath.toStdString();
    return lines;
}

} // namespace

TEST(DisasmCases, Mcs51)
{
    runCaseFile(Cpu::Mcs51, u"disassembler/51/cases.txt"_qs);
}

TEST(DisasmCases, Mcs48)
{
    runCaseFile(Cpu::Mcs48, u"disassembler/48/cases.txt"_qs);
}

TEST(DisasmTables, Mcs51LinesNamesAndBoxes)
{
    for (const QString &line : tableLines(u"disassembler/51/lines.txt"_qs)) {
        SCOPED_TRACE(line.toStdString());
        const QStringList fields = line.split(u" | "_qs);
        const QString head = fields.value(0);
        const QString what = head.section(u' ', 1);
        if (head.startsWith(u"reg "))
            EXPECT_EQ(tw::registerName51(static_cast<std::uint8_t>(what.toInt(nullptr, 16))),
                      fields.value(1));
        else if (head.startsWith(u"bit "))
            EXPECT_EQ(tw::bitName51(static_cast<std::uint8_t>(what.toInt(nullptr, 16))), fields.value(1));
        else if (head.startsWith(u"box "))
            EXPECT_EQ(tw::hexToBin(what), fields.value(1).toInt(nullptr, 16));
        else {
            auto image = std::make_unique<tw::CodeImage>();
            const int pc = head.section(u':', 0, 0).toInt(nullptr, 16);
            const QByteArray bytes = QByteArray::fromHex(head.section(u':', 1).toLatin1());
            for (int k = 0; k < bytes.size(); ++k)
                (*image)[(pc + k) & 0xFFFF] = static_cast<std::uint8_t>(bytes[k]);
            const tw::Instruction51 instruction = tw::fetch51(*image, pc, 0x0101);
            EXPECT_EQ(tw::instructionText51(*image, instruction, 5), fields.value(1));
            EXPECT_EQ(instruction.target, fields.value(2) == u"-" ? -1 : fields.value(2).toInt(nullptr, 16));
        }
    }
}

TEST(DisasmTables, EveryMcs48OpcodeThroughTheDisassembler)
{
    const QStringList lines = tableLines(u"disassembler/48/opcodes.txt"_qs);
    ASSERT_EQ(lines.size(), 256);
    for (const QString &line : lines) {
        SCOPED_TRACE(line.toStdString());
        const int opcode = line.left(2).toInt(nullptr, 16);
        QString statement = line.mid(3);
        EXPECT_EQ(opcode, static_cast<int>(&line - lines.data()));
        QTemporaryDir dir;
        QByteArray image(0x104, '\0');
        image[0x100] = static_cast<char>(opcode);
        image[0x101] = 0x5A;
        const Job job = runJob(Cpu::Mcs48, dir.path(), image, u"0100"_qs, u"0104"_qs);
        if (statement == u"?") {
            EXPECT_EQ(job.result, u"failed");
            EXPECT_EQ(job.messages, QStringList({u"信息|48|存在无定义代码！"_qs,
                                                 u"反汇编信息|48|存在有非MCS48操作码，反汇编失败！"_qs}));
            EXPECT_FALSE(job.files.contains(u"asm"_qs));
            continue;
        }
        ASSERT_EQ(job.result, u"ok");
        const bool ends = statement.endsWith(u'!');
        if (ends)
            statement.chop(1);
        const Listing out = readOutput(job.files.value(u"asm"_qs));
        EXPECT_EQ(out.problems, QStringList());
        ASSERT_TRUE(out.code.count(0x100));
        EXPECT_EQ(out.code.at(0x100), statement);
        // What follows the instruction: decoded when the run goes on, DB when it ends.
        const long after = 0x100 + out.lengths.at(0x100);
        EXPECT_EQ(out.code.count(after), ends ? 0u : 1u);
        EXPECT_EQ(job.files.value(u"asm"_qs).contains("\nDB "), ends);
    }
}
