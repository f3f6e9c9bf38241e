// The writer on the FUSE mounts users make from servers and devices: sshfs, which numbers each name
// itself, bindfs and exfat-fuse, which swap no names, and mounts that refuse locks. Real mounts where
// the machine has them, and the test passthrough for what a real mount cannot show.
#include "support/FileFaults.h"
#include "support/FuseMounts.h"
#include "support/TestFiles.h"

#include "base/MessageStyle.h"
#include "base/ToolOutcome.h"
#include "common/OutcomeWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using twtest::readBytes;
using twtest::writeBytes;

namespace
{

const QString kDriver = QStringLiteral(TW_TWDRIVE);

twtest::MountToTry passthrough(const char *name, twtest::PassSwitches switches)
{
    return twtest::mountToTry<twtest::FuseMount>(name, switches);
}

twtest::MountToTry sshfs(const char *name, QStringList arguments = {})
{
    return twtest::mountToTry<twtest::SshfsMount>(name, arguments);
}

twtest::ProcessResult drive(const QString &folder, const QStringList &args)
{
    return twtest::runProgram(kDriver, args, folder);
}

// Says Yes to the replace question, after another program has worked meanwhile.
class YesAfter final : public tw::NoteAnswers
{
  public:
    explicit YesAfter(std::function<void()> meanwhile) : m_meanwhile(std::move(meanwhile)) {}
    int answer(const tw::ToolNote &note) override
    {
        texts << QString::fromStdString(note.text);
        if (note.style != tw::MsgStyle::YesNo + tw::MsgStyle::Exclamation)
            return tw::MsgAnswer::Ok;
        m_meanwhile();
        return tw::MsgAnswer::Yes;
    }
    QStringList texts;

  private:
    std::function<void()> m_meanwhile;
};

} // namespace

// sshfs gives every name an inode number of its own, so a hard link to the old file never has the
// old file's number. Replacing works there all the same, run after run, and "another program
// changed it" is said only when another program did.
TEST(ServerMounts, FilesAreReplacedWhereEachNameHasAnInodeNumberOfItsOwn)
{
    twtest::EachMount mounts{
        passthrough("a mount that numbers names", {.inodePerName = true, .noRenameFlags = true}),
        sshfs("sshfs"), sshfs("sshfs without hard links", {u"-o"_qs, u"disable_hardlink"_qs})};
    mounts.run([](twtest::TestMount &mount) {
        const QString folder = mount.mountPoint();
        writeBytes(folder + u"/p.bin"_qs, QByteArray::fromHex("02000380FE"));
        QByteArray firstSource;
        for (int run = 0; run < 3; ++run) {
            SCOPED_TRACE(run);
            const twtest::ProcessResult dis = drive(folder, {u"dis51"_qs, u"p.bin"_qs, u"out.asm"_qs});
            EXPECT_EQ(dis.exitCode, 0) << dis.out.toStdString();
            EXPECT_TRUE(QString::fromUtf8(dis.out).contains(u"反汇编完成"_qs)) << dis.out.toStdString();
            const twtest::ProcessResult conv =
                drive(folder, {u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"out.obj"_qs});
            EXPECT_EQ(QString::fromUtf8(conv.out), u"信息: 转换完成！\n"_qs);
            if (run == 0)
                firstSource = readBytes(folder + u"/out.asm"_qs);
            EXPECT_EQ(readBytes(folder + u"/out.asm"_qs), firstSource);
        }
        EXPECT_FALSE(firstSource.isEmpty());
        EXPECT_EQ(twtest::scratchNames(folder), QStringList());

        // Another program's change while the question is open is still seen, and its file stays.
        const QString out = folder + u"/out.asm"_qs;
        tw::ToolOutcome outcome;
        outcome.files.push_back(tw::plannedFile(out, "new", true));
        YesAfter answers([&] {
            QFile file(out);
            ASSERT_TRUE(file.open(QIODevice::Append));
            file.write("; theirs\r\n");
        });
        EXPECT_EQ(tw::carryOut(outcome, answers).result, tw::WriteResult::Failed);
        EXPECT_EQ(answers.texts.last(), u"文件写入失败："_qs + out + u"（文件已被其他程序修改）"_qs);
        EXPECT_EQ(readBytes(out), firstSource + "; theirs\r\n");
        EXPECT_EQ(twtest::scratchNames(folder), QStringList());
    });
    TW_SKIP_UNTRIED(mounts);
}

