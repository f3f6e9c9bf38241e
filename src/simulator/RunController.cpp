#include "simulator/RunController.h"

#include "simulator/Serial.h"
#include "simulator/Watchdog.h"

namespace tw
{

int TickClock::takeDue(Clock::time_point now)
{
    const std::int64_t elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - m_origin).count();
    std::int64_t due = elapsed - m_applied;
    if (due <= 0)
        return 0;
    if (due > kMaxCatchUp) {
        m_applied = elapsed - kMaxCatchUp;
        due = kMaxCatchUp;
    }
    m_applied += due;
    return static_cast<int>(due);
}

int TickClock::apply(Cpu51 &cpu, Clock::time_point now)
{
    const int due = takeDue(now);
    for (int k = 0; k < due; ++k)
        cpu.tick1ms();
    return due;
}

void RunController::reset()
{
    resetCommand(m_cpu);
    m_listing.markFirstCodeLine();
}

bool RunController::takeXramRead()
{
    const bool read = m_cpu.xramReadViaRi;
    m_cpu.xramReadViaRi = false;
    return read;
}

StepResult RunController::step()
{
    m_watchdogReset = false;
    if (m_cpu.pc >= m_cpu.codeSize)
        return StepResult::EndOfProgram;
    if (m_cpu.cpuMode != 0)
        return StepResult::Asleep;
    if (m_cpu.watchdogExpired()) {
        reset();
        m_watchdogReset = true;
    }
    m_listing.clearPcMarker();
    m_cpu.step();
    return StepResult::Executed;
}

bool RunController::start(RunKind kind)
{
    if (kind == RunKind::ToBreakpoint && m_breakpointAddress == 0)
        return false;
    m_running = kind;
    return kind != RunKind::None;
}

RunEnd RunController::endBeforeInstruction() const
{
    if (m_running == RunKind::ToBreakpoint && m_cpu.pc == m_breakpointAddress)
        return RunEnd::Breakpoint;
    if (m_cpu.pc >= m_cpu.codeSize)
        return RunEnd::EndOfProgram;
    if (m_cpu.cpuMode != 0)
        return RunEnd::Asleep;
    return RunEnd::None;
}

SliceResult RunController::slice(RefreshMode mode, std::chrono::nanoseconds budget, TickClock &clock)
{
    SliceResult result;
    if (m_running == RunKind::None)
        return result;
    const auto deadline = TickClock::Clock::now() + budget;
    clock.apply(m_cpu);
    m_listing.clearPcMarker();
    const std::int32_t breakAt = m_running == RunKind::ToBreakpoint ? m_breakpointAddress : -1;
    const std::uint64_t batchSize = mode == RefreshMode::Dynamic ? 1 : kChunk;
    for (;;) {
        result.end = endBeforeInstruction();
        if (result.end != RunEnd::None)
            break;
        if (m_cpu.watchdogExpired()) {
            reset();
            m_listing.clearPcMarker();
            result.watchdogReset = true;
        }
        // The core stops early for whatever this loop looks at; it checks every case again.
        result.executed += m_cpu.runBatch(batchSize, breakAt).executed;
        if (serialNeedsWindow(m_cpu)) {
            if (m_cpu.baudGeneratorStopped) {
                result.end = RunEnd::BaudMessage;
                break;
            }
            return result; // the window takes the full transmit records first
        }
        if (mode == RefreshMode::Dynamic)
            return result;
        // One clock reading serves both the ticks and the slice budget.
        const auto now = TickClock::Clock::now();
        clock.apply(m_cpu, now);
        if (now >= deadline)
            return result;
    }
    m_running = RunKind::None;
    return result;
}

void RunController::toggleBreakpoint()
{
    if (!m_breakpointSet) {
        m_breakpointSet = true;
        const int line = m_listing.pcLine();
        m_breakpointText = m_listing.addressText(line);
        m_listing.setBreakpointMarker(line, true);
        m_breakpointAddress = m_listing.looseAddressOfLine(line);
    } else {
        m_breakpointSet = false;
        m_breakpointText.clear();
        m_listing.setBreakpointMarker(m_listing.breakpointLine(), false);
        m_breakpointAddress = 0;
    }
}

bool RunController::movePcToLine(int index)
{
    if (index < 0 || index >= m_listing.count())
        return false;
    const auto address = m_listing.addressOfLine(index);
    if (!address)
        return false;
    m_listing.setPcLine(index);
    m_cpu.pc = *address;
    return true;
}

} // namespace tw
