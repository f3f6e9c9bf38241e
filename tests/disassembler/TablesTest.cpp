// The golden tables under tests/data/disassembler: whole jobs through real files, single MCS-51
// lines and names, and every MCS-48 opcode through the whole disassembler.
#include "disassembler/DisasmSupport.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

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

// Single instructions, each disassembled alone from its own address: the line, with the label of
// its target standing for that address.
TEST(DisasmTables, Mcs51Lines)
{
    QString cases;
    for (const QString &line : tableLines(u"disassembler/51/lines.txt"_qs)) {
        const QStringList fields = line.split(u" | "_qs);
        const QString pc = fields.value(0).section(u':', 0, 0);
        QString text = fields.value(1);
        if (fields.value(2) != u"-")
            text.replace(u"L5"_qs, u'>' + fields.value(2));
        cases += u"case %1\nat %2:%3\nstart %2\nasm at %2 %4\nasm sound\n"_qs.arg(
            line, pc, fields.value(0).section(u':', 1), text);
    }
    runCases(Cpu::Mcs51, cases);
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