// Where no name can be swapped, the new file comes only to a name that stands empty. Another
// program that saves its file there in the last moment (held there by the passthrough: just before
// the call that puts the new file at the name) keeps it; the run fails and says so, and the old
// file it was to replace is kept beside it.
TEST(ServerMounts, AFileSavedAtTheNameInTheLastMomentStays)
{
    twtest::EachMount mounts{
        passthrough("a mount that swaps no names", {.noRenameFlags = true}),
        passthrough("a mount that numbers names", {.inodePerName = true, .noRenameFlags = true})};
    mounts.run([](twtest::TestMount &mount) {
        auto &held = static_cast<twtest::FuseMount &>(mount);
        const QString folder = mount.mountPoint(), behind = mount.source();
        writeBytes(folder + u"/p.bin"_qs, QByteArray(64, '\x22'));
        writeBytes(folder + u"/out.obj"_qs, "old");
        held.holdRenames(u"out.obj"_qs);
        QProcess run;
        run.setWorkingDirectory(folder);
        run.start(kDriver, {u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"out.obj"_qs});
        ASSERT_TRUE(run.waitForStarted());
        ASSERT_TRUE(held.waitForHeldRename());
        // Another program saves in the folder behind the mount (the mount's folder waits meanwhile).
        writeBytes(behind + u"/theirs.tmp"_qs, "theirs");
        ASSERT_TRUE(QFile::rename(behind + u"/theirs.tmp"_qs, behind + u"/out.obj"_qs) ||
                    (QFile::remove(behind + u"/out.obj"_qs) &&
                     QFile::rename(behind + u"/theirs.tmp"_qs, behind + u"/out.obj"_qs)));
        held.releaseRenames();
        ASSERT_TRUE(run.waitForFinished(120000));
        const QString said = QString::fromUtf8(run.readAllStandardOutput());
        EXPECT_TRUE(said.contains(u"文件写入失败：out.obj（文件已被其他程序修改）"_qs)) << said.toStdString();
        EXPECT_TRUE(said.contains(u"原有文件 out.obj 未能恢复，现保存为 out.obj.old"_qs))
            << said.toStdString();
        EXPECT_EQ(readBytes(behind + u"/out.obj"_qs), QByteArray("theirs"));
        EXPECT_EQ(readBytes(behind + u"/out.obj.old"_qs), QByteArray("old"));
        EXPECT_EQ(twtest::scratchNames(behind), QStringList());
    });
    TW_SKIP_UNTRIED(mounts);
}

