// The listings of large sources, end to end through the driver: every normalised line reaches the
// .lt and .lst files in the source's own encoding (GBK or UTF-8), in order, with its line number,
// for both assemblers; and the code image is the same whatever the comments.
#include "common/TextFile.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace
{

struct Case {
    const char *command;
    tw::TextEncoding encoding;
};

// About 1,900 lines: statements, label-only lines, lower case, blank lines and lines of blanks,
// comments in Chinese and in ASCII, and a long DB whose code continues on lines of its own.
QString sourceText(bool mcs51)
{
    const QString comments[] = {u";写一位"_s, u";取值：端口"_s, u"; plain"_s, QString()};
    QString text = u"; 程序开始\r\n"_s;
    for (int i = 0; i < 300; ++i) {
        text += u"L%1:\r\n"_s.arg(i);
        text += u"  mov a,#%1h   %2\r\n"_s.arg(i % 100).arg(comments[i % 4]);
        text += u"\tINC\tR%1\t%2\r\n"_s.arg(i % 8).arg(comments[(i + 1) % 4]);
        text += i % 7 == 0 ? u"   \t  \r\n"_s : u"\r\n"_s;
        text += (mcs51 ? u"\tLJMP\tL%1\r\n"_s : u"\tJMP\tL%1\r\n"_s).arg(i);
        if (i % 50 == 0)
            text += u"\tDB\t1,2,3,4,5,6,7,8,9,10,11,12\t;表格\r\n"_s;
    }
    return text + u"\tEND\r\n"_s;
}

QByteArray encoded(const QString &text, tw::TextEncoding encoding)
{
    return *tw::tryEncodeText(text, encoding);
}

// Each line of the a51 copy, as "TAB Str(n) TAB line CR LF", in order in listing.
void expectEveryLineListed(const QByteArray &a51, const QByteArray &listing, const std::string &what)
{
    const QList<QByteArray> lines = a51.split('\n');
    qsizetype at = 0;
    int listed = 0;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QByteArray line = lines[n];
        line.chop(1); // its CR
        if (line.isEmpty() || line == "\t")
            continue;
        const QByteArray needle = '\t' + QByteArray(" ") + QByteArray::number(n + 1) + '\t' + line + "\r\n";
        const qsizetype found = listing.indexOf(needle, at);
        ASSERT_GE(found, 0) << what << ": line " << n + 1 << " not listed after offset " << at;
        at = found + needle.size();
        ++listed;
    }
    EXPECT_GT(listed, 900) << what; // label-only lines join the next statement
}

} // namespace

TEST(ListingLines, LargeSourcesInBothEncodingsListEveryLineAsWritten)
{
    const Case cases[] = {{"asm51", tw::TextEncoding::Utf8},
                          {"asm51", tw::TextEncoding::Gbk},
                          {"asm48", tw::TextEncoding::Utf8},
                          {"asm48", tw::TextEncoding::Gbk}};
    QByteArray images[2];
    for (const Case &c : cases) {
        const bool mcs51 = QByteArray(c.command) == "asm51";
        const std::string what =
            std::string(c.command) + (c.encoding == tw::TextEncoding::Utf8 ? " UTF-8" : " GBK");
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString source = dir.filePath(u"big.asm"_s);
        twtest::writeBytes(source, encoded(sourceText(mcs51), c.encoding));
        const auto run = twtest::runDriver({QString::fromLatin1(c.command), source});
        ASSERT_EQ(run.exitCode, 0) << what << run.out.toStdString();

        const QByteArray a51 = twtest::readBytes(dir.filePath(u"big.a51"_s));
        ASSERT_TRUE(a51.contains(encoded(u"写一位"_s, c.encoding)))
            << what << ": the a51 copy lost its encoding";
        const QByteArray lt = twtest::readBytes(dir.filePath(u"big.lt"_s));
        const QByteArray lst = twtest::readBytes(dir.filePath(u"big.lst"_s));
        expectEveryLineListed(a51, lt, what + " .lt");
        expectEveryLineListed(a51, lst, what + " .lst");
        // The twelve-byte DB continues on two lines of its own, four bytes further each.
        EXPECT_TRUE(lt.contains("01020304\t")) << what;
        EXPECT_TRUE(lt.contains("05060708\r\n")) << what;
        EXPECT_TRUE(lt.contains("090A0B0C\r\n")) << what;

        const QByteArray image = twtest::readBytes(dir.filePath(u"big.bin"_s));
        QByteArray &first = images[mcs51 ? 0 : 1];
        if (first.isEmpty())
            first = image;
        else
            EXPECT_EQ(image, first) << what << ": the comments' encoding changed the code";
    }
}
