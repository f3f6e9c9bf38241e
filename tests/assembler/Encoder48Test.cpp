// The MCS-48 encoder and sizer statement by statement, from the tables in
// tests/data/assembler/48: every opcode of the map from its statement, the other spellings, each
// rejection's message, placeholder code text and what reached the image, and the sizer's lengths.
#include "Mcs51TestSupport.h"

#include "assembler/ErrorList.h"
#include "assembler/mcs48/Encoder.h"
#include "assembler/mcs48/Sizer.h"

#include <gtest/gtest.h>

#include <set>

using namespace tw;

namespace
{

// The sixteen codes that neither the 8048 nor this dialect defines.
const QByteArray kUndefined = QByteArray::fromHex("010B33383B6373828B9BA2B7C2C3E2F3");

long long after(long long pc, const QString &statement)
{
    return mcs48::nextAddress(pc, statement.section(u' ', 0, 0), statement.section(u' ', 1));
}

TEST(Encoder48, StatementTable)
{
    auto image = std::make_unique<CodeImage>();
    LabelTable labels;
    labels.define(QStringLiteral("NEAR"), 0x0155);
    labels.define(QStringLiteral("FAR"), 0x0255);
    for (int page = 0; page < 8; ++page)
        labels.define(QStringLiteral("G%1").arg(page), page * 0x100 + 0x5A);
    labels.define(QStringLiteral("BANK1"), 0x0A23);
    labels.define(QStringLiteral("L123"), 0x0123);
    ErrorList errors;
    errors.setEncoding(TextEncoding::Utf8);
    mcs48::EncodeContext context{*image, labels, errors};

    std::set<int> covered;
    const auto rows = twtest::readTable(QStringLiteral("48/statements.txt"), 4);
    ASSERT_GT(rows.size(), 300);
    for (const QStringList &row : rows) {
        QString statement = row[0];
        long long pc = 0x0120;
        if (statement.startsWith(u'@')) {
            pc = statement.mid(1, 4).toInt(nullptr, 16);
            statement = statement.mid(6);
        }
        SCOPED_TRACE(row.join(u'|').toStdString());
        image->bytes.fill(0xEE);
        errors.clear();
        QString code =
            mcs48::encodeStatement(pc, statement.section(u' ', 0, 0), statement.section(u' ', 1), context);
        if (code.size() < 8) {
            EXPECT_TRUE(code.endsWith(u'\t'));
            code.chop(1);
        }
        EXPECT_EQ(code, row[1]);
        const QStringList messages =
            QString::fromUtf8(errors.lines()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        EXPECT_EQ(messages.size(), row[2].isEmpty() ? 0 : 1);
        if (!messages.isEmpty()) {
            EXPECT_EQ(messages[0].section(u'\t', 2), row[2]);
        }
        const QByteArray stored = QByteArray::fromHex((row[3].isEmpty() ? row[1] : row[3]).toLatin1());
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&image->bytes[pc]), stored.size()).toHex(),
                  stored.toHex());
        const QString mnemonic = statement.section(u' ', 0, 0);
        if (row[2].isEmpty() && mnemonic != u"ORG") {
            EXPECT_EQ(after(pc, statement) - pc, row[1].size() / 2);
            if (!row[1].isEmpty() && mnemonic != u"DB" && mnemonic != u"DW")
                covered.insert(QByteArray::fromHex(row[1].toLatin1()).at(0) & 0xFF);
        }
    }
    for (int op = 0; op < 256; ++op)
        EXPECT_EQ(covered.count(op) == 1, !kUndefined.contains(static_cast<char>(op))) << std::hex << op;
}

TEST(Encoder48, SizerLengths)
{
    for (const QStringList &row : twtest::readTable(QStringLiteral("48/sizes.txt"), 2))
        EXPECT_EQ(after(0x100, row[0]), row[1].toLongLong(nullptr, 16)) << row[0].toStdString();
}

TEST(Encoder48, BytesPastTheLastAddressEndTheRun)
{
    auto image = std::make_unique<CodeImage>();
    LabelTable labels;
    labels.define(QStringLiteral("G0"), 0x5A);
    ErrorList errors;
    errors.setLineNumber(7);
    mcs48::EncodeContext context{*image, labels, errors};
    EXPECT_EQ(mcs48::encodeStatement(0xFFFF, QStringLiteral("RET"), QString(), context), u"83\t"_qs);
    for (const char *statement : {"MOV A,#1", "DW 1", "JMP G0"}) {
        const QString text = QString::fromLatin1(statement);
        try {
            mcs48::encodeStatement(0xFFFF, text.section(u' ', 0, 0), text.section(u' ', 1), context);
            ADD_FAILURE() << statement << " was stored past FFFFH";
        } catch (const AssemblyFailure &failure) {
            EXPECT_EQ(failure.message(), u"第 7行地址错误！"_qs);
        }
    }
}

} // namespace
