// Reading and replacing whole files when the file system is hostile: devices, folders, huge and
// sparse files, links, read-only folders, a full disk, names too long.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include "common/CheckedFile.h"
#include "common/CodeImageFile.h"
#include "common/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::readBytes;
using twtest::writeBytes;

TEST(CheckedRead, RefusesWhatNoToolCanUseWithoutReadingIt)
{
    QTemporaryDir dir;
    const QString sparse = dir.filePath(u"huge.bin"_qs);
    ASSERT_TRUE(twtest::makeSparseFile(sparse, 3LL << 30)); // 3 GB, no block on disk
    const QString fifo = dir.filePath(u"pipe"_qs);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case {
        QString path;
        ReadFault fault;
        QString reason;
    };
    const Case cases[] = {
        {u"/dev/zero"_qs, ReadFault::NotAFile, u"这是设备或管道，不是普通文件"_qs},
        {fifo, ReadFault::NotAFile, u"这是设备或管道，不是普通文件"_qs}, // no writer: must not hang
        {dir.path(), ReadFault::NotAFile, u"这是一个文件夹，不是文件"_qs},
        {sparse, ReadFault::TooLarge, u"文件超过 67108864 字节"_qs},
        {dir.filePath(u"missing"_qs), ReadFault::CannotOpen, u"文件或文件夹不存在"_qs},
        {dir.filePath(u"missing/inner"_qs), ReadFault::CannotOpen, u"文件或文件夹不存在"_qs},
        {QString(), ReadFault::CannotOpen, u"文件或文件夹不存在"_qs},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const CheckedRead read = readFileChecked(c.path, kMaxTextFileBytes);
        EXPECT_EQ(read.fault, c.fault);
        EXPECT_EQ(read.reason, c.reason);
        EXPECT_TRUE(read.bytes.isEmpty());
        EXPECT_FALSE(readBinaryFile(c.path).has_value());
        EXPECT_FALSE(readTextFile(c.path).has_value());
        CodeImage image;
        EXPECT_EQ(loadCodeImage(c.path, image), -1);
    }

    // The limit is inclusive; one byte more is refused, a link is followed to what it names.
    const QString full = dir.filePath(u"full.bin"_qs);
    writeBytes(full, QByteArray(kMaxCodeFileBytes, '\x5A'));
    const QString link = dir.filePath(u"link.bin"_qs);
    ASSERT_TRUE(QFile::link(full, link));
    auto image = std::make_unique<CodeImage>();
    EXPECT_EQ(loadCodeImage(link, *image), kMaxCodeFileBytes);
    EXPECT_EQ((*image)[0xFFFF], 0x5A);
    EXPECT_EQ(readFileChecked(full, kMaxCodeFileBytes).bytes.size(), kMaxCodeFileBytes);
    writeBytes(full, QByteArray(kMaxCodeFileBytes + 1, '\x5A'));
    EXPECT_EQ(readFileChecked(link, kMaxCodeFileBytes).fault, ReadFault::TooLarge);
    EXPECT_EQ(loadCodeImage(link, *image), -1);
    EXPECT_EQ((*image)[0], 0); // cleared, nothing of the refused file shows

    // A file that reports no size (as /proc files do) is read to its end, within the limit.
    const CheckedRead status = readFileChecked(u"/proc/self/status"_qs, kMaxTextFileBytes);
    EXPECT_TRUE(status.ok());
    EXPECT_TRUE(status.bytes.startsWith("Name:"));
    EXPECT_EQ(readFileChecked(u"/proc/self/status"_qs, 8).fault, ReadFault::TooLarge);
}

