// Runs ended early: an assembly killed while it put its outputs in place, on folders that swap names
// and on mounts that cannot; on mounts that cannot swap, runs killed while a name stood empty, or
// ended by SIGINT, SIGTERM or SIGHUP at any file call, and a file another program saves while one it
// saved is put back; and FAT through fusefat, which dates a renamed file anew and serves a file
// opened twice at once wrongly.
#include "support/FileFaults.h"
#include "support/FuseMounts.h"
#include "support/TestFiles.h"

#include "base/FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <atomic>
#include <fcntl.h>
#include <map>
#include <string_view>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <utime.h>

using twtest::readBytes;
using twtest::writeBytes;

namespace
{

const QString kDriver = QStringLiteral(TW_TWDRIVE);
const QStringList kConvert = {u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"out.obj"_qs};
const QStringList kAssemble = {u"asm51"_qs, u"p.asm"_qs};

twtest::MountToTry passthrough(const char *name, twtest::PassSwitches switches)
{
    return twtest::mountToTry<twtest::FuseMount>(name, switches);
}

// fusefat itself can spin for ever on a request once a program writing there was killed, so the
// kills are tried on the passthrough answering as it does: no rename flags, links or locks, and a
// renamed file dated anew.
const twtest::MountToTry kLikeFusefat =
    passthrough("a mount like fusefat",
                {.noRenameFlags = true, .noLinks = true, .noLocks = true, .renamedNewTime = true});

twtest::ProcessResult drive(const QString &folder, const QStringList &args)
{
    return twtest::runProgram(kDriver, args, folder);
}

// p.bin and p2.bin, and the output of each, converted once here: out.obj holds the old one.
struct TwoOutputs {
    QByteArray oldFile, newFile;
};
TwoOutputs prepare(const QString &folder)
{
    writeBytes(folder + u"/p.bin"_qs, QByteArray(300, '\x5A'));
    writeBytes(folder + u"/p2.bin"_qs, QByteArray(200, '\xA5'));
    TwoOutputs outputs;
    drive(folder, kConvert);
    outputs.newFile = readBytes(folder + u"/out.obj"_qs);
    drive(folder, {u"conv"_qs, u"bin2obj"_qs, u"p2.bin"_qs, u"out.obj"_qs});
    outputs.oldFile = readBytes(folder + u"/out.obj"_qs);
    return outputs;
}

// The calls of a run (by default a conversion) at which it moves names about or takes a lock, with
// how often it makes each.
std::map<QString, int> namingCalls(const QString &folder, const QStringList &run = kConvert,
                                   const QStringList &of = {u"renameat"_qs, u"renameat2"_qs, u"linkat"_qs,
                                                            u"unlinkat"_qs, u"flock"_qs})
{
    std::map<QString, int> calls = twtest::callCounts(kDriver, run, folder);
    std::erase_if(calls, [&](const auto &call) { return !of.contains(call.first); });
    return calls;
}

// Which renameat of a conversion in folder (counted from 1) moves out.obj aside: strace's log.
int renameMovingOutAside(const QString &folder)
{
    const QTemporaryDir logs;
    const QString log = logs.filePath(u"calls"_qs);
    twtest::runProgram(
        u"strace"_qs,
        QStringList{u"-qq"_qs, u"-e"_qs, u"trace=renameat"_qs, u"-o"_qs, log, kDriver} + kConvert, folder);
    const QStringList calls = QString::fromUtf8(readBytes(log)).split(u'\n', Qt::SkipEmptyParts);
    for (int i = 0; i < calls.size(); ++i)
        if (calls[i].contains(QRegularExpression(uR"(^renameat\(\d+, "out\.obj",)"_qs)))
            return i + 1;
    return 0;
}

// The names of the renameat that process pid is stopped in, as "FROM>TO"; empty in any other call.
QString renameHeldIn(qint64 pid)
{
    const QStringList call = QString::fromLatin1(readBytes(u"/proc/%1/syscall"_qs.arg(pid))).split(u' ');
    if (call.size() < 5 || call[0] != QString::number(SYS_renameat))
        return {};
    const int memory = ::open(QByteArray("/proc/" + QByteArray::number(pid) + "/mem").constData(), O_RDONLY);
    const auto text = [&](const QString &address) {
        char name[256] = {};
        ::pread(memory, name, sizeof name - 1, static_cast<off_t>(address.toULongLong(nullptr, 16)));
        return QString::fromLocal8Bit(name);
    };
    const QString names = text(call[2]) + u'>' + text(call[4]);
    ::close(memory);
    return names;
}

// Waits until the run traced by strace (tracer) is stopped in a renameat whose names match.
bool waitForRename(const QProcess &tracer, const QRegularExpression &names)
{
    const QString children = u"/proc/%1/task/%1/children"_qs.arg(tracer.processId());
    const QString status = u"/proc/%1/stat"_qs.arg(tracer.processId());
    // Until strace has ended: reaped, or a zombie until the event loop QProcess needs reaps it.
    for (QByteArray state; !(state = readBytes(status)).isEmpty() && !state.contains(") Z");) {
        const qint64 run = QString::fromLatin1(readBytes(children)).section(u' ', 0, 0).toLongLong();
        if (run > 0 && names.match(renameHeldIn(run)).hasMatch())
            return true;
        QThread::msleep(2);
    }
    return false;
}

} // namespace

