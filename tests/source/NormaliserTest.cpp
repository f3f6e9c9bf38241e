// The normalised layout shared by the assembler's a51 copy, the tidier and the find dialog, from
// the cases in tests/data/source/normalise.txt; the tidier on real files.
#include "support/TestFiles.h"

#include "common/TextFile.h"
#include "source/Normaliser.h"
#include "source/Tidier.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

TEST(Normaliser, CaseTable)
{
    static const QRegularExpression row(QStringLiteral("^(line|source) \"(.*)\" \"(.*)\"$"));
    const auto unescape = [](QString text, const QString &lineEnd) {
        return text.replace(QStringLiteral("\\t"), QStringLiteral("\t"))
            .replace(QStringLiteral("\\r"), QStringLiteral("\r"))
            .replace(QStringLiteral("\\n"), lineEnd);
    };
    int cases = 0;
    const QString table = QString::fromUtf8(twtest::readBytes(twtest::dataPath(u"source/normalise.txt"_qs)));
    for (const QString &text : table.split(u'\n')) {
        if (text.isEmpty() || text.startsWith(u'#'))
            continue;
        const auto m = row.match(text);
        ASSERT_TRUE(m.hasMatch()) << text.toStdString();
        ++cases;
        SCOPED_TRACE(text.toStdString());
        const QString input = unescape(m.captured(2), u"\n"_qs);
        const QString expected = unescape(m.captured(3), u"\r\n"_qs);
        if (m.captured(1) == u"source") {
            EXPECT_EQ(normaliseText(input).text, expected);
            continue;
        }
        const NormalisedLine line = normaliseLine(input);
        EXPECT_EQ(line.text, expected);
        EXPECT_EQ(line.kind, expected.isEmpty()        ? NormalisedLine::Kind::Dropped
                             : expected.endsWith(u':') ? NormalisedLine::Kind::LabelOnly
                                                       : NormalisedLine::Kind::Statement);
    }
    EXPECT_EQ(cases, 24);
    // The find dialog's pattern keeps its case.
    EXPECT_EQ(normaliseStatement(u"mov a,  #1"_qs), u"\tmov\ta,#1"_qs);
}

TEST(Tidier, RewritesSourcesInPlace)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("t.asm");
    twtest::writeBytes(src,
                       encodeText(u"loop: mov a, #1 ; load\r\n\r\n  db 'TIME:'\r\n end\r\nafter\r\n"_qs));
    const QString expected = u"LOOP:\tMOV\tA,#1\t;LOAD\r\n\tDB\t'TIME:'\r\n\tEND\r\n\r\n"_qs;
    EXPECT_EQ(tidySourceFile(src), expected);
    EXPECT_EQ(twtest::readBytes(src), encodeText(expected));
    // Tidying a tidied file changes nothing.
    EXPECT_EQ(tidySourceFile(src), expected);

    // UTF-8 files that are not GBK stay UTF-8.
    const QString utf = dir.filePath("u.ASM");
    twtest::writeBytes(utf, u"nop ; ✓ 完成\n"_qs.toUtf8());
    ASSERT_TRUE(tidySourceFile(utf));
    EXPECT_EQ(twtest::readBytes(utf), u"\tNOP\t;✓ 完成\r\n\tEND\r\n\r\n"_qs.toUtf8());
}

TEST(Tidier, LeavesOtherFilesAlone)
{
    QTemporaryDir dir;
    // Other endings, and bytes that are no text in either encoding (a rewrite would lose them).
    const std::pair<const char *, QByteArray> files[] = {
        {"x.Asm", "mov a,#1\r\n"}, {"x.err", "mov a,#1\r\n"}, {"raw.asm", "mov a,#1 ;\x81 \r\n"}};
    for (const auto &[name, bytes] : files) {
        const QString path = dir.filePath(name);
        twtest::writeBytes(path, bytes);
        EXPECT_FALSE(tidySourceFile(path)) << name;
        EXPECT_EQ(twtest::readBytes(path), bytes) << name;
    }
    EXPECT_FALSE(tidySourceFile(dir.filePath("gone.asm")));
    EXPECT_FALSE(QFile::exists(dir.filePath("gone.asm")));
}
