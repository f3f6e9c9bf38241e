// The golden tables under tests/data/disassembler: whole jobs through real files, single MCS-51
// lines and names, and every MCS-48 opcode through the whole disassembler.
#include "disassembler/DisasmSupport.h"
#include "support/TestFiles.h"

#include "common/CodeImage.h"
#include "disassembler/Decoder51.h"
#include "disassembler/DisasmText.h"
#include "disassembler/Names51.h"

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

// Each opcode at 0100H with 5AH after it, disassembled up to 0104H: its statement; after it a DB
// line when the run ends there, more code when it goes on; the undefined ones fail.
TEST(DisasmTables, EveryMcs48OpcodeThroughTheDisassembler)
{
    const QStringList lines = tableLines(u"disassembler/48/opcodes.txt"_qs);
    ASSERT_EQ(lines.size(), 256);
    QString cases;
    for (const QString &line : lines) {
        QString statement = line.mid(3);
        const bool ends = statement.endsWith(u'!');
        statement.remove(u'!');
        cases += u"case %1\nimage 104\nat 0100: %2 5A\nstart 0100\nend 0104\n"_qs.arg(line, line.left(2));
        if (statement == u"?")
            cases += u"result failed\nsay 信息|48|存在无定义代码！\n"
                     u"say 反汇编信息|48|存在有非MCS48操作码，反汇编失败！\nasm none\n"_qs;
        else
            cases += u"asm at 0100 %1\nasm sound\nasm %2 \\nDB \n"_qs.arg(statement, ends ? u"~" : u"!");
    }
    runCases(Cpu::Mcs48, cases);
}
