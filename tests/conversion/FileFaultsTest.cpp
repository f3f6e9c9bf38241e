// Every tool that writes files (the conversion window's tools, both disassemblers, both
// assemblers) through the driver against outputs and inputs no tool can use: each fault
// named with the user's file and the reason, nothing that was there changed, nothing half written
// left behind, no run that blocks; and outputs that are links or have modes of their own kept so.
#include "support/FileFaults.h"
#include "ConversionTestSupport.h"
#include "base/RunLock.h"
#include "support/FuseMounts.h"
#include "tools/CommandTable.h"

#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <csignal>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kInfo = u"信息"_qs;
const QString kReadFault = u"文件读取失败："_qs;

// One row per run of a tool, with everything the tests below expect of it.
struct Tool {
    QString name{};                 // the twdrive conv tool, or the driver command (conv false)
    QString input{};                // the (first) input's file name
    QByteArray bytes{};             // its bytes
    QByteArray second{};            // merge and compare: the second input's bytes ("second.bin"); null: none
    QString output{};               // the first file the run writes, in the same folder
    QString lastOutput{};           // the other file of the same run (split, port48); empty: none
    QStringList extra{};            // arguments after the paths
    bool outputArgument = true;     // the output is given on the command line (not named from the input)
    QString title = kInfo;          // the caption of the tool's boxes
    QString readFault = kReadFault; // how an input fault begins
    bool peer = false;              // needs srec_cat
    bool conv = true;               // a tool of twdrive conv; otherwise name is a driver command of its own
    int faultExit = 1;              // the driver's exit code for a refusal or a file fault
    // What the driver prints when the output given is the input (the same name, a link, a hard
    // link): the tool's own refusal. Every tool with outputArgument has one.
    QString ownInput{};
    // What it prints when its two outputs are one file, for a tool that checks that itself before
    // the writer does; empty: the writer's fault.
    QString ownOutputs{};
};

const QString kConvertOwnInput = u": 转换后的文件不可以与待转换的文件同名！\n"_qs;
const QString kDisassemblyOwnInput = u": 反汇编后的文件不可以与待反汇编的文件同名！\n"_qs;

// The assemblers name their files from the source, print the message alone and end with 2 on a
// file fault; they check their own outputs against each other first.
Tool assembler(const QString &command, const QByteArray &source)
{
    return {.name = command,
            .input = u"prog.asm"_qs,
            .bytes = source,
            .output = u"prog.a51"_qs,
            .lastOutput = u"prog.bin"_qs,
            .outputArgument = false,
            .title = QString(),
            .readFault = u"源程序文件读取失败："_qs,
            .conv = false,
            .faultExit = 2,
            .ownOutputs =
                u"汇编后的文件不能是源程序，也不能与汇编生成的.a51、.lst、.lt、.err文件同名！\n"_qs};
}

// The disassemblers, driver commands of their own.
Tool disassembler(const QString &command, const QString &lastOutput, const QStringList &range)
{
    return {.name = command,
            .input = u"in.bin"_qs,
            .bytes = QByteArray::fromHex("0400"), // JMP 0000H on both chips (AJMP / JMP)
            .output = u"out.asm"_qs,
            .lastOutput = lastOutput,
            .extra = range,
            .title = u"反汇编信息"_qs,
            .conv = false,
            .ownInput = kDisassemblyOwnInput};
}

