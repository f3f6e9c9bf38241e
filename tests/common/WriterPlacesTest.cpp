// The one writer where users also keep files: file systems that keep no modes or find names in any
// case, runs in other PID namespaces, shared sticky folders, answers that come while another
// program works on the file, long paths, and faults injected at the system calls.
#include "support/FileFaults.h"
#include "support/FuseMounts.h"
#include "support/TestFiles.h"

#include "base/MessageStyle.h"
#include "base/PrivateFolder.h"
#include "base/ScratchFiles.h"
#include "base/ToolOutcome.h"
#include "common/OutcomeWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <utility>

#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace tw;
using twtest::readBytes;
using twtest::writeBytes;

namespace
{

// The seams are the test's for as long as the object lives.
struct SeamsInForce {
    explicit SeamsInForce(const FileSystemSeams &seams) { setFileSystemSeams(seams); }
    ~SeamsInForce() { setFileSystemSeams({}); }
};

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Answers Yes to the replace question and OK to the rest, after letting another program work
// while the user thinks it over.
class LateAnswers final : public NoteAnswers
{
  public:
    explicit LateAnswers(std::function<void()> meanwhile = {}) : m_meanwhile(std::move(meanwhile)) {}
    int answer(const ToolNote &note) override
    {
        texts << QString::fromStdString(note.text);
        if (note.style != MsgStyle::YesNo + MsgStyle::Exclamation)
            return MsgAnswer::Ok;
        if (m_meanwhile)
            m_meanwhile();
        return MsgAnswer::Yes;
    }
    QStringList texts;

  private:
    std::function<void()> m_meanwhile;
};

ToolOutcome outcomeOf(std::initializer_list<std::pair<QString, QByteArray>> files, bool ask = true)
{
    ToolOutcome outcome;
    for (const auto &[path, bytes] : files)
        outcome.files.push_back(plannedFile(path, bytes, ask));
    return outcome;
}

QString failure(const QString &path, const QString &reason)
{
    return u"文件写入失败："_qs + path + u"（"_qs + reason + u"）"_qs;
}

int g_modeError = 0;
int refuseModes(int, unsigned)
{
    return g_modeError;
}

QString g_blindFolder;
int g_blindRule = 1; // as FileSystemSeams::foldsCase answers
int blindToCase(const std::string &folder)
{
    return QString::fromStdString(folder).startsWith(g_blindFolder) ? g_blindRule : -1;
}

// A file under a name that need not be UTF-8.
PlannedFile namedFile(const std::string &path, const std::string &bytes)
{
    PlannedFile file;
    file.path = path;
    file.bytes = bytes;
    return file;
}

} // namespace

// FAT, exFAT and FUSE mounts answer chmod with ENOSYS, EOPNOTSUPP or EPERM, and cp replaces files
// there all the same; any other fault of chmod is still the run's.
TEST(ToolOutcome, ReplacesWhereTheFileSystemKeepsNoModes)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(u"p.obj"_qs);
    for (const bool noSwap : {false, true}) {
        for (const int error : {ENOSYS, EOPNOTSUPP, EPERM, EIO}) {
            SCOPED_TRACE(std::to_string(error) + (noSwap ? " without swaps" : ""));
            writeBytes(out, "old");
            g_modeError = error;
            SeamsInForce seams({.setMode = refuseModes, .noRenameFlags = noSwap});
            LateAnswers answers;
            const CarriedOut report = carryOut(outcomeOf({{out, "new"}}), answers);
            if (error == EIO) {
                EXPECT_EQ(report.result, WriteResult::Failed);
                EXPECT_EQ(answers.texts.last(), failure(out, u"设备读写出错"_qs));
                EXPECT_EQ(readBytes(out), QByteArray("old"));
            } else {
                EXPECT_EQ(report.result, WriteResult::Written) << answers.texts.join(u' ').toStdString();
                EXPECT_EQ(readBytes(out), QByteArray("new"));
            }
            EXPECT_EQ(entries(dir.path()), QStringList{u"p.obj"_qs});
        }
    }
}

// Names a folder's rule makes one are one file, even where the file system gives each spelling
// an inode of its own: on FAT and exFAT by Unicode case folding, simple or full; on a casefold
// folder of ext4 or f2fs also in either canonical form. A folder that only folds keeps é and
// e + U+0301 apart, as exFAT does; a name that is not UTF-8 is matched in its ASCII case alone.
TEST(ToolOutcome, NamesThatACaseBlindFolderFindsAsOneAreOneFile)
{
    const struct {
        const char *a, *b;
        int rule; // 1 folds case, 2 normalises, 3 both, -1 the folder's own probe
        bool one;
    } rows[] = {
        {"x.LST", "x.lst", 1, true},
        {"x.LST", "x.lst", -1, false},
        {"程序ａ.bin", "程序Ａ.bin", 1, true}, // full-width, as a Chinese input method types them
        {"é.bin", "É.bin", 1, true},
        {"ς.bin", "Σ.bin", 1, true},
        {"д.bin", "Д.bin", 1, true},
        {"x.lſt", "x.lst", 1, true},            // ſ folds to s
        {"straße.bin", "STRASSE.bin", 1, true}, // full folding
        {"dé/p.bin", "dÉ/p.bin", 1, true},      // the folder spelled apart
        {"\u00e9.bin", "e\u0301.bin", 1, false},
        {"\u00e9.bin", "E\u0301.bin", 3, true},
        {"\u00e9.bin", "e\u0301.bin", 2, true},
        {"\377a.bin", "\377A.bin", 1, true}, // not UTF-8
        {"\377.bin", "\376.bin", 3, false},
    };
    QTemporaryDir dir;
    g_blindFolder = QFileInfo(dir.path()).canonicalFilePath();
    SeamsInForce seams({.foldsCase = blindToCase});
    int count = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.a) + ' ' + row.b + ' ' + std::to_string(row.rule));
        g_blindRule = row.rule;
        const std::string folder = nativePath(dir.path()) + '/' + std::to_string(++count) + '/';
        const std::string a = folder + row.a, b = folder + row.b;
        for (const std::string &name : {a, b})
            QDir().mkpath(QString::fromStdString(name).section(u'/', 0, -2));
        std::FILE *input = std::fopen(a.c_str(), "w");
        std::fputs("input", input);
        std::fclose(input);
        ToolOutcome twoOutputs, overInput;
        twoOutputs.files = {namedFile(a, "first"), namedFile(b, "second")};
        overInput.files = {namedFile(b, "output")};
        overInput.inputs = {a};
        for (const auto &[outcome, other] :
             {std::pair{&twoOutputs, "与输出文件 "}, std::pair{&overInput, "与输入文件 "}}) {
            LateAnswers answers;
            carryOut(*outcome, answers);
            EXPECT_EQ(answers.texts, row.one ? QStringList{QString::fromStdString(
                                                   writeFailureText(b, other + a + " 是同一个文件"))}
                                             : QStringList());
        }
        EXPECT_EQ(readFilePlain(a, 16).bytes, row.one ? "input" : "first");
        // The probe leaves nothing behind.
        EXPECT_EQ(entries(QString::fromStdString(folder)).filter(u".tw-"_qs), QStringList());
        std::remove(a.c_str()); // names QTemporaryDir cannot spell
        std::remove(b.c_str());
    }
}

