// The headless driver's front: dis51 and dis48 run in it without Qt and write and say what the
// conversion window's disassembly and its writer write and say; every other command is found in its
// module, and a missing module is named.
#include "support/TestFiles.h"

#include "base/HexDigits.h"
#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "disassembler/Disassemble48.h"
#include "disassembler/Disassemble51.h"
#include "disassembler/common/DisasmText.h"
#include "isa/Mcs48.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace
{

QByteArray randomImage(int length, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(length, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

// What the driver prints for the window's message boxes: "TITLE: TEXT", CR LF made a blank.
QByteArray printed(const tw::ScriptedPrompter &prompter)
{
    QString text;
    for (const tw::ScriptedPrompter::Call &call : prompter.calls())
        text += call.title + u": "_qs + QString(call.text).replace(u"\r\n"_qs, u" "_qs) + u'\n';
    return text.toUtf8();
}

struct Case {
    const char *name;
    QByteArray image;
    QString start, end;
    QString out = u"out.asm"_qs;
};

// Each case through the window's disassembly (its paths and address boxes as the window's Start
// command gives them) and its writer, and through the driver: the same exit, the same messages,
// the same files.
template <typename Job, typename Result>
void expectTheFrontWritesWhatTheWindowWrites(const QString &command, const std::vector<Case> &cases,
                                             Result (*disassemble)(const Job &))
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir window, driver;
        ASSERT_TRUE(window.isValid() && driver.isValid());
        twtest::writeBytes(window.filePath(u"in.bin"_qs), c.image);
        twtest::writeBytes(driver.filePath(u"in.bin"_qs), c.image);
        Job job;
        job.binPath = tw::nativePath(window.filePath(u"in.bin"_qs));
        job.outPath = tw::nativePath(window.filePath(c.out));
        job.startText = c.start.toStdString();
        job.endText = c.end.toStdString();
        const Result result = disassemble(job);
        tw::ScriptedPrompter prompter;
        tw::carryOut(result.outcome, prompter);
        QStringList args{command, driver.filePath(u"in.bin"_qs), driver.filePath(c.out)};
        if (!c.start.isEmpty())
            args << c.start << c.end;
        const twtest::ProcessResult run = twtest::runDriver(args);
        EXPECT_EQ(run.exitCode, result.status == tw::DisasmStatus::Completed ? 0 : 1);
        // The paths the messages name differ by the folder only.
        EXPECT_EQ(QString::fromUtf8(run.out).replace(driver.path(), window.path()).toUtf8(),
                  printed(prompter));
        const QStringList written = QDir(window.path()).entryList(QDir::Files, QDir::Name);
        EXPECT_EQ(QDir(driver.path()).entryList(QDir::Files, QDir::Name), written);
        for (const QString &name : written)
            EXPECT_EQ(twtest::readBytes(driver.filePath(name)), twtest::readBytes(window.filePath(name)))
                << name.toStdString();
    }
}

TEST(DriverFront, Dis51WritesWhatTheWindowsDisassemblyWrites)
{
    const std::vector<Case> cases = {
        {"random 24 KB from 0000H", randomImage(24 * 1024, 1), {}, {}},
        {"random 8 KB in a range", randomImage(8 * 1024, 2), u"0100"_qs, u"1800"_qs},
        {"a range beyond the image", randomImage(4 * 1024, 3), u"0F00"_qs, u"2000"_qs},
        {"start past end fails", randomImage(1024, 4), u"0300"_qs, u"0200"_qs},
        {"non-ASCII address text and output name", randomImage(4096, 5), u"中1"_qs, u"2😀"_qs,
         u"反汇编.a😀"_qs},
        {"too long", randomImage(65537, 6), {}, {}},
    };
    expectTheFrontWritesWhatTheWindowWrites(u"dis51"_qs, cases, &tw::disassemble51);
}

// Random bytes of the opcodes the MCS-48 table defines: every byte decodes, whatever the flow.
QByteArray randomMcs48Code(int length, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(length, '\0');
    for (char &byte : bytes) {
        do
            byte = static_cast<char>(random());
        while (!tw::mcs48::kOpcodes[static_cast<std::uint8_t>(byte)].defined());
    }
    return bytes;
}

TEST(DriverFront, Dis48WritesWhatTheWindowsDisassemblyWrites)
{
    const std::vector<Case> cases = {
        {"code of 2 KB from 0000H", randomMcs48Code(2048, 1), {}, {}},
        {"code of 4 KB in a range", randomMcs48Code(4096, 2), u"0100"_qs, u"0E00"_qs},
        {"undefined opcodes: the label dump", randomImage(1024, 3), {}, {}},
        {"start past end fails", randomMcs48Code(1024, 4), u"0300"_qs, u"0200"_qs},
        {"non-ASCII address text and output name", randomMcs48Code(3000, 5), u"中1"_qs, u"2😀"_qs,
         u"反汇编.a😀"_qs},
        {"too long", randomMcs48Code(4097, 6), {}, {}},
    };
    expectTheFrontWritesWhatTheWindowWrites(u"dis48"_qs, cases, &tw::disassemble48);
}

// A copy of the front alone, in a folder without the modules.
struct LoneFront {
    QTemporaryDir dir;
    QString program;
    LoneFront() : program(dir.filePath(u"twdrive"_qs))
    {
        QFile::copy(QStringLiteral(TW_TWDRIVE), program);
        QFile(program).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
};

TEST(DriverFront, AMissingModuleIsNamedAndDis51StillRuns)
{
    LoneFront front;
    ASSERT_TRUE(QFileInfo(front.program).isExecutable());
    twtest::writeBytes(front.dir.filePath(u"t.asm"_qs), "NOP\rEND\r");
    const twtest::ProcessResult asm51 =
        twtest::runProgram(front.program, {u"asm51"_qs, u"t.asm"_qs}, front.dir.path());
    EXPECT_EQ(asm51.exitCode, 2);
    EXPECT_TRUE(asm51.out.isEmpty());
    const QByteArray expected = "twdrive: cannot load the module of command asm51: " +
                                front.dir.filePath(u"twdrive_asm.so"_qs).toUtf8();
    EXPECT_TRUE(asm51.err.startsWith(expected)) << asm51.err.toStdString();
    EXPECT_FALSE(QFile::exists(front.dir.filePath(u"t.bin"_qs)));

    twtest::writeBytes(front.dir.filePath(u"in.bin"_qs), QByteArray::fromHex("7401"
                                                                             "80FE"));
    const twtest::ProcessResult dis51 =
        twtest::runProgram(front.program, {u"dis51"_qs, u"in.bin"_qs, u"out.asm"_qs}, front.dir.path());
    EXPECT_EQ(dis51.exitCode, 0) << dis51.err.toStdString();
    EXPECT_TRUE(
        twtest::readBytes(front.dir.filePath(u"out.asm"_qs)).contains("L0: MOV A,#01H\rL7: SJMP L7\r"));
}

// dis48 needs no module either: the lone front disassembles MCS-48 code and writes the label
// dump of a failed run.
TEST(DriverFront, Dis48RunsInTheFrontWithoutAModule)
{
    LoneFront front;
    ASSERT_TRUE(QFileInfo(front.program).isExecutable());
    twtest::writeBytes(front.dir.filePath(u"in.bin"_qs), QByteArray::fromHex("2301"
                                                                             "0400"));
    const twtest::ProcessResult ok =
        twtest::runProgram(front.program, {u"dis48"_qs, u"in.bin"_qs, u"out.asm"_qs}, front.dir.path());
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(twtest::readBytes(front.dir.filePath(u"out.asm"_qs)).contains("L0: MOV A,#01H\rJMP L0\r"))
        << twtest::readBytes(front.dir.filePath(u"out.asm"_qs)).toStdString();

    twtest::writeBytes(front.dir.filePath(u"bad.bin"_qs), QByteArray::fromHex("230101"));
    const twtest::ProcessResult failed =
        twtest::runProgram(front.program, {u"dis48"_qs, u"bad.bin"_qs, u"bad.asm"_qs}, front.dir.path());
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_FALSE(failed.err.contains("module")) << failed.err.toStdString();
    EXPECT_TRUE(QFile::exists(front.dir.filePath(u"bad.err"_qs)));
}

// Every command the usage lists reaches its own code: run without arguments, each answers with
// its own usage or message, never the driver's or a module's "no such command".
TEST(DriverFront, EveryListedCommandIsInItsModule)
{
    const twtest::ProcessResult usage = twtest::runDriver({});
    EXPECT_EQ(usage.exitCode, 2);
    QStringList commands;
    for (const QByteArray &line : usage.err.split('\n'))
        if (line.startsWith("  "))
            commands << QString::fromUtf8(line.trimmed().split(' ').value(0));
    EXPECT_EQ(commands,
              (QStringList{u"asm48"_qs, u"asm51"_qs, u"baud"_qs, u"conv"_qs, u"dis48"_qs, u"dis51"_qs,
                           u"irq"_qs, u"isp"_qs, u"send"_qs, u"sim51"_qs, u"timer"_qs, u"unicode"_qs}));
    for (const QString &command : commands) {
        SCOPED_TRACE(command.toStdString());
        const twtest::ProcessResult run = twtest::runDriver({command});
        EXPECT_NE(run.exitCode, 0);
        EXPECT_FALSE(run.err.contains("module")) << run.err.toStdString();
        EXPECT_FALSE(run.err.startsWith("usage: twdrive COMMAND")) << run.err.toStdString();
    }
}

// The front starts without Qt, and the assembler's module without the serial port and SQL.
TEST(DriverFront, TheFrontLoadsNoQtAndTheAssemblerNoSerialPortOrSql)
{
    const QString folder = QFileInfo(QStringLiteral(TW_TWDRIVE)).absolutePath();
    const twtest::ProcessResult front = twtest::runProgram(u"ldd"_qs, {QStringLiteral(TW_TWDRIVE)});
    ASSERT_EQ(front.exitCode, 0);
    EXPECT_FALSE(front.out.contains("Qt")) << front.out.toStdString();
    const twtest::ProcessResult assembler = twtest::runProgram(u"ldd"_qs, {folder + u"/twdrive_asm.so"_qs});
    ASSERT_EQ(assembler.exitCode, 0);
    EXPECT_TRUE(assembler.out.contains("libQt6Core"));
    EXPECT_FALSE(assembler.out.contains("SerialPort")) << assembler.out.toStdString();
    EXPECT_FALSE(assembler.out.contains("Sql")) << assembler.out.toStdString();
}

TEST(DriverFront, AddressBoxesCountCharactersAsTheWindowDoes)
{
    for (const QString &text : {u""_qs, u"12"_qs, u"FFFF"_qs, u"G1A"_qs, u"中12"_qs, u"1😀2"_qs, u"😀😀A"_qs,
                                u"ab12"_qs, u"12345"_qs}) {
        int expected = 0;
        for (int position = 0; position < 4; ++position) {
            const int digit = position < text.size() ? tw::hexDigitValue(text.at(position).unicode()) : 0;
            expected = expected * 16 + std::max(digit, 0);
        }
        EXPECT_EQ(tw::hexToBin(text.toStdString()), expected) << text.toStdString();
    }
}

} // namespace
