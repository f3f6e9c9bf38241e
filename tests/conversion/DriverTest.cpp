// The tools from the shell through twdrive conv: exit codes, printed messages and files, with
// srec_cat and objcopy reading what the driver wrote.
#include "ConversionTestSupport.h"
#include "support/FileFaults.h"
#include "tools/CommandTable.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

class ConvDriver : public twtest::FolderTest
{
  protected:
    twtest::ProcessResult conv(const QStringList &args) const
    {
        return twtest::runDriver(QStringList{u"conv"_qs} + args);
    }
};

} // namespace

// The driver's head gives the arguments of each tool the usage line names: "//   conv a ARGS | b ARGS".
TEST(ConvDriverHead, GivesTheArgumentsOfEveryToolOfTheUsageLine)
{
    const std::string_view usage = twdrive::usageOf("conv"); // "conv a|b|c ARGS..."
    const QStringList tools =
        QString::fromUtf8(usage.data(), static_cast<qsizetype>(usage.size())).section(u' ', 1, 1).split(u'|');
    const QString driver = twtest::dataPath(u"../tools/DriveConv.cpp"_qs);
    QStringList described;
    for (const QString &line : QString::fromUtf8(twtest::readBytes(driver)).split(u'\n')) {
        if (!line.startsWith(u"//"_qs))
            break;
        if (line.simplified().startsWith(u"// conv "_qs))
            for (const QString &synopsis : line.simplified().mid(8).split(u" | "_qs))
                described << synopsis.section(u' ', 0, 0);
    }
    ASSERT_FALSE(described.isEmpty()) << driver.toStdString();
    for (const QString &tool : tools)
        EXPECT_TRUE(described.contains(tool))
            << "the head of tests/tools/DriveConv.cpp gives no arguments for conv " << tool.toStdString();
}

TEST_F(ConvDriver, EveryToolFromTheShell)
{
    TW_REQUIRE_PEER("srec_cat");
    TW_REQUIRE_PEER("objcopy");
    QByteArray image(0x900, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 13);
    const QString bin = file(u"prog.bin"_qs, image);

    twtest::ProcessResult r = conv({u"bin2hex"_qs, bin, path(u"prog.hex"_qs), u"0"_qs});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QStringLiteral(u"信息: 转换完成！\n").toUtf8());
    ASSERT_EQ(twtest::runProgram(u"objcopy"_qs, {u"-I"_qs, u"ihex"_qs, u"-O"_qs, u"binary"_qs,
                                                 path(u"prog.hex"_qs), path(u"objcopy.bin"_qs)})
                  .exitCode,
              0);
    EXPECT_EQ(twtest::readBytes(path(u"objcopy.bin"_qs)), image);
    EXPECT_EQ(conv({u"hex2bin"_qs, path(u"prog.hex"_qs), path(u"back.bin"_qs), u"i"_qs, u"1"_qs}).exitCode,
              0);
    EXPECT_EQ(twtest::readBytes(path(u"back.bin"_qs)), image);
    // The overwrite question answered No.
    r = conv({u"--no"_qs, u"hex2bin"_qs, path(u"prog.hex"_qs), path(u"back.bin"_qs), u"i"_qs, u"0"_qs});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral(u"覆盖吗？").toUtf8()));

    EXPECT_EQ(conv({u"bin2obj"_qs, bin, path(u"prog.obj"_qs)}).exitCode, 0);
    EXPECT_EQ(twtest::readBytes(path(u"prog.obj"_qs)), image.toHex().toUpper());
    EXPECT_EQ(conv({u"obj2bin"_qs, path(u"prog.obj"_qs), path(u"obj.bin"_qs)}).exitCode, 0);
    EXPECT_EQ(twtest::readBytes(path(u"obj.bin"_qs)), image);

    r = conv({u"split"_qs, bin, u"2KB"_qs});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(twtest::readBytes(path(u"prog_2.bin"_qs)), image.mid(2048));
    EXPECT_TRUE(r.out.contains(path(u"prog_1.bin"_qs).toUtf8()));
    EXPECT_EQ(conv({u"split"_qs, bin, u"4KB"_qs}).exitCode, 1);

    EXPECT_EQ(conv({u"merge"_qs, path(u"prog_1.bin"_qs), path(u"prog_2.bin"_qs), path(u"m.bin"_qs)}).exitCode,
              0);
    EXPECT_EQ(twtest::readBytes(path(u"m.bin"_qs)), image);
    EXPECT_EQ(conv({u"merge"_qs, path(u"prog_1.bin"_qs), path(u"prog_2.bin"_qs), path(u"m2.bin"_qs),
                    u"1000"_qs, u"FF"_qs})
                  .exitCode,
              0);
    EXPECT_EQ(twtest::readBytes(path(u"m2.bin"_qs)),
              image.left(2048) + QByteArray(0x800, '\xFF') + image.mid(2048));

    r = conv({u"compare"_qs, path(u"m.bin"_qs), bin});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("DIFFERENCES 0\nREPORT " + path(u"report.txt"_qs).toUtf8()));
    EXPECT_EQ(conv({u"compare"_qs, path(u"m2.bin"_qs), bin}).exitCode, 1);

    EXPECT_EQ(conv({u"restore"_qs, bin, path(u"r.bin"_qs), u"DATA=7,6,5,4,3,2,1,0"_qs}).exitCode, 0);
    EXPECT_EQ(static_cast<unsigned char>(twtest::readBytes(path(u"r.bin"_qs))[1]), 0xB0); // 0DH reversed
    r = conv({u"restore"_qs, bin, path(u"r.bin"_qs), u"DATA=0,0,2,3,4,5,6,7"_qs});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral(u"存储器的两个数据线是不可能并接在一起的！").toUtf8()));

    file(u"p48.asm"_qs, "\tSTRT\tT\r\n\tEND\r\n");
    r = conv({u"port48"_qs, path(u"p48.asm"_qs), path(u"p51.asm"_qs)});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(path(u"p51.err"_qs)));

    EXPECT_EQ(conv({u"nonsense"_qs}).exitCode, 2);
    EXPECT_EQ(conv({u"obj2bin"_qs, bin, bin}).exitCode, 1);
    EXPECT_EQ(twtest::readBytes(bin), image);
}