// What the user agreed to replace is what gets replaced: a file saved, swapped or made by another
// program while the question was open stops the run, and nothing of it is written.
TEST(ToolOutcome, AFileChangedOrMadeAfterTheQuestionIsLeftAsTheOtherProgramLeftIt)
{
    for (const bool noSwap : {false, true}) {
        SCOPED_TRACE(noSwap ? "without swaps" : "with swaps");
        SeamsInForce seams({.noRenameFlags = noSwap});
        QTemporaryDir dir;
        const QString source = dir.filePath(u"out.asm"_qs), list = dir.filePath(u"out.lst"_qs);
        const struct {
            const char *what;
            std::function<void()> meanwhile;
            QString changedFile;
            QString reason;
        } cases[] = {
            {"saved in place", [&] { writeBytes(source, "saved by the editor"); }, source,
             u"文件已被其他程序修改"_qs},
            {"saved by a rename",
             [&] {
                 writeBytes(dir.filePath(u"swap"_qs), "swapped in");
                 QFile::remove(source);
                 QFile::rename(dir.filePath(u"swap"_qs), source);
             },
             source, u"文件已被其他程序修改"_qs},
            {"made where none was", [&] { writeBytes(list, "made meanwhile"); }, list,
             u"其他程序已新建了同名文件"_qs},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(c.what);
            QFile::remove(list);
            writeBytes(source, "the user's source");
            LateAnswers answers(c.meanwhile);
            const CarriedOut report =
                carryOut(outcomeOf({{source, "disassembly"}, {list, "segments"}}), answers);
            EXPECT_EQ(report.result, WriteResult::Failed);
            EXPECT_EQ(answers.texts.last(), failure(c.changedFile, c.reason));
            EXPECT_NE(readBytes(source), QByteArray("disassembly"));
            EXPECT_NE(readBytes(list), QByteArray("segments"));
            EXPECT_EQ(entries(dir.path()).filter(u".tw-"_qs), QStringList());
        }
        // A failed run's trace is written only where no file is: one made meanwhile stays, and
        // the rest of the run goes on.
        QFile::remove(list);
        ToolOutcome trace = outcomeOf({{source, "stub"}}, false);
        trace.files.push_back(plannedFile(list, "trace"));
        trace.files.back().onlyWhereNone = true;
        trace.files.front().askBeforeReplacing = true;
        LateAnswers answers([&] { writeBytes(list, "made meanwhile"); });
        EXPECT_EQ(carryOut(trace, answers).result, WriteResult::Written);
        EXPECT_EQ(readBytes(list), QByteArray("made meanwhile"));
        EXPECT_EQ(readBytes(source), QByteArray("stub"));
    }
}

