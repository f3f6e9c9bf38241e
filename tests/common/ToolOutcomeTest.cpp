// The one writer every file-writing tool's outcome goes through: consent, all-or-none, refusals of
// what is no regular file, and the messages it gives, over real files.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::readBytes;
using twtest::writeBytes;

namespace
{

ToolOutcome twoFiles(const QString &first, const QString &second, bool ask)
{
    ToolOutcome outcome;
    outcome.files.push_back(plannedFile(first, "new first", ask));
    outcome.files.push_back(plannedFile(second, "new second", ask));
    outcome.done.push_back(toolNote(u"完成！"_qs, MsgStyle::Exclamation, u"信息"_qs));
    return outcome;
}

QStringList texts(const ScriptedPrompter &prompter)
{
    QStringList list;
    for (const ScriptedPrompter::Call &call : prompter.calls())
        list << call.text;
    return list;
}

} // namespace

TEST(ToolOutcome, AsksOnceBeforeReplacingAndNoKeepsEverything)
{
    QTemporaryDir dir;
    const QString asm_ = dir.filePath(u"blink.asm"_qs), lst = dir.filePath(u"blink.lst"_qs);
    writeBytes(asm_, "my own source");

    ScriptedPrompter no;
    no.answerMessage(MsgAnswer::No);
    CarriedOut report = carryOut(twoFiles(asm_, lst, true), no);
    EXPECT_EQ(report.result, WriteResult::Declined);
    EXPECT_EQ(texts(no), (QStringList{u"文件已存在！\r\n覆盖吗？"_qs, u"结果未保存，原有文件未改动。"_qs}));
    EXPECT_EQ(no.calls()[0].style, MsgStyle::YesNo + MsgStyle::Exclamation);
    EXPECT_EQ(readBytes(asm_), QByteArray("my own source"));
    EXPECT_FALSE(QFileInfo::exists(lst));

    // With a second existing file, the question names both.
    writeBytes(lst, "the assembler's listing");
    ScriptedPrompter both;
    both.answerMessage(MsgAnswer::No);
    carryOut(twoFiles(asm_, lst, true), both);
    EXPECT_EQ(texts(both).first(), u"文件已存在！\r\n"_qs + asm_ + u"\r\n"_qs + lst + u"\r\n覆盖吗？"_qs);

    ScriptedPrompter yes;
    yes.answerMessage(MsgAnswer::Yes);
    report = carryOut(twoFiles(asm_, lst, true), yes);
    EXPECT_EQ(report.result, WriteResult::Written);
    EXPECT_EQ(texts(yes).size(), 2);
    EXPECT_EQ(readBytes(asm_), QByteArray("new first"));
    EXPECT_EQ(readBytes(lst), QByteArray("new second"));

    // Generated files are replaced without a question.
    ScriptedPrompter none;
    EXPECT_EQ(carryOut(twoFiles(asm_, lst, false), none).result, WriteResult::Written);
    EXPECT_EQ(texts(none), QStringList{u"完成！"_qs});
}

TEST(ToolOutcome, OneFileThatCannotBeWrittenLeavesNoneOfTheRun)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath(u"kept.bin"_qs);
    writeBytes(kept, "old");
    QDir(dir.path()).mkpath(u"locked"_qs);
    const QString blocked = dir.filePath(u"locked/part.bin"_qs);
    twtest::ReadOnlyFolder readOnly(dir.filePath(u"locked"_qs));
    if (!readOnly.active())
        GTEST_SKIP() << "no way to make a read-only folder here";

    for (const bool firstNew : {false, true}) {
        const QString first = firstNew ? dir.filePath(u"new.bin"_qs) : kept;
        ScriptedPrompter prompter;
        const CarriedOut report = carryOut(twoFiles(first, blocked, false), prompter);
        EXPECT_EQ(report.result, WriteResult::Failed);
        EXPECT_TRUE(report.written.empty());
        EXPECT_EQ(texts(prompter), QStringList{u"文件写入失败："_qs + blocked + u"（没有访问权限）"_qs});
        EXPECT_EQ(readBytes(kept), QByteArray("old"));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"new.bin"_qs)));
    }
    // No temporary is left behind either.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"kept.bin"_qs});
}