std::vector<Tool> tools()
{
    const QByteArray image = QByteArray::fromHex("0A0B");
    QByteArray long1500(1500, '\0');
    for (int i = 0; i < long1500.size(); ++i)
        long1500[i] = static_cast<char>(i * 7);
    return {
        {.name = u"obj2bin"_qs,
         .input = u"in.obj"_qs,
         .bytes = "0A0B",
         .output = u"out.bin"_qs,
         .ownInput = kConvertOwnInput},
        {.name = u"bin2obj"_qs,
         .input = u"in.bin"_qs,
         .bytes = image,
         .output = u"out.obj"_qs,
         .ownInput = kConvertOwnInput},
        {.name = u"hex2bin"_qs,
         .input = u"in.hex"_qs,
         .bytes = ":020000000A0BE9\r\n:00000001FF\r\n",
         .output = u"out.bin"_qs,
         .extra = {u"i"_qs, u"0"_qs},
         .peer = true,
         .ownInput = kConvertOwnInput},
        {.name = u"hex2bin"_qs,
         .input = u"in.hex"_qs,
         .bytes = "0A 0B\r\n",
         .output = u"out.bin"_qs,
         .extra = {u"s"_qs, u"0"_qs},
         .ownInput = kConvertOwnInput},
        {.name = u"bin2hex"_qs,
         .input = u"in.bin"_qs,
         .bytes = image,
         .output = u"out.hex"_qs,
         .extra = {u"0"_qs},
         .peer = true,
         .ownInput = kConvertOwnInput},
        {.name = u"split"_qs,
         .input = u"img.bin"_qs,
         .bytes = long1500,
         .output = u"img_1.bin"_qs,
         .lastOutput = u"img_2.bin"_qs,
         .extra = {u"1KB"_qs},
         .outputArgument = false},
        {.name = u"merge"_qs,
         .input = u"a.bin"_qs,
         .bytes = "\x01",
         .second = "\x02",
         .output = u"m.bin"_qs,
         .ownInput = u": 合并后的文件不可以与要合并的文件同名！\n"_qs},
        {.name = u"compare"_qs,
         .input = u"a.bin"_qs,
         .bytes = "\x01\x02",
         .second = "\x01\x03",
         .output = u"report.txt"_qs,
         .outputArgument = false},
        {.name = u"restore"_qs,
         .input = u"in.bin"_qs,
         .bytes = image,
         .output = u"out.bin"_qs,
         .ownInput = u": 还原后的文件不可以与待还原的文件同名！\n"_qs},
        {.name = u"port48"_qs,
         .input = u"p48.asm"_qs,
         .bytes = "\tNOP\r\n",
         .output = u"p51.asm"_qs,
         .lastOutput = u"p51.err"_qs,
         .title = u"编译信息"_qs,
         .readFault = u"源程序文件读取失败："_qs,
         .ownInput = u": 移植后的文件不可以与待移植的文件同名！\n"_qs,
         .ownOutputs = u": 出错报告文件不可以与待移植的文件或移植后的文件同名！\n"_qs},
        disassembler(u"dis51"_qs, u"out.lst"_qs, {}),
        disassembler(u"dis51"_qs, u"out.lst"_qs, {u"0000"_qs, u"0002"_qs}),
        disassembler(u"dis48"_qs, QString(), {}),
        assembler(u"asm51"_qs, "\tORG\t0000H\r\n\tSJMP\t$\r\n\tEND\r\n"),
        assembler(u"asm48"_qs, "\tORG\t0000H\r\n\tNOP\r\n\tEND\r\n"),
    };
}

// How the driver prints one message of the tool.
QString said(const Tool &tool, const QString &text)
{
    return (tool.title.isEmpty() ? QString() : tool.title + u": "_qs) + text + u'\n';
}

QString trace(const Tool &tool)
{
    return tool.name + u' ' + tool.extra.join(u' ');
}

// A folder with a tool's inputs, and the tool's command line on it.
class ToolFolder
{
  public:
    ToolFolder(const Tool &tool, const QString &folder) : m_tool(tool), m_folder(folder)
    {
        QDir().mkpath(folder);
        twtest::writeBytes(input(), tool.bytes);
        if (!tool.second.isNull())
            twtest::writeBytes(path(u"second.bin"_qs), tool.second);
    }
    QString path(const QString &name) const { return m_folder + u'/' + name; }
    QString input() const { return path(m_tool.input); }
    QString output() const { return path(m_output.isEmpty() ? m_tool.output : m_output); }
    // Another output name (given on the command line).
    void nameOutput(const QString &name) { m_output = name; }
    const Tool &tool() const { return m_tool; }
    QStringList arguments() const
    {
        QStringList args = {m_tool.name, input()};
        if (m_tool.conv)
            args.prepend(u"conv"_qs);
        if (!m_tool.second.isNull())
            args << path(u"second.bin"_qs);
        if (m_tool.outputArgument)
            args << output();
        return args + m_tool.extra;
    }

  private:
    const Tool &m_tool;
    QString m_folder;
    QString m_output;
};

struct DriverRun {
    int exitCode = -1; // -1: the driver did not end within the time
    QString out;
};

// The driver, which must end on its own; dropping the capabilities that let root read any file
// when asked (so that an unreadable file is unreadable to it too).
DriverRun drive(const QStringList &args, bool withoutOverride = false)
{
    twtest::ProcessResult result;
    if (withoutOverride && ::geteuid() == 0)
        result = twtest::runProgram(u"setpriv"_qs,
                                    QStringList{u"--bounding-set"_qs, u"-dac_override,-dac_read_search"_qs,
                                                QStringLiteral(TW_TWDRIVE)} +
                                        args,
                                    QString(), 20000);
    else
        result = twtest::runProgram(QStringLiteral(TW_TWDRIVE), args, QString(), 20000);
    return {result.exitCode, QString::fromUtf8(result.out)};
}

// What a folder holds, as lstat sees it, without opening anything but regular files.
std::map<QString, QString> snapshot(const QString &folder)
{
    std::map<QString, QString> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            continue;
        QString entry = QString::number(info.st_mode, 8);
        if (S_ISLNK(info.st_mode))
            entry += u" -> "_qs + QFileInfo(path).symLinkTarget();
        else if (S_ISREG(info.st_mode))
            entry += u' ' + QString::fromLatin1(twtest::readBytes(path).toHex());
        entries[path.mid(folder.size())] = entry;
    }
    return entries;
}

QString writeFault(const Tool &tool, const QString &path, const QString &reason)
{
    return said(tool, u"文件写入失败："_qs + path + u"（"_qs + reason + u"）"_qs);
}

