// Split, merge, compare and restore through real files, the box readers, and the Start command's
// checks per mode: exact outputs, exact messages, and nothing written where a tool refuses.
#include "ConversionTestSupport.h"
#include "common/TextFile.h"
#include "conversion/FileCompare.h"
#include "conversion/HexText.h"
#include "conversion/LineRestore.h"
#include "conversion/SplitMerge.h"
#include "conversion/StartCommand.h"
#include "conversion/ui/ConversionWindow.h"
#include "disassembler/common/DisasmText.h"
#include "support/FileFaults.h"

#include <QFileInfo>
#include <algorithm>

using namespace tw;

namespace
{

using FileToolsTest = twtest::FolderTest;

QByteArray counting(int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 256);
    return bytes;
}

QStringList numbers(int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts << QString::number(i);
    return texts;
}

// The disassemblers' address-box reader and byte writer on the window's texts.
int hexToBin(const QString &text)
{
    return tw::hexToBin(text.toStdString());
}

QString dhex(std::uint8_t value)
{
    std::string text;
    tw::appendDhex(text, value);
    return QString::fromStdString(text);
}

} // namespace

TEST_F(FileToolsTest, SplitCutsAtTheChosenSize)
{
    const QByteArray image = counting(5000);
    const QString input = file(u"prog.bin"_qs, image);
    ASSERT_TRUE(written(splitImage(input, u"4KB"_qs)));
    EXPECT_EQ(read(u"prog_1.bin"_qs), image.left(4096));
    EXPECT_EQ(read(u"prog_2.bin"_qs), image.mid(4096));
    EXPECT_EQ(splitSummary(input), u"拆分完成！\r\n\r\n拆分后的文件为：\r\n\r\n"_qs + path(u"prog_1.bin"_qs) +
                                       u"\r\n\r\n"_qs + path(u"prog_2.bin"_qs) + u"\r\n\r\n"_qs);
    EXPECT_TRUE(prompter.calls().isEmpty());

    // Exactly the size: an empty second part is still made. Whatever the extension, _1.bin.
    file(u"exact.hex"_qs, counting(1024));
    ASSERT_TRUE(written(splitImage(path(u"exact.hex"_qs), u"1KB"_qs)));
    EXPECT_EQ(read(u"exact_1.bin"_qs).size(), 1024);
    EXPECT_TRUE(exists(u"exact_2.bin"_qs) && read(u"exact_2.bin"_qs).isEmpty());

    // Smaller than the size: the notice, no part.
    file(u"small.bin"_qs, counting(1000));
    EXPECT_FALSE(written(splitImage(path(u"small.bin"_qs), u"4KB"_qs)));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"原程序<4KB,无需拆分！"_qs});
    EXPECT_FALSE(exists(u"small_1.bin"_qs) || exists(u"small_2.bin"_qs));

    // A size outside the four is refused instead of copying everything into the second part.
    prompter.clearCalls();
    EXPECT_FALSE(written(splitImage(input, u"3KB"_qs)));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"片内ROM空间只能选1KB、2KB、4KB或8KB！"_qs});
    EXPECT_EQ(read(u"prog_2.bin"_qs), image.mid(4096));

    prompter.clearCalls();
    carry(splitImage(QString(), u"4KB"_qs));
    carry(splitImage(path(u"none.bin"_qs), u"4KB"_qs));
    EXPECT_EQ(prompter.messageTexts(), (QStringList{u"请选择待拆分的文件！"_qs, u"待拆分的文件不存在！"_qs}));
    EXPECT_EQ(prompter.calls()[0].style, 52);
}

