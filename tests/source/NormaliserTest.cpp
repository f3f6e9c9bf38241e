// The normalised layout shared by the assembler's a51 copy, the tidier and the find dialog, from
// the cases in tests/data/source/normalise.txt; the tidier on real files.
#include "support/TestFiles.h"

#include "common/TextFile.h"
#include "source/Normaliser.h"
#include "source/Tidier.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iterator>
#include <tuple>

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
    EXPECT_EQ(cases, 32);
    // The find dialog's pattern keeps its case.
    EXPECT_EQ(normaliseStatement(u"mov a,  #1"_qs), u"\tmov\ta,#1"_qs);
}

// Saving twice gives the same bytes as saving once, and the tidied text keeps one line per
// normalised statement (error line numbers count them), over the corpus lines and random sources
// written the ways people write them: labels alone or before a statement, blanks, TABs and
// full-width separators anywhere, empty and blank lines, comments in both scripts.
TEST(Normaliser, TidyingIsAFixedPoint)
{
    QStringList sources;
    const QString corpus =
        QString::fromUtf8(twtest::readBytes(twtest::dataPath(u"common/corpus-utf8.asm"_qs)));
    for (const QString &line : corpus.split(u'\n'))
        sources << line + u"\n nop"_qs;
    static const QString gaps[] = {u" "_qs, u"\t"_qs, u"  \t "_qs, u"\t\t"_qs};
    static const QString labels[] = {u"loop:"_qs, u"L1 ："_qs, u"next: "_qs, u"\tdone:"_qs};
    static const QString statements[] = {
        u"mov a,#1"_qs,      u"MOV  A , @R0"_qs, u"mov a，#'x'"_qs, u"db 'a b',0"_qs,
        u"djnz r7 ,loop"_qs, u"setb\tp1.0"_qs,   u"nop"_qs,         u"end"_qs};
    static const QString comments[] = {u";写一位"_qs, u"；取值 一位"_qs, u"; wait: here"_qs, u";"_qs};
    static const QString lineEnds[] = {u"\n"_qs, u"\r\n"_qs, u"\r"_qs};
    QRandomGenerator random(51);
    const auto pick = [&random](const auto &options) {
        return options[random.bounded(int(std::size(options)))];
    };
    for (int i = 0; i < 2000; ++i) {
        QString source;
        for (int n = random.bounded(1, 8); n > 0; --n) {
            QString line;
            switch (random.bounded(6)) {
            case 0:
                line = pick(gaps); // blank line
                break;
            case 1:
                line = pick(labels); // label alone
                break;
            default:
                if (random.bounded(3) == 0)
                    line += pick(labels);
                line += pick(gaps) + pick(statements);
                if (random.bounded(2) == 0)
                    line += pick(gaps) + pick(comments);
            }
            source += line + pick(lineEnds);
        }
        sources << source;
    }
    for (const QString &source : sources) {
        const QString once = tidySourceText(source);
        ASSERT_EQ(tidySourceText(once), once) << source.toStdString();
        const NormalisedSource normalised = normaliseText(once);
        EXPECT_EQ(normalised.lineCount(), once.count(u"\r\n"_qs)) << source.toStdString();
    }
}

TEST(Tidier, RewritesSourcesInPlace)
{
    QTemporaryDir dir;
    // Lines after END go, Chinese ones included: that is no change the tidier refuses.
    const QString src = dir.filePath("t.asm");
    twtest::writeBytes(
        src,
        encodeText(
            u"loop: mov a, #1 ; load\r\n\r\n  db 'TIME:'\r\n db 'Hello, world'\r\n end\r\nafter ;之后，不算\r\n"_qs));
    // The quoted text keeps its blanks: a save must not change what the user wrote there.
    const QString expected =
        u"LOOP:\tMOV\tA,#1\t;LOAD\r\n\tDB\t'TIME:'\r\n\tDB\t'HELLO, WORLD'\r\n\tEND\r\n\r\n"_qs;
    EXPECT_EQ(tidySourceFile(src).text, expected);
    EXPECT_EQ(twtest::readBytes(src), encodeText(expected));
    // Tidying a tidied file changes nothing.
    EXPECT_EQ(tidySourceFile(src).text, expected);

    // UTF-8 files that are not GBK stay UTF-8.
    const QString utf = dir.filePath("u.ASM");
    twtest::writeBytes(utf, u"nop ; ✓ 完成\n"_qs.toUtf8());
    ASSERT_TRUE(tidySourceFile(utf));
    EXPECT_EQ(twtest::readBytes(utf), u"\tNOP\t;✓ 完成\r\n\tEND\r\n\r\n"_qs.toUtf8());

    // A GBK comment that is also valid UTF-8 keeps its bytes, and so does a UTF-8 byte-order mark.
    const QString gbk = dir.filePath("g.asm");
    const QByteArray comment("\xD0\xB4\xD2\xBB\xCE\xBB", 6); // 写一位
    twtest::writeBytes(gbk, "setb p1.0 ;" + comment + "\r\n");
    ASSERT_TRUE(tidySourceFile(gbk));
    EXPECT_EQ(twtest::readBytes(gbk), "\tSETB\tP1.0\t;" + comment + "\r\n\tEND\r\n\r\n");
    const QString marked = dir.filePath("b.asm");
    twtest::writeBytes(marked, "\xEF\xBB\xBFnop ;\xE4\xB8\x80\n");
    ASSERT_TRUE(tidySourceFile(marked));
    EXPECT_EQ(twtest::readBytes(marked), "\xEF\xBB\xBF\tNOP\t;\xE4\xB8\x80\r\n\tEND\r\n\r\n");
}

TEST(Tidier, LeavesOtherFilesAloneAndRefusesToChangeCharacters)
{
    QTemporaryDir dir;
    using Result = TidyOutcome::Result;
    // Other endings are skipped; bytes that are no text in the file's encoding (a rewrite would
    // lose them) are refused, in GBK and in a UTF-8 file marked as such, stray lead byte at the
    // very end included.
    const std::tuple<const char *, QByteArray, Result> files[] = {
        {"x.Asm", "mov a,#1\r\n", Result::Skipped},
        {"x.err", "mov a,#1\r\n", Result::Skipped},
        {"raw.asm", "mov a,#1 ;\x81 \r\n", Result::Refused},
        {"cut.asm", "mov a,#1 ;\xD0\xB4\xD2", Result::Refused},
        {"bom.asm", "\xEF\xBB\xBFmov a,#1 ;\xE4\xB8\r\n", Result::Refused}};
    for (const auto &[name, bytes, result] : files) {
        const QString path = dir.filePath(name);
        twtest::writeBytes(path, bytes);
        EXPECT_EQ(tidySourceFile(path).result, result) << name;
        EXPECT_EQ(twtest::readBytes(path), bytes) << name;
    }
    EXPECT_EQ(tidySourceFile(dir.filePath("gone.asm")).result, Result::Skipped);
    EXPECT_FALSE(QFile::exists(dir.filePath("gone.asm")));

    // Read in a given encoding that cannot hold it, the same file is refused too.
    const QString utf = dir.filePath("u.asm");
    twtest::writeBytes(utf, u"nop ;中\n"_qs.toUtf8());
    EXPECT_EQ(tidySourceFile(utf, TextEncoding::Gbk).result, Result::Refused);
    EXPECT_EQ(twtest::readBytes(utf), u"nop ;中\n"_qs.toUtf8());
}
