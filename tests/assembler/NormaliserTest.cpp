// The normalised layout shared by the assembler's a51 copy, the tidier and the find dialog.
#include "assembler/Normaliser.h"
#include "assembler/Tidier.h"
#include "common/TextFile.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

QString normalise(const QStringList &lines)
{
    return normaliseSource(lines).text;
}

} // namespace

TEST(Normaliser, LineLayout)
{
    // Label to column 1, blank before a comma becomes a TAB, the one after it goes, comment after TAB.
    EXPECT_EQ(normaliseLine(u"  loop:  mov a , #1 ; init"_qs).text, u"LOOP:\tMOV\tA\t,#1\t;INIT"_qs);
    EXPECT_EQ(normaliseLine(u"loop: mov a, #1 ; load"_qs).text, u"LOOP:\tMOV\tA,#1\t;LOAD"_qs);
    // Full-width comma, semicolon and colon outside comments.
    EXPECT_EQ(normaliseLine(u"L1： MOV A，#1；注释，："_qs).text, u"L1:\tMOV\tA,#1\t;注释，："_qs);
    // TAB runs and mixed blanks make one TAB; TABs at the ends are not trimmed.
    EXPECT_EQ(normaliseLine(u"\t\tMOV \t A,B"_qs).text, u"\tMOV\tA,B"_qs);
    EXPECT_EQ(normaliseLine(u"\t\t"_qs).text, u"\t"_qs);
    EXPECT_EQ(normaliseLine(u"\t"_qs).kind, NormalisedLine::Kind::Dropped);
    EXPECT_EQ(normaliseLine(u"    "_qs).kind, NormalisedLine::Kind::Dropped);
    const NormalisedLine label = normaliseLine(u"start:"_qs);
    EXPECT_EQ(label.kind, NormalisedLine::Kind::LabelOnly);
    EXPECT_EQ(label.text, u"START:"_qs);
    EXPECT_EQ(normaliseLine(u"; only a comment"_qs).text, u"\t;ONLY A COMMENT"_qs);
}

TEST(Normaliser, ColonsInQuotesAndCommentsKeepTheLine)
{
    EXPECT_EQ(normaliseLine(u"  db 'time:'"_qs).text, u"\tDB\t'TIME:'"_qs);
    EXPECT_EQ(normaliseLine(u"msg: db 'a:b', 0"_qs).text, u"MSG:\tDB\t'A:B',0"_qs);
    EXPECT_EQ(normaliseLine(u" nop ; wait: here"_qs).text, u"\tNOP\t;WAIT: HERE"_qs);
    // After the closing quote a colon is a label colon again.
    EXPECT_EQ(normaliseLine(u"'a' x: nop"_qs).text, u"'A'\tX:\tNOP"_qs);
    // Semicolons and blanks in quotes act as everywhere else.
    EXPECT_EQ(normaliseLine(u" db 'a b;c'"_qs).text, u"\tDB\t'A\tB\t;C'"_qs);
}

TEST(Normaliser, WholeSource)
{
    // A label-only line joins the next kept line; empty lines go; TAB END is added when missing.
    EXPECT_EQ(normalise({u"START:"_qs, QString(), u"nop"_qs}), u"START:\tNOP\r\n\tEND\r\n\r\n"_qs);
    // The END line ends the text; what follows is not part of the program.
    EXPECT_EQ(normalise({u" nop"_qs, u" end"_qs, u" ret"_qs}), u"\tNOP\r\n\tEND\r\n\r\n"_qs);
    EXPECT_EQ(normalise({u"END"_qs}), u"\tEND\r\n\r\n"_qs);
    EXPECT_EQ(normalise({u"fin: 结束"_qs, u"nop"_qs}), u"FIN:\t结束\r\n\r\n"_qs);
    EXPECT_EQ(normalise({u"last:"_qs}), u"LAST:\tEND\r\n\r\n"_qs);
    EXPECT_FALSE(normaliseSource({u"nop"_qs}).endFound);
}