TEST_F(FileToolsTest, MergeDirectlyAndByAddress)
{
    const QByteArray first = counting(0xFF0);
    const QString a = file(u"a.bin"_qs, first);
    const QString b = file(u"b.bin"_qs, QByteArray::fromHex("AABBCC"));
    const QString out = path(u"m.bin"_qs);
    ASSERT_TRUE(written(mergeImages({a, b, out, true, u"1000"_qs, 0xFF})));
    EXPECT_EQ(read(u"m.bin"_qs), first + QByteArray(16, '\xFF') + QByteArray::fromHex("AABBCC"));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"合并完成！"_qs});

    // No gap when the first file ends at the address; a direct merge ignores address and fill.
    const QString a2 = file(u"a2.bin"_qs, counting(0x1000));
    ASSERT_TRUE(written(mergeImages({a2, b, out, true, u"1000"_qs, 0xFF})));
    EXPECT_EQ(read(u"m.bin"_qs).size(), 0x1003);
    ASSERT_TRUE(written(mergeImages({a, b, out, false, u"zz"_qs, 0xFF})));
    EXPECT_EQ(read(u"m.bin"_qs), first + QByteArray::fromHex("AABBCC"));

    // Overlap: the message; the merged file of the last run stays as it was, and a new one is
    // not made.
    prompter.clearCalls();
    EXPECT_FALSE(written(mergeImages({a2, b, out, true, u"0800"_qs, 0})));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"地址空间存在重合现象，不能正常合并！"_qs});
    EXPECT_EQ(read(u"m.bin"_qs), first + QByteArray::fromHex("AABBCC"));
    EXPECT_FALSE(written(mergeImages({a2, b, path(u"new.bin"_qs), true, u"0800"_qs, 0})));
    EXPECT_FALSE(exists(u"new.bin"_qs));
    // A link at the output stays, and so does the file it leads to.
    const QString target = file(u"kept.bin"_qs, "kept");
    ASSERT_TRUE(QFile::link(target, path(u"link.bin"_qs)));
    EXPECT_FALSE(written(mergeImages({a2, b, path(u"link.bin"_qs), true, u"0800"_qs, 0})));
    EXPECT_TRUE(QFileInfo(path(u"link.bin"_qs)).isSymLink());
    EXPECT_EQ(read(u"link.bin"_qs), QByteArray("kept"));

    // The merged file may not be an input, however the path is written; the inputs survive.
    prompter.clearCalls();
    EXPECT_FALSE(written(mergeImages({a, b, a, false, QString(), 0})));
    EXPECT_FALSE(written(mergeImages({a, b, dir.path() + u"/x/../b.bin"_qs, false, QString(), 0})));
    EXPECT_EQ(prompter.messageTexts(), QStringList(2, u"合并后的文件不可以与要合并的文件同名！"_qs));
    EXPECT_EQ(prompter.calls()[0].style, 64);
    EXPECT_EQ(read(u"a.bin"_qs), first);
    EXPECT_EQ(read(u"b.bin"_qs), QByteArray::fromHex("AABBCC"));

    // Start addresses: up to four upper-case digits; anything else is refused before writing.
    for (const QString &start : {u""_qs, u"10000"_qs, u"1a"_qs, u"-1"_qs}) {
        prompter.clearCalls();
        EXPECT_FALSE(written(mergeImages({a, b, path(u"n.bin"_qs), true, start, 0})));
        EXPECT_EQ(prompter.messageTexts(), QStringList{u"起始地址应为1～4位十六进制数！"_qs});
    }
    EXPECT_FALSE(exists(u"n.bin"_qs));

    prompter.clearCalls();
    const QString none = path(u"none.bin"_qs);
    carry(mergeImages({QString(), b, out, false, {}, 0}));
    carry(mergeImages({none, b, out, false, {}, 0}));
    carry(mergeImages({a, QString(), out, false, {}, 0}));
    carry(mergeImages({a, none, out, false, {}, 0}));
    carry(mergeImages({a, b, QString(), false, {}, 0}));
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{u"请选择待合并的第一个文件！"_qs, u"待合并的第一个文件不存在！"_qs,
                           u"请选择待合并的第二个文件！"_qs, u"待合并的第二个文件不存在！"_qs,
                           u"请选择合并后的文件存放地址！"_qs}));
}