class ToolFileFaults : public twtest::FolderTest
{
  protected:
    void SetUp() override
    {
        m_peer = twtest::havePeer(u"srec_cat"_qs);
        if (!m_peer && qgetenv("CI") == "true")
            FAIL() << "srec_cat is not installed";
    }
    bool skipped(const Tool &tool) const { return tool.peer && !m_peer; }

    // A run that must refuse: the one message, exit 1, the folder as it was.
    void expectRefused(const ToolFolder &work, const QString &folder, const QString &message,
                       bool withoutOverride = false)
    {
        const std::map<QString, QString> before = snapshot(folder);
        const DriverRun run = drive(work.arguments(), withoutOverride);
        EXPECT_EQ(run.exitCode, work.tool().faultExit);
        EXPECT_EQ(run.out.toStdString(), message.toStdString());
        EXPECT_EQ(snapshot(folder), before);
    }

  private:
    bool m_peer = true;
};

} // namespace

// The table's conv rows and the driver's usage line name the same tools: a tool without a row
// would go untested, a row the usage line leaves out runs a tool the usage hides. Each is named.
TEST(ToolFileFaultTable, MatchesTheConvToolsOfTheUsageLine)
{
    const std::string_view usage = twdrive::usageOf("conv"); // "conv a|b|c ARGS..."
    const QStringList names =
        QString::fromUtf8(usage.data(), static_cast<qsizetype>(usage.size())).section(u' ', 1, 1).split(u'|');
    const std::vector<Tool> rows = tools();
    for (const QString &name : names) {
        const bool found = std::any_of(rows.begin(), rows.end(),
                                       [&name](const Tool &tool) { return tool.conv && tool.name == name; });
        EXPECT_TRUE(found) << "no row for conv " << name.toStdString();
    }
    for (const Tool &tool : rows)
        EXPECT_TRUE(!tool.conv || names.contains(tool.name))
            << "conv " << tool.name.toStdString() << " is not in the driver's usage line";
}

TEST_F(ToolFileFaults, OutputsNoToolCanWriteAreNamedAndLeaveEverythingAsItWas)
{
    struct Obstacle {
        const char *what;
        QString reason;
        std::function<void(const QString &path)> place;
        bool withoutOverride = false;
    };
    const Obstacle obstacles[] = {
        {"a folder in the way", u"已有同名的文件夹"_qs, [](const QString &p) { QDir().mkpath(p); }},
        {"a pipe", u"这是设备或管道，不是普通文件"_qs,
         [](const QString &p) { ::mkfifo(QFile::encodeName(p).constData(), 0644); }},
        {"a loop of links", u"符号链接层数过多"_qs, [](const QString &p) { QFile::link(p, p); }},
        // As a shell's ">" would: a file the user may not write is not replaced behind its back.
        {"a read-only file", u"文件是只读的，没有写入权限"_qs,
         [](const QString &p) {
             twtest::writeBytes(p, "mine");
             ::chmod(QFile::encodeName(p).constData(), 0444);
         },
         true},
    };
    int row = 0;
    for (const Tool &tool : tools()) {
        if (skipped(tool))
            continue;
        for (const Obstacle &obstacle : obstacles) {
            // The first file of the run, and the last one: the first stays unwritten either way.
            for (const QString &blocked : {tool.output, tool.lastOutput}) {
                if (blocked.isEmpty())
                    continue;
                SCOPED_TRACE((trace(tool) + u": "_qs + QLatin1String(obstacle.what) + u" at "_qs + blocked)
                                 .toStdString());
                const QString folder = path(QString::number(++row));
                ToolFolder work(tool, folder);
                obstacle.place(work.path(blocked));
                expectRefused(work, folder, writeFault(tool, work.path(blocked), obstacle.reason),
                              obstacle.withoutOverride);
            }
        }
        if (tool.outputArgument) {
            SCOPED_TRACE((trace(tool) + u": a name too long"_qs).toStdString());
            const QString folder = path(QString::number(++row));
            ToolFolder work(tool, folder);
            work.nameOutput(QString(300, u'n') + u".out"_qs);
            expectRefused(work, folder, writeFault(tool, work.output(), u"文件名太长"_qs));
        }
        {
            SCOPED_TRACE((trace(tool) + u": a read-only folder"_qs).toStdString());
            const QString folder = path(QString::number(++row));
            ToolFolder work(tool, folder);
            twtest::ReadOnlyFolder readOnly(folder);
            if (readOnly.active())
                expectRefused(work, folder, writeFault(tool, work.output(), twtest::folderRefusal(folder)));
        }
        {
            SCOPED_TRACE((trace(tool) + u": a full disk"_qs).toStdString());
            twtest::SmallDisk disk(path(QString::number(++row)));
            if (disk.active()) {
                ToolFolder work(tool, disk.path());
                disk.fill();
                expectRefused(work, disk.path(), writeFault(tool, work.output(), u"磁盘空间已满"_qs));
            }
        }
    }
}