TEST(CheckedReplace, KeepsLinksModesAndLeavesNoTemporaries)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(u"real"_qs);
    const QString target = dir.filePath(u"real/prog.lst"_qs);
    writeBytes(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    // A relative link in another folder, and a link to that link.
    const QString link = dir.filePath(u"prog.lst"_qs);
    ASSERT_EQ(::symlink("real/prog.lst", QFile::encodeName(link).constData()), 0);
    const QString second = dir.filePath(u"second.lst"_qs);
    ASSERT_TRUE(QFile::link(link, second));

    for (const WriteSync sync : {WriteSync::Generated, WriteSync::Durable}) {
        for (const QString &through : {link, second}) {
            EXPECT_EQ(replaceFileChecked(through, "new", sync), QString());
            EXPECT_TRUE(QFileInfo(through).isSymLink());
            EXPECT_EQ(readBytes(target), QByteArray("new"));
            EXPECT_EQ(QFileInfo(target).permissions() & 0x7777, QFile::ReadOwner | QFile::WriteOwner |
                                                                    QFile::ReadUser | QFile::WriteUser |
                                                                    QFile::ReadGroup);
            writeBytes(target, "old");
        }
    }
    // An executable stays executable; the text helpers go the same way.
    const QString script = dir.filePath(u"run.sh"_qs);
    writeBytes(script, "#!/bin/sh\n");
    ASSERT_EQ(::chmod(QFile::encodeName(script).constData(), 0755), 0);
    ASSERT_TRUE(writeTextFile(script, u"#!/bin/sh\nexit 0\n"_qs));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(script).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u);

    // A dangling link makes the file it names; the link stays.
    const QString dangling = dir.filePath(u"dangling.bin"_qs);
    ASSERT_TRUE(QFile::link(dir.filePath(u"real/made.bin"_qs), dangling));
    EXPECT_EQ(replaceFileChecked(dangling, "\x01\x02", WriteSync::Generated), QString());
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(readBytes(dir.filePath(u"real/made.bin"_qs)), QByteArray("\x01\x02"));

    // Nothing but the files themselves is left behind.
    EXPECT_EQ(
        QDir(dir.filePath(u"real"_qs)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{u"made.bin"_qs, u"prog.lst"_qs}));
}

TEST(CheckedReplace, NamesTheReasonAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(u"keep.lst"_qs);
    writeBytes(existing, "kept");
    QDir(dir.path()).mkpath(u"in-the-way.bin"_qs);

    struct Case {
        QString path;
        QString reason;
    };
    std::vector<Case> cases = {
        {dir.filePath(u"in-the-way.bin"_qs), u"已有同名的文件夹"_qs},
        {dir.filePath(QString(300, u'n') + u".lst"_qs), u"文件名太长"_qs},
        {dir.filePath(u"gone/prog.lst"_qs), u"文件或文件夹不存在"_qs},
        {existing + u"/inner"_qs, u"路径中有一项不是文件夹"_qs},
        {QString(), u"文件或文件夹不存在"_qs},
    };
    // A device is never opened to be written: it could block, or reach hardware.
    if (QFileInfo::exists(u"/dev/full"_qs))
        cases.push_back({u"/dev/full"_qs, u"这是设备或管道，不是普通文件"_qs});
    twtest::SmallDisk small(dir.filePath(u"small"_qs), 16);
    if (small.active())
        cases.push_back({small.path() + u"/big.bin"_qs, u"磁盘空间已满"_qs});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QByteArray bytes(64 * 1024, 'x');
        EXPECT_EQ(replaceFileChecked(c.path, bytes, WriteSync::Generated), c.reason);
        EXPECT_FALSE(writeBinaryFile(c.path, bytes));
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(u"in-the-way.bin"_qs)).isDir());

    twtest::ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.active())
        GTEST_SKIP() << "no way to make a read-only folder here";
    // The folder is named as the cause, not the file.
    EXPECT_EQ(replaceFileChecked(existing, "changed", WriteSync::Durable), twtest::folderRefusal(dir.path()));
    EXPECT_EQ(replaceFileChecked(dir.filePath(u"new.bin"_qs), "x", WriteSync::Generated),
              twtest::folderRefusal(dir.path()));
    EXPECT_EQ(readBytes(existing), QByteArray("kept"));
    EXPECT_EQ(writeFailureMessage(existing, u"没有访问权限"_qs),
              u"文件写入失败："_qs + existing + u"（没有访问权限）"_qs);
}

// Every reason the reader and the writer can give is in the program's language, whatever the
// system's error number.
TEST(CheckedReplace, EveryReasonIsInChinese)
{
    for (int error = 1; error < 134; ++error) {
        const std::string text = systemErrorText(error);
        SCOPED_TRACE(std::to_string(error) + " " + text);
        EXPECT_TRUE(std::none_of(text.begin(), text.end(),
                                 [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }));
    }
    EXPECT_EQ(systemErrorText(EBUSY), "文件或设备正忙");
    EXPECT_EQ(systemErrorText(EAGAIN), "资源暂时不可用，请稍后再试");
}