// An assembly killed while it puts its five outputs in place leaves some of them new and some old;
// the next run of any tool in that folder gives the killed run's names their old files back, where
// names are swapped and where they cannot be (exFAT also dates files in whole seconds, so an old
// file of the new one's size looks like it there).
TEST(EndedRuns, TheNextRunUndoesTheOutputsAKilledAssemblyPutInPlace)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    {
        SCOPED_TRACE("a folder that swaps names");
        const QTemporaryDir here;
        EXPECT_GT(twtest::killAssemblyAtEachNamingCall(here.path(), kDriver, kAssemble), 0) << "no kill left a mix to settle";
    }
    twtest::EachMount mounts{twtest::mountToTry<twtest::BindfsMount>("bindfs"),
                             twtest::mountToTry<twtest::ExfatMount>("exfat-fuse")};
    mounts.run([](twtest::TestMount &mount) {
        EXPECT_GT(twtest::killAssemblyAtEachNamingCall(mount.mountPoint(), kDriver, kAssemble), 0) << "no kill left a mix to settle";
    });
    TW_SKIP_UNTRIED(mounts);
}

// A run killed while the old file waited off its name leaves the name empty. The next run puts the
// old file back, knows it for the file that stood there, and replaces it as asked; so does a save
// that expects the file as it stood before the kill (an editor's).
TEST(EndedRuns, TheNextRunReplacesTheOldFileAKilledRunLeftOffItsName)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    twtest::EachMount mounts{passthrough("a mount that swaps no names", {.noRenameFlags = true}),
                             kLikeFusefat};
    mounts.run([](twtest::TestMount &mount) {
        const QString folder = mount.mountPoint(), out = folder + u"/out.obj"_qs;
        const TwoOutputs outputs = prepare(folder);
        int emptied = 0;
        for (const auto &[call, count] : namingCalls(folder))
            for (int nth = 1; nth <= count; ++nth) {
                SCOPED_TRACE(call.toStdString() + " #" + std::to_string(nth));
                writeBytes(out, outputs.oldFile);
                const tw::FileState before = tw::fileStateOf(QFile::encodeName(out).toStdString());
                twtest::runProgram(
                    u"strace"_qs,
                    twtest::underStrace({u"%1:signal=KILL:when=%2"_qs.arg(call).arg(nth)}, kDriver, kConvert),
                    folder);
                if (!QFileInfo::exists(out) && ++emptied == 1) {
                    const std::string_view mine = "mine";
                    const tw::Replacement saved = tw::replaceFileExpecting(
                        QFile::encodeName(out).toStdString(), {&mine, 1}, tw::WriteSync::Durable, before);
                    EXPECT_EQ(saved.reason, "");
                    EXPECT_FALSE(saved.changedMeanwhile);
                    EXPECT_EQ(readBytes(out), QByteArray("mine"));
                    continue;
                }
                const twtest::ProcessResult next = drive(folder, kConvert);
                EXPECT_EQ(QString::fromUtf8(next.out), u"信息: 转换完成！\n"_qs);
                EXPECT_EQ(readBytes(out), outputs.newFile);
                EXPECT_EQ(twtest::scratchNames(folder), QStringList());
            }
        EXPECT_GT(emptied, 0) << "no kill left the name empty";
    });
    TW_SKIP_UNTRIED(mounts);
}