TEST_F(ToolFileFaults, InputsNoToolCanReadAreNamedUnread)
{
    struct Obstacle {
        const char *what;
        QString reason;
        std::function<void(const QString &path)> place;
        bool withoutOverride = false;
    };
    const Obstacle obstacles[] = {
        {"a pipe", u"这是设备或管道，不是普通文件"_qs,
         [](const QString &p) { ::mkfifo(QFile::encodeName(p).constData(), 0644); }},
        {"a folder", u"这是一个文件夹，不是文件"_qs, [](const QString &p) { QDir().mkpath(p); }},
        {"/dev/zero through a link", u"这是设备或管道，不是普通文件"_qs,
         [](const QString &p) { QFile::link(u"/dev/zero"_qs, p); }},
        {"an unreadable file", u"没有访问权限"_qs,
         [](const QString &p) {
             twtest::writeBytes(p, "0A0B");
             QFile::setPermissions(p, {});
         },
         true},
    };
    int row = 0;
    for (const Tool &tool : tools()) {
        if (skipped(tool))
            continue;
        for (const Obstacle &obstacle : obstacles) {
            SCOPED_TRACE((trace(tool) + u": "_qs + QLatin1String(obstacle.what)).toStdString());
            const QString folder = path(QString::number(++row));
            ToolFolder work(tool, folder);
            QFile::remove(work.input());
            obstacle.place(work.input());
            expectRefused(work, folder,
                          said(tool, tool.readFault + work.input() + u"（"_qs + obstacle.reason + u"）"_qs),
                          obstacle.withoutOverride);
        }
    }
}

