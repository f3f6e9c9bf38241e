// What the writer's tests on FUSE mounts stand on: the passthrough's switches answer as the real
// mounts they stand for, another program's changes show at once through each mount, and nothing
// of a mount stays behind its object.
#include "support/FuseMounts.h"
#include "support/TestFiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using twtest::FuseMount;
using twtest::readBytes;
using twtest::TestMount;
using twtest::writeBytes;

namespace
{

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString said(int rc)
{
    return rc == 0 ? QStringLiteral("ok") : QString::fromLatin1(strerrorname_np(errno));
}

ino_t inodeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(native(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// How a folder answers the calls a writer replaces files with.
QString renameAndLinkAnswers(const QString &folder)
{
    const QDir dir(folder);
    writeBytes(dir.filePath(u"a"_qs), "A");
    writeBytes(dir.filePath(u"b"_qs), "B");
    QStringList answers;
    answers << u"exchange "_qs + said(::renameat2(AT_FDCWD, native(dir.filePath(u"a"_qs)), AT_FDCWD,
                                                  native(dir.filePath(u"b"_qs)), RENAME_EXCHANGE));
    answers << u"no-replace "_qs + said(::renameat2(AT_FDCWD, native(dir.filePath(u"a"_qs)), AT_FDCWD,
                                                    native(dir.filePath(u"c"_qs)), RENAME_NOREPLACE));
    if (!QFileInfo::exists(dir.filePath(u"c"_qs)))
        QFile::rename(dir.filePath(u"a"_qs), dir.filePath(u"c"_qs));
    const ino_t before = inodeOf(dir.filePath(u"c"_qs));
    const int linked = ::link(native(dir.filePath(u"c"_qs)), native(dir.filePath(u"l"_qs)));
    answers << u"link "_qs + said(linked);
    if (linked == 0)
        answers << (inodeOf(dir.filePath(u"l"_qs)) == before ? u"link's inode the same"_qs
                                                             : u"link's inode new"_qs);
    QFile::rename(dir.filePath(u"c"_qs), dir.filePath(u"d"_qs));
    answers << (inodeOf(dir.filePath(u"d"_qs)) == before ? u"renamed inode the same"_qs
                                                         : u"renamed inode new"_qs);
    for (const QString &name : {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"l"_qs})
        QFile::remove(dir.filePath(name));
    return answers.join(u", "_qs);
}

// Takes flock(2) through path, tries again through a second open and through other (the file in
// the folder behind the mount).
QString lockAnswers(const QString &path, const QString &other)
{
    writeBytes(path, "lock");
    const int first = ::open(native(path).constData(), O_RDWR | O_CLOEXEC);
    const int second = ::open(native(path).constData(), O_RDWR | O_CLOEXEC);
    const int behind = ::open(native(other).constData(), O_RDWR | O_CLOEXEC);
    QStringList answers;
    answers << u"lock "_qs + said(::flock(first, LOCK_EX | LOCK_NB));
    answers << u"again "_qs + said(::flock(second, LOCK_EX | LOCK_NB));
    answers << u"behind "_qs + said(::flock(behind, LOCK_EX | LOCK_NB));
    for (const int fd : {first, second, behind})
        ::close(fd);
    return answers.join(u", "_qs);
}

bool mountInfoShows(const QString &mountPoint)
{
    return readBytes(u"/proc/self/mountinfo"_qs).contains(' ' + native(mountPoint) + ' ');
}

} // namespace

// Without switches the passthrough is the folder; each switch changes only the answer it names.
// Every look reaches the folder, so another program's change there shows at once.
TEST(FuseMounts, PassthroughAnswersAsTheFolderSaveWhatEachSwitchChanges)
{
    FuseMount plain;
    TW_REQUIRE_MOUNT(plain);
    const QString asTheFolder = renameAndLinkAnswers(plain.source());
    EXPECT_EQ(asTheFolder,
              u"exchange ok, no-replace ok, link ok, link's inode the same, renamed inode the same"_qs);
    EXPECT_EQ(renameAndLinkAnswers(plain.mountPoint()), asTheFolder);
    EXPECT_EQ(lockAnswers(plain.mountPoint() + u"/lock"_qs, plain.source() + u"/lock"_qs),
              u"lock ok, again EAGAIN, behind EAGAIN"_qs);

    const QString grown = plain.mountPoint() + u"/grown"_qs;
    writeBytes(plain.source() + u"/grown"_qs, "short");
    EXPECT_EQ(readBytes(grown), "short");
    writeBytes(plain.source() + u"/grown"_qs, "longer than before");
    EXPECT_EQ(readBytes(grown), "longer than before");
    QFile::remove(plain.source() + u"/grown"_qs);
    EXPECT_FALSE(QFileInfo::exists(grown));
    writeBytes(plain.source() + u"/grown"_qs, "back");
    EXPECT_TRUE(QFileInfo::exists(grown));

    const struct {
        FuseMount::Switches switches;
        QString answers;
        QString locks;
    } cases[] = {
        {{.inodePerName = true},
         u"exchange ok, no-replace ok, link ok, link's inode new, renamed inode the same"_qs,
         u"lock ok, again EAGAIN, behind EAGAIN"_qs},
        {{.noRenameFlags = true},
         u"exchange EINVAL, no-replace EINVAL, link ok, link's inode the same, renamed inode the same"_qs,
         u"lock ok, again EAGAIN, behind EAGAIN"_qs},
        {{.noLinks = true},
         u"exchange ok, no-replace ok, link EPERM, renamed inode the same"_qs,
         u"lock ok, again EAGAIN, behind EAGAIN"_qs},
        // ENOLCK on the second open too: the kernel took no lock of its own in the refusal's place.
        {{.noLocks = true}, asTheFolder, u"lock ENOLCK, again ENOLCK, behind ok"_qs},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.answers.toStdString() + " / " + each.locks.toStdString());
        FuseMount mount(each.switches);
        ASSERT_EQ(mount.skipReason(), QString());
        EXPECT_EQ(renameAndLinkAnswers(mount.mountPoint()), each.answers);
        EXPECT_EQ(lockAnswers(mount.mountPoint() + u"/lock"_qs, mount.source() + u"/lock"_qs), each.locks);
    }
}

// A held rename waits while the test changes the folder behind the mount, and is carried out once
// let go; renames onto other names, here in another folder, go on meanwhile.
TEST(FuseMounts, PassthroughHoldsARenameUntilLetGo)
{
    FuseMount mount;
    TW_REQUIRE_MOUNT(mount);
    writeBytes(mount.source() + u"/out.bin"_qs, "old");
    writeBytes(mount.source() + u"/staged"_qs, "new");
    // Made through the mount, so that the kernel knows the folder without a look in the locked one.
    QDir(mount.mountPoint()).mkdir(u"sub"_qs);
    writeBytes(mount.mountPoint() + u"/sub/other"_qs, "other");
    mount.holdRenames(u"out.bin"_qs);

    QProcess renamer;
    renamer.start(u"mv"_qs, {mount.mountPoint() + u"/staged"_qs, mount.mountPoint() + u"/out.bin"_qs});
    ASSERT_TRUE(mount.waitForHeldRename());
    const twtest::ProcessResult other = twtest::runProgram(
        u"mv"_qs, {mount.mountPoint() + u"/sub/other"_qs, mount.mountPoint() + u"/sub/elsewhere"_qs}, {},
        60000);
    EXPECT_EQ(other.exitCode, 0) << other.err.toStdString();
    EXPECT_EQ(readBytes(mount.source() + u"/staged"_qs), "new");
    writeBytes(mount.source() + u"/out.bin"_qs, "theirs");

    mount.releaseRenames();
    ASSERT_TRUE(renamer.waitForFinished(60000));
    EXPECT_EQ(renamer.exitCode(), 0) << renamer.readAllStandardError().toStdString();
    EXPECT_EQ(readBytes(mount.mountPoint() + u"/out.bin"_qs), "new");
    EXPECT_EQ(QDir(mount.mountPoint()).entryList(QDir::Files), QStringList{u"out.bin"_qs});
}

// A mount that cannot be made says why at once instead of waiting out its guard.
TEST(FuseMounts, AMountThatFailsSaysWhy)
{
    FuseMount usable;
    TW_REQUIRE_MOUNT(usable);
    FuseMount broken({.options = {u"-o"_qs, u"no_such_option"_qs}});
    EXPECT_TRUE(broken.skipReason().contains(u"no_such_option"_qs)) << broken.skipReason().toStdString();
    EXPECT_FALSE(broken.missingPackage());
    EXPECT_FALSE(mountInfoShows(broken.mountPoint()));
}

namespace
{

struct MountKind {
    const char *name;
    std::function<std::unique_ptr<TestMount>()> make;
    // The passthrough's switches that answer renames and links as this mount does.
    FuseMount::Switches like;
};

std::ostream &operator<<(std::ostream &out, const MountKind &kind)
{
    return out << kind.name;
}

std::string nameOf(const ::testing::TestParamInfo<MountKind> &info)
{
    return info.param.name;
}

const MountKind passthrough = {"passthrough", [] { return std::make_unique<FuseMount>(); }, {}};
const MountKind bindfs = {
    "bindfs", [] { return std::make_unique<twtest::BindfsMount>(); }, {.noRenameFlags = true}};
const MountKind sshfs = {"sshfs",
                         [] { return std::make_unique<twtest::SshfsMount>(); },
                         {.inodePerName = true, .noRenameFlags = true}};
const MountKind sshfsWithoutLinks = {
    "sshfsWithoutLinks",
    [] {
        return std::make_unique<twtest::SshfsMount>(QStringList{u"-o"_qs, u"disable_hardlink"_qs});
    },
    {.inodePerName = true, .noRenameFlags = true, .noLinks = true}};
const MountKind exfat = {
    "exfat", [] { return std::make_unique<twtest::ExfatMount>(); }, {.noRenameFlags = true, .noLinks = true}};

class RealMount : public ::testing::TestWithParam<MountKind>
{
};

class EachMount : public ::testing::TestWithParam<MountKind>
{
};

} // namespace

TEST_P(RealMount, PassthroughSwitchesAnswerAsItDoes)
{
    const std::unique_ptr<TestMount> real = GetParam().make();
    TW_REQUIRE_MOUNT(*real);
    FuseMount like(GetParam().like);
    TW_REQUIRE_MOUNT(like);
    EXPECT_EQ(renameAndLinkAnswers(like.mountPoint()), renameAndLinkAnswers(real->mountPoint()));
}

INSTANTIATE_TEST_SUITE_P(FuseMounts, RealMount, ::testing::Values(bindfs, sshfs, sshfsWithoutLinks, exfat),
                         nameOf);

// What one program writes or renames into place through the mount, another reads right after.
TEST_P(EachMount, AnotherProgramSeesAChangeAtOnce)
{
    const std::unique_ptr<TestMount> mount = GetParam().make();
    TW_REQUIRE_MOUNT(*mount);
    const QString file = mount->mountPoint() + u"/seen.txt"_qs;
    writeBytes(file, "first");
    EXPECT_EQ(twtest::runProgram(u"cat"_qs, {file}).out, "first");

    const auto other = [](const QString &script, const QStringList &args) {
        const twtest::ProcessResult run =
            twtest::runProgram(u"sh"_qs, QStringList{u"-c"_qs, script, u"sh"_qs} + args);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    };
    other(uR"(printf %s "$1" > "$2")"_qs, {u"second, longer"_qs, file});
    EXPECT_EQ(readBytes(file), "second, longer");
    other(uR"(printf %s "$1" > "$2.new" && mv "$2.new" "$2")"_qs, {u"third"_qs, file});
    EXPECT_EQ(readBytes(file), "third");
    EXPECT_EQ(QDir(mount->mountPoint()).entryList(QDir::Files), QStringList{u"seen.txt"_qs});
}

// After the object, even with a file still open on the mount as a failed test leaves it: no mount,
// no folder, no daemon or server, no loop device.
TEST_P(EachMount, NothingStaysAfterTheObject)
{
    QString mountPoint;
    QString folder;
    QString device;
    int held = -1;
    {
        const std::unique_ptr<TestMount> mount = GetParam().make();
        TW_REQUIRE_MOUNT(*mount);
        mountPoint = mount->mountPoint();
        folder = QFileInfo(mountPoint).path();
        if (const auto *image = dynamic_cast<const twtest::ExfatMount *>(mount.get()))
            device = image->device();
        ASSERT_TRUE(mount->mounted());
        ASSERT_TRUE(mountInfoShows(mountPoint));
        EXPECT_FALSE(twtest::processesNaming(folder).isEmpty());
        writeBytes(mountPoint + u"/held"_qs, "held");
        held = ::open(native(mountPoint + u"/held"_qs).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(held, 0);
    }
    EXPECT_FALSE(mountInfoShows(mountPoint));
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(twtest::processesNaming(folder), QStringList());
    // The kernel lets go of a detached exFAT's device when its last file closes.
    ::close(held);
    if (!device.isEmpty()) {
        const QString backing = u"/sys/block/"_qs + QFileInfo(device).fileName() + u"/loop/backing_file"_qs;
        const QDeadlineTimer guard(60000);
        while (readBytes(backing).contains(native(folder)) && !guard.hasExpired())
            QThread::msleep(5);
        EXPECT_FALSE(readBytes(backing).contains(native(folder)));
    }
}

INSTANTIATE_TEST_SUITE_P(FuseMounts, EachMount, ::testing::Values(passthrough, bindfs, sshfs, exfat), nameOf);