// Where names can be neither swapped nor linked, a conversion whose check finds that the file it
// moved aside is one another program saved (O1) after the run looked at the name keeps that file
// beside the name as out.obj.old and says so; it renames nothing over the name, so a file saved
// there meanwhile (O2) stays. The renames are held while the test saves its files: the move aside,
// and the one that puts the moved file at a name (a rename of a probe file may come between).
TEST(EndedRuns, AFileMovedAsideAfterAFailedCheckIsKeptBesideTheName)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    twtest::EachMount mounts{
        passthrough("a mount without rename flags or links", {.noRenameFlags = true, .noLinks = true}),
        twtest::mountToTry<twtest::ExfatMount>("exfat-fuse")};
    mounts.run([](twtest::TestMount &mount) {
        const QString folder = mount.mountPoint(), out = folder + u"/out.obj"_qs;
        const TwoOutputs outputs = prepare(folder);
        const int aside = renameMovingOutAside(folder);
        ASSERT_GT(aside, 0) << "no rename moved out.obj aside";
        writeBytes(out, outputs.oldFile);
        QProcess run;
        run.setWorkingDirectory(folder);
        run.start(
            u"strace"_qs,
            twtest::underStrace({u"renameat:delay_enter=2000000:when=%1..%2"_qs.arg(aside).arg(aside + 2)},
                                kDriver, kConvert));
        ASSERT_TRUE(run.waitForStarted());
        ASSERT_TRUE(waitForRename(run, QRegularExpression(u"^out\\.obj>"_qs)))
            << "the move aside was not seen";
        twtest::moveNewFileOver(out, "O1");
        ASSERT_TRUE(waitForRename(run, QRegularExpression(u"^\\.tw-[^>]*>out\\.obj"_qs)))
            << "the second rename was not seen";
        twtest::moveNewFileOver(out, "O2");
        ASSERT_TRUE(run.waitForFinished(120000));
        EXPECT_EQ(readBytes(out), QByteArray("O2"));
        EXPECT_EQ(readBytes(out + u".old"_qs), QByteArray("O1"));
        const QString said = QString::fromUtf8(run.readAllStandardOutput());
        EXPECT_TRUE(said.contains(u"现保存为 out.obj.old"_qs)) << said.toStdString();
        EXPECT_EQ(twtest::scratchNames(folder), QStringList());
    });
    TW_SKIP_UNTRIED(mounts);
}