// Where the file system refuses locks, a run held by its record and killed at any of its file calls
// (the lock file half made, a staged file half written, an old file off its name) leaves each output
// whole, and the next run into the folder removes every file of it, its lock file included; so it
// does where the mount also numbers names and swaps none. The converter's private folder, on a
// temporary folder that refuses locks, goes the same way.
TEST(ServerMounts, AKilledRunLeavesNothingWhereLocksAreRefused)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    twtest::EachMount mounts{passthrough("a mount without locks", {.noLocks = true}),
                             passthrough("a mount without locks that numbers names",
                                         {.inodePerName = true, .noRenameFlags = true, .noLocks = true})};
    mounts.run([](twtest::TestMount &mount) {
        const QString folder = mount.mountPoint();
        writeBytes(folder + u"/code.bin"_qs, QByteArray::fromHex("02000380FE"));
        const QStringList run = {u"dis51"_qs, u"code.bin"_qs, u"out.asm"_qs};
        ASSERT_EQ(drive(folder, run).exitCode, 0);
        const QByteArray newSource = readBytes(folder + u"/out.asm"_qs);
        const std::map<QString, int> calls = twtest::callCounts(kDriver, run, folder);
        ASSERT_FALSE(calls.empty());
        int kills = 0;
        for (const QString &call : {u"openat"_qs, u"pwrite64"_qs, u"write"_qs, u"ftruncate"_qs, u"flock"_qs,
                                    u"renameat2"_qs, u"renameat"_qs, u"linkat"_qs, u"unlinkat"_qs}) {
            const auto found = calls.find(call);
            for (int nth = 1; found != calls.end() && nth <= found->second; ++nth) {
                SCOPED_TRACE(call.toStdString() + " #" + std::to_string(nth));
                writeBytes(folder + u"/out.asm"_qs, "old source");
                twtest::runProgram(
                    u"strace"_qs,
                    twtest::underStrace({u"%1:signal=KILL:when=%2"_qs.arg(call).arg(nth)}, kDriver, run),
                    folder);
                ++kills;
                EXPECT_EQ(drive(folder, {u"dis51"_qs, u"code.bin"_qs, u"next.asm"_qs}).exitCode, 0);
                EXPECT_EQ(twtest::scratchNames(folder), QStringList());
                const QByteArray source = readBytes(folder + u"/out.asm"_qs);
                EXPECT_TRUE(source == "old source" || source == newSource) << source.toStdString();
            }
        }
        EXPECT_GT(kills, 20);

        // The converter's private folder and its lock in a temporary folder that refuses locks.
        const QString temp = folder + u"/tmp"_qs;
        ASSERT_TRUE(QDir().mkpath(temp));
        writeBytes(folder + u"/in.hex"_qs, ":020000000A0BE9\r\n:00000001FF\r\n");
        const QStringList convert = {u"conv"_qs, u"hex2bin"_qs, u"in.hex"_qs, u"in.bin"_qs, u"i"_qs, u"0"_qs};
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TMPDIR"_qs, temp);
        for (const char *inject : {"openat:signal=KILL:when=3", "pwrite64:signal=KILL:when=1",
                                   "renameat:signal=KILL:when=1", "mkdir:signal=KILL:when=1"}) {
            SCOPED_TRACE(inject);
            QProcess killed;
            killed.setProcessEnvironment(environment);
            killed.setWorkingDirectory(folder);
            killed.start(u"strace"_qs, twtest::underStrace({QString::fromLatin1(inject)}, kDriver, convert));
            ASSERT_TRUE(killed.waitForFinished(120000));
            QFile::remove(folder + u"/in.bin"_qs);
            QProcess next;
            next.setProcessEnvironment(environment);
            next.setWorkingDirectory(folder);
            next.start(kDriver, convert);
            ASSERT_TRUE(next.waitForFinished(120000));
            EXPECT_EQ(QString::fromUtf8(next.readAllStandardOutput()), u"信息: 转换完成！\n"_qs);
            EXPECT_EQ(twtest::settledEntries(temp), QStringList());
        }
    });
    TW_SKIP_UNTRIED(mounts);
}

// A FUSE mount shows a name empty for a moment while another program renames a file over it; a run
// whose look at the output falls into that moment (strace answers its access() to out.obj so) is
// no fault of the output: the writer looks at the name again and replaces what stands there.
TEST(ServerMounts, ANameEmptyForAMomentIsNoFaultOfTheOutput)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    QTemporaryDir folder;
    writeBytes(folder.filePath(u"p.bin"_qs), QByteArray(64, '\x22'));
    writeBytes(folder.filePath(u"out.obj"_qs), "theirs");
    const twtest::ProcessResult run = twtest::runProgram(
        u"strace"_qs,
        {u"-f"_qs, u"-qq"_qs, u"-o"_qs, u"/dev/null"_qs, u"-P"_qs, u"out.obj"_qs, u"-e"_qs,
         u"inject=access:error=ENOENT"_qs, kDriver, u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"out.obj"_qs},
        folder.path());
    EXPECT_EQ(QString::fromUtf8(run.out), u"信息: 转换完成！\n"_qs);
    EXPECT_EQ(readBytes(folder.filePath(u"out.obj"_qs)).size(), 128);
}
