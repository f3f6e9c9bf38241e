// The 1 ms tick clock of a run: ticks fall due from one steady clock, and after a stall (a long
// modal dialog, a stopped process) only a bounded number is caught up, so the timers do not race.
// The run state machine itself is exercised through the window's buttons.
#include "simulator/RunController.h"
#include "Cpu51TestSupport.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace std::chrono_literals;

namespace
{

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