// Without srec_cat the conversion says so and writes nothing; it is never reported as done.
TEST_F(ConvDriver, MissingConverterIsAFailure)
{
    QDir(dir.path()).mkdir(u"bin"_qs);
    ASSERT_TRUE(QFile::link(QStandardPaths::findExecutable(u"sh"_qs), path(u"bin/sh"_qs)));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PATH"_qs, path(u"bin"_qs));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TW_TWDRIVE),
                  {u"conv"_qs, u"bin2hex"_qs, file(u"a.bin"_qs, "\x01\x02"), path(u"a.hex"_qs), u"0"_qs});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardOutput(),
              QStringLiteral(u"信息: 转换失败！ 找不到转换程序srec_cat。\n").toUtf8());
    EXPECT_FALSE(exists(u"a.hex"_qs));
}

namespace
{

// The driver with an environment of its own; exit code -1 when it did not end within the time.
twtest::ProcessResult convWith(const QProcessEnvironment &environment, const QStringList &args)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TW_TWDRIVE), QStringList{u"conv"_qs} + args);
    twtest::ProcessResult result;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    return result;
}

QProcessEnvironment temporaryFolder(const QString &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TMPDIR"_qs, folder);
    return environment;
}

} // namespace

// The converter takes its input through the checked read: a pipe neither blocks nor leaves its
// private folder behind, a file past the bound is refused unread, and a temporary folder that
// cannot take the copy gives the reason.
TEST_F(ConvDriver, HexConverterReadsItsInputCheckedAndNamesEveryFault)
{
    TW_REQUIRE_PEER("srec_cat");
    QDir(dir.path()).mkdir(u"tmp"_qs);
    const QProcessEnvironment privateTemp = temporaryFolder(path(u"tmp"_qs));
    const QString pipe = path(u"pipe.hex"_qs);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    twtest::ProcessResult r =
        convWith(privateTemp, {u"hex2bin"_qs, pipe, path(u"p.bin"_qs), u"i"_qs, u"0"_qs});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.toStdString(),
              (u"信息: 文件读取失败："_qs + pipe + u"（这是设备或管道，不是普通文件）\n"_qs).toStdString());
    EXPECT_TRUE(QDir(path(u"tmp"_qs)).isEmpty());

    const QString big = path(u"big.hex"_qs);
    ASSERT_TRUE(twtest::makeSparseFile(big, 100LL << 20));
    r = convWith(privateTemp, {u"hex2bin"_qs, big, path(u"big.bin"_qs), u"i"_qs, u"0"_qs});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.toStdString(),
              (u"信息: 文件读取失败："_qs + big + u"（文件超过 67108864 字节）\n"_qs).toStdString());
    EXPECT_FALSE(exists(u"big.bin"_qs));
    EXPECT_TRUE(QDir(path(u"tmp"_qs)).isEmpty());

    // A link to a device is no code image either: never "转换完成！".
    const QString zero = path(u"zero.bin"_qs);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, zero));
    r = convWith(privateTemp, {u"bin2hex"_qs, zero, path(u"zero.hex"_qs), u"0"_qs});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.toStdString(),
              (u"信息: 文件读取失败："_qs + zero + u"（这是设备或管道，不是普通文件）\n"_qs).toStdString());
    EXPECT_FALSE(exists(u"zero.hex"_qs));

    twtest::SmallDisk disk(path(u"small"_qs));
    if (!disk.active())
        return;
    disk.fill();
    const QString hex = file(u"ok.hex"_qs, ":020000000A0BE9\r\n:00000001FF\r\n");
    r = convWith(temporaryFolder(disk.path()), {u"hex2bin"_qs, hex, path(u"ok.bin"_qs), u"i"_qs, u"0"_qs});
    EXPECT_EQ(r.exitCode, 1);
    const QString said = QString::fromUtf8(r.out);
    EXPECT_TRUE(said.startsWith(u"信息: 转换失败！ 文件写入失败："_qs + disk.path() + u'/'))
        << said.toStdString();
    EXPECT_TRUE(said.endsWith(u"/ls.hex（磁盘空间已满）\n"_qs)) << said.toStdString();
    EXPECT_FALSE(exists(u"ok.bin"_qs));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u".filler"_qs});
}