// Whatever another program puts at an output's name while the run works (a folder, a link, a file),
// asked about or not, and whether it comes before the name is looked at, between the look and the
// swap, or, where the file system cannot swap, while the old file is off the name, stays at that
// name as it was; the run fails naming it, and nothing of the user's ends up under a hidden name
// (the old file caught off its name goes to a ".old" one, named in the message). Where names can be
// neither swapped nor linked, a file (or link) that came between the look and the move aside is
// not renamed back over the name but kept beside it as ".old", named in the message.
namespace
{

// The cases below in fresh folders under base (the temporary folder when empty), with the seams in
// force; swaps: whether the file system swaps names, so that the old file never leaves its name;
// links: whether it has hard links, or the flags, to put a file only at an empty name.
void expectWhatIsPutThereStays(const QString &base, const FileSystemSeams &seams, bool swaps,
                               bool links = true)
{
    static std::function<void()> g_intrude;
    static ReplaceStep g_intrudeAt;
    setReplaceStepHook([](ReplaceStep step) {
        if (step == g_intrudeAt && g_intrude)
            std::exchange(g_intrude, {})();
    });
    const auto unhook = qScopeGuard([] { setReplaceStepHook(nullptr); });
    // Twin: a file made in the old one's place with its size and times, which the file system may
    // give the old one's inode number once that is free.
    enum class Thing { Folder, Link, File, Twin };
    const SeamsInForce inForce(seams);
    for (const ReplaceStep at : {ReplaceStep::Staged, ReplaceStep::Looked, ReplaceStep::MovedAside})
        for (const bool existed : {true, false})
            for (const bool asked : {true, false})
                for (const Thing thing : {Thing::Folder, Thing::Link, Thing::File, Thing::Twin}) {
                    // The old file leaves the name only where the file system cannot swap.
                    const bool aside = at == ReplaceStep::MovedAside;
                    if (aside && (swaps || !existed))
                        continue;
                    SCOPED_TRACE(::testing::Message() << "at step " << static_cast<int>(at)
                                                      << (existed ? ", over a file" : ", empty name")
                                                      << (asked ? ", asked" : ", unasked") << ", thing "
                                                      << static_cast<int>(thing));
                    QTemporaryDir dir((base.isEmpty() ? QDir::tempPath() : base) + u"/case-XXXXXX"_qs);
                    const QString out = dir.filePath(u"out.obj"_qs);
                    const QString elsewhere = dir.filePath(u"elsewhere"_qs);
                    writeBytes(elsewhere, "the link's file");
                    if (existed)
                        writeBytes(out, "old");
                    g_intrudeAt = at;
                    g_intrude = [&] {
                        struct stat old = {};
                        ::stat(QFile::encodeName(out).constData(), &old);
                        QFile::remove(out);
                        switch (thing) {
                        case Thing::Folder:
                            QDir(dir.path()).mkdir(u"out.obj"_qs);
                            writeBytes(out + u"/mine"_qs, "kept");
                            break;
                        case Thing::Link:
                            if (!QFile::link(elsewhere, out))
                                writeBytes(out, "theirs"); // a file system without links
                            break;
                        case Thing::File:
                            writeBytes(out, "theirs");
                            break;
                        case Thing::Twin: {
                            writeBytes(out, "twn");
                            const struct timespec times[2] = {old.st_atim, old.st_mtim};
                            ::utimensat(AT_FDCWD, QFile::encodeName(out).constData(), times, 0);
                            break;
                        }
                        }
                    };
                    LateAnswers answers;
                    const CarriedOut report = carryOut(outcomeOf({{out, "new"}}, asked), answers);
                    EXPECT_EQ(report.result, WriteResult::Failed);
                    const QString reason = thing == Thing::Folder ? u"这是一个文件夹，不是文件"_qs
                                           : existed              ? u"文件已被其他程序修改"_qs
                                                     : u"其他程序已新建了同名文件"_qs;
                    // Caught off its name, the old file the user agreed to replace is kept
                    // beside it, and said so.
                    const QString keptOld = out + u".old"_qs;
                    // Moved aside with the old file's name, another program's file that cannot be
                    // put only at an empty name is kept beside it.
                    const bool keptBeside =
                        !links && at == ReplaceStep::Looked && existed && thing != Thing::Folder;
                    const QString theirs = keptBeside ? keptOld : out;
                    EXPECT_EQ(answers.texts.last(),
                              failure(out, reason) +
                                  (aside || keptBeside
                                       ? u"\r\n原有文件 "_qs + out + u" 未能恢复，现保存为 "_qs + keptOld
                                       : QString()));
                    switch (thing) {
                    case Thing::Folder:
                        EXPECT_EQ(readBytes(out + u"/mine"_qs), QByteArray("kept"));
                        break;
                    case Thing::Link:
                        // sshfs may keep links it cannot read back: a link there is enough.
                        if (!QFileInfo(theirs).isSymLink()) {
                            EXPECT_EQ(readBytes(theirs), QByteArray("theirs"));
                        } else if (!QFileInfo(theirs).symLinkTarget().isEmpty()) {
                            EXPECT_EQ(QFileInfo(theirs).symLinkTarget(), elsewhere);
                        }
                        EXPECT_EQ(readBytes(elsewhere), QByteArray("the link's file"));
                        break;
                    case Thing::File:
                        EXPECT_EQ(readBytes(theirs), QByteArray("theirs"));
                        break;
                    case Thing::Twin:
                        EXPECT_EQ(readBytes(theirs), QByteArray("twn"));
                        break;
                    }
                    QStringList left{u"elsewhere"_qs, keptBeside ? u"out.obj.old"_qs : u"out.obj"_qs};
                    if (aside) {
                        left << u"out.obj.old"_qs;
                        EXPECT_EQ(readBytes(keptOld), QByteArray("old"));
                    }
                    EXPECT_EQ(twtest::settledEntries(dir.path()), left);
                }
}

} // namespace

TEST(ToolOutcome, WhatAnotherProgramPutsAtTheNameDuringTheRunStaysThere)
{
    {
        SCOPED_TRACE("with swaps");
        expectWhatIsPutThereStays({}, {}, true);
    }
    {
        SCOPED_TRACE("without swaps");
        expectWhatIsPutThereStays({}, {.noRenameFlags = true}, false);
    }
    {
        SCOPED_TRACE("without swaps or links");
        expectWhatIsPutThereStays({}, {.noRenameFlags = true, .noHardLinks = true}, false, false);
    }
}

// The same on the mounts users make: bindfs, sshfs (with and without hard links) and exFAT, none of
// which swaps names.
TEST(ToolOutcome, WhatAnotherProgramPutsAtTheNameStaysThereOnServerMounts)
{
    twtest::EachMount mounts{twtest::mountToTry<twtest::BindfsMount>("bindfs"),
                             twtest::mountToTry<twtest::SshfsMount>("sshfs"),
                             twtest::mountToTry<twtest::SshfsMount>(
                                 "sshfs without hard links", QStringList{u"-o"_qs, u"disable_hardlink"_qs}),
                             twtest::mountToTry<twtest::ExfatMount>("exFAT")};
    mounts.run([](twtest::TestMount &mount) {
        const QString probe = mount.mountPoint() + u"/probe"_qs;
        writeBytes(probe, "probe");
        const bool links =
            ::link(QFile::encodeName(probe).constData(), QFile::encodeName(probe + u"2"_qs).constData()) == 0;
        QFile::remove(probe);
        QFile::remove(probe + u"2"_qs);
        expectWhatIsPutThereStays(mount.mountPoint(), {}, false, links);
    });
    TW_SKIP_UNTRIED(mounts);
}

