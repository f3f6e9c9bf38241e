// The programmer's commands against the simulated chip: the automatic sequence, blank check,
// read-out, verify, the refusals, the lock-bit boxes, the cable test and a port that failed.
#include "links/Programmer.h"
#include "SimAt89s51.h"
#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;
using twtest::SimAt89s51;
using twtest::VirtualClock;

namespace
{

const QString kReady = QStringLiteral(u"端口已打开，准备传输\r\n");

class ProgrammerTest : public ::testing::Test
{
  protected:
    VirtualClock clock;
    SimAt89s51 chip{clock};
    ProgrammerMemory memory;
    Programmer programmer{memory, chip, clock};
    QTemporaryDir dir;

    void SetUp() override
    {
        ASSERT_TRUE(programmer.startPort());
        programmer.programmingEnable();
    }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        twtest::writeBytes(path, bytes);
        return path;
    }
    void load(const QByteArray &bytes)
    {
        ASSERT_EQ(programmer.openFile(file(QStringLiteral("code.bin"), bytes)), Programmer::FileLoad::Loaded);
    }
    QByteArray flash(int length) const
    {
        return QByteArray(reinterpret_cast<const char *>(chip.flash.data()), length);
    }
    void fillChip(std::uint8_t value) { chip.flash.fill(value); }
};

QByteArray pattern(int length)
{
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(static_cast<char>((i * 7 + 3) & 0xFF));
    return bytes;
}

} // namespace

TEST_F(ProgrammerTest, StartingThePortLogsReadyAndProgrammingEnableShowsTheChipsAnswer)
{
    EXPECT_EQ(programmer.logText(), kReady);
    EXPECT_EQ(programmer.boxText(), kReady + QStringLiteral(u"编程使能：  00000069\r\n"));
    EXPECT_TRUE(chip.enabled());
}

TEST_F(ProgrammerTest, AutomaticSequenceProgramsVerifiesAndReadsBackTheFile)
{
    fillChip(0x00);
    programmer.blankCheck();
    EXPECT_TRUE(programmer.boxText().endsWith(QStringLiteral(u"芯片非空\r\n")));

    const QByteArray code = pattern(4096);
    load(code);
    programmer.automatic({});
    EXPECT_EQ(programmer.boxText(),
              kReady + QStringLiteral(u"芯片擦除 OK\r\n写入 OK\r\n校验 OK\r\n写加密位 OK\r\n"));
    EXPECT_EQ(flash(4096), code);
    EXPECT_EQ(chip.lockBits(), 0);

    programmer.readOut();
    EXPECT_EQ(programmer.dataLength(), 4096);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(programmer.buffer().bytes.data()), 4096), code);
    EXPECT_TRUE(programmer.boxText().endsWith(QStringLiteral(u"读出 OK\r\n")));
    EXPECT_TRUE(chip.timingFaults.isEmpty()) << chip.timingFaults.first().toStdString();

    programmer.erase();
    programmer.blankCheck();
    EXPECT_EQ(programmer.boxText(), kReady + QStringLiteral(u"芯片空\r\n"));
}

TEST_F(ProgrammerTest, ShortFileLeavesTheRestErasedAndTheLockBitsAsChosen)
{
    load(QByteArray("\x02\x00\x30", 3));
    programmer.automatic({true, true, false});
    EXPECT_EQ(flash(4), QByteArray("\x02\x00\x30\xFF", 4));
    EXPECT_EQ(chip.lockBits(), 3);
    programmer.verify();
    EXPECT_EQ(programmer.boxText(),
              programmer.logText() + QStringLiteral(u"二级加密\r\n已加密，不可校验\r\n"));
    programmer.readOut();
    EXPECT_TRUE(programmer.boxText().endsWith(QStringLiteral(u"二级加密\r\n已加密，不可读出\r\n")));
    EXPECT_EQ(programmer.dataLength(), 3);
}

TEST_F(ProgrammerTest, EmptyBufferAutomaticErasesLogsBothMissingLinesAndStillLocks)
{
    fillChip(0x00);
    programmer.clearBuffer();
    programmer.automatic({});
    EXPECT_EQ(programmer.boxText(),
              kReady + QStringLiteral(u"芯片擦除 OK\r\n缺少写入的数据\r\n缺少校验的数据\r\n写加密位 OK\r\n"));
    EXPECT_EQ(chip.flash[100], 0xFF);
    EXPECT_EQ(chip.received.size() % 4, 0u);
}