// A link stays a link and its file gets the result; an existing output keeps its mode, and its ACL
// and attributes where the file system keeps them: the owning group gains nothing of the mask.
TEST_F(ToolFileFaults, LinksAreWrittenThroughAndModesKept)
{
    twtest::writeBytes(path(u"probe"_qs), "");
    const QString noRights = twtest::giveAccessRights(path(u"probe"_qs));
    int row = 0;
    for (const Tool &tool : tools()) {
        if (skipped(tool))
            continue;
        SCOPED_TRACE(trace(tool).toStdString());
        ToolFolder reference(tool, path(QString::number(++row)));
        ASSERT_EQ(drive(reference.arguments()).exitCode, 0);
        QStringList outputs = {tool.output};
        if (!tool.lastOutput.isEmpty())
            outputs << tool.lastOutput;

        ToolFolder linked(tool, path(QString::number(++row)));
        QDir().mkpath(path(u"elsewhere%1"_qs.arg(row)));
        for (const QString &name : outputs) {
            const QString target = path(u"elsewhere%1/"_qs.arg(row) + name);
            twtest::writeBytes(target, "old");
            ASSERT_TRUE(QFile::link(target, linked.path(name)));
        }
        EXPECT_EQ(drive(linked.arguments()).exitCode, 0);
        for (const QString &name : outputs) {
            EXPECT_TRUE(QFileInfo(linked.path(name)).isSymLink()) << name.toStdString();
            EXPECT_EQ(twtest::readBytes(linked.path(name)), twtest::readBytes(reference.path(name)))
                << name.toStdString();
        }

        ToolFolder kept(tool, path(QString::number(++row)));
        std::map<QString, QString> rights;
        for (const QString &name : outputs) {
            twtest::writeBytes(kept.path(name), "old");
            if (noRights.isEmpty()) {
                ASSERT_EQ(twtest::giveAccessRights(kept.path(name)), QString());
            } else {
                ::chmod(QFile::encodeName(kept.path(name)).constData(), 0604);
            }
            rights[name] = twtest::accessRightsOf(kept.path(name));
        }
        EXPECT_EQ(drive(kept.arguments()).exitCode, 0);
        for (const QString &name : outputs) {
            struct stat info;
            ASSERT_EQ(::stat(QFile::encodeName(kept.path(name)).constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, noRights.isEmpty() ? 0660u : 0604u) << name.toStdString();
            EXPECT_EQ(twtest::accessRightsOf(kept.path(name)), rights[name]) << name.toStdString();
            EXPECT_EQ(twtest::readBytes(kept.path(name)), twtest::readBytes(reference.path(name)))
                << name.toStdString();
        }
    }
    if (!noRights.isEmpty()) {
        if (twtest::requiredUnderCi() && noRights.endsWith(u"not installed"))
            FAIL() << noRights.toStdString();
        GTEST_SKIP() << "ACLs and attributes left out: " << noRights.toStdString();
    }
}

// One file under two names is one file: an output named as the input (the same name, a link, a
// hard link) gets the tool's own refusal, and two outputs of one run that are one file get the
// writer's; either way nothing is written.
TEST_F(ToolFileFaults, OutputsThatAreOneFileAreRefused)
{
    const std::pair<const char *, std::function<void(const QString &from, const QString &to)>> names[] = {
        {"the same name", nullptr},
        {"a link", [](const QString &from, const QString &to) { QFile::link(from, to); }},
        {"a hard link",
         [](const QString &from, const QString &to) {
             ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
         }},
    };
    int row = 0;
    for (const Tool &tool : tools()) {
        if (skipped(tool))
            continue;
        if (tool.outputArgument && tool.ownInput.isEmpty()) {
            ADD_FAILURE() << "the table gives no ownInput for " << trace(tool).trimmed().toStdString();
            continue;
        }
        for (const auto &[what, place] : names) {
            SCOPED_TRACE((trace(tool) + u": "_qs + QLatin1String(what)).toStdString());
            if (tool.outputArgument) {
                const QString folder = path(QString::number(++row));
                ToolFolder work(tool, folder);
                work.nameOutput(place ? u"alias"_qs : tool.input);
                if (place)
                    place(work.input(), work.output());
                expectRefused(work, folder, tool.ownInput);
            }
            // dis51 out.lst: the segment list is named out.lst too.
            const bool sameName = !place && tool.name == u"dis51";
            if (!tool.lastOutput.isEmpty() && (place || sameName)) {
                const QString folder = path(QString::number(++row));
                ToolFolder work(tool, folder);
                if (sameName)
                    work.nameOutput(tool.lastOutput);
                twtest::writeBytes(work.output(), "mine");
                if (place)
                    place(work.output(), work.path(tool.lastOutput));
                expectRefused(work, folder,
                              !tool.ownOutputs.isEmpty()
                                  ? tool.ownOutputs
                                  : writeFault(tool, work.path(tool.lastOutput),
                                               u"与输出文件 "_qs + work.output() + u" 是同一个文件"_qs));
            }
        }
    }
}

// In a folder whose rule finds a name in other spellings (FAT, exFAT, a casefold folder: here the
// driver's stand-in for its probe), an output under another spelling of an input is the input,
// and dis51's list under another spelling of its output is that output.
TEST_F(ToolFileFaults, SpellingsTheFoldersRuleFindsAsOneAreOneFile)
{
    const QString root = QFileInfo(path(QString())).canonicalFilePath();
    const auto unset = qScopeGuard([] { qunsetenv("TW_TEST_NAME_RULE"); });
    // Full-width, as a Chinese input method types them; the folder spelled apart; é against
    // E + U+0301 where the folder also normalises.
    const std::tuple<QString, QString, char> spellings[] = {
        {u"程序ａ"_qs, u"程序Ａ"_qs, '1'}, {u"dé/p"_qs, u"dÉ/p"_qs, '1'}, {u"\u00e9"_qs, u"E\u0301"_qs, '3'}};
    int row = 0;
    for (const Tool &tool : tools()) {
        if (skipped(tool) || !tool.outputArgument)
            continue;
        for (const auto &[a, b, rule] : spellings) {
            SCOPED_TRACE((trace(tool) + u": "_qs + a + u' ' + b).toStdString());
            qputenv("TW_TEST_NAME_RULE", rule + (u':' + root).toUtf8());
            const QString folder = path(QString::number(++row)),
                          suffix = u'.' + QFileInfo(tool.input).suffix();
            Tool spelled = tool;
            spelled.input = a + suffix;
            QDir().mkpath(QFileInfo(folder + u'/' + a).path());
            QDir().mkpath(QFileInfo(folder + u'/' + b).path());
            ToolFolder work(spelled, folder);
            work.nameOutput(b + suffix);
            expectRefused(work, folder, tool.ownInput);
        }
    }
    const Tool dis51 = disassembler(u"dis51"_qs, u"out.lst"_qs, {});
    Tool fromList = dis51;
    fromList.input = u"程序ａ.lst"_qs;
    ToolFolder input(fromList, path(u"input"_qs)), outputs(dis51, path(u"outputs"_qs));
    input.nameOutput(u"程序Ａ.asm"_qs);
    expectRefused(input, path(u"input"_qs), u": 反汇编的附带文件不可以与待反汇编的文件同名！\n"_qs);
    outputs.nameOutput(u"out.lſt"_qs); // ſ folds to s
    expectRefused(outputs, path(u"outputs"_qs),
                  writeFault(dis51, outputs.path(u"out.lst"_qs),
                             u"与输出文件 "_qs + outputs.output() + u" 是同一个文件"_qs));
}

// Porting's report goes beside its output in the output's folder, under the name the
// disassemblers give their side files; compare's report.txt, which may be the user's own file, is
// replaced only with consent.
TEST_F(ToolFileFaults, SideReportsStayBesideTheirOutputAndAreAskedFor)
{
    const QString folder = path(u"port"_qs);
    QDir().mkpath(folder + u"/sub"_qs);
    const QString source = folder + u"/p48.asm"_qs;
    twtest::writeBytes(source, "\tMOVD\tP4,A\r\n");
    const struct {
        QString output, report;
    } names[] = {{u"sub/ab"_qs, u"sub/ab.err"_qs},
                 {u"sub/x.s"_qs, u"sub/x.s.err"_qs},
                 {u"sub/x.asm"_qs, u"sub/x.err"_qs}};
    for (const auto &name : names) {
        SCOPED_TRACE(name.output.toStdString());
        const std::map<QString, QString> before = snapshot(folder);
        EXPECT_EQ(drive({u"conv"_qs, u"port48"_qs, source, folder + u'/' + name.output}).exitCode, 0);
        std::map<QString, QString> after = snapshot(folder);
        EXPECT_TRUE(after.erase(u'/' + name.output));
        EXPECT_TRUE(after.count(u'/' + name.report));
        after.erase(u'/' + name.report);
        EXPECT_EQ(after, before);
    }

    const QString a = path(u"a.bin"_qs);
    twtest::writeBytes(a, "\x01\x02");
    twtest::writeBytes(path(u"b.bin"_qs), "\x01\x03");
    const QString report = path(u"report.txt"_qs);
    twtest::writeBytes(report, "my own notes\r\n");
    const QStringList compare = {u"conv"_qs, u"compare"_qs, a, path(u"b.bin"_qs)};
    const DriverRun declined = drive(compare + QStringList{u"--no"_qs});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_EQ(declined.out, u"信息: 文件已存在！ 覆盖吗？\n信息: 结果未保存，原有文件未改动。\n"_qs);
    EXPECT_EQ(twtest::readBytes(report), QByteArray("my own notes\r\n"));
    const DriverRun agreed = drive(compare);
    EXPECT_EQ(agreed.exitCode, 0);
    EXPECT_TRUE(agreed.out.contains(u"\n信息: 文件已存在！ 覆盖吗？\n"_qs)) << agreed.out.toStdString();
    EXPECT_TRUE(twtest::readBytes(report).endsWith("0001H:\t02\t03\r\n\r\n"));
}

// Hex files without a single data byte, in every format and with either fill: refused naming the
// user's file, an existing output kept; and nothing of the converter's left in TMPDIR, whose
// private folder also holds the Intel step's file.
TEST_F(ToolFileFaults, HexFilesWithoutDataAreRefusedPerFormat)
{
    const struct {
        const char *format;
        std::vector<QByteArray> files; // empty, blank, header or end records only
    } rows[] = {
        {"i", {"", "\r\n \r\n", ":00000001FF\r\n", ":020000040000FA\r\n:00000001FF\r\n"}},
        {"m", {"", "\n\n", "S0030000FC\n", "S9030000FC\n", "S0030000FC\nS5030000FC\nS9030000FC\n"}},
        {"t", {"", "\t\r\n", "/00000000\r\n"}},
        {"x", {"", "\r\n\r\n", "K0007TWF\r\n", ":\r\n", "K0007TWF\r\n:\r\n"}},
        {"s", {"", " \r\n\r\n"}},
    };
    const auto hex2bin = [](const QByteArray &bytes, const QString &format, const QString &fill) {
        return Tool{.name = u"hex2bin"_qs,
                    .input = u"in.hex"_qs,
                    .bytes = bytes,
                    .output = u"out.bin"_qs,
                    .extra = {format, fill},
                    .peer = format != u"s"_qs,
                    .ownInput = kConvertOwnInput};
    };
    const QString tmp = path(u"tmp"_qs);
    QDir().mkpath(tmp);
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp));
    int row = 0;
    for (const auto &format : rows) {
        for (const QByteArray &bytes : format.files) {
            for (const char *fill : {"0", "1"}) {
                const Tool tool =
                    hex2bin(bytes, QString::fromLatin1(format.format), QString::fromLatin1(fill));
                if (skipped(tool))
                    continue;
                SCOPED_TRACE((trace(tool) + u": "_qs + QString::fromLatin1(bytes.toHex())).toStdString());
                const QString folder = path(QString::number(++row));
                ToolFolder work(tool, folder);
                twtest::writeBytes(work.output(), "old");
                expectRefused(work, folder, said(tool, u"转换失败！ 文件中没有数据："_qs + work.input()));
            }
        }
    }
    // A broken TI-Tagged file is named as the user's, not as the Intel step's.
    const Tool broken = hex2bin("K0000 broken\r\n", u"x"_qs, u"1"_qs);
    if (!skipped(broken)) {
        ToolFolder work(broken, path(QString::number(++row)));
        const DriverRun run = drive(work.arguments());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.startsWith(kInfo + u": 转换失败！ srec_cat: "_qs + work.input() + u':'))
            << run.out.toStdString();
    }
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