// Only the name within its folder counts towards the system's path limit, and a run stays in the
// folder it opened when another program renames a folder above it.
TEST(ToolOutcome, LongPathsAreWrittenAndARunStaysInItsFolder)
{
    QTemporaryDir dir;
    QString deep = dir.path();
    while (deep.size() < 3800)
        deep += u'/' + QString(200, u'd');
    ASSERT_TRUE(QDir().mkpath(deep));
    QString out = deep + u'/' + QString(4000 - deep.size() - 1, u'f');
    ASSERT_EQ(QFile::encodeName(out).size(), 4000);
    for (const char *bytes : {"first", "second"}) {
        LateAnswers answers;
        EXPECT_EQ(carryOut(outcomeOf({{out, bytes}}), answers).result, WriteResult::Written)
            << answers.texts.join(u' ').toStdString();
        EXPECT_EQ(readBytes(out), QByteArray(bytes));
    }
    EXPECT_EQ(entries(deep).size(), 1);

    QDir(dir.path()).mkpath(u"a/b"_qs);
    writeBytes(dir.filePath(u"a/b/out.bin"_qs), "old");
    static QString moved;
    moved = dir.path();
    setReplaceStepHook([](ReplaceStep step) {
        if (step == ReplaceStep::Staged)
            QDir(moved).rename(u"a"_qs, u"renamed"_qs);
    });
    LateAnswers answers;
    const CarriedOut report = carryOut(outcomeOf({{dir.filePath(u"a/b/out.bin"_qs), "new"}}, false), answers);
    setReplaceStepHook(nullptr);
    EXPECT_EQ(report.result, WriteResult::Written);
    EXPECT_EQ(readBytes(dir.filePath(u"renamed/b/out.bin"_qs)), QByteArray("new"));
    EXPECT_EQ(entries(dir.filePath(u"renamed/b"_qs)), QStringList{u"out.bin"_qs});
}

// A sweep decides by the lock a run holds, which every process sees: a run started in another PID
// namespace, as containers and sandboxes start programs, keeps off a live run's files and removes
// those of a run that has ended.
TEST(ToolOutcome, ASweepFromAnotherPidNamespaceTakesOnlyEndedRuns)
{
    TW_REQUIRE_PROGRAMS(u"unshare"_qs);
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"in.bin"_qs), QByteArray(16, '\x5A'));
    const std::string live = nativePath(dir.filePath(u"live.txt"_qs));
    StagedFile running;
    ASSERT_EQ(running.stage(
                  live, [](const PieceSink &put) { return put("report"); }, WriteSync::Generated),
              "");
    const QStringList ours = entries(dir.path()).filter(u".tw-"_qs);
    ASSERT_EQ(ours.size(), 2); // the staged file and the run's lock
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A run that ends without a word: its staged file and lock stay behind.
        static StagedFile ended;
        ended.stage(
            nativePath(dir.filePath(u"ended.txt"_qs)), [](const PieceSink &put) { return put("x"); },
            WriteSync::Generated);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(entries(dir.path()).filter(u".tw-"_qs).size(), 4);

    const QStringList args = {
        u"-pf"_qs,     u"--mount-proc"_qs,         QStringLiteral(TW_TWDRIVE), u"conv"_qs,
        u"bin2obj"_qs, dir.filePath(u"in.bin"_qs), dir.filePath(u"out.obj"_qs)};
    twtest::ProcessResult run = twtest::runProgram(u"unshare"_qs, args);
    if (run.exitCode != 0 && run.err.contains("unshare"))
        run = twtest::runProgram(u"unshare"_qs, QStringList{u"-Ur"_qs} + args);
    if (run.exitCode != 0 && run.err.contains("unshare"))
        GTEST_SKIP() << "no new PID namespace here: " << run.err.toStdString();
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(u"out.obj"_qs)));
    // The ended run's two files went; the live run's two stayed, and it ends as it would have.
    EXPECT_EQ(entries(dir.path()).filter(u".tw-"_qs), ours);
    EXPECT_EQ(running.commit(), "");
    EXPECT_EQ(readBytes(dir.filePath(u"live.txt"_qs)), QByteArray("report"));
}