TEST_F(ProgrammerTest, AutomaticSequenceDoesNotLockAChipThatFailedVerify)
{
    chip.brokenAddress = 5; // a cell that no longer programs
    load(pattern(16));
    programmer.automatic({true, true, true});
    EXPECT_EQ(programmer.boxText(),
              kReady + QStringLiteral(u"芯片擦除 OK\r\n写入出错：0005H\r\n校验出错\r\n"));
    EXPECT_EQ(chip.lockBits(), 0);

    chip.brokenAddress = -1;
    programmer.automatic({true, true, true});
    EXPECT_EQ(programmer.boxText(),
              kReady + QStringLiteral(u"芯片擦除 OK\r\n写入 OK\r\n校验 OK\r\n写加密位 OK\r\n"));
    EXPECT_EQ(chip.lockBits(), 7);
}

TEST_F(ProgrammerTest, BlankCheckClocksOutTheRestOfThePageSoTheNextInstructionIsDecoded)
{
    fillChip(0xFF);
    chip.flash[0] = 0x00;
    programmer.blankCheck();
    EXPECT_TRUE(programmer.boxText().endsWith(QStringLiteral(u"芯片非空\r\n")));
    programmer.erase();
    EXPECT_EQ(chip.flash[0], 0xFF);
}

TEST_F(ProgrammerTest, NotBlankKeepsTheEarlierBoxLinesAndBlankShowsOnlyTheReadyLine)
{
    fillChip(0xFF);
    chip.flash[4095] = 0x01;
    programmer.erase(); // a kept line in the box
    chip.flash[4095] = 0x01;
    const QString shown = programmer.boxText();
    programmer.blankCheck();
    EXPECT_EQ(programmer.boxText(), shown + QStringLiteral(u"芯片非空\r\n"));
    EXPECT_EQ(programmer.logText(), kReady);
}

TEST_F(ProgrammerTest, BuffersOverTheChipsSizeAreRefusedForWriteAndVerify)
{
    load(pattern(4097));
    const int framesBefore = static_cast<int>(chip.received.size());
    EXPECT_EQ(programmer.write(), Programmer::Step::Failed);
    EXPECT_TRUE(programmer.logText().endsWith(QStringLiteral(u"数据超过4096字节，不能写入\r\n")));
    EXPECT_EQ(static_cast<int>(chip.received.size()), framesBefore);
    EXPECT_EQ(programmer.verify(), Programmer::Step::Failed);
    EXPECT_TRUE(programmer.logText().endsWith(QStringLiteral(u"数据超过4096字节，不能校验\r\n")));
    programmer.automatic({true, false, false});
    EXPECT_EQ(chip.lockBits(), 0);
}

TEST_F(ProgrammerTest, FilesBinaryBufferDumpAndSave)
{
    EXPECT_EQ(programmer.openFile(file(QStringLiteral("a.Bin"), "x")), Programmer::FileLoad::NotBin);
    EXPECT_EQ(programmer.openFile(file(QStringLiteral("big.bin"), QByteArray(65537, 'x'))),
              Programmer::FileLoad::TooLong);
    EXPECT_EQ(programmer.openFile(dir.filePath(QStringLiteral("missing.bin"))),
              Programmer::FileLoad::Unreadable);
    EXPECT_EQ(programmer.openFile(file(QStringLiteral("A.BIN"), QByteArray(17, '\x11'))),
              Programmer::FileLoad::Loaded);
    EXPECT_EQ(programmer.dump(), QStringLiteral("0000H: 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11\r\n"
                                                "0010H: 11\r\n"));
    EXPECT_EQ(bufferDump(programmer.buffer(), 16).count(QStringLiteral("\r\n")), 1);
    EXPECT_EQ(bufferDump(programmer.buffer(), 0), QString());

    const auto save = [this](const QString &path) {
        ScriptedPrompter prompter;
        return carryOut(programmer.bufferFile(path), prompter).result == WriteResult::Written;
    };
    const QString saved = dir.filePath(QStringLiteral("out.bin"));
    twtest::writeBytes(saved, "old contents that are longer");
    ASSERT_TRUE(save(saved));
    EXPECT_EQ(twtest::readBytes(saved), QByteArray(17, '\x11'));
    programmer.clearBuffer();
    ASSERT_TRUE(save(saved));
    EXPECT_EQ(twtest::readBytes(saved), QByteArray());
    EXPECT_FALSE(save(dir.filePath(QStringLiteral("no/such/folder/x.bin"))));
}