namespace
{

// Stands in for hexbin.sh: tells the test its process group, then waits in a child, as the real
// script waits for srec_cat, before it writes the target.
const QByteArray kWaitingConverter =
    "sleep \"$TW_TEST_HOLD\" &\n"
    "echo $$ > \"$TW_TEST_MARK.new\" && mv \"$TW_TEST_MARK.new\" \"$TW_TEST_MARK\"\n"
    "wait $!\n"
    "cp \"$2\" \"$3\"\n";

// The processes of a group that still run (zombies left aside), as /proc shows them.
QList<int> runningInGroup(pid_t group)
{
    QList<int> running;
    for (const QString &pid : QDir(u"/proc"_qs).entryList(QDir::Dirs)) {
        const QByteArray stat = twtest::readBytes(u"/proc/"_qs + pid + u"/stat"_qs);
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" && fields[2].toInt() == group)
            running << pid.toInt();
    }
    return running;
}

bool settles(const std::function<bool()> &done)
{
    for (int i = 0; i < 500 && !done(); ++i)
        ::usleep(10000);
    return done();
}

// twdrive conv hex2bin on the waiting converter, with a temporary folder of its own and the
// interrupts at their defaults (a shell may start its background jobs with SIGINT ignored).
class HeldConversion
{
  public:
    HeldConversion(const QString &folder, const QString &temp, int holdSeconds,
                   const QStringList &wrapper = {})
        : m_folder(folder)
    {
        QDir().mkpath(folder + u"/program/converter"_qs);
        twtest::writeBytes(folder + u"/program/converter/hexbin.sh"_qs, kWaitingConverter);
        twtest::writeBytes(folder + u"/in.hex"_qs, ":020000000A0BE9\r\n:00000001FF\r\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TMPDIR"_qs, temp);
        environment.insert(u"TW_PROGRAM_FOLDER"_qs, folder + u"/program"_qs);
        environment.insert(u"TW_TEST_MARK"_qs, folder + u"/group"_qs);
        environment.insert(u"TW_TEST_HOLD"_qs, QString::number(holdSeconds));
        m_process.setProcessEnvironment(environment);
        m_process.setChildProcessModifier([] {
            for (const int signal : {SIGINT, SIGTERM, SIGHUP})
                ::signal(signal, SIG_DFL);
        });
        const QStringList args = wrapper + QStringList{QStringLiteral(TW_TWDRIVE),
                                                       u"conv"_qs,
                                                       u"hex2bin"_qs,
                                                       folder + u"/in.hex"_qs,
                                                       output(),
                                                       u"i"_qs,
                                                       u"0"_qs};
        m_process.start(args.first(), args.mid(1));
        m_process.waitForStarted();
    }
    pid_t pid() const { return static_cast<pid_t>(m_process.processId()); }
    // The converter's process group, once the script runs; 0 when it never ran.
    pid_t group() const
    {
        const QString mark = m_folder + u"/group"_qs;
        return settles([&] { return QFileInfo::exists(mark); }) ? twtest::readBytes(mark).trimmed().toInt()
                                                                : 0;
    }
    // How the driver ended: "exit N", or "signal N" (Qt gives a crashed process's signal as its code).
    std::string ended()
    {
        if (!m_process.waitForFinished(30000))
            return "still running";
        return (m_process.exitStatus() == QProcess::CrashExit ? "signal " : "exit ") +
               std::to_string(m_process.exitCode());
    }
    QString output() const { return m_folder + u"/out.bin"_qs; }
    std::string said() { return m_process.readAllStandardOutput().toStdString(); }