TEST_F(FileToolsTest, CompareWritesItsReportBesideTheFirstFile)
{
    QByteArray one(512, '\0');
    QByteArray two = one;
    one[0x1FF] = '\xFF';
    two[0] = 1;
    one[0x1A2] = 0x3C;
    two[0x1A2] = 0x3D;
    QDir(dir.path()).mkdir(u"sub"_qs);
    const QString a = file(u"sub/a.bin"_qs, one);
    const QString b = file(u"b.bin"_qs, two);
    prompter.answerMessage(MsgAnswer::Yes);
    const CompareRun outcome = compareFiles(a, b);
    EXPECT_EQ(outcome.differences, 3);
    EXPECT_TRUE(carry(outcome.outcome).openRequested);
    EXPECT_EQ(outcome.reportPath, path(u"sub/report.txt"_qs));
    EXPECT_EQ(fromNativePath(outcome.outcome.openOnYes), outcome.reportPath);
    EXPECT_EQ(
        readTextFile(outcome.reportPath)->text,
        u"文件比较报告\r\n两文件有 3处不相同！\r\n\r\n清单如下：\r\n0000H:\t00\t01\r\n01A2H:\t3C\t3D\r\n01FFH:\tFF\t00\r\n\r\n"_qs);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{u"比较完成！\r\n\r\n两文件有 3处不相同！\r\n查看报告吗？"_qs});
    EXPECT_EQ(prompter.calls()[0].style, 52);

    // Equal files, and two empty ones: the short report, a notice, nothing to open; the report of
    // the first run is replaced by the second's once the user agrees.
    for (const QByteArray &bytes : {one, QByteArray()}) {
        prompter.clearCalls();
        QStringList said{u"比较完成！\r\n\r\n两文件相同！"_qs};
        if (exists(u"report.txt"_qs))
            said.prepend(u"文件已存在！\r\n覆盖吗？"_qs);
        const CompareRun same = compareFiles(file(u"c.bin"_qs, bytes), file(u"d.bin"_qs, bytes));
        EXPECT_EQ(same.differences, 0);
        EXPECT_FALSE(carry(same.outcome).openRequested);
        EXPECT_EQ(compareReport(bytes, bytes), u"文件比较报告\r\n两文件相同\r\n\r\n"_qs);
        EXPECT_EQ(prompter.messageTexts(), said);
    }

    // Different lengths: the notice and the old report kept.
    prompter.clearCalls();
    const QByteArray before = read(u"report.txt"_qs);
    carry(compareFiles(file(u"e.bin"_qs, one.left(10)), file(u"f.bin"_qs, one.left(11))).outcome);
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"比较完成！\r\n\r\n两文件长度不相同！"_qs});
    EXPECT_EQ(read(u"report.txt"_qs), before);

    // Offsets past FFFFH take more digits instead of failing.
    QByteArray big(0x10002, '\0');
    QByteArray other = big;
    other[0x10001] = 5;
    EXPECT_TRUE(compareReport(big, other).contains(u"10001H:\t00\t05\r\n"_qs));
}

TEST_F(FileToolsTest, CompareReportIsGbkText)
{
    const QString a = file(u"a.bin"_qs, "\x01");
    ASSERT_TRUE(written(compareFiles(a, file(u"b.bin"_qs, "\x02")).outcome));
    const QByteArray gbkHead("\xCE\xC4\xBC\xFE\xB1\xC8\xBD\xCF\xB1\xA8\xB8\xE6\r\n"); // 文件比较报告
    EXPECT_TRUE(read(u"report.txt"_qs).startsWith(gbkHead));
    EXPECT_TRUE(read(u"report.txt"_qs).endsWith("0000H:\t01\t02\r\n\r\n"));
}

