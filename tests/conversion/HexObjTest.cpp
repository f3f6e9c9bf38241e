// The obj and hex conversions through real files: the .obj codec and its refusals, the hex
// converter scripts around srec_cat checked against srec_cat and objcopy on the same inputs, the
// records past FFFFH, the overwrite question, and that the user's input is never touched.
#include "ConversionTestSupport.h"
#include "conversion/HexConverter.h"
#include "conversion/ObjConversion.h"

#include <QFileInfo>
#include <QRandomGenerator>

using namespace tw;

namespace
{

class HexObjTest : public twtest::FolderTest
{
  protected:
    QStringList folder() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

    // Our hex to bin through the whole command, no question expected.
    QByteArray hexToBin(const QByteArray &hex, QChar format = u'i', QChar fill = u'0')
    {
        prompter.clearCalls();
        const QString out = path(u"out.bin"_qs);
        QFile::remove(out);
        const bool ok = written(convertHexToBin({file(u"in.hex"_qs, hex), out, format, fill}));
        EXPECT_TRUE(ok) << qPrintable(prompter.messageTexts().join(u" | "_qs));
        EXPECT_EQ(prompter.messageTexts(), QStringList{u"转换完成！"_qs});
        return read(u"out.bin"_qs);
    }

    QByteArray peer(const QString &program, const QStringList &args)
    {
        const twtest::ProcessResult result = twtest::runProgram(program, args, dir.path());
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        return read(u"peer.bin"_qs);
    }
};

QByteArray randomBytes(QRandomGenerator &random, int count)
{
    QByteArray bytes(count, '\0');
    for (char &b : bytes)
        b = static_cast<char>(random.bounded(256));
    return bytes;
}

// Blocks with holes between them, all below 10000H.
std::map<int, QByteArray> randomBlocks(QRandomGenerator &random)
{
    std::map<int, QByteArray> blocks;
    int address = static_cast<int>(random.bounded(0, 0x400));
    while (true) {
        const int length = static_cast<int>(random.bounded(1, 300));
        if (address + length > 0x10000)
            break;
        blocks[address] = randomBytes(random, length);
        address += length + static_cast<int>(random.bounded(1, 0x1800));
    }
    return blocks;
}

} // namespace

TEST_F(HexObjTest, ObjTextBothWaysAndItsRefusals)
{
    // Bytes to text and back, an empty image, a longer old output replaced whole.
    ASSERT_TRUE(
        written(convertBinToObj(file(u"a.bin"_qs, QByteArray::fromHex("00090AFF")), path(u"a.obj"_qs))));
    EXPECT_EQ(read(u"a.obj"_qs), QByteArray("00090AFF"));
    file(u"b.bin"_qs, QByteArray(10, 'x'));
    ASSERT_TRUE(written(convertObjToBin(file(u"c.obj"_qs, "02003AFF"), path(u"b.bin"_qs))));
    EXPECT_EQ(read(u"b.bin"_qs), QByteArray::fromHex("02003AFF"));
    ASSERT_TRUE(written(convertBinToObj(file(u"e.bin"_qs, {}), path(u"e.obj"_qs))));
    ASSERT_TRUE(QFileInfo::exists(path(u"e.obj"_qs)));
    EXPECT_TRUE(read(u"e.obj"_qs).isEmpty());
    ASSERT_TRUE(written(convertObjToBin(path(u"e.obj"_qs), path(u"e2.bin"_qs))));
    EXPECT_TRUE(QFileInfo::exists(path(u"e2.bin"_qs)) && read(u"e2.bin"_qs).isEmpty());
    EXPECT_EQ(prompter.messageTexts(), QStringList(4, u"转换完成！"_qs));
    EXPECT_EQ(prompter.calls()[0].style, 48);
    EXPECT_EQ(prompter.calls()[0].title, u"信息"_qs);

    // A text saved by an editor: lower-case digits read right, the line end ignored.
    EXPECT_EQ(objTextToBin("0a1B\r\n"), QByteArray::fromHex("0A1B"));
    // Refused as a whole: nothing is written, an old output stays as it was.
    for (const QByteArray &bad :
         {QByteArray("0G12"), QByteArray("123"), QByteArray("12 34"), QByteArray("GG")}) {
        SCOPED_TRACE(bad.constData());
        prompter.clearCalls();
        EXPECT_FALSE(written(convertObjToBin(file(u"bad.obj"_qs, bad), path(u"b.bin"_qs))));
        EXPECT_EQ(read(u"b.bin"_qs), QByteArray::fromHex("02003AFF"));
        ASSERT_EQ(prompter.calls().size(), 1);
        EXPECT_NE(prompter.calls()[0].text, u"转换完成！"_qs);
    }
    // A conversion onto its own input, also under another spelling of the path, is refused.
    prompter.clearCalls();
    EXPECT_FALSE(written(convertObjToBin(path(u"c.obj"_qs), dir.path() + u"/./c.obj"_qs)));
    EXPECT_FALSE(written(convertBinToObj(path(u"b.bin"_qs), path(u"b.bin"_qs))));
    EXPECT_EQ(prompter.messageTexts(), QStringList(2, u"转换后的文件不可以与待转换的文件同名！"_qs));
    EXPECT_EQ(read(u"c.obj"_qs), QByteArray("02003AFF"));
}

