// The one writer every file-writing tool's outcome goes through: consent, all-or-none, refusals of
// what is no regular file, and the messages it gives, over real files.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include "common/CheckedFile.h"
#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <csignal>
#include <map>
#include <mutex>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
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

    // A file a save dialog asked about is not asked about again, and is replaced only while it is
    // still the file that dialog found there.
    ToolOutcome chosen = twoFiles(asm_, lst, true);
    chosen.files[0].agreedInDialog = fileStateOf(nativePath(asm_));
    chosen.files.pop_back();
    writeBytes(asm_, "changed after the dialog asked");
    ScriptedPrompter late;
    EXPECT_EQ(carryOut(chosen, late).result, WriteResult::Failed);
    EXPECT_EQ(texts(late), QStringList{writeFailureMessage(asm_, u"文件已被其他程序修改"_qs)});
    EXPECT_EQ(readBytes(asm_), QByteArray("changed after the dialog asked"));
    chosen.files[0].agreedInDialog = fileStateOf(nativePath(asm_));
    ScriptedPrompter agreed;
    EXPECT_EQ(carryOut(chosen, agreed).result, WriteResult::Written);
    EXPECT_EQ(texts(agreed), QStringList{u"完成！"_qs});
    EXPECT_EQ(readBytes(asm_), QByteArray("new first"));
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
        EXPECT_EQ(texts(prompter), QStringList{u"文件写入失败："_qs + blocked + u"（"_qs +
                                               twtest::folderRefusal(dir.filePath(u"locked"_qs)) + u"）"_qs});
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
    // A stale link goes as a link: the read-only release it names stays whole.
    const QString release = dir.filePath(u"release.bin"_qs), staleLink = dir.filePath(u"out.bin"_qs);
    writeBytes(release, "the release");
    ASSERT_EQ(::chmod(QFile::encodeName(release).constData(), 0444), 0);
    ASSERT_TRUE(QFile::link(release, staleLink));
    outcome.stale.push_back(nativePath(staleLink));
    ScriptedPrompter prompter;
    const CarriedOut report = carryOut(outcome, prompter);
    EXPECT_EQ(report.result, WriteResult::Written);
    EXPECT_TRUE(texts(prompter).isEmpty()); // nothing is asked: nothing is replaced
    EXPECT_EQ(readBytes(stub), QByteArray("the user's source"));
    EXPECT_EQ(readBytes(dump), QByteArray("trace"));
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_FALSE(QFileInfo(staleLink).isSymLink());
    EXPECT_EQ(readBytes(release), QByteArray("the release"));
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

TEST(ToolOutcome, OutputsThatAreOneFileAreRefusedBeforeAnyQuestion)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(u"code.bin"_qs), out = dir.filePath(u"out.asm"_qs);
    writeBytes(input, "image");
    writeBytes(out, "my source");
    const QString link = dir.filePath(u"alias.asm"_qs), hard = dir.filePath(u"hard.asm"_qs);
    const QString inputLink = dir.filePath(u"alias.bin"_qs), inputHard = dir.filePath(u"hard.bin"_qs);
    ASSERT_TRUE(QFile::link(out, link));
    ASSERT_TRUE(QFile::link(input, inputLink));
    ASSERT_EQ(::link(QFile::encodeName(out).constData(), QFile::encodeName(hard).constData()), 0);
    ASSERT_EQ(::link(QFile::encodeName(input).constData(), QFile::encodeName(inputHard).constData()), 0);
    const QString dotted = dir.path() + u"/./out.asm"_qs;

    const struct {
        QString second, reason;
    } twice[] = {
        {out, u"与输出文件 "_qs + out + u" 是同一个文件"_qs},
        {link, u"与输出文件 "_qs + out + u" 是同一个文件"_qs},
        {hard, u"与输出文件 "_qs + out + u" 是同一个文件"_qs},
        {dotted, u"与输出文件 "_qs + out + u" 是同一个文件"_qs},
    };
    for (const auto &c : twice) {
        SCOPED_TRACE(c.second.toStdString());
        ScriptedPrompter prompter;
        EXPECT_EQ(carryOut(twoFiles(out, c.second, true), prompter).result, WriteResult::Failed);
        EXPECT_EQ(texts(prompter),
                  QStringList{u"文件写入失败："_qs + c.second + u"（"_qs + c.reason + u"）"_qs});
    }
    for (const QString &named : {input, inputLink, inputHard}) {
        SCOPED_TRACE(named.toStdString());
        ToolOutcome outcome = twoFiles(out, named, true);
        outcome.inputs.push_back(nativePath(input));
        ScriptedPrompter prompter;
        EXPECT_EQ(carryOut(outcome, prompter).result, WriteResult::Failed);
        EXPECT_EQ(texts(prompter), QStringList{u"文件写入失败："_qs + named + u"（与输入文件 "_qs + input +
                                               u" 是同一个文件）"_qs});
    }
    EXPECT_EQ(readBytes(input), QByteArray("image"));
    EXPECT_EQ(readBytes(out), QByteArray("my source"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 6);
}

