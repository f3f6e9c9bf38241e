// The routine-source header and the store below the window: what the build step and the tests
// read from a routine file, and the store's refusals.
#include "assistants/SubroutineStore.h"
#include "assistants/SubroutineSource.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

TEST(SubroutineSourceTest, HeaderFieldsContinuationLinesAndCode)
{
    const QString text = QStringLiteral(u"; 名称: DELAY 延时\n"
                                        u"; 入口条件: R7 = 次数\n"
                                        u";   再一行\n"
                                        u"; 出口状态：无\n"
                                        u"; 占用资源: A,R2-R4,PSW\n"
                                        u"; 周期: 最多12\n"
                                        u"; 堆栈需求: 2字节\n"
                                        u"; 调用: UMUL16, UDIV16\n"
                                        u"DELAY:\tDJNZ\tR7,DELAY ; 循环\n"
                                        u"\tRET\n\n\n");
    QString error;
    const auto source = parseSubroutineSource(text, &error);
    ASSERT_TRUE(source) << error.toStdString();
    EXPECT_EQ(source->record.name, QStringLiteral(u"DELAY 延时"));
    EXPECT_EQ(source->record.entry, QStringLiteral(u"R7 = 次数再一行"));
    EXPECT_EQ(source->record.exit, QStringLiteral(u"无"));
    EXPECT_EQ(source->record.resources, QStringLiteral(u"A,R2-R4,PSW；最多12个机器周期"));
    EXPECT_EQ(source->record.stack, QStringLiteral(u"2字节"));
    EXPECT_EQ(source->stackBytes, 2);
    EXPECT_EQ(source->record.code, QStringLiteral(u"DELAY:\tDJNZ\tR7,DELAY ; 循环\r\n\tRET\r\n"));
    EXPECT_EQ(source->entryLabel, QStringLiteral("DELAY"));
    EXPECT_EQ(source->calls, QStringList({QStringLiteral("UMUL16"), QStringLiteral("UDIV16")}));
    EXPECT_EQ(expandResourceList(source->resourceList), QStringList({"A", "R2", "R3", "R4", "PSW"}));

    // A header without its cycles, or code without a label, is no library routine.
    EXPECT_FALSE(
        parseSubroutineSource(QString(text).replace(QStringLiteral(u"; 周期: 最多12\n"), QString()), &error));
    EXPECT_TRUE(error.contains(QStringLiteral(u"周期")));
    EXPECT_FALSE(parseSubroutineSource(QString(text).replace(QStringLiteral("DELAY:"), QString()), &error));
}

TEST(SubroutineStoreTest, ReadOnlyStoresAreNeverWrittenAndNamesAreChecked)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.db"));
    {
        SubroutineStore store;
        ASSERT_EQ(store.openOrCreate(path, QStringLiteral("ddys")), QString());
        ASSERT_EQ(store.add({"A", "c", "e", "x", "r", "s"}), QString());
        // The table's own check holds even when the window's is bypassed.
        EXPECT_NE(store.add({QString(51, u'n'), "c", "e", "x", "r", "s"}), QString());
        EXPECT_NE(store.add({"n", "c", "e", "x", "r", QString(51, u's')}), QString());
    }
    const QByteArray before = twtest::readBytes(path);
    SubroutineStore store;
    ASSERT_EQ(store.openReadOnly(path, QStringLiteral("ddys")), QString());
    EXPECT_NE(store.add({"B", "c", "e", "x", "r", "s"}), QString());
    QList<SubroutineRecord> records;
    EXPECT_EQ(store.readAll(records), QString());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0], (SubroutineRecord{"A", "c", "e", "x", "r", "s"}));
    store.close();
    EXPECT_EQ(twtest::readBytes(path), before);

    // A table name is never spliced into a statement unless it is a plain name.
    EXPECT_NE(store.openOrCreate(path, QStringLiteral("x; DROP TABLE ddys")), QString());
    // A library file without its table is reported when it is read.
    ASSERT_EQ(store.openReadOnly(path, QStringLiteral("fdys")), QString());
    QList<SubroutineRecord> none;
    EXPECT_NE(store.readAll(none), QString());
}
