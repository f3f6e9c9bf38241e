// The tools from the shell through twdrive conv: exit codes, printed messages and files, with
// srec_cat and objcopy reading what the driver wrote.
#include "ConversionTestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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