TEST_F(HexObjTest, IntelHexThroughTheScripts)
{
    TW_REQUIRE_PEER("srec_cat");
    EXPECT_EQ(hexToBin(":0400000002003AFFC1\r\n:00000001FF\r\n"), QByteArray::fromHex("02003AFF"));
    EXPECT_EQ(hexToBin(":01000200AA53\n:00000001FF\n"), QByteArray::fromHex("0000AA"));
    EXPECT_EQ(hexToBin(":01000200AA53\n:00000001FF\n", u'i', u'1'), QByteArray::fromHex("FFFFAA"));

    // The writer keeps the outputs off the files read.
    const QString in = path(u"in.hex"_qs);
    EXPECT_EQ(convertHexToBin({in, path(u"o.bin"_qs), u'i', u'0'}).inputs, std::vector{nativePath(in)});
    EXPECT_EQ(convertBinToHex({in, path(u"o.hex"_qs), u"0"_qs}).inputs, std::vector{nativePath(in)});

    prompter.clearCalls();
    ASSERT_TRUE(written(convertBinToHex(
        {file(u"p.bin"_qs, QByteArray::fromHex("02003AFF")), path(u"p.hex"_qs), u"0100"_qs})));
    EXPECT_EQ(read(u"p.hex"_qs), QByteArray(":0401000002003AFFC0\n:00000001FF\n"));
    // A lower-case start address is read as well.
    ASSERT_TRUE(written(convertBinToHex({path(u"p.bin"_qs), path(u"q.hex"_qs), u"1f"_qs})));
    EXPECT_TRUE(read(u"q.hex"_qs).startsWith(":04001F0002003AFFA2"));
}

TEST_F(HexObjTest, RandomImagesAgreeWithSrecCatAndObjcopy)
{
    TW_REQUIRE_PEER("srec_cat");
    TW_REQUIRE_PEER("objcopy");
    QRandomGenerator random(0x51);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        const std::map<int, QByteArray> blocks = randomBlocks(random);
        const int lowest = blocks.begin()->first;
        const QByteArray hex = twtest::intelHex(blocks);
        file(u"in.hex"_qs, hex);

        const QByteArray zeros = hexToBin(hex);
        EXPECT_EQ(zeros, peer(u"srec_cat"_qs,
                              {u"in.hex"_qs, u"-Intel"_qs, u"-o"_qs, u"peer.bin"_qs, u"-Binary"_qs}));
        // objcopy's binary starts at the lowest data address.
        EXPECT_EQ(zeros.mid(lowest), peer(u"objcopy"_qs, {u"-I"_qs, u"ihex"_qs, u"-O"_qs, u"binary"_qs,
                                                          u"in.hex"_qs, u"peer.bin"_qs}));
        const QByteArray ones = hexToBin(hex, u'i', u'1');
        EXPECT_EQ(ones.left(lowest), QByteArray(lowest, '\xFF'));
        EXPECT_EQ(ones.mid(lowest),
                  peer(u"objcopy"_qs, {u"-I"_qs, u"ihex"_qs, u"-O"_qs, u"binary"_qs, u"--gap-fill"_qs,
                                       u"0xFF"_qs, u"in.hex"_qs, u"peer.bin"_qs}));

        // Back to hex at a start address: objcopy reads our records into the same bytes, and
        // every record has a two-byte address (no extended-address records).
        const QByteArray image = randomBytes(random, static_cast<int>(random.bounded(1, 0x3000)));
        const int start = static_cast<int>(random.bounded(0, 0x10000 - image.size()));
        prompter.clearCalls();
        ASSERT_TRUE(written(convertBinToHex(
            {file(u"img.bin"_qs, image), path(u"img.hex"_qs), QString::number(start, 16).toUpper()})));
        const QList<QByteArray> records = read(u"img.hex"_qs).trimmed().split('\n');
        EXPECT_EQ(records.last(), QByteArray(":00000001FF"));
        for (const QByteArray &line : records)
            EXPECT_TRUE(line.mid(7, 2) == "00" || line == ":00000001FF") << line.constData();
        EXPECT_EQ(peer(u"objcopy"_qs,
                       {u"-I"_qs, u"ihex"_qs, u"-O"_qs, u"binary"_qs, u"img.hex"_qs, u"peer.bin"_qs}),
                  image);
        // And our own hex to bin puts it back at its address.
        file(u"in.hex"_qs, read(u"img.hex"_qs));
        EXPECT_EQ(hexToBin(read(u"img.hex"_qs)), QByteArray(start, '\0') + image);
    }
}

