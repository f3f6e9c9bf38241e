// The programming link's edges, byte operations and instruction frames, on a recording port and
// on the simulated chip (which decodes exactly the edges the data sheet allows).
#include "links/IspLink.h"
#include "SimAt89s51.h"

#include <gtest/gtest.h>

using namespace tw;
using twtest::RecordingPort;
using twtest::SimAt89s51;
using twtest::VirtualClock;

namespace
{

std::vector<std::uint8_t> bytes(std::initializer_list<int> list)
{
    std::vector<std::uint8_t> out;
    for (int b : list)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

struct SimBench {
    VirtualClock clock;
    SimAt89s51 chip{clock};
    IspLink link{chip, clock};
    SimBench()
    {
        chip.open();
        link.programmingEnable();
        chip.received.clear();
    }
};

} // namespace

TEST(IspLinkBits, WriteByteSetsDataWithClockLowThenRaisesAndLowersTheClock)
{
    VirtualClock clock;
    RecordingPort port;
    port.open();
    IspLink link(port, clock);
    link.writeByte(0xAC); // 1010 1100
    const std::vector<std::uint8_t> expected = bytes({
        0xFE, 0xFC, 0xFF, 0xFF, 0xFD, 0xFF, 0xFE, 0xFC, 0xFF, 0xFF, 0xFD, 0xFF, // 1 0 1 0
        0xFE, 0xFC, 0xFF, 0xFE, 0xFC, 0xFF, 0xFF, 0xFD, 0xFF, 0xFF, 0xFD, 0xFF, // 1 1 0 0
    });
    EXPECT_EQ(port.writes, expected);
    EXPECT_EQ(link.outValue(), 0xFF);
    EXPECT_FALSE(port.events.contains(QStringLiteral("R")));
}

TEST(IspLinkBits, ReadByteSamplesBitFourOnlyWhileTheClockIsHigh)
{
    for (auto [status, expected] :
         {std::pair{0x00, 0xFF}, {0x10, 0x00}, {0x0F, 0xFF}, {0x08, 0xFF}, {0x18, 0x00}}) {
        VirtualClock clock;
        RecordingPort port(static_cast<std::uint8_t>(status));
        port.open();
        IspLink link(port, clock);
        EXPECT_EQ(link.readByte(), expected) << "status " << status;
        // Each bit: clock high (MOSI 0), then the sample, then the clock low again.
        QStringList oneBit = {QStringLiteral("WFD"), QStringLiteral("R"), QStringLiteral("WFF")};
        QStringList all;
        for (int i = 0; i < 8; ++i)
            all += oneBit;
        EXPECT_EQ(port.events, all);
    }
}

TEST(IspLinkBits, ExchangeSendsDataBeforeTheRisingEdgeAndSamplesBeforeTheFallingEdge)
{
    VirtualClock clock;
    RecordingPort port(0x10);
    port.open();
    IspLink link(port, clock);
    EXPECT_EQ(link.exchange(0x53), 0x00); // 0101 0011
    QStringList expected;
    for (bool one : {false, true, false, true, false, false, true, true}) {
        if (one)
            expected +=
                {QStringLiteral("WFE"), QStringLiteral("WFC"), QStringLiteral("R"), QStringLiteral("WFE")};
        else
            expected +=
                {QStringLiteral("WFF"), QStringLiteral("WFD"), QStringLiteral("R"), QStringLiteral("WFF")};
    }
    EXPECT_EQ(port.events, expected);
}

TEST(IspLinkBits, TheSimulatedChipSeesNoTimingFaultInAnyOperation)
{
    SimBench bench;
    bench.link.chipErase();
    bench.clock.wait(IspTiming::ChipErase);
    bench.link.writeCode(0x12, 0x5A);
    bench.clock.wait(IspTiming::ByteWrite);
    EXPECT_EQ(bench.link.readCode(0x12), 0x5A);
    bench.link.startPageRead(0);
    for (int i = 0; i < 256; ++i)
        bench.link.readByte();
    bench.link.readLockBits();
    bench.link.writeLockBits(true, false, false);
    EXPECT_TRUE(bench.chip.timingFaults.isEmpty()) << bench.chip.timingFaults.join(u'\n').toStdString();
}

TEST(IspLinkBits, TheSimulatedChipCatchesReadsAfterTheFallingEdgeAndDataMovingWithTheClock)
{
    // A link that samples after lowering the clock sees the next bit: the programming-enable echo
    // 69h would come back shifted.
    VirtualClock clock;
    SimAt89s51 chip(clock);
    chip.open();
    auto lateExchange = [&](std::uint8_t value) {
        std::uint8_t result = 0;
        for (int bit = 7; bit >= 0; --bit) {
            const std::uint8_t data = ((value >> bit) & 1) ? 0xFE : 0xFF;
            chip.writeControl(data);
            clock.delay();
            chip.writeControl(data & 0xFD);
            clock.delay();
            chip.writeControl(data);
            clock.delay();
            if (!(chip.readStatus() & 0x10))
                result |= std::uint8_t(1u << bit);
        }
        return result;
    };
    std::uint8_t last = 0;
    for (int b : {0xAC, 0x53, 0x00, 0x00})
        last = lateExchange(static_cast<std::uint8_t>(b));
    EXPECT_NE(last, 0x69);
    EXPECT_TRUE(chip.timingFaults.isEmpty());

    // Data and clock rising in one write is a set-up fault.
    chip.writeControl(0xFC);
    EXPECT_FALSE(chip.timingFaults.isEmpty());
}

TEST(IspLinkFrames, InstructionsGoOutAsTheChipExpectsThem)
{
    SimBench bench;
    bench.link.readCode(0x0081);
    bench.link.readCode(0x0180);
    bench.link.readCode(0x0FFF);
    EXPECT_EQ(bench.chip.received,
              bytes({0x20, 0x00, 0x81, 0x00, 0x20, 0x01, 0x80, 0x00, 0x20, 0x0F, 0xFF, 0x00}));

    bench.chip.received.clear();
    bench.link.writeCode(0x0000, 0x02);
    bench.clock.wait(IspTiming::ByteWrite);
    bench.link.chipErase();
    EXPECT_EQ(bench.chip.received, bytes({0x40, 0x00, 0x00, 0x02, 0xAC, 0x80, 0x00, 0x00}));

    bench.chip.received.clear();
    bench.clock.wait(IspTiming::ChipErase);
    bench.link.writeLockBits(true, true, false);
    EXPECT_EQ(bench.chip.received, bytes({0xAC, 0xE1, 0x00, 0x00, 0xAC, 0xE2, 0x00, 0x00}));
    bench.chip.received.clear();
    bench.link.writeLockBits(false, true, true);
    EXPECT_EQ(bench.chip.received, bytes({0xAC, 0xE0, 0x00, 0x00}));
    bench.chip.received.clear();
    bench.link.writeLockBits(true, false, true);
    EXPECT_EQ(bench.chip.received, bytes({0xAC, 0xE1, 0x00, 0x00}));
}

TEST(IspLinkFrames, ProgrammingEnableAnswers69hInItsFourthByte)
{
    VirtualClock clock;
    SimAt89s51 chip(clock);
    chip.open();
    IspLink link(chip, clock);
    const auto answer = link.programmingEnable();
    EXPECT_EQ(answer[3], 0x69);
    EXPECT_TRUE(chip.enabled());
    EXPECT_EQ(chip.received, bytes({0xAC, 0x53, 0x00, 0x00}));
}

TEST(IspLinkFrames, CodeReadsIgnoreTheTopAddressBitsAndLockBitsGoInSequence)
{
    SimBench bench;
    bench.chip.flash[0x123] = 0x77;
    EXPECT_EQ(bench.link.readCode(0x1123), 0x77);
    EXPECT_EQ(bench.link.readCode(0xF123 & 0x7FFF), 0x77);

    EXPECT_EQ(lockLevel(bench.link.readLockBits()), 0);
    bench.chip.setLockBits(0);
    bench.link.writeLockBits(true, true, true);
    EXPECT_EQ(bench.chip.lockBits(), 7);
    EXPECT_EQ(lockLevel(bench.link.readLockBits()), 3);
}

TEST(IspLinkFrames, LockLevelsFromTheLockByte)
{
    EXPECT_EQ(lockLevel(0x0C), 2);
    EXPECT_EQ(lockLevelText(2), QStringLiteral(u"二级加密"));
    EXPECT_EQ(lockLevel(0xE3), 0);
    EXPECT_EQ(lockLevelText(0), QStringLiteral(u"未加密"));
    EXPECT_EQ(lockLevel(0x1C), 3);
    EXPECT_EQ(lockLevelText(3), QStringLiteral(u"三级加密"));
    EXPECT_EQ(lockLevel(0x04), 1);
    EXPECT_EQ(lockLevelText(1), QStringLiteral(u"一级加密"));
    EXPECT_EQ(lockLevel(0x10), 3);
}

TEST(IspLinkFrames, WritesWithoutTheChipsCycleTimeAreLost)
{
    // The reason the commands wait: a byte sent while the previous one is still being written
    // does not take.
    SimBench bench;
    bench.link.chipErase();
    bench.link.writeCode(0, 0x12); // inside the erase cycle
    bench.clock.wait(IspTiming::ChipErase);
    bench.link.writeCode(1, 0x34);
    bench.link.writeCode(2, 0x56); // inside the write cycle of address 1
    bench.clock.wait(IspTiming::ByteWrite);
    EXPECT_EQ(bench.chip.flash[0], 0xFF);
    EXPECT_EQ(bench.chip.flash[1], 0x34);
    EXPECT_EQ(bench.chip.flash[2], 0xFF);
}