  private:
    QString m_folder;
    QProcess m_process;
};

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

std::string entries(const QString &folder)
{
    return listing(folder).join(u' ').toStdString();
}

} // namespace

// An interrupt while the converter runs ends the script's whole group and removes the private
// folder, a whole copy of the user's input, before the signal ends the driver; a signal the driver
// ignores stays ignored.
TEST_F(ToolFileFaults, AnInterruptedConverterLeavesNoFolderAndNoProcess)
{
    int row = 0;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(::strsignal(signal));
        const QString temp = path(u"tmp%1"_qs.arg(++row));
        QDir().mkpath(temp);
        HeldConversion run(path(QString::number(row)), temp, 60);
        const pid_t group = run.group();
        ASSERT_GT(group, 0);
        ::kill(run.pid(), signal);
        EXPECT_EQ(run.ended(), "signal " + std::to_string(signal));
        EXPECT_EQ(entries(temp), "");
        EXPECT_TRUE(settles([group] { return runningInGroup(group).isEmpty(); }));
        EXPECT_EQ(run.said(), "");
        EXPECT_FALSE(QFileInfo::exists(run.output()));
        if (!runningInGroup(group).isEmpty())
            ::kill(-group, SIGKILL);
    }

    const QString temp = path(u"tmp-ignored"_qs);
    QDir().mkpath(temp);
    HeldConversion run(path(u"ignored"_qs), temp, 1, {u"env"_qs, u"--ignore-signal=HUP"_qs});
    ASSERT_GT(run.group(), 0);
    ::kill(run.pid(), SIGHUP);
    EXPECT_EQ(run.ended(), "exit 0");
    EXPECT_EQ(run.said(), "信息: 转换完成！\n");
    EXPECT_EQ(entries(temp), "");
}