TEST_F(HexObjTest, MotorolaTektronixAndStraightHex)
{
    TW_REQUIRE_PEER("srec_cat");
    const QByteArray image = QByteArray::fromHex("75813F7490F5A080FE");
    file(u"img.bin"_qs, image);
    const struct {
        QChar letter;
        const char *srecFormat;
    } formats[] = {{u'm', "-Motorola"}, {u't', "-Tektronix"}};
    for (const auto &f : formats) {
        SCOPED_TRACE(f.srecFormat);
        const twtest::ProcessResult made =
            twtest::runProgram(u"srec_cat"_qs,
                               {u"img.bin"_qs, u"-Binary"_qs, u"-offset"_qs, u"0x0200"_qs, u"-o"_qs,
                                u"in.hex"_qs, QString::fromLatin1(f.srecFormat)},
                               dir.path());
        ASSERT_EQ(made.exitCode, 0) << made.err.constData();
        EXPECT_EQ(hexToBin(read(u"in.hex"_qs), f.letter), QByteArray(0x200, '\0') + image);
    }
    // Plain digit pairs are read here, without the converter.
    EXPECT_EQ(hexToBin("75 81 3f\r\n74 90\r\n", u's'), QByteArray::fromHex("75813F7490"));
}

// "XTI SDSMAC" is srec_cat's TI-Tagged format. srec_cat cannot read it together with a fill, so
// the script takes it through Intel hex; the files here are srec_cat's own.
TEST_F(HexObjTest, TiTaggedFilesWithGapsAndBothFills)
{
    TW_REQUIRE_PEER("srec_cat");
    const auto tagged = [this](const QString &input, const QString &inputFormat, const QString &offset) {
        const twtest::ProcessResult made =
            twtest::runProgram(u"srec_cat"_qs,
                               {input, inputFormat, u"-offset"_qs, offset, u"-o"_qs, u"x.hex"_qs,
                                u"-Texas_Instruments_Tagged"_qs},
                               dir.path());
        EXPECT_EQ(made.exitCode, 0) << made.err.constData();
        return read(u"x.hex"_qs);
    };
    const QByteArray image = QByteArray::fromHex("75813F7490F5A080FE");
    file(u"img.bin"_qs, image);
    const QByteArray x = tagged(u"img.bin"_qs, u"-Binary"_qs, u"0x0200"_qs);
    ASSERT_TRUE(x.startsWith('K')) << x.constData();
    EXPECT_EQ(hexToBin(x, u'x'), QByteArray(0x200, '\0') + image);
    EXPECT_EQ(hexToBin(x, u'x', u'1'), QByteArray(0x200, '\xFF') + image);

    // Holes between blocks: the same bytes as the same data read as Intel hex.
    QRandomGenerator random(0x71);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const QByteArray hex = twtest::intelHex(randomBlocks(random));
        file(u"blocks.hex"_qs, hex);
        const QByteArray blocks = tagged(u"blocks.hex"_qs, u"-Intel"_qs, u"0"_qs);
        for (const QChar fill : {u'0', u'1'})
            EXPECT_EQ(hexToBin(blocks, u'x', fill), hexToBin(hex, u'i', fill)) << fill.toLatin1();
    }

    // The Intel step's file goes to the working folder, not to TMPDIR (here a folder that is not
    // there), and is gone after a run, good or failed.
    const auto script = [this](const QString &target) {
        return twtest::runProgram(u"env"_qs, {u"TMPDIR="_qs + path(u"missing"_qs), u"sh"_qs,
                                              converterScript(u"hexbin.sh"_qs), dir.path(), path(u"x.hex"_qs),
                                              path(target), u"x"_qs, u"1"_qs})
            .exitCode;
    };
    EXPECT_EQ(script(u"direct.bin"_qs), 0);
    EXPECT_EQ(read(u"direct.bin"_qs), hexToBin(read(u"x.hex"_qs), u'x', u'1'));
    file(u"x.hex"_qs, "K0000 broken\n");
    EXPECT_NE(script(u"broken.bin"_qs), 0);
    EXPECT_EQ(folder(), (QStringList{u"blocks.hex"_qs, u"direct.bin"_qs, u"img.bin"_qs, u"in.hex"_qs,
                                     u"out.bin"_qs, u"x.hex"_qs}));
}

