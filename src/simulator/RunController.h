#pragma once
// The simulator window's commands apart from the widgets: reset, single step, the continuous run
// and the run to the breakpoint as a state machine that the window advances one slice at a time
// from a zero-time timer, the breakpoint switch, and the 1 ms timer tick taken from one steady
// clock between instructions.
#include "simulator/Cpu51.h"
#include "simulator/Listing.h"
#include "simulator/ViewFormat.h"

#include <QString>
#include <chrono>
#include <cstdint>

namespace tw
{

// The 1 ms tick of the timers, counted against a steady clock: each application gives the timers
// the ticks that fell due since the last one, at most kMaxCatchUp (a long modal dialog or a stalled
// process does not make the timers race afterwards).
class TickClock
{
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMaxCatchUp = 50;

    explicit TickClock(Clock::time_point start = Clock::now()) : m_origin(start) {}
    // Ticks due at now; the ones beyond the catch-up bound are dropped.
    int takeDue(Clock::time_point now);
    // Applies the due ticks to the CPU; returns how many.
    int apply(Cpu51 &cpu, Clock::time_point now = Clock::now());

  private:
    Clock::time_point m_origin;
    std::int64_t m_applied = 0;
};

enum class RefreshMode { Dynamic, Fast };
enum class RunKind { None, Run, ToBreakpoint };

// Why a run ended in a slice.
enum class RunEnd {
    None,         // still running
    EndOfProgram, // pc reached the code size: the window asks whether to reset
    Asleep,       // idle or power-down mode
    Breakpoint,
    BaudMessage // an instruction found its baud-rate generator stopped
};

struct SliceResult {
    std::uint64_t executed = 0;
    RunEnd end = RunEnd::None;
    bool watchdogReset = false; // the RESET command ran inside the slice
};

enum class StepResult { EndOfProgram, Asleep, Executed };

class RunController
{
  public:
    // Instructions the core runs between two looks at the clock (ticks and the slice budget):
    // a few tens of microseconds at full speed.
    static constexpr int kChunk = 8192;

    RunController(Cpu51 &cpu, Listing &listing) : m_cpu(cpu), m_listing(listing) {}

    // The CPU part of RESET: reset state, both in-service flags cleared, ">" on the first code
    // line. The RAMs are not touched.
    void reset();
    // One instruction unless pc is past the code (EndOfProgram) or the CPU sleeps; an expired
    // watchdog resets first (watchdogReset tells).
    StepResult step();

    // Starts a run; a run to the breakpoint with none set (address 0) does not start.
    bool start(RunKind kind);
    void stop() { m_running = RunKind::None; }
    RunKind running() const { return m_running; }
    // Dynamic: one instruction. Fast: batches of kChunk instructions inside the core until the
    // budget is spent, with the due ticks applied between batches. Ends the run when it reaches
    // its end.
    SliceResult slice(RefreshMode mode, std::chrono::nanoseconds budget, TickClock &clock);
    bool watchdogResetInLastStep() const { return m_watchdogReset; }

    // The breakpoint: set on the PC's listing line, or cleared. 0 means none.
    void toggleBreakpoint();
    bool breakpointSet() const { return m_breakpointSet; }
    int breakpointAddress() const { return m_breakpointAddress; }
    QString breakpointText() const { return m_breakpointText; }

    // A click or key in the listing pane on listing line index: the PC moves there when the line
    // carries an address; false (nothing changed) otherwise.
    bool movePcToLine(int index);

    // Whether a MOVX read through @Ri asked for the external-RAM box to be drawn again since
    // the last call. (The rows MOVX wrote stay marked in the core: Cpu51::xramRowsWritten.)
    bool takeXramRead();

  private:
    RunEnd endBeforeInstruction() const;

    Cpu51 &m_cpu;
    Listing &m_listing;
    RunKind m_running = RunKind::None;
    bool m_breakpointSet = false;
    int m_breakpointAddress = 0;
    QString m_breakpointText;
    bool m_watchdogReset = false;
};

} // namespace tw
