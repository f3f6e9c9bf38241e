// Runs of the writer that meet in one folder: each gets a true answer, whoever sweeps whom.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

using twtest::readBytes;
using twtest::writeBytes;

namespace
{

const QString kDriver = QStringLiteral(TW_TWDRIVE);

} // namespace

// A run's sweep may meet another run that is making its lock file. Held up there (its lock call
// delayed), the other run must not be taken for an ended one; and the sweep, held up in turn while
// it removes what it took (its first unlink delayed), must not keep the other run from its lock
// until it gives up with a reason that is not what happened ("资源暂时不可用"). Both runs write.
TEST(ConcurrentRuns, ARunMakingItsLockIsNeitherSweptNorKeptFromIt)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"p.bin"_qs), QByteArray(300, '\x5a'));
    QProcess held;
    held.setWorkingDirectory(dir.path());
    held.start(u"strace"_qs, twtest::underStrace({u"flock:delay_enter=3000000:when=1"_qs}, kDriver,
                                                 {u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"a.obj"_qs}));
    ASSERT_TRUE(held.waitForStarted());
    // The sweep starts once the held run has made its first file in the folder (a hang guard, not
    // a time budget: the held run waits three seconds there).
    for (int look = 0; look < 3000 && twtest::scratchNames(dir.path()).isEmpty(); ++look)
        QThread::msleep(2);
    ASSERT_FALSE(twtest::scratchNames(dir.path()).isEmpty()) << "the held run made no file";
    const twtest::ProcessResult sweeping =
        twtest::runProgram(u"strace"_qs,
                           twtest::underStrace({u"unlinkat:delay_enter=6000000:when=1"_qs}, kDriver,
                                               {u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"b.obj"_qs}),
                           dir.path());
    ASSERT_TRUE(held.waitForFinished(120000));
    EXPECT_EQ(QString::fromUtf8(held.readAllStandardOutput()), u"信息: 转换完成！\n"_qs);
    EXPECT_EQ(QString::fromUtf8(sweeping.out), u"信息: 转换完成！\n"_qs);
    EXPECT_EQ(readBytes(dir.filePath(u"a.obj"_qs)), readBytes(dir.filePath(u"b.obj"_qs)));
    EXPECT_EQ(twtest::scratchNames(dir.path()), QStringList());
}

// Many runs writing one file at once, each sweeping the folder of the others' ended runs: each
// either writes or says that another program changed or made the file, never anything else; the
// file is whole at the end and no scratch file stays. Every other answer is named with its count.
TEST(ConcurrentRuns, RunsWritingOneFileAtOnceAnswerTruly)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"p.bin"_qs), QByteArray(2000, '\x33'));
    ASSERT_EQ(
        twtest::runProgram(kDriver, {u"conv"_qs, u"bin2obj"_qs, u"p.bin"_qs, u"whole.obj"_qs}, dir.path())
            .exitCode,
        0);
    constexpr int kWorkers = 6, kRuns = 30;
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < kWorkers; ++i) {
        auto &worker = workers.emplace_back(std::make_unique<QProcess>());
        worker->setWorkingDirectory(dir.path());
        worker->start(u"sh"_qs,
                      {u"-c"_qs,
                       u"for i in $(seq %1); do \"$0\" conv bin2obj p.bin out.obj; done"_qs.arg(kRuns),
                       kDriver});
        ASSERT_TRUE(worker->waitForStarted());
    }
    std::map<QString, int> answers;
    for (auto &worker : workers) {
        ASSERT_TRUE(worker->waitForFinished(600000));
        for (const QString &line :
             QString::fromUtf8(worker->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            ++answers[line];
    }
    const QString failed = u"信息: 文件写入失败：out.obj（"_qs;
    const std::map<QString, int> expected = {{u"信息: 转换完成！"_qs, 0},
                                             {failed + u"文件已被其他程序修改）"_qs, 0},
                                             {failed + u"其他程序已新建了同名文件）"_qs, 0}};
    int runs = 0;
    QStringList unexpected;
    for (const auto &[line, count] : answers) {
        runs += count;
        if (!expected.contains(line))
            unexpected << u"%1 x %2"_qs.arg(count).arg(line);
    }
    EXPECT_EQ(runs, kWorkers * kRuns);
    EXPECT_EQ(unexpected, QStringList());
    EXPECT_GT(answers[u"信息: 转换完成！"_qs], 0);
    EXPECT_EQ(readBytes(dir.filePath(u"out.obj"_qs)), readBytes(dir.filePath(u"whole.obj"_qs)));
    EXPECT_EQ(twtest::scratchNames(dir.path()), QStringList());
}