TEST(Normaliser, OnlyARealEndStatementEndsTheSource)
{
    // Comments, operands and quoted text that merely end in "end" do not cut the program.
    const QStringList lines{u"; go to the end"_qs, u" ljmp end"_qs, u" db 'the end'"_qs, u"nop\t;end"_qs,
                            u" nop"_qs};
    const NormalisedSource out = normaliseSource(lines);
    EXPECT_FALSE(out.endFound);
    EXPECT_EQ(out.text, u"\t;GO TO THE END\r\n\tLJMP\tEND\r\n\tDB\t'THE\tEND'\r\n\tNOP\t;END\r\n\tNOP\r\n"
                        u"\tEND\r\n\r\n"_qs);
    EXPECT_TRUE(isEndStatement(u"LOOP:\tEND\t;DONE"_qs));
    // Two labels on one line (the second colon costs the first label its first letter): the
    // passes still read END as the mnemonic, so the source ends there too.
    EXPECT_EQ(normalise({u"a: b: end"_qs, u" nop"_qs}), u":\tB:\tEND\r\n\r\n"_qs);
    EXPECT_TRUE(isEndStatement(u"\t结束"_qs));
    EXPECT_FALSE(isEndStatement(u"END:\tNOP"_qs));
    EXPECT_EQ(mnemonicField(u"A:\tMOV\tA,#1"_qs), u"MOV"_qs);
}

TEST(Normaliser, FindPatternKeepsCase)
{
    EXPECT_EQ(normaliseStatement(u"mov a,  #1"_qs), u"\tmov\ta,#1"_qs);
}

TEST(Normaliser, WritesTheA51CopyBesideTheSource)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("prog.asm");
    twtest::writeBytes(src, encodeText(u"; 程序\r\nstart: mov a,#1\nsjmp start\r"_qs));
    const auto a51 = normaliseSourceFile(src);
    ASSERT_TRUE(a51);
    EXPECT_EQ(a51->path, dir.filePath("prog.a51"));
    EXPECT_EQ(a51->lines.size(), 5);
    EXPECT_EQ(twtest::readBytes(a51->path),
              encodeText(u"\t;程序\r\nSTART:\tMOV\tA,#1\r\n\tSJMP\tSTART\r\n\tEND\r\n\r\n"_qs));
    EXPECT_FALSE(normaliseSourceFile(dir.filePath("missing.asm")));
}

TEST(Tidier, RewritesSourcesInPlace)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("t.asm");
    twtest::writeBytes(src,
                       encodeText(u"loop: mov a, #1 ; load\r\n\r\n  db 'TIME:'\r\n end\r\nafter\r\n"_qs));
    const auto text = tidySourceFile(src);
    ASSERT_TRUE(text);
    const QString expected = u"LOOP:\tMOV\tA,#1\t;LOAD\r\n\tDB\t'TIME:'\r\n\tEND\r\n\r\n"_qs;
    EXPECT_EQ(*text, expected);
    EXPECT_EQ(twtest::readBytes(src), encodeText(expected));
    // Tidying a tidied file changes nothing.
    EXPECT_EQ(*tidySourceFile(src), expected);

    // UTF-8 files that are not GBK stay UTF-8.
    const QString utf = dir.filePath("u.ASM");
    twtest::writeBytes(utf, u"nop ; ✓ 完成\n"_qs.toUtf8());
    ASSERT_TRUE(tidySourceFile(utf));
    EXPECT_EQ(twtest::readBytes(utf), u"\tNOP\t;✓ 完成\r\n\tEND\r\n\r\n"_qs.toUtf8());
}

TEST(Tidier, LeavesOtherFilesAlone)
{
    QTemporaryDir dir;
    for (const char *name : {"x.Asm", "x.err", "x.lst"}) {
        const QString path = dir.filePath(name);
        twtest::writeBytes(path, "mov a,#1\r\n");
        EXPECT_FALSE(tidySourceFile(path));
        EXPECT_EQ(twtest::readBytes(path), QByteArray("mov a,#1\r\n"));
    }
    EXPECT_FALSE(tidySourceFile(dir.filePath("gone.asm")));
    // Bytes that are no text in either encoding would be lost by a rewrite.
    const QString binary = dir.filePath("raw.asm");
    const QByteArray raw("mov a,#1 ;\x81 \r\n");
    twtest::writeBytes(binary, raw);
    EXPECT_FALSE(tidySourceFile(binary));
    EXPECT_EQ(twtest::readBytes(binary), raw);
    EXPECT_FALSE(QFile::exists(dir.filePath("gone.asm")));
}
