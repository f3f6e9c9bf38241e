// The run state machine without widgets: slices in both refresh modes and their ends, single
// step, the breakpoint switch, PC moves from the listing, and the tick clock.
#include "simulator/RunController.h"
#include "Cpu51TestSupport.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace std::chrono_literals;

namespace
{

// 0000 MOV A,#12H; 0002 INC A; 0003 SJMP 0002
struct Session {
    twtest::Machine machine{{0x74, 0x12, 0x04, 0x80, 0xFD}};
    Listing listing;
    RunController controller{*machine.cpu, listing};
    TickClock clock;

    Session()
    {
        listing.setLines({QStringLiteral("  MCS51"), QStringLiteral("        \tORG 0"),
                          QStringLiteral("  0000  7412"), QStringLiteral("  0002  04"),
                          QStringLiteral("  0003  80FD")});
        controller.reset();
    }
    Cpu51 &cpu() { return *machine.cpu; }
};

TEST(RunControllerTest, SlicesRunUntilTheirEnd)
{
    Session s;
    ASSERT_TRUE(s.controller.start(RunKind::Run));
    SliceResult r = s.controller.slice(RefreshMode::Dynamic, 8ms, s.clock);
    EXPECT_EQ(r.executed, 1u);
    EXPECT_EQ(r.end, RunEnd::None);
    EXPECT_EQ(s.cpu().pc, 2);
    // The PC marker is off during the run; the window puts it back.
    EXPECT_EQ(s.listing.line(2).left(1), QStringLiteral(" "));

    // A fast slice with no time left still runs one chunk and goes on.
    r = s.controller.slice(RefreshMode::Fast, 0ms, s.clock);
    EXPECT_EQ(r.executed, static_cast<std::uint64_t>(RunController::kChunk));
    EXPECT_EQ(s.controller.running(), RunKind::Run);

    // Idle mode ends the run before the next instruction.
    s.cpu().cpuMode = 1;
    r = s.controller.slice(RefreshMode::Fast, 8ms, s.clock);
    EXPECT_EQ(r.end, RunEnd::Asleep);
    EXPECT_EQ(r.executed, 0u);
    EXPECT_EQ(s.controller.running(), RunKind::None);
    EXPECT_EQ(s.controller.step(), StepResult::Asleep);

    // Past the code: the step executes nothing, a run ends.
    s.cpu().cpuMode = 0;
    s.cpu().pc = 5;
    EXPECT_EQ(s.controller.step(), StepResult::EndOfProgram);
    EXPECT_EQ(s.cpu().pc, 5);
    s.controller.start(RunKind::Run);
    EXPECT_EQ(s.controller.slice(RefreshMode::Fast, 8ms, s.clock).end, RunEnd::EndOfProgram);
}

TEST(RunControllerTest, BreakpointFromThePcLine)
{
    Session s;
    EXPECT_FALSE(s.controller.start(RunKind::ToBreakpoint));
    // The PC line after reset is 0000: a breakpoint there counts as none.
    s.controller.toggleBreakpoint();
    EXPECT_TRUE(s.controller.breakpointSet());
    EXPECT_EQ(s.controller.breakpointText(), QStringLiteral("0000"));
    EXPECT_FALSE(s.controller.start(RunKind::ToBreakpoint));
    s.controller.toggleBreakpoint();
    EXPECT_EQ(s.listing.line(2).left(2), QStringLiteral("> "));

    ASSERT_TRUE(s.controller.movePcToLine(4));
    EXPECT_EQ(s.cpu().pc, 3);
    s.controller.toggleBreakpoint();
    EXPECT_EQ(s.controller.breakpointAddress(), 3);
    EXPECT_EQ(s.listing.line(4).left(6), QStringLiteral(">*0003"));

    // Lines without an address, or past the listing, leave the PC where it is.
    EXPECT_FALSE(s.controller.movePcToLine(0));
    EXPECT_FALSE(s.controller.movePcToLine(1));
    EXPECT_FALSE(s.controller.movePcToLine(5));
    EXPECT_EQ(s.cpu().pc, 3);
}

TEST(RunControllerTest, TickClockCatchesUpWithinItsBound)
{
    const auto start = TickClock::Clock::now();
    TickClock clock(start);
    EXPECT_EQ(clock.takeDue(start), 0);
    EXPECT_EQ(clock.takeDue(start + 5ms), 5);
    EXPECT_EQ(clock.takeDue(start + 5ms), 0);
    EXPECT_EQ(clock.takeDue(start + 2s), TickClock::kMaxCatchUp);
    EXPECT_EQ(clock.takeDue(start + 2s + 1ms), 1);

    // Applied ticks count a running timer.
    twtest::Machine m{{0x00}};
    m.sfr(Sfr::TMOD) = 0x01;
    m.cpu->setBit(Bit::TR0, true);
    TickClock timerClock(start);
    EXPECT_EQ(timerClock.apply(*m.cpu, start + 3ms), 3);
    EXPECT_EQ(m.sfr(Sfr::TL0), 3);
}

} // namespace