// srec_cat warns before it fails: the message carries the error itself, whole, naming the user's
// file rather than the private copy.
TEST_F(ConvDriver, ConverterFailureCarriesTheErrorLineNamingTheUsersFile)
{
    TW_REQUIRE_PEER("srec_cat");
    // Out of order (a warning), then the same address twice (the error); a long name so that
    // srec_cat wraps its lines.
    const QString hex = file(u"a-rather-long-name-for-a-hex-file-so-that-lines-wrap.hex"_qs,
                             ":02010400AABB94\r\n:020100000102FA\r\n:02010000AABB98\r\n:00000001FF\r\n");
    const twtest::ProcessResult r = conv({u"hex2bin"_qs, hex, path(u"out.bin"_qs), u"i"_qs, u"0"_qs});
    EXPECT_EQ(r.exitCode, 1);
    const QString said = QString::fromUtf8(r.out);
    EXPECT_TRUE(
        said.startsWith(u"信息: 转换失败！ srec_cat: "_qs + hex + u": 3: multiple 0x00000100 values"_qs))
        << said.toStdString();
    EXPECT_TRUE(said.endsWith(u"(previous = 0x01, this one = 0xAA)\n"_qs)) << said.toStdString();
    EXPECT_FALSE(said.contains(u"warning"_qs));
    EXPECT_FALSE(exists(u"out.bin"_qs));
}

// The parts of a split stay beside the input, named from the file name alone.
TEST_F(ConvDriver, SplitPartsStayInTheInputsFolder)
{
    QDir(dir.path()).mkpath(u"sub/v1.2"_qs);
    const QByteArray image(1500, '\x5A');
    for (const auto &[input, first] : {std::pair{u"sub/ab"_qs, u"sub/ab_1.bin"_qs},
                                       std::pair{u"sub/v1.2/prog"_qs, u"sub/v1.2/prog_1.bin"_qs},
                                       std::pair{u"sub/prog.s"_qs, u"sub/prog_1.bin"_qs},
                                       std::pair{u"sub/a.b.cd"_qs, u"sub/a.b_1.bin"_qs}}) {
        SCOPED_TRACE(input.toStdString());
        const twtest::ProcessResult r = conv({u"split"_qs, file(input, image), u"1KB"_qs});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(read(first), image.left(1024));
        EXPECT_EQ(read(first.chopped(5) + u"2.bin"_qs), image.mid(1024));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// Two files that differ in every byte: the report is made as it is written, so the driver's peak
// memory stays far below the report's size (it held the whole report, several times, before).
TEST_F(ConvDriver, CompareOfFilesThatDifferEverywhereStaysInBoundedMemory)
{
    QByteArray bytes(4 << 20, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 13 + (i >> 16));
    const QString a = file(u"a.bin"_qs, bytes);
    for (char &b : bytes)
        b = static_cast<char>(b ^ 0x81);
    const QString b = file(u"b.bin"_qs, bytes);
    const twtest::ProcessResult r = conv({u"compare"_qs, a, b});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("DIFFERENCES 4194304\n"));
    // Under AddressSanitizer the shadow memory and the quarantine of freed blocks make any peak
    // meaningless; the plain build holds the bound (one piece of each file, one report line).
#if !defined(__SANITIZE_ADDRESS__)
    rusage usage{};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 100 * 1024) << "kilobytes";
#endif
    const QByteArray report = read(u"report.txt"_qs);
    EXPECT_EQ(report.count('\n'), 4 + 4194304 + 1);
    const auto hex2 = [](int value) {
        return QByteArray::number(value, 16).toUpper().rightJustified(2, '0');
    };
    const auto last = static_cast<unsigned char>(bytes.back());
    EXPECT_TRUE(report.endsWith("3FFFFFH:\t" + hex2(last ^ 0x81) + "\t" + hex2(last) + "\r\n\r\n"));
}