// The report is made in pieces from the files as they are read; it is the report the bytes in
// memory give, byte for byte, also across the pieces and past FFFFH.
TEST_F(FileToolsTest, CompareStreamsTheReportItWouldMakeInMemory)
{
    QByteArray one(3 * (1 << 20) + 17, '\0');
    for (qsizetype i = 0; i < one.size(); ++i)
        one[i] = static_cast<char>(i * 5 + (i >> 10));
    QByteArray two = one;
    for (const qsizetype k :
         {qsizetype(0), qsizetype(5), qsizetype(0xFFFF), qsizetype(0x10000), qsizetype((1 << 20) - 1),
          qsizetype(1 << 20), qsizetype((2 << 20) + 3), one.size() - 1})
        two[k] = static_cast<char>(two[k] ^ 0x33);
    for (qsizetype k = 3 << 19; k < (3 << 19) + 100000; k += 997)
        two[k] = static_cast<char>(two[k] ^ 0x80);
    const QString a = file(u"a.bin"_qs, one);
    const QString b = file(u"b.bin"_qs, two);
    int differences = 0;
    const QString inMemory = compareReport(one, two, &differences);
    const CompareRun run = compareFiles(a, b);
    EXPECT_EQ(run.differences, differences);
    ASSERT_TRUE(written(run.outcome));
    EXPECT_EQ(read(u"report.txt"_qs), encodeText(inMemory));

    // The second file is read under the same rules as the first, and both are bounded before a
    // byte is compared.
    prompter.clearCalls();
    QDir(dir.path()).mkdir(u"folder.bin"_qs);
    EXPECT_FALSE(written(compareFiles(a, path(u"folder.bin"_qs)).outcome));
    const QString big = path(u"big.bin"_qs);
    ASSERT_TRUE(twtest::makeSparseFile(big, (64 << 20) + 1));
    EXPECT_FALSE(written(compareFiles(big, big).outcome));
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{u"文件读取失败："_qs + path(u"folder.bin"_qs) + u"（这是一个文件夹，不是文件）"_qs,
                           u"文件读取失败："_qs + big + u"（文件超过 67108864 字节）"_qs}));
    EXPECT_EQ(read(u"report.txt"_qs), encodeText(inMemory));
}

TEST_F(FileToolsTest, RestoreUndoesSwappedLines)
{
    RestoreJob job;
    job.input = file(u"in.bin"_qs, QByteArray::fromHex("010F80"));
    job.output = path(u"out.bin"_qs);
    job.dataTexts = numbers(8);
    job.addressTexts = numbers(16);
    ASSERT_TRUE(written(restoreFile(job)));
    EXPECT_EQ(read(u"out.bin"_qs), QByteArray::fromHex("010F80"));

    job.dataSwapped = true;
    for (int i = 0; i < 8; ++i)
        job.dataTexts[i] = QString::number(7 - i);
    ASSERT_TRUE(written(restoreFile(job)));
    EXPECT_EQ(read(u"out.bin"_qs), QByteArray::fromHex("80F001"));

    job.dataSwapped = false;
    job.addressSwapped = true;
    job.addressTexts[0] = u"1"_qs;
    job.addressTexts[1] = u"0"_qs;
    job.input = file(u"seq.bin"_qs, QByteArray::fromHex("000102030405"));
    ASSERT_TRUE(written(restoreFile(job)));
    EXPECT_EQ(read(u"out.bin"_qs), QByteArray::fromHex("000201030400"));
    EXPECT_EQ(prompter.messageTexts(), QStringList(3, u"转换完成！"_qs));

    // Two data lines on one bus line: refused even while the data box is clear; nothing touched.
    prompter.clearCalls();
    job.dataTexts = numbers(8);
    job.dataTexts[1] = u"0"_qs;
    EXPECT_FALSE(written(restoreFile(job)));
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"存储器的两个数据线是不可能并接在一起的！"_qs});
    EXPECT_EQ(prompter.calls()[0].style, 64);
    EXPECT_TRUE(prompter.calls()[0].title.isEmpty());
    EXPECT_EQ(read(u"out.bin"_qs), QByteArray::fromHex("000201030400"));

    // Both paths, the input's presence and size, and the output not being the input are checked.
    job.dataTexts = numbers(8);
    const struct {
        QString input, output, message;
    } refusals[] = {
        {QString(), path(u"o.bin"_qs), u"请选择待还原的文件！"_qs},
        {path(u"gone.bin"_qs), path(u"o.bin"_qs), u"待还原的文件不存在！"_qs},
        {job.input, QString(), u"请选择还原后的文件存放地址！"_qs},
        {file(u"huge.bin"_qs, QByteArray(65537, 'x')), path(u"o.bin"_qs),
         u"待还原的文件超过64KB，不能还原！"_qs},
        {job.input, job.input, u"还原后的文件不可以与待还原的文件同名！"_qs},
    };
    for (const auto &r : refusals) {
        prompter.clearCalls();
        job.input = r.input;
        job.output = r.output;
        EXPECT_FALSE(written(restoreFile(job)));
        EXPECT_EQ(prompter.messageTexts(), QStringList{r.message});
    }
    EXPECT_FALSE(exists(u"o.bin"_qs) || exists(u"gone.bin"_qs));
    EXPECT_EQ(read(u"seq.bin"_qs), QByteArray::fromHex("000102030405"));
    // A full 64 KB image is accepted.
    job.input = file(u"full.bin"_qs, QByteArray(65536, 'y'));
    job.output = path(u"o.bin"_qs);
    EXPECT_TRUE(written(restoreFile(job)));
    EXPECT_EQ(read(u"o.bin"_qs).size(), 65536);
}