TEST_F(ProgrammerTest, CableTestSetsOneLineAtATimeAndReadsMiso)
{
    memory.mosiHigh = memory.sckHigh = false;
    programmer.enterCableTest();
    EXPECT_EQ(programmer.boxText(), kReady);
    const std::uint8_t before = programmer.link().outValue();
    programmer.setCableLine(CableLine::MosiHigh);
    programmer.setCableLine(CableLine::SckHigh);
    EXPECT_EQ(programmer.link().outValue(), before & 0xFC);
    EXPECT_EQ(chip.writes.back(), before & 0xFC);
    EXPECT_EQ(programmer.boxText(), kReady + QStringLiteral(u"输出 MOSI=1\r\n输出 SCK=1\r\n"));
    programmer.setCableLine(CableLine::MosiLow);
    EXPECT_EQ(programmer.link().outValue() & 3, 1);
    EXPECT_EQ(programmer.boxText(), kReady + QStringLiteral(u"输出 MOSI=0\r\n输出 SCK=1\r\n"));
    programmer.readMiso();
    EXPECT_TRUE(programmer.boxText().endsWith(u"输出 SCK=1\r\n输入 MISO=0\r\n"_qs) ||
                programmer.boxText().endsWith(u"输出 SCK=1\r\n输入 MISO=1\r\n"_qs));
    programmer.setCableLine(CableLine::SckLow);
    EXPECT_FALSE(programmer.boxText().contains(QStringLiteral("MISO")));

    chip.received.clear();
    programmer.leaveCableTest();
    EXPECT_EQ(programmer.boxText(), kReady);
    EXPECT_EQ(chip.received.size(), 4u);
}

TEST(LockBoxes, StayCumulative)
{
    EXPECT_EQ(lockBoxesAfterClick({false, false, false}, 2, true), (LockBits{true, true, true}));
    EXPECT_EQ(lockBoxesAfterClick({true, true, true}, 1, false), (LockBits{true, false, false}));
    EXPECT_EQ(lockBoxesAfterClick({true, true, true}, 0, false), (LockBits{false, false, false}));
    EXPECT_EQ(lockBoxesAfterClick({false, false, false}, 1, true), (LockBits{true, true, false}));
    EXPECT_EQ(lockBoxesAfterClick({true, true, true}, 2, false), (LockBits{true, true, false}));
    EXPECT_EQ(lockBoxesAfterClick({false, false, false}, 0, true), (LockBits{true, false, false}));
}

TEST(ProgrammerPortFailure, EveryChipCommandSaysThePortIsNotOpenAndNothingReportsOk)
{
    VirtualClock clock;
    SimAt89s51 chip(clock);
    chip.setOpenFails(true);
    ProgrammerMemory memory;
    memory.logText = QStringLiteral("earlier\r\n");
    Programmer programmer(memory, chip, clock);
    EXPECT_FALSE(programmer.startPort());
    EXPECT_EQ(programmer.logText(), QStringLiteral("earlier\r\n"));
    programmer.programmingEnable();
    programmer.blankCheck();
    programmer.erase();
    programmer.write();
    programmer.verify();
    programmer.lock({true, false, false});
    programmer.readOut();
    programmer.automatic({});
    programmer.enterCableTest();
    programmer.setCableLine(CableLine::MosiHigh);
    programmer.readMiso();
    programmer.leaveCableTest();
    const QString line = QStringLiteral(u"端口未打开，不能进行传输\r\n");
    EXPECT_EQ(programmer.boxText(), QStringLiteral("earlier\r\n") + line.repeated(11));
    EXPECT_FALSE(programmer.boxText().contains(QStringLiteral("OK")));
    EXPECT_TRUE(chip.writes.empty());
    EXPECT_EQ(chip.statusReads, 0);
}

TEST(ProgrammingEnable, LogsTheFourBytesTheStatusLineGivesWithoutChangingTheLog)
{
    for (auto [status, bytes] : {std::pair{0x10, "00000000"}, {0x00, "FFFFFFFF"}, {0xEF, "FFFFFFFF"}}) {
        VirtualClock clock;
        twtest::RecordingPort port(static_cast<std::uint8_t>(status));
        ProgrammerMemory memory;
        Programmer programmer(memory, port, clock);
        ASSERT_TRUE(programmer.startPort());
        programmer.programmingEnable();
        EXPECT_EQ(programmer.boxText(), kReady + QStringLiteral(u"编程使能：  ") +
                                            QString::fromLatin1(bytes) + QStringLiteral("\r\n"));
        EXPECT_EQ(programmer.logText(), kReady);
        EXPECT_EQ(port.writes.size(), 4u * 8 * 3);
    }
}