TEST_F(HexObjTest, RefusalsLeaveNoOutputAndNeverTouchTheInput)
{
    TW_REQUIRE_PEER("srec_cat");
    const QByteArray farHex = twtest::intelHex({{0x0100, "\x01\x02"}, {0x10000, "\xAA"}});
    const QString in = file(u"far.hex"_qs, farHex);
    const QDateTime stamp = QFileInfo(in).lastModified();
    const QString out = path(u"far.bin"_qs);

    // srec_cat alone accepts data past FFFFH and writes a file over 64 KB; our script refuses.
    EXPECT_FALSE(written(convertHexToBin({in, out, u'i', u'0'})));
    EXPECT_FALSE(QFileInfo::exists(out));
    file(u"far.bin"_qs, "old");
    EXPECT_FALSE(written(convertHexToBin({in, out, u'i', u'1'})));
    EXPECT_EQ(read(u"far.bin"_qs), QByteArray("old"));
    EXPECT_EQ(prompter.messageTexts(), QStringList(2, u"转换失败！\r\n数据地址超出0000H～FFFFH范围。"_qs));

    // An image that would run past FFFFH at its start address; the script refuses it too when
    // called directly, and leaves no partial output.
    const QString big = file(u"big.bin"_qs, QByteArray(0x1000, '\x55'));
    prompter.clearCalls();
    EXPECT_FALSE(written(convertBinToHex({big, path(u"big.hex"_qs), u"F001"_qs})));
    EXPECT_FALSE(QFileInfo::exists(path(u"big.hex"_qs)));
    const twtest::ProcessResult direct = twtest::runProgram(
        u"sh"_qs, {converterScript(u"binhex.sh"_qs), dir.path(), big, path(u"big.hex"_qs), u"F001"_qs});
    EXPECT_EQ(direct.exitCode, 3);
    EXPECT_FALSE(QFileInfo::exists(path(u"big.hex"_qs)));
    EXPECT_TRUE(written(convertBinToHex({big, path(u"big.hex"_qs), u"F000"_qs})));

    // Start addresses that are not 1 to 4 hex digits never reach the converter.
    for (const QString &start : {u""_qs, u"12345"_qs, u"G1"_qs, u"1 2"_qs, u"0x10"_qs}) {
        prompter.clearCalls();
        EXPECT_FALSE(written(convertBinToHex({big, path(u"bad.hex"_qs), start})));
        EXPECT_EQ(prompter.messageTexts(), QStringList{u"起始地址应为1～4位十六进制数！"_qs});
    }
    // The format no free converter reads is refused by name.
    prompter.clearCalls();
    EXPECT_FALSE(written(convertHexToBin({in, path(u"x.bin"_qs), u'd', u'0'})));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"不能转换DMD16 HEX格式的文件！"_qs});
    // A broken record: srec_cat's own complaint is passed on.
    prompter.clearCalls();
    EXPECT_FALSE(written(convertHexToBin(
        {file(u"bad.hex"_qs, ":0400000002003AFF00\n:00000001FF\n"), path(u"bad.bin"_qs), u'i', u'0'})));
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_TRUE(prompter.calls()[0].text.startsWith(u"转换失败！\r\n"_qs));
    EXPECT_FALSE(QFileInfo::exists(path(u"bad.bin"_qs)));

    // The input is still there, unchanged, and no working file was left beside it.
    EXPECT_EQ(read(u"far.hex"_qs), farHex);
    EXPECT_EQ(QFileInfo(in).lastModified(), stamp);
    EXPECT_EQ(folder(),
              (QStringList{u"bad.hex"_qs, u"big.bin"_qs, u"big.hex"_qs, u"far.bin"_qs, u"far.hex"_qs}));
}

TEST_F(HexObjTest, ExistingOutputIsReplacedOnlyOnYes)
{
    TW_REQUIRE_PEER("srec_cat");
    const QString in = file(u"a.hex"_qs, ":0400000002003AFFC1\n:00000001FF\n");
    const QString out = file(u"a.bin"_qs, "old output");
    prompter.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(written(convertHexToBin({in, out, u'i', u'0'})));
    // "转换完成！" follows the answer No too.
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{u"文件已存在！\r\n覆盖吗？"_qs, u"没有覆盖原文件，转换结果未保存。"_qs,
                           u"转换完成！"_qs}));
    EXPECT_EQ(prompter.calls()[0].style, 52);
    EXPECT_EQ(read(u"a.bin"_qs), QByteArray("old output"));

    prompter.clearCalls();
    prompter.answerMessage(MsgAnswer::Yes);
    EXPECT_TRUE(written(convertHexToBin({in, out, u'i', u'0'})));
    EXPECT_EQ(prompter.messageTexts(), (QStringList{u"文件已存在！\r\n覆盖吗？"_qs, u"转换完成！"_qs}));
    EXPECT_EQ(read(u"a.bin"_qs), QByteArray::fromHex("02003AFF"));
    EXPECT_EQ(read(u"a.hex"_qs), QByteArray(":0400000002003AFFC1\n:00000001FF\n"));
}
