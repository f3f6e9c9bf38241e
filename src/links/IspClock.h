#pragma once
// The programming link's sense of time: the short delay between two edges of the cable and the
// longer waits for the chip's erase and write cycles.
#include <chrono>

namespace tw
{

class IspClock
{
  public:
    virtual ~IspClock() = default;
    // One short delay between edges.
    virtual void delay() = 0;
    // Waits at least this long.
    virtual void wait(std::chrono::microseconds time) = 0;
};

// Busy-waits the short delay on the steady clock (so that it cannot be optimised away and does
// not depend on the machine's speed) and sleeps the long waits. The default edge delay keeps SCK
// below a sixteenth of even a 3 MHz chip clock.
class SteadyIspClock : public IspClock
{
  public:
    explicit SteadyIspClock(std::chrono::nanoseconds edgeDelay = std::chrono::microseconds(5))
        : m_edgeDelay(edgeDelay)
    {
    }
    void delay() override;
    void wait(std::chrono::microseconds time) override;

  private:
    std::chrono::nanoseconds m_edgeDelay;
};

} // namespace tw