// A caller killed outright runs no handler: its script ends with it, and the next conversion
// removes its folder, as it removes a lock left without a folder and a folder left without a lock.
// Only this user's folders of ended runs go: one whose lock a live run holds (wherever that run
// is), another user's, and names of other patterns stay.
TEST_F(ToolFileFaults, TheNextConversionRemovesTheFolderOfAKilledOne)
{
    const QString temp = path(u"tmp"_qs);
    const auto make = [&temp](const QString &name) {
        QDir().mkpath(temp + u'/' + name);
        twtest::writeBytes(temp + u'/' + name + u"/ls.hex"_qs, "copy");
    };
    for (const QString &name :
         {u"tw-converter-LiveRun001"_qs, u"tw-converter-short"_qs, u"twdrive-a1B2c3"_qs})
        make(name);
    tw::RunLock live;
    ASSERT_EQ(live.hold(AT_FDCWD, tw::nativePath(temp + u"/tw-converter-LiveRun001.lock"_qs)), 0);
    if (::geteuid() == 0) {
        make(u"tw-converter-OtherUser1"_qs);
        twtest::writeBytes(temp + u"/tw-converter-OtherUser1.lock"_qs, QByteArray());
        for (const QString &name : {u"tw-converter-OtherUser1"_qs, u"tw-converter-OtherUser1/ls.hex"_qs,
                                    u"tw-converter-OtherUser1.lock"_qs})
            ASSERT_EQ(::chown(QFile::encodeName(temp + u'/' + name).constData(), 65534, 65534), 0);
    }
    const std::string kept = entries(temp);

    HeldConversion killed(path(u"killed"_qs), temp, 60);
    const pid_t group = killed.group();
    ASSERT_GT(group, 0);
    make(u"tw-converter-NoLock0001"_qs);
    twtest::writeBytes(temp + u"/tw-converter-NoFolder01.lock"_qs, QByteArray());
    ::kill(killed.pid(), SIGKILL);
    EXPECT_EQ(killed.ended(), "signal 9");
    EXPECT_TRUE(settles([group] { return !runningInGroup(group).contains(group); }))
        << "the script outlived its caller";
    // Besides those, the two left without a partner, and the killed run's folder and lock.
    EXPECT_EQ(listing(temp).size(), QString::fromStdString(kept).split(u' ').size() + 4);

    HeldConversion next(path(u"next"_qs), temp, 0);
    EXPECT_EQ(next.ended(), "exit 0");
    EXPECT_EQ(next.said(), "信息: 转换完成！\n");
    EXPECT_EQ(entries(temp), kept);
    ::kill(-group, SIGKILL);
}

// SIGTERM, SIGINT or SIGHUP at any call that makes, uses or removes the converter's private folder,
// its lock or the lock's draft (every call, the script's and srec_cat's too, that names the
// temporary folder or something in it; the sweep of an ended run's folder among them): nothing of
// the run's folder is left when it has ended, and the ended run's folder is gone or stands whole.
// Also where the temporary folder refuses locks, and the lock is a record.
TEST_F(ToolFileFaults, ASignalAtAnyCallOfThePrivateFolderLeavesNothingOfIt)
{
    TW_REQUIRE_PROGRAMS(u"strace"_qs);
    TW_REQUIRE_PEER("srec_cat");
    const twtest::NoLeakCheckUnderStrace noLeakCheck;
    twtest::writeBytes(path(u"x.bin"_qs), QByteArray(300, '\x5a'));
    const auto signalAtEachCall = [this](const QString &temp) {
        const QString ended = temp + u"/tw-converter-EndedRun01"_qs;
        // Each run as the traced one: an ended run's folder to sweep, and no output yet.
        const auto asTraced = [this, &ended] {
            QDir().mkpath(ended);
            twtest::writeBytes(ended + u"/ls.bin"_qs, "copy");
            QFile::remove(path(u"out.hex"_qs));
        };
        const QStringList convert = {u"TMPDIR="_qs + temp,
                                     QStringLiteral(TW_TWDRIVE),
                                     u"conv"_qs,
                                     u"bin2hex"_qs,
                                     u"x.bin"_qs,
                                     u"out.hex"_qs,
                                     u"0"_qs};
        asTraced();
        const std::vector<twtest::TracedCall> calls =
            twtest::callsUnder(temp, u"env"_qs, convert, dir.path());
        const QStringList signalNames = {u"TERM"_qs, u"INT"_qs, u"HUP"_qs};
        int runs = 0;
        for (const twtest::TracedCall &call : calls) {
            const QString signal = signalNames[runs++ % signalNames.size()];
            SCOPED_TRACE(call.name.toStdString() + " #" + std::to_string(call.nth) + " SIG" +
                         signal.toStdString());
            asTraced();
            twtest::runProgram(
                u"strace"_qs,
                twtest::underStrace({u"%1:signal=%2:when=%3"_qs.arg(call.name, signal).arg(call.nth)},
                                    u"env"_qs, convert),
                dir.path());
            const QStringList entries = twtest::settledEntries(temp);
            const bool whole = entries.isEmpty() || (entries == QStringList{QFileInfo(ended).fileName()} &&
                                                     listing(ended) == QStringList{u"ls.bin"_qs});
            EXPECT_TRUE(whole) << entries.join(u' ').toStdString();
        }
        EXPECT_GT(calls.size(), 40u);
    };
    QDir().mkpath(path(u"tmp"_qs));
    signalAtEachCall(path(u"tmp"_qs));
    twtest::EachMount mounts{twtest::mountToTry<twtest::FuseMount>("a temporary folder that refuses locks",
                                                                   twtest::PassSwitches{.noLocks = true})};
    mounts.run([&](twtest::TestMount &mount) { signalAtEachCall(mount.mountPoint()); });
    TW_SKIP_UNTRIED(mounts);
}