TEST(HexBoxes, ReadersAndTheByteWriter)
{
    EXPECT_EQ(hexToBin(u""_qs), 0);
    EXPECT_EQ(hexToBin(u"F"_qs), 0xF000);
    EXPECT_EQ(hexToBin(u"12"_qs), 0x1200);
    EXPECT_EQ(hexToBin(u"12345"_qs), 0x1234);
    EXPECT_EQ(hexToBin(u"G123"_qs), 0x0123);
    EXPECT_EQ(hexToBin(u"00ff"_qs), 0);
    EXPECT_EQ(hexD(u"1A"_qs), 26);
    EXPECT_EQ(hexD(u"1a"_qs), 16);
    EXPECT_EQ(hexD(u"FFFF"_qs), 65535);
    EXPECT_EQ(hexD(u""_qs), 0);
    // Seventeen positions and more wrap (the sanitizer run stops an overflow).
    EXPECT_EQ(hexD(u"1FFFFFFFFFFFFFFFF"_qs), -1);
    const std::pair<int, const char *> bytes[] = {{0x00, "00"},  {0x05, "05"},  {0x3F, "3F"}, {0x9F, "9F"},
                                                  {0xA0, "0A0"}, {0xA5, "0A5"}, {0xFF, "0FF"}};
    for (const auto &[value, text] : bytes)
        EXPECT_EQ(dhex(static_cast<std::uint8_t>(value)), QString::fromLatin1(text));
    EXPECT_EQ(readAddressBox(u"0800"_qs, false), 0x800);
    EXPECT_EQ(readAddressBox(u"ff"_qs, true), 0xFF);
    EXPECT_EQ(readAddressBox(u"ff"_qs, false), std::nullopt);
}

