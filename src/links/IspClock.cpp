#include "IspClock.h"

#include <thread>

namespace tw
{

void SteadyIspClock::delay()
{
    const auto end = std::chrono::steady_clock::now() + m_edgeDelay;
    while (std::chrono::steady_clock::now() < end) {
    }
}

void SteadyIspClock::wait(std::chrono::microseconds time)
{
    const auto end = std::chrono::steady_clock::now() + time;
    std::this_thread::sleep_for(time);
    while (std::chrono::steady_clock::now() < end) {
    }
}

} // namespace tw