// A run killed on a file system that swaps no names leaves one whole file, or, killed while the old
// file is off the name, that file under a hidden one, which the next run into the folder puts back;
// and the next run leaves no scratch file of it.
TEST(ToolOutcome, AKillWithoutSwapsLeavesOneWholeFileAndNoScratchAfterTheNextRun)
{
    for (const ReplaceStep step : {ReplaceStep::Staged, ReplaceStep::OldKept, ReplaceStep::Looked,
                                   ReplaceStep::MovedAside, ReplaceStep::Renamed}) {
        SCOPED_TRACE(static_cast<int>(step));
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out.bin"_qs);
        writeBytes(out, "old");
        static ReplaceStep killAt;
        killAt = step;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setFileSystemSeams({.noRenameFlags = true});
            setReplaceStepHook([](ReplaceStep reached) {
                if (reached == killAt)
                    ::raise(SIGKILL);
            });
            replaceFilePlain(nativePath(out), std::array<std::string_view, 1>{"new"}, WriteSync::Generated);
            ::_exit(3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        const QByteArray whole(step == ReplaceStep::Renamed ? "new" : "old");
        if (step == ReplaceStep::MovedAside) {
            EXPECT_FALSE(QFileInfo::exists(out));
        } else {
            EXPECT_EQ(readBytes(out), whole);
        }
        LateAnswers answers;
        ASSERT_EQ(carryOut(outcomeOf({{dir.filePath(u"next.bin"_qs), "next"}}), answers).result,
                  WriteResult::Written);
        EXPECT_EQ(readBytes(out), whole);
        EXPECT_EQ(entries(dir.path()), (QStringList{u"next.bin"_qs, u"out.bin"_qs}));
    }
}

namespace
{

// A run in a child process, under the seams in force: it does its work, then dies without a word
// (SIGKILL), or lives on until the object ends.
class ChildRun
{
  public:
    ChildRun(const std::function<void()> &work, bool killed)
    {
        int ready[2], release[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        char byte = 0;
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            work();
            if (killed)
                ::raise(SIGKILL);
            if (::write(ready[1], &byte, 1) == 1 && ::read(release[0], &byte, 1) >= 0)
                ::_exit(0);
            ::_exit(1);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        if (killed && ::waitpid(m_pid, nullptr, 0) == m_pid)
            m_pid = -1;
        else if (::read(ready[0], &byte, 1) != 1)
            ADD_FAILURE() << "the child run did not get ready";
        ::close(ready[0]);
    }
    ~ChildRun()
    {
        ::close(m_release);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    ChildRun(const ChildRun &) = delete;
    ChildRun &operator=(const ChildRun &) = delete;
    pid_t pid() const { return m_pid; }

  private:
    pid_t m_pid = -1;
    int m_release = -1;
};

// Stages a file and leaves it so: the run's scratch file and lock stay while the process lives (a
// child process's own object, never one it inherited).
void stageOnly(const QString &path)
{
    auto *staged = new StagedFile;
    staged->stage(
        nativePath(path), [](const PieceSink &put) { return put("x"); }, WriteSync::Generated);
}

// Makes a new PID namespace, whose first process (1 there) stages "ns-live" in the folder and lives
// on while the calling process does; its child (2 there) stages "ns-killed" and is killed.
void stageInNewPidNamespace(const QString &folder)
{
    const QByteArray uid = QByteArray::number(::geteuid()), gid = QByteArray::number(::getegid());
    if (::unshare(CLONE_NEWPID) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWPID) != 0)
            return;
        writeBytes(u"/proc/self/setgroups"_qs, "deny");
        writeBytes(u"/proc/self/uid_map"_qs, uid + ' ' + uid + " 1");
        writeBytes(u"/proc/self/gid_map"_qs, gid + ' ' + gid + " 1");
    }
    int ready[2];
    if (::pipe(ready) != 0)
        return;
    if (::fork() == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        stageOnly(folder + u"/ns-live"_qs);
        const pid_t doomed = ::fork();
        if (doomed == 0) {
            stageOnly(folder + u"/ns-killed"_qs);
            ::raise(SIGKILL);
        }
        ::waitpid(doomed, nullptr, 0);
        if (::write(ready[1], "r", 1) == 1)
            ::pause();
        ::_exit(0);
    }
    char byte = 0;
    if (::read(ready[0], &byte, 1) != 1)
        return;
}

QByteArray withLine(const QByteArray &record, const QByteArray &key, const QByteArray &value)
{
    QList<QByteArray> lines = record.split('\n');
    for (QByteArray &line : lines)
        if (line.startsWith(key + ' '))
            line = key + ' ' + value;
    return lines.join('\n');
}

// The names in the folder of the run whose lock file holds text.
QStringList runFiles(const QString &folder, const QByteArray &text)
{
    for (const QString &name : entries(folder).filter(u".lock"_qs))
        if (readBytes(folder + u'/' + name).contains(text))
            return entries(folder).filter(name.left(20));
    return {};
}

} // namespace

// Where the file system keeps no locks, the record in a run's lock file tells a sweep whether the
// run has ended: a live run's files stay, in this PID namespace or another, and so do another
// machine's and those whose record cannot be read; a killed run's go, in this namespace or another,
// and so do those of an earlier boot of this machine and of a process whose id was taken since. A
// sweep that can lock (the lock service back) still goes by the record of a run held without one.
TEST(ToolOutcome, WhereLocksAreRefusedARunsRecordTellsWhetherItHasEnded)
{
    SeamsInForce seams({.noLocks = true});
    QTemporaryDir dir;
    ChildRun live([&] { stageOnly(dir.filePath(u"live.txt"_qs)); }, false);
    const QByteArray process = "\nprocess " + QByteArray::number(live.pid()) + ' ';
    QStringList kept = runFiles(dir.path(), process);
    ASSERT_EQ(kept.size(), 2);
    const QByteArray record = readBytes(dir.filePath(kept.filter(u".lock"_qs).value(0)));
    ChildRun namespaced([&] { stageInNewPidNamespace(dir.path()); }, false);
    const QStringList namespacedLive = runFiles(dir.path(), "\nprocess 1 ");
    const bool otherNamespace =
        namespacedLive.size() == 2 && runFiles(dir.path(), "\nprocess 2 ").size() == 2;
    kept << namespacedLive;
    // This run's sweep, before it is killed, takes the files of the one killed in the other
    // namespace, whose first process is in sight.
    ChildRun killed([&] { stageOnly(dir.filePath(u"killed.txt"_qs)); }, true);
    ASSERT_EQ(entries(dir.path()).filter(u".tw-"_qs).size(), otherNamespace ? 6 : 4);

    const struct {
        const char *what;
        QByteArray record;
        bool stays;
        bool staysWhereLocksWork;
    } rows[] = {
        {"an earlier boot of this machine", withLine(record, "boot", "0-0"), record.contains("\nmachine -\n"),
         false},
        {"another machine", withLine(withLine(record, "boot", "0-0"), "machine", "0f0f"), true, true},
        {"an id taken by a later process", withLine(record, "process", process.mid(9) + "1"), false, false},
        {"an older form", "tarnwick-run 0\n", true, false},
        // This version makes its lock file whole under another name: an empty one is a run of the
        // version before, killed before it wrote its record.
        {"an empty file", QByteArray(), false, false},
        {"one still being written", record.left(record.size() / 2), true, false},
    };
    int token = 0;
    QStringList keptWhereLocksWork = kept;
    for (const auto &row : rows) {
        const QString prefix = u".tw-%1"_qs.arg(0xfeed00 + ++token, 16, 16, QChar(u'0'));
        writeBytes(dir.filePath(prefix + u".lock"_qs), row.record);
        writeBytes(dir.filePath(prefix + u"-new-00000000"_qs), row.what);
        if (row.stays)
            kept << prefix + u".lock"_qs << prefix + u"-new-00000000"_qs;
        if (row.staysWhereLocksWork)
            keptWhereLocksWork << prefix + u".lock"_qs << prefix + u"-new-00000000"_qs;
    }

    LateAnswers answers;
    ASSERT_EQ(carryOut(outcomeOf({{dir.filePath(u"next.bin"_qs), "next"}}), answers).result,
              WriteResult::Written);
    kept.sort();
    EXPECT_EQ(entries(dir.path()).filter(u".tw-"_qs), kept);

    setFileSystemSeams({});
    ASSERT_EQ(carryOut(outcomeOf({{dir.filePath(u"next.bin"_qs), "again"}}), answers).result,
              WriteResult::Written);
    keptWhereLocksWork.sort();
    EXPECT_EQ(entries(dir.path()).filter(u".tw-"_qs), keptWhereLocksWork);
    if (!otherNamespace)
        GTEST_SKIP() << "no new PID namespace here: its rows were not tried";
}

// The converter's private folder is made where the file system keeps no locks, leaving no lock file
// behind, and the next one removes the folder of a killed run and keeps a live run's.
TEST(ToolOutcome, PrivateFoldersAreMadeAndSweptWhereLocksAreRefused)
{
    SeamsInForce seams({.noLocks = true});
    QTemporaryDir dir;
    const std::string parent = nativePath(dir.path());
    const auto all = [&dir] {
        QStringList names =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    };
    const auto makeOne = [&parent] {
        static PrivateFolder folder(parent, "tw-converter-");
        writeBytes(QString::fromStdString(folder.path()) + u"/in.hex"_qs, "copy");
    };
    ChildRun live(makeOne, false);
    const QStringList liveEntries = all();
    ASSERT_EQ(liveEntries.size(), 2);
    ChildRun killed(makeOne, true);
    ASSERT_EQ(all().size(), 4);
    for (int run = 0; run < 2; ++run) {
        PrivateFolder work(parent, "tw-converter-");
        ASSERT_TRUE(work.valid()) << work.error();
        const QString name = QFileInfo(QString::fromStdString(work.path())).fileName();
        QStringList expected = liveEntries;
        expected << name << name + u".lock"_qs;
        expected.sort();
        EXPECT_EQ(all(), expected);
    }
    EXPECT_EQ(all(), liveEntries);
}

// In a shared folder with the sticky bit only a file's owner may replace it: another user's
// writable file there is refused before anything is made, as the rename would refuse it after.
TEST(ToolOutcome, AnotherUsersFileInAStickyFolderIsRefusedBeforeAnythingIsMade)
{
    TW_REQUIRE_PROGRAMS(u"setpriv"_qs);
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString shared = dir.filePath(u"shared"_qs);
    QDir().mkpath(shared);
    ::chmod(QFile::encodeName(shared).constData(), 01777);
    writeBytes(dir.filePath(u"prog.bin"_qs), QByteArray(8, '\x01'));
    const QString theirs = shared + u"/p.obj"_qs;
    writeBytes(theirs, "theirs");
    ::chmod(QFile::encodeName(theirs).constData(), 0666);
    auto asNobody = [&](const QString &output) {
        return twtest::runProgram(u"setpriv"_qs,
                                  {u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs,
                                   QStringLiteral(TW_TWDRIVE), u"conv"_qs, u"bin2obj"_qs,
                                   dir.filePath(u"prog.bin"_qs), output});
    };
    const twtest::ProcessResult refused = asNobody(theirs);
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(
        QString::fromUtf8(refused.out)
            .contains(failure(theirs, u"文件属于其他用户，所在的共享文件夹只允许文件的所有者替换它"_qs)))
        << refused.out.toStdString();
    EXPECT_EQ(entries(shared), QStringList{u"p.obj"_qs});
    EXPECT_EQ(readBytes(theirs), QByteArray("theirs"));

    // The user's own file there is replaced as anywhere.
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(asNobody(shared + u"/mine.obj"_qs).exitCode, 0);
    EXPECT_EQ(entries(shared), (QStringList{u"mine.obj"_qs, u"p.obj"_qs}));
}

// A replaced file lets in whom the old one let in, or the run fails naming why and leaves the old
// file as it was: a file system that refuses the ACL or an attribute (faults injected at the
// system calls), one that keeps none, a trusted attribute the process may not set, an old file put
// back from its copy, and a user who may write the file but not read it, or not keep its group.
TEST(ToolOutcome, AReplacedFileKeepsItsAclAndAttributesOrTheRunFails)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs, u"setpriv"_qs, u"setfacl"_qs, u"getfacl"_qs, u"setfattr"_qs,
                        u"getfattr"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    const QString input = dir.filePath(u"in.bin"_qs), out = dir.filePath(u"out.obj"_qs);
    writeBytes(input, QByteArray(4, '\x5A'));
    ::chmod(QFile::encodeName(input).constData(), 0644);
    writeBytes(out, "");
    if (const QString why = twtest::giveAccessRights(out); !why.isEmpty())
        GTEST_SKIP() << "no ACLs or attributes here: " << why.toStdString();
    const bool root = ::geteuid() == 0;
    const QString nobodyWrites = u"u::rw-,u:nobody:-w-,g::---,o::---"_qs,
                  nobodys = u"# owner: 65534\n# group: 65534\n"_qs;
    const QString owners =
        root ? nobodys : u"# owner: %1\n# group: %2\n"_qs.arg(::geteuid()).arg(::getegid());
    const struct {
        const char *what;
        QString entries = u"u:nobody:rw-"_qs;
        bool attribute = true;
        bool trusted = false;    // trusted.note besides (root only)
        QStringList inject{};    // strace's faults
        bool twoOutputs = false; // dis51 out.obj: out.lst is written after it
        bool asNobody = false;   // run as nobody, who is no member of the file's group
        QString reason{};        // empty: written
        QString after{};         // the rights written; empty: the old file's
    } rows[] = {
        {.what = "the ACL refused",
         .inject = {u"fsetxattr:error=EPERM:when=1"_qs},
         .reason = u"原文件的访问控制列表无法沿用到新文件：没有访问权限"_qs},
        {.what = "a user attribute refused",
         .inject = {u"fsetxattr:error=ENOSPC:when=2"_qs},
         .reason = u"原文件的扩展属性 user.note 无法沿用到新文件：磁盘空间已满"_qs},
        {.what = "attributes refused all at once",
         .inject = {u"fsetxattr:error=EOPNOTSUPP:when=2"_qs},
         .reason = u"原文件的扩展属性无法沿用到新文件：文件系统不支持此操作"_qs},
        {.what = "the ACL unreadable",
         .inject = {u"fgetxattr:error=EIO:when=1"_qs},
         .reason = u"原文件的访问控制列表无法沿用到新文件：设备读写出错"_qs},
        // Nothing to carry: the file has the mode alone, as there.
        {.what = "a file system without ACLs or attributes",
         .inject = {u"fgetxattr,flistxattr:error=EOPNOTSUPP"_qs},
         .after = owners + u"user::rw-\ngroup::rw-\nother::---"_qs},
        {.what = "a trusted attribute the process may not set",
         .trusted = true,
         .inject = {u"fsetxattr:error=EPERM:when=3"_qs}},
        // Without swaps or links the second output fails (the 4th rename: the lock, then the first
        // output's old file aside and its new one in); the first output's old file comes back.
        {.what = "an old file put back without swaps",
         .inject = {u"renameat2:error=EINVAL"_qs, u"linkat:error=EPERM"_qs, u"renameat:error=EIO:when=4"_qs},
         .twoOutputs = true,
         .reason = u"设备读写出错"_qs},
        {.what = "a file nobody may write but not read",
         .entries = nobodyWrites,
         .attribute = false,
         .asNobody = true,
         .after = nobodys + u"user::rw-\nuser:65534:-w-\ngroup::---\nmask::-w-\nother::---"_qs},
        {.what = "its user attribute",
         .entries = nobodyWrites,
         .asNobody = true,
         .reason = u"原文件的扩展属性 user.note 无法沿用到新文件：没有访问权限"_qs},
        {.what = "a group nobody cannot keep",
         .entries = u"u:nobody:rw-,g::rw-,o::r--"_qs,
         .attribute = false,
         .asNobody = true,
         .after = nobodys + u"user::rw-\nuser:65534:rw-\ngroup::r--\nmask::rw-\nother::r--"_qs},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        if ((row.asNobody || row.trusted) && !root)
            continue;
        QFile::remove(out);
        QFile::remove(dir.filePath(u"out.lst"_qs));
        writeBytes(out, "old");
        // Root replaces a user's file; nobody one of root's.
        if (root && !row.asNobody) {
            ASSERT_EQ(::chown(QFile::encodeName(out).constData(), 65534, 65534), 0);
        }
        ASSERT_EQ(twtest::giveAccessRights(out, row.attribute, row.entries), QString());
        if (row.trusted) {
            ASSERT_EQ(::setxattr(QFile::encodeName(out).constData(), "trusted.note", "t", 1, 0), 0);
        }
        const QString before = twtest::accessRightsOf(out);
        QStringList command = {QStringLiteral(TW_TWDRIVE), u"conv"_qs, u"bin2obj"_qs, input, out};
        if (row.twoOutputs)
            command = {QStringLiteral(TW_TWDRIVE), u"dis51"_qs, input, out};
        for (const QString &fault : row.inject)
            command = QStringList{u"-e"_qs, u"inject="_qs + fault} + command;
        if (!row.inject.isEmpty())
            command = QStringList{u"strace"_qs, u"-f"_qs, u"-qq"_qs, u"-o"_qs, u"/dev/null"_qs} + command;
        if (row.asNobody)
            command =
                QStringList{u"setpriv"_qs, u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs} +
                command;
        const twtest::ProcessResult run = twtest::runProgram(command.takeFirst(), command);
        const QString said = QString::fromUtf8(run.out);
        if (row.reason.isEmpty()) {
            EXPECT_EQ(run.exitCode, 0) << said.toStdString();
            EXPECT_EQ(twtest::accessRightsOf(out), row.after.isEmpty() ? before : row.after);
        } else {
            const QString failed = row.twoOutputs ? dir.filePath(u"out.lst"_qs) : out;
            EXPECT_TRUE(said.contains(failure(failed, row.reason))) << said.toStdString();
            EXPECT_EQ(readBytes(out), QByteArray("old"));
            EXPECT_EQ(twtest::accessRightsOf(out), before);
        }
        EXPECT_EQ(entries(dir.path()).filter(u".tw-"_qs), QStringList());
    }
}

