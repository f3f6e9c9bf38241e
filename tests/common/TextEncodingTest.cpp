// Which encoding a text file is read in, and that writing it back never changes a character:
// the corpus of real-looking source lines in GBK and UTF-8 (tests/data/common), each line alone as
// a whole file and in small files of neighbouring lines.
#include "common/TextFile.h"
#include "support/TestFiles.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using namespace Qt::StringLiterals;

namespace
{

QStringList corpusLines()
{
    const QByteArray utf8 = twtest::readBytes(twtest::dataPath(u"common/corpus-utf8.asm"_s));
    QStringList lines = QString::fromUtf8(utf8).split(u'\n');
    lines.removeAll(QString());
    return lines;
}

struct Sample {
    QString text;
    QByteArray bytes;
};

// Every line alone (with and without a line end) and every run of two to five neighbouring lines.
std::vector<Sample> samplesOf(const QStringList &lines, TextEncoding encoding)
{
    std::vector<Sample> samples;
    const auto add = [&](const QString &text) { samples.push_back({text, *tryEncodeText(text, encoding)}); };
    for (const QString &line : lines) {
        add(line);
        add(line + u"\r\n"_s);
    }
    for (int size = 2; size <= 5; ++size)
        for (qsizetype first = 0; first + size <= lines.size(); ++first)
            add(lines.mid(first, size).join(u"\r\n"_s) + u"\r\n"_s);
    return samples;
}

} // namespace

TEST(TextEncoding, CorpusFilesInBothEncodingsHoldTheSameLines)
{
    const QStringList lines = corpusLines();
    ASSERT_GE(lines.size(), 200);
    // The GBK file is the same text, and it is the hard case: many of its comments (;写一位,
    // ;取值 一位) are also valid UTF-8.
    const QByteArray gbk = twtest::readBytes(twtest::dataPath(u"common/corpus-gbk.asm"_s));
    EXPECT_EQ(decodeText(gbk, TextEncoding::Gbk).text.split(u'\n', Qt::SkipEmptyParts), lines);
    int alsoUtf8 = 0;
    for (const QString &line : lines) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        utf8.decode(*tryEncodeText(line, TextEncoding::Gbk));
        const bool ascii = std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x80; });
        alsoUtf8 += !utf8.hasError() && !ascii;
    }
    EXPECT_GE(alsoUtf8, 60);
}

TEST(TextEncoding, EveryCorpusSampleDecodesRightInBothEncodings)
{
    const QStringList lines = corpusLines();
    for (const TextEncoding encoding : {TextEncoding::Gbk, TextEncoding::Utf8}) {
        int wrong = 0;
        for (const Sample &sample : samplesOf(lines, encoding)) {
            const TextFileContent content = decodeText(sample.bytes);
            if (content.text != sample.text || content.encoding != encoding || content.strayBytes) {
                ++wrong;
                ADD_FAILURE() << (encoding == TextEncoding::Gbk ? "GBK " : "UTF-8 ")
                              << sample.text.toStdString() << " read as " << content.text.toStdString();
            }
            // Written back in the encoding it was read in, the bytes are the file's.
            EXPECT_EQ(tryEncodeText(content.text, content.encoding), sample.bytes);
        }
        EXPECT_EQ(wrong, 0);
    }
}

// Generated files are encoded a line at a time: each line alone gives the bytes the whole text
// gives, and nothing of one text (not even a lone surrogate at its end) reaches the next.
TEST(TextEncoding, GeneratedTextLineByLine)
{
    const QStringList lines = corpusLines();
    QByteArray byLine;
    QString whole;
    for (const QString &line : lines) {
        const QByteArray bytes = encodeText(line);
        EXPECT_EQ(bytes, tryEncodeText(line, TextEncoding::Gbk)) << line.toStdString();
        byLine += bytes + "\r\n";
        whole += line + u"\r\n"_s;
        encodeText(line + QChar(0xD800));
    }
    EXPECT_EQ(byLine, encodeText(whole));
    EXPECT_EQ(encodeText(u"中"_s + QChar(0xDC00) + u"文"_s).right(2), encodeText(u"文"_s));
    EXPECT_EQ(encodeText(u"第 3行"_s, TextEncoding::Utf8), u"第 3行"_s.toUtf8());
}