TEST(ToolOutcome, WhatIsNoRegularFileIsRefusedBeforeAnyQuestionAndNeverOpened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"pipe"_qs), folder = dir.filePath(u"folder"_qs);
    const QString loop = dir.filePath(u"loop"_qs), longName = dir.filePath(QString(300, u'n'));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QDir(dir.path()).mkpath(u"folder"_qs);
    ASSERT_TRUE(QFile::link(dir.filePath(u"loop2"_qs), loop));
    ASSERT_TRUE(QFile::link(loop, dir.filePath(u"loop2"_qs)));
    const QString other = dir.filePath(u"other.asm"_qs);
    writeBytes(other, "mine");

    const struct {
        QString path, reason;
    } cases[] = {
        {fifo, u"这是设备或管道，不是普通文件"_qs},
        {u"/dev/null"_qs, u"这是设备或管道，不是普通文件"_qs},
        {folder, u"已有同名的文件夹"_qs},
        {loop, u"符号链接层数过多"_qs},
        {longName, u"文件名太长"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        // The refusal comes before the question about the other, existing file.
        ScriptedPrompter prompter;
        const CarriedOut report = carryOut(twoFiles(other, c.path, true), prompter);
        EXPECT_EQ(report.result, WriteResult::Failed);
        EXPECT_EQ(texts(prompter),
                  QStringList{u"文件写入失败："_qs + c.path + u"（"_qs + c.reason + u"）"_qs});
        EXPECT_EQ(readBytes(other), QByteArray("mine"));
    }
    EXPECT_TRUE(QFileInfo(loop).isSymLink());
    struct stat info;
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(ToolOutcome, LinksStayLinksModesStayAndAFullDiskIsNamed)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(u"real.asm"_qs), link = dir.filePath(u"link.asm"_qs);
    writeBytes(real, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));
    ToolOutcome outcome;
    outcome.files.push_back(plannedFile(link, "new"));
    ScriptedPrompter prompter;
    ASSERT_EQ(carryOut(outcome, prompter).result, WriteResult::Written);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(real), QByteArray("new"));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    twtest::SmallDisk small(dir.filePath(u"small"_qs), 16);
    if (!small.active())
        GTEST_SKIP() << "no small file system can be mounted here";
    const QString onSmall = small.path() + u"/out.bin"_qs;
    writeBytes(onSmall, "before");
    ToolOutcome big;
    big.files.push_back(plannedFile(onSmall, QByteArray(64 * 1024, 'x')));
    ScriptedPrompter full;
    EXPECT_EQ(carryOut(big, full).result, WriteResult::Failed);
    EXPECT_EQ(texts(full), QStringList{u"文件写入失败："_qs + onSmall + u"（磁盘空间已满）"_qs});
    EXPECT_EQ(readBytes(onSmall), QByteArray("before"));
}

TEST(ToolOutcome, FailureTracesNeverReplaceAndStaleFilesGoOnlyAfterAWrite)
{
    QTemporaryDir dir;
    const QString stub = dir.filePath(u"out.asm"_qs), dump = dir.filePath(u"out.err"_qs);
    const QString stale = dir.filePath(u"out.lst"_qs);
    writeBytes(stub, "the user's source");
    writeBytes(stale, "an older run's list");
    ToolOutcome outcome;
    for (const QString &path : {stub, dump}) {
        outcome.files.push_back(plannedFile(path, "trace", true));
        outcome.files.back().onlyWhereNone = true;
    }
    outcome.stale.push_back(nativePath(stale));
    ScriptedPrompter prompter;
    const CarriedOut report = carryOut(outcome, prompter);
    EXPECT_EQ(report.result, WriteResult::Written);
    EXPECT_TRUE(texts(prompter).isEmpty()); // nothing is asked: nothing is replaced
    EXPECT_EQ(readBytes(stub), QByteArray("the user's source"));
    EXPECT_EQ(readBytes(dump), QByteArray("trace"));
    EXPECT_FALSE(QFileInfo::exists(stale));
}

TEST(ToolOutcome, ALargeFileIsWrittenPieceByPiece)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.txt"_qs);
    ToolOutcome outcome;
    PlannedFile file;
    file.path = nativePath(path);
    file.content = [](const PieceSink &put) {
        for (int i = 0; i < 1000; ++i)
            if (std::string reason = put("0123456789"); !reason.empty())
                return reason;
        return std::string();
    };
    outcome.files.push_back(file);
    outcome.done.push_back(toolNote(u"查看报告吗？"_qs, MsgStyle::YesNo, u"信息"_qs));
    outcome.openOnYes = nativePath(path);
    ScriptedPrompter prompter;
    prompter.answerMessage(MsgAnswer::Yes);
    const CarriedOut report = carryOut(outcome, prompter);
    EXPECT_TRUE(report.openRequested);
    EXPECT_EQ(QFileInfo(path).size(), 10000);
}