namespace
{

struct Injected {
    QStringList stracePlan; // strace's -e options besides the injection under test
    const char *fileSystem;
};

} // namespace

// A run killed, or failed by the system, at any file system call leaves each output whole, old or
// new; a failed run says so and writes nothing, unless the message names where an old file it
// could not put back now is; and the next run into the folder leaves no scratch file behind.
TEST(ToolOutcome, KillsAndFaultsAtEverySystemCallLeaveWholeFilesAndNoScratch)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"work"_qs);
    QDir().mkpath(folder);
    writeBytes(folder + u"/code.bin"_qs, QByteArray::fromHex("02000380FE"));
    const QStringList run = {u"dis51"_qs, u"code.bin"_qs, u"out.asm"_qs};
    ASSERT_EQ(twtest::runProgram(QStringLiteral(TW_TWDRIVE), run, folder).exitCode, 0);
    const QByteArray newSource = readBytes(folder + u"/out.asm"_qs),
                     newList = readBytes(folder + u"/out.lst"_qs);
    const QStringList fileCalls = {
        u"openat"_qs,     u"linkat"_qs,  u"renameat"_qs,  u"renameat2"_qs,  u"unlinkat"_qs, u"flock"_qs,
        u"fchmod"_qs,     u"fchown"_qs,  u"write"_qs,     u"close"_qs,      u"fsync"_qs,    u"getdents64"_qs,
        u"newfstatat"_qs, u"fstatfs"_qs, u"fgetxattr"_qs, u"flistxattr"_qs, u"fsetxattr"_qs};
    const std::map<QString, int> calls = twtest::callCounts(QStringLiteral(TW_TWDRIVE), run, folder);
    ASSERT_FALSE(calls.empty());
    const Injected places[] = {
        {{}, "one that swaps names"},
        // exFAT through FUSE: no renameat2 flags, no hard links.
        {{u"-e"_qs, u"inject=renameat2:error=EINVAL"_qs, u"-e"_qs, u"inject=linkat:error=EPERM"_qs},
         "one without swaps or hard links"},
    };
    int injections = 0;
    for (const Injected &place : places) {
        for (const QString &call : fileCalls) {
            const auto found = calls.find(call);
            if (found == calls.end() ||
                (!place.stracePlan.isEmpty() && (call == u"renameat2" || call == u"linkat")))
                continue;
            for (int nth = 1; nth <= found->second; ++nth) {
                for (const char *what : {"signal=KILL", "error=EIO"}) {
                    SCOPED_TRACE(std::string(place.fileSystem) + ": " + what + " at " + call.toStdString() +
                                 " #" + std::to_string(nth));
                    writeBytes(folder + u"/out.asm"_qs, "old source");
                    writeBytes(folder + u"/out.lst"_qs, "old list");
                    const QString inject = u"inject="_qs + call + u':' + QString::fromLatin1(what) +
                                           u":when="_qs + QString::number(nth);
                    const twtest::ProcessResult result = twtest::runProgram(
                        u"strace"_qs,
                        QStringList{u"-f"_qs, u"-qq"_qs, u"-o"_qs, u"/dev/null"_qs} + place.stracePlan +
                            QStringList{u"-e"_qs, inject, QStringLiteral(TW_TWDRIVE)} + run,
                        folder);
                    ++injections;
                    const QByteArray source = readBytes(folder + u"/out.asm"_qs),
                                     list = readBytes(folder + u"/out.lst"_qs);
                    // Without swaps a kill may come while an old file is off its name, waiting
                    // under a hidden one for the next run to put it back.
                    const bool sourceAway = !QFileInfo::exists(folder + u"/out.asm"_qs),
                               listAway = !QFileInfo::exists(folder + u"/out.lst"_qs);
                    const bool canBeAway =
                        !place.stracePlan.isEmpty() && what == std::string_view("signal=KILL");
                    EXPECT_TRUE(source == "old source" || source == newSource || (canBeAway && sourceAway))
                        << source.toStdString();
                    EXPECT_TRUE(list == "old list" || list == newList || (canBeAway && listAway))
                        << list.toStdString();
                    const QString said = QString::fromUtf8(result.out);
                    // Said only once the files are written (a sanitizer's own check may end the
                    // driver before it starts, with status 0 and nothing said).
                    if (said.contains(u"反汇编完成"_qs)) {
                        EXPECT_TRUE(source == newSource && list == newList) << said.toStdString();
                    }
                    const qsizetype keptAt = said.indexOf(u"现保存为 "_qs);
                    if (keptAt >= 0) {
                        const QString kept = said.mid(keptAt + 5).section(u' ', 0, 0).trimmed();
                        EXPECT_FALSE(QFileInfo(kept).fileName().startsWith(u'.')) << kept.toStdString();
                        EXPECT_TRUE(readBytes(QDir(folder).filePath(kept)).startsWith("old"))
                            << kept.toStdString();
                    } else if (result.exitCode == 1 && said.contains(u"文件写入失败"_qs)) {
                        EXPECT_EQ(source, QByteArray("old source")) << said.toStdString();
                        EXPECT_EQ(list, QByteArray("old list")) << said.toStdString();
                    }
                    twtest::runProgram(QStringLiteral(TW_TWDRIVE),
                                       {u"dis51"_qs, u"code.bin"_qs, u"next.asm"_qs}, folder);
                    const QStringList left = entries(folder).filter(u".tw-"_qs);
                    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
                    if (sourceAway) {
                        EXPECT_EQ(readBytes(folder + u"/out.asm"_qs), QByteArray("old source"));
                    }
                    if (listAway) {
                        EXPECT_EQ(readBytes(folder + u"/out.lst"_qs), QByteArray("old list"));
                    }
                    for (const QString &old : QDir(folder).entryList({u"*.old*"_qs}, QDir::Files))
                        QFile::remove(QDir(folder).filePath(old));
                }
            }
        }
    }
    EXPECT_GT(injections, 100);

    // The second file fails and the first cannot be put back, neither swapped nor renamed: the old
    // first file leaves the scratch names for one the user sees, the message names it, and it
    // outlives the next run.
    writeBytes(folder + u"/out.asm"_qs, "old source");
    writeBytes(folder + u"/out.lst"_qs, "old list");
    const twtest::ProcessResult doubleFault = twtest::runProgram(
        u"strace"_qs,
        twtest::underStrace({u"renameat2:error=EIO:when=3..4"_qs, u"renameat:error=EIO"_qs},
                            QStringLiteral(TW_TWDRIVE), run),
        folder);
    EXPECT_TRUE(
        QString::fromUtf8(doubleFault.out).contains(u"原有文件 out.asm 未能恢复，现保存为 out.asm.old"_qs))
        << doubleFault.out.toStdString();
    twtest::runProgram(QStringLiteral(TW_TWDRIVE), {u"dis51"_qs, u"code.bin"_qs, u"next.asm"_qs}, folder);
    EXPECT_EQ(readBytes(folder + u"/out.asm.old"_qs), QByteArray("old source"));
    EXPECT_EQ(readBytes(folder + u"/out.lst"_qs), QByteArray("old list"));
    EXPECT_EQ(entries(folder).filter(u".tw-"_qs), QStringList());
}