TEST(TextEncoding, WholeFilesMarksAndStrayBytes)
{
    // The corpus as whole files.
    for (const auto &[name, encoding] : {std::pair(u"common/corpus-gbk.asm"_s, TextEncoding::Gbk),
                                         std::pair(u"common/corpus-utf8.asm"_s, TextEncoding::Utf8)}) {
        const auto content = readTextFile(twtest::dataPath(name));
        ASSERT_TRUE(content);
        EXPECT_EQ(content->encoding, encoding);
        EXPECT_FALSE(content->strayBytes);
    }
    // ASCII reads as GBK; a byte-order mark means UTF-8 even before GBK-looking bytes, and it is
    // kept apart from the text.
    EXPECT_EQ(decodeText("nop\r\n").encoding, TextEncoding::Gbk);
    const TextFileContent marked = decodeText("\xEF\xBB\xBF;\xD0\xB4");
    EXPECT_EQ(marked.encoding, TextEncoding::Utf8);
    EXPECT_TRUE(marked.byteOrderMark);
    EXPECT_EQ(marked.text, u";д"_s);
    EXPECT_EQ(tryEncodeText(marked.text, TextEncoding::Utf8, true), QByteArray("\xEF\xBB\xBF;\xD0\xB4"));

    // A rare GBK character (艀, C5 80, outside GB2312) that is valid UTF-8 beside common ones
    // that are too: still GBK. The charset detector alone takes this line for UTF-8.
    const QByteArray rare(";\xD0\xB4\xD2\xBB\xCE\xBB \xC5\x80\r\n");
    EXPECT_EQ(decodeText(rare).text, u";写一位 艀\r\n"_s);
    // UTF-8 Chinese with one Greek letter beside it stays UTF-8.
    EXPECT_EQ(decodeText(u";电阻 10kΩ 一位\r\n"_s.toUtf8()).encoding, TextEncoding::Utf8);

    // Stray bytes read as U+FFFD and are flagged, a lead byte cut off at the very end included.
    for (const QByteArray &bytes : {QByteArray("nop ;\x81 \r\n"), QByteArray("nop ;\xD0\xB4\xD2"),
                                    QByteArray("nop ;\xD0\xB4\xD2\r\n\xFF")}) {
        const TextFileContent content = decodeText(bytes);
        EXPECT_EQ(content.encoding, TextEncoding::Gbk) << bytes.toHex().toStdString();
        EXPECT_TRUE(content.strayBytes) << bytes.toHex().toStdString();
        EXPECT_TRUE(content.text.contains(QChar::ReplacementCharacter)) << bytes.toHex().toStdString();
        EXPECT_FALSE(tryEncodeText(content.text, TextEncoding::Gbk));
    }
}

TEST(TextEncoding, WritesNeverSubstituteCharacters)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"t.asm"_s);
    twtest::writeBytes(path, "old");
    // GBK cannot hold ✓ or U+FFFD: no "?" in their place, the write fails and the old file stays.
    for (const QString &text : {u"nop ;✓"_s, u"nop ;\uFFFD"_s}) {
        const QByteArray before = twtest::readBytes(path);
        EXPECT_FALSE(tryEncodeText(text, TextEncoding::Gbk));
        EXPECT_FALSE(writeTextFile(path, text, TextEncoding::Gbk));
        EXPECT_EQ(twtest::readBytes(path), before);
        EXPECT_TRUE(writeTextFile(path, text, TextEncoding::Utf8));
        EXPECT_EQ(twtest::readBytes(path), text.toUtf8());
    }
    // A lone surrogate is no character in UTF-8 either.
    const QString broken = u"nop ;"_s + QChar(0xD800);
    EXPECT_FALSE(tryEncodeText(broken, TextEncoding::Utf8));
    EXPECT_FALSE(writeLines(path, {broken}, TextEncoding::Utf8));
    EXPECT_EQ(twtest::readBytes(path), u"nop ;\uFFFD"_s.toUtf8());
}