// SIGINT, SIGTERM or SIGHUP at any call that moves a name, takes a lock or removes a file: before
// the run ends, what it moved aside is back or its new file is in place, and nothing of it is
// left, its lock included where locks are refused.
TEST(EndedRuns, ARunEndedBySignalLeavesAWholeFileAndNothingElse)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    twtest::EachMount mounts{
        passthrough("a mount without locks that swaps no names", {.noRenameFlags = true, .noLocks = true}),
        kLikeFusefat};
    mounts.run([](twtest::TestMount &mount) {
        const QString folder = mount.mountPoint(), out = folder + u"/out.obj"_qs;
        const TwoOutputs outputs = prepare(folder);
        const QStringList signalNames = {u"TERM"_qs, u"INT"_qs, u"HUP"_qs};
        int runs = 0;
        for (const auto &[call, count] : namingCalls(folder))
            for (int nth = 1; nth <= count; ++nth) {
                const QString signal = signalNames[runs++ % signalNames.size()];
                SCOPED_TRACE(call.toStdString() + " #" + std::to_string(nth) + " SIG" + signal.toStdString());
                writeBytes(out, outputs.oldFile);
                twtest::runProgram(
                    u"strace"_qs,
                    twtest::underStrace({u"%1:signal=%2:when=%3"_qs.arg(call, signal).arg(nth)}, kDriver,
                                        kConvert),
                    folder);
                EXPECT_EQ(twtest::scratchNames(folder), QStringList());
                const QByteArray now = readBytes(out);
                EXPECT_TRUE(now == outputs.oldFile || now == outputs.newFile) << now.size() << " bytes";
            }
        EXPECT_GT(runs, 10);
    });
    TW_SKIP_UNTRIED(mounts);
}

// fusefat gives a renamed file the time of the rename. A file moved aside is known there by what a
// rename keeps, so outputs older than the rename are replaced run after run; another program's
// change while the question is open is still seen.
TEST(EndedRuns, FilesAreReplacedWhereARenameDatesTheFileAnew)
{
    twtest::EachMount mounts{passthrough("a mount that dates renamed files anew",
                                         {.noRenameFlags = true, .noLinks = true, .renamedNewTime = true}),
                             twtest::mountToTry<twtest::FatMount>("fusefat")};
    mounts.run([](twtest::TestMount &mount) {
        const QString folder = mount.mountPoint();
        writeBytes(folder + u"/p.bin"_qs, QByteArray::fromHex("02000380FE"));
        for (int run = 0; run < 3; ++run) {
            SCOPED_TRACE(run);
            for (const QString &name : {u"out.asm"_qs, u"out.lst"_qs, u"out.obj"_qs}) {
                // As after a pause: older than any rename of this run.
                const utimbuf past = {946684800, 946684800};
                ::utime(QFile::encodeName(folder + u'/' + name).constData(), &past);
            }
            const twtest::ProcessResult dis = drive(folder, {u"dis51"_qs, u"p.bin"_qs, u"out.asm"_qs});
            EXPECT_TRUE(QString::fromUtf8(dis.out).contains(u"反汇编完成"_qs)) << dis.out.toStdString();
            const twtest::ProcessResult conv =
                drive(folder, {u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"out.obj"_qs});
            EXPECT_EQ(QString::fromUtf8(conv.out), u"信息: 转换完成！\n"_qs);
        }
        EXPECT_EQ(twtest::scratchNames(folder), QStringList());
    });
    TW_SKIP_UNTRIED(mounts);
}

// A program reading an output on fusefat while it is replaced reads the old file or the new one,
// whole (fusefat tears reads of a file that two programs hold open at once; the writer opens none).
TEST(EndedRuns, AReaderOnFusefatReadsWholeFiles)
{
    twtest::EachMount mounts{twtest::mountToTry<twtest::FatMount>("fusefat")};
    mounts.run([](twtest::TestMount &mount) {
        const QString folder = mount.mountPoint(), out = folder + u"/out.obj"_qs;
        const TwoOutputs outputs = prepare(folder);
        std::atomic<bool> stop = false;
        int reads = 0, torn = 0;
        std::thread reader([&] {
            while (!stop) {
                QFile file(out);
                if (!file.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray bytes = file.readAll();
                ++reads;
                torn += bytes != outputs.oldFile && bytes != outputs.newFile;
            }
        });
        for (int run = 0; run < 80; ++run)
            drive(folder, {u"conv"_qs, u"bin2obj"_qs, run % 2 ? u"p.bin"_qs : u"p2.bin"_qs, u"out.obj"_qs});
        stop = true;
        reader.join();
        EXPECT_EQ(torn, 0) << "of " << reads << " reads";
        EXPECT_GT(reads, 0);
    });
    TW_SKIP_UNTRIED(mounts);
}