// A name replaced over and over while other threads look at it: it must never stand empty, and
// always hold one whole file of one writer. A writer that finds the other's file where it staged
// over its own leaves it there and says so; any other fault is one too many.
TEST(ToolOutcome, ANameNeverStandsEmptyWhileItIsReplaced)
{
    QTemporaryDir dir;
    const std::string name = nativePath(dir.filePath(u"out.obj"_qs));
    const std::string first(4096, 'a'), second(4096, 'b');
    ASSERT_TRUE(replaceFilePlain(name, std::array<std::string_view, 1>{first}, WriteSync::Generated).empty());
    std::atomic<bool> done{false};
    std::atomic<int> missing{0}, torn{0}, faults{0};
    std::thread reader([&] {
        while (!done.load()) {
            const PlainRead read = readFilePlain(name, 1 << 20);
            if (!read.ok())
                ++missing;
            else if (read.bytes != first && read.bytes != second)
                ++torn;
        }
    });
    std::atomic<int> written{0};
    std::mutex reasonsSeen;
    std::map<std::string, int> unexpected; // each reason that is not "the other run changed it"
    auto writer = [&](const std::string &bytes) {
        for (int i = 0; i < 500; ++i) {
            const std::string reason =
                replaceFilePlain(name, std::array<std::string_view, 1>{bytes}, WriteSync::Generated);
            if (reason.empty()) {
                ++written;
            } else if (reason != "文件已被其他程序修改") {
                ++faults;
                const std::lock_guard<std::mutex> guard(reasonsSeen);
                ++unexpected[reason];
            }
        }
    };
    std::thread other(writer, second);
    writer(first);
    other.join();
    done = true;
    reader.join();
    EXPECT_EQ(missing.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(faults.load(), 0);
    for (const auto &[reason, count] : unexpected)
        ADD_FAILURE() << count << " x " << reason;
    EXPECT_GE(written.load(), 500);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.obj"_qs});
}

namespace
{

QString g_hookFolder;
void replaceSecondByFolder(ReplaceStep step)
{
    // The first file is in: another program saves its own there, and the second cannot go in.
    if (step != ReplaceStep::Renamed || QFileInfo::exists(g_hookFolder + u"/b.bin"_qs))
        return;
    writeBytes(g_hookFolder + u"/other.tmp"_qs, "another program's");
    ::rename(QFile::encodeName(g_hookFolder + u"/other.tmp"_qs).constData(),
             QFile::encodeName(g_hookFolder + u"/a.bin"_qs).constData());
    QDir(g_hookFolder).mkpath(u"b.bin"_qs);
}

} // namespace

TEST(ToolOutcome, ARollBackRemovesOnlyWhatItWrote)
{
    QTemporaryDir dir;
    g_hookFolder = dir.path();
    const QString a = dir.filePath(u"a.bin"_qs), b = dir.filePath(u"b.bin"_qs);
    writeBytes(a, "old a");
    setReplaceStepHook(replaceSecondByFolder);
    ScriptedPrompter prompter;
    const CarriedOut report = carryOut(twoFiles(a, b, false), prompter);
    setReplaceStepHook(nullptr);
    EXPECT_EQ(report.result, WriteResult::Failed);
    EXPECT_EQ(texts(prompter), QStringList{u"文件写入失败："_qs + b + u"（这是一个文件夹，不是文件）"_qs});
    EXPECT_EQ(readBytes(a), QByteArray("another program's"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.bin"_qs});

    // Where the name still holds the run's own file, the old one is put back.
    QDir(dir.path()).rmdir(u"b.bin"_qs);
    writeBytes(a, "old a");
    QDir(dir.path()).mkpath(u"b.bin.later"_qs);
    setReplaceStepHook([](ReplaceStep step) {
        if (step == ReplaceStep::Renamed && !QFileInfo::exists(g_hookFolder + u"/b.bin"_qs))
            QDir(g_hookFolder).rename(u"b.bin.later"_qs, u"b.bin"_qs);
    });
    ScriptedPrompter again;
    EXPECT_EQ(carryOut(twoFiles(a, b, false), again).result, WriteResult::Failed);
    setReplaceStepHook(nullptr);
    EXPECT_EQ(readBytes(a), QByteArray("old a"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.bin"_qs});
}

namespace
{

int g_stopAt = 0;
int g_stopSignal = 0;
void stopHere(ReplaceStep step)
{
    if (static_cast<int>(step) == g_stopAt)
        ::raise(g_stopSignal);
}

} // namespace

// A process ended between the steps of a replacement leaves the old or the new file under the
// name; an interrupt removes its own scratch files, and after a kill the next write into the
// folder removes those of the dead process.
TEST(ToolOutcome, AProcessEndedMidReplacementLeavesOneWholeFile)
{
    const struct {
        ReplaceStep step;
        const char *expected;
    } steps[] = {{ReplaceStep::Staged, "old"}, {ReplaceStep::OldKept, "old"}, {ReplaceStep::Renamed, "new"}};
    for (const int signal : {SIGKILL, SIGTERM, SIGINT}) {
        for (const auto &s : steps) {
            SCOPED_TRACE(std::to_string(signal) + " at step " + std::to_string(static_cast<int>(s.step)));
            QTemporaryDir dir;
            const std::string name = nativePath(dir.filePath(u"out.bin"_qs));
            writeBytes(dir.filePath(u"out.bin"_qs), "old");
            g_stopAt = static_cast<int>(s.step);
            g_stopSignal = signal;
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                setReplaceStepHook(stopHere);
                replaceFilePlain(name, std::array<std::string_view, 1>{"new"}, WriteSync::Generated);
                ::_exit(3);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            EXPECT_EQ(readBytes(dir.filePath(u"out.bin"_qs)), QByteArray(s.expected));
            const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            if (signal != SIGKILL) {
                EXPECT_EQ(left, QStringList{u"out.bin"_qs});
            }

            // The next write into the folder sweeps every scratch file of the dead process, the
            // old file it kept after the swap and its lock included.
            ScriptedPrompter prompter;
            ToolOutcome next;
            next.files.push_back(plannedFile(dir.filePath(u"next.bin"_qs), "next"));
            ASSERT_EQ(carryOut(next, prompter).result, WriteResult::Written);
            QStringList after = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            EXPECT_EQ(after, (QStringList{u"next.bin"_qs, u"out.bin"_qs}));
        }
    }
}