TEST_F(FileToolsTest, StartChecksEachModeInOrder)
{
    const QString present = file(u"p.bin"_qs, "\x01");
    const QString missing = path(u"missing.bin"_qs);
    const struct {
        ConversionMode mode;
        QStringList messages; // for: empty input, missing input, empty output
        int lastStyle = 52;   // of the last message; the others are checks (Yes/No, exclamation)
    } modes[] = {
        {ConversionMode::ObjToBin,
         {u"请选择待转换的文件！"_qs, u"待转换的文件不存在！"_qs, u"请选择转换后的文件存放地址！"_qs}},
        {ConversionMode::BinToObj,
         {u"请选择待转换的文件！"_qs, u"待转换的文件不存在！"_qs, u"请选择转换后的文件存放地址！"_qs}},
        {ConversionMode::HexToBin,
         {u"请选择待转换的文件！"_qs, u"待转换的文件不存在！"_qs, u"请选择转换后的文件存放地址！"_qs}},
        {ConversionMode::BinToHex,
         {u"请选择待转换的文件！"_qs, u"待转换的文件不存在！"_qs, u"请选择转换后的文件存放地址！"_qs}},
        {ConversionMode::Disassemble,
         {u"请选择待反汇编的文件！"_qs, u"待反汇编的文件不存在！"_qs, u"请选择反汇编后的文件存放地址！"_qs}},
        {ConversionMode::Port,
         {u"请选择待移植的文件！"_qs, u"待移植的文件不存在！"_qs, u"请选择移植后的文件存放地址！"_qs}},
        {ConversionMode::Compare,
         {u"请选择待比较的第一个文件！"_qs, u"待比较的第一个文件不存在！"_qs,
          u"请选择待比较的第二个文件！"_qs}},
        {ConversionMode::Merge,
         {u"请选择待合并的第一个文件！"_qs, u"待合并的第一个文件不存在！"_qs,
          u"请选择待合并的第二个文件！"_qs}},
        // Its size unchosen in the last request: a notice.
        {ConversionMode::Split,
         {u"请选择待拆分的文件！"_qs, u"待拆分的文件不存在！"_qs,
          u"片内ROM空间只能选1KB、2KB、4KB或8KB！"_qs},
         48},
        // The restore page has its own button: Start checks nothing.
        {ConversionMode::Restore, {}},
    };
    for (ConversionMode mode : kAllModes)
        EXPECT_TRUE(
            std::any_of(std::begin(modes), std::end(modes), [mode](const auto &m) { return m.mode == mode; }))
            << "no row for " << qPrintable(modeText(mode));
    for (const auto &m : modes) {
        SCOPED_TRACE(qPrintable(modeText(m.mode)));
        prompter.clearCalls();
        ConversionRequest request;
        request.mode = m.mode;
        StartOutcome outcome;
        for (const auto &[in, out] : {std::pair{QString(), path(u"o"_qs)}, std::pair{missing, path(u"o"_qs)},
                                      std::pair{present, QString()}}) {
            request.input = in;
            request.output = out;
            outcome = runStart(prompter, request);
        }
        EXPECT_EQ(prompter.messageTexts(), m.messages);
        for (const ScriptedPrompter::Call &call : prompter.calls()) {
            EXPECT_EQ(call.style, &call == &prompter.calls().back() ? m.lastStyle : 52);
            EXPECT_EQ(call.title, u"信息"_qs);
        }
        // The disassembly has taken its input as the current code image before the last check.
        EXPECT_EQ(outcome.currentBinPath.has_value(), m.mode == ConversionMode::Disassemble);
        EXPECT_TRUE(outcome.openPath.isEmpty());
    }
    // A disassembly whose segment list (MCS-51) or label dump (MCS-48) would land on the image.
    const QString image = file(u"code.lst"_qs, QByteArray::fromHex("80FE"));
    const QString dumpOnImage = file(u"code48.err"_qs, QByteArray::fromHex("04000000"));
    for (const auto &[cpu, input] : {std::pair{0, image}, std::pair{1, dumpOnImage}}) {
        prompter.clearCalls();
        ConversionRequest disassembly;
        disassembly.mode = ConversionMode::Disassemble;
        disassembly.cpu = cpu;
        disassembly.input = input;
        disassembly.output = cpu == 0 ? path(u"code.asm"_qs) : path(u"code48.asm"_qs);
        runStart(prompter, disassembly);
        EXPECT_EQ(prompter.messageTexts(), QStringList{u"反汇编的附带文件不可以与待反汇编的文件同名！"_qs});
    }
    EXPECT_EQ(read(u"code.lst"_qs), QByteArray::fromHex("80FE"));
    EXPECT_EQ(read(u"code48.err"_qs), QByteArray::fromHex("04000000"));
    EXPECT_FALSE(exists(u"code.asm"_qs) || exists(u"code48.asm"_qs));

    // The porting source never becomes the current code image.
    ConversionRequest port;
    port.mode = ConversionMode::Port;
    port.input = present;
    port.output = path(u"out.asm"_qs);
    EXPECT_FALSE(runStart(prompter, port).currentBinPath.has_value());
}
