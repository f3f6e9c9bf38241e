// Hex helpers, caret and line ends, number texts, code images and file names.
#include "base/FileNames.h"
#include "common/Caret.h"
#include "common/CodeImageFile.h"
#include "common/Hex.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace tw;

TEST(Hex, BytesAndWordsAreUpperCaseFixedWidth)
{
    EXPECT_EQ(hexByte(0x0A), "0A");
    EXPECT_EQ(hexByte(0xA5), "A5");
    EXPECT_EQ(hexWord(0x1234), "1234");
    EXPECT_EQ(hexWord(0), "0000");
    EXPECT_EQ(hexWord(65535), "FFFF");
    EXPECT_THROW(hexWord(65536), std::overflow_error);
    EXPECT_THROW(hexWord(-1), std::overflow_error);
}

TEST(Caret, LinesEndAtLfCrLfAndLoneCr)
{
    const QString text = QStringLiteral("ab\r\ncd\ref\ngh");
    EXPECT_EQ(lineAndColumn(text, 0).line, 1);
    EXPECT_EQ(lineAndColumn(text, 2).column, 3);
    EXPECT_EQ(lineAndColumn(text, 4).line, 2);
    EXPECT_EQ(lineAndColumn(text, 7).line, 3);
    EXPECT_EQ(lineAndColumn(text, 11).line, 4);
    EXPECT_EQ(lineAndColumn(text, 11).column, 2);
    EXPECT_EQ(caretPanelText({3, 7}), QStringLiteral(u"行： 3   列： 7"));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\rc\nd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n")), (QStringList{"a"}));
}

TEST(Vb, StrValAndRounding)
{
    EXPECT_EQ(vbStr(5LL), " 5");
    EXPECT_EQ(vbStr(-5LL), "-5");
    EXPECT_EQ(vbStr(2.5), " 2.5");
    EXPECT_EQ(vbStr(-0.25), "-.25");
    EXPECT_EQ(vbStr(1.0 / 3.0), " .333333333333333");
    EXPECT_EQ(vbStr(100.0), " 100");
    EXPECT_EQ(vbStr(1e16), " 1E+16");
    EXPECT_EQ(vbStr(1e308 * 10), " Inf");
    EXPECT_EQ(vbStr(-1e308 * 10), "-Inf");
    EXPECT_DOUBLE_EQ(vbVal(" 12.5abc"), 12.5);
    EXPECT_DOUBLE_EQ(vbVal("1 2"), 12);
    EXPECT_DOUBLE_EQ(vbVal("&H1F"), 31);
    EXPECT_DOUBLE_EQ(vbVal("x1"), 0);
    // Far more digits than any value holds: a number, not an overflow.
    EXPECT_TRUE(std::isfinite(vbVal("&H" + QString(40, u'F'))));
    EXPECT_DOUBLE_EQ(roundHalfEven(2.5), 2);
    EXPECT_DOUBLE_EQ(roundHalfEven(3.5), 4);
    EXPECT_DOUBLE_EQ(roundHalfEven(-2.5), -2);
}

TEST(CodeImage, LoadClearsEarlierBytes)
{
    QTemporaryDir dir;
    CodeImage image;
    image[100] = 0x55;
    twtest::writeBytes(dir.filePath("x.bin"), QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(loadCodeImage(dir.filePath("x.bin"), image), 3);
    EXPECT_EQ(image[2], 3);
    EXPECT_EQ(image[100], 0);
    EXPECT_EQ(loadCodeImage(dir.filePath("none.bin"), image), -1);
    EXPECT_EQ(replaceLastThree(QStringLiteral("a/b.bin"), QStringLiteral("lt")), "a/b.lt");
    EXPECT_EQ(stripPath("/x/y/z.asm"), "z.asm");
}

// Endings are counted as a path box counts characters, whether the name comes as bytes or as text.
TEST(FileNames, EndingsCountCharactersAsThePathBoxesDo)
{
    const std::string smile = "😀"; // beyond the 16-bit range: two characters
    EXPECT_EQ(replaceLastThree("ab" + smile, "lt"), "alt");
    EXPECT_EQ(replaceLastThree("ab" + smile + "cd", "lt"), "ablt"); // split by the count: goes whole
    EXPECT_EQ(replaceLastThree(std::string("ab"), "asm"), "asm");
    EXPECT_EQ(replaceLastThree(QStringLiteral(u"程序.中文字"), QStringLiteral("lt")),
              QStringLiteral(u"程序.lt"));
    // A side file replaces a three-character extension, else keeps the whole name beside it.
    for (const auto &[output, side] : {std::pair{"a/prog.asm", "a/prog.lst"},
                                       {"/dev/full", "/dev/full.lst"},
                                       {"a.s", "a.s.lst"},
                                       {"a./bc", "a./bc.lst"}})
        EXPECT_EQ(sideFilePath(output, "lst"), side) << output;
    EXPECT_EQ(sideFilePath("x.中文字", "err"), "x.err");
}

// Generated files are written in pieces and replaced whole, never half: the old file stays until
// the new one is complete, a link to the file stays a link, and no temporary is left behind.
TEST(GeneratedFiles, PiecesReplaceTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.lst");
    twtest::writeBytes(path, QByteArray(5000, 'x'));
    const QByteArray big(300000, 'b');
    ASSERT_TRUE(writeBinaryFile(path, {QByteArrayView("head\r\n"), QByteArrayView(big), QByteArrayView()},
                                WriteSync::Generated));
    EXPECT_EQ(twtest::readBytes(path), "head\r\n" + big);

    // Through a link: the file it names gets the text.
    const QString real = dir.filePath("real.lt");
    twtest::writeBytes(real, "old");
    ASSERT_TRUE(QFile::link(real, dir.filePath("link.lt")));
    ASSERT_TRUE(writeBinaryFile(dir.filePath("link.lt"), {QByteArrayView("new")}, WriteSync::Generated));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.lt")).isSymLink());
    EXPECT_EQ(twtest::readBytes(real), "new");

    // A folder in the way is not removed, and the write says so.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.bin"));
    EXPECT_FALSE(writeBinaryFile(dir.filePath("taken.bin"), {QByteArrayView("x")}, WriteSync::Generated));
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.bin")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(u' '), "link.lt out.lst real.lt");

    // The durable form writes the same pieces.
    ASSERT_TRUE(writeBinaryFile(path, {QByteArrayView("a"), QByteArrayView("b")}, WriteSync::Durable));
    EXPECT_EQ(twtest::readBytes(path), "ab");
}
