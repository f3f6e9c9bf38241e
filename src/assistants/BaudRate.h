#pragma once
// The serial port's baud-rate set-up: which timer-1 mode, reload values and SMOD give a wanted
// rate, and the reference program the baud page shows for it.
#include <QString>
#include <optional>

namespace tw
{

// Texts of the baud page's reference box when no setting reaches the rate.
QString baudTooFastMessage(); // the crystal is too slow (or the counts too coarse) for the rate
QString baudTooSlowMessage(); // the rate is too slow for 16 bits of timer 1

// One way of clocking the serial port from timer 1 in serial modes 1 and 3.
struct BaudSetting {
    int timerMode = 2; // 0 (13 bits), 1 (16 bits) or 2 (8-bit auto-reload)
    int th1 = 0, tl1 = 0;
    bool smod = false;       // PCON bit 7: the rate doubled
    double actualRate = 0;   // bit/s that this setting really gives
    double errorPercent = 0; // (actual - wanted) / wanted x 100
};

enum class BaudFailure { None, TooFast, TooSlow };

struct BaudSearch {
    BaudFailure failure = BaudFailure::None;
    BaudSetting setting;
};

// The setting for crystalHz, the timer clock factor (12 when timer 1 counts at the crystal rate,
// 1 when at a twelfth of it) and the wanted rate. Reload counts below 256 try every reload value
// with SMOD clear and set and keep the nearest rate (SMOD clear on a tie); a nearest rate more than
// 5 % off cannot be received and fails as TooFast. Counts above 65535, a rate of 0 and any
// quotient that is not a finite number fail as TooSlow.
BaudSearch searchBaudSetting(double crystalHz, double clockFactor, double wantedRate);

// The rate of a timer-1 reload count in serial modes 1 and 3.
double baudRateOf(double crystalHz, double clockFactor, int count, bool smod);

// The inputs of the baud page: the texts of the crystal (MHz), serial-mode and baud-rate boxes and
// the TIM switch.
struct BaudInputs {
    QString crystal, serialMode, baud;
    bool timerAtCrystalRate = false;
};

// What one calculation writes; an empty optional leaves that box as it is.
struct BaudOutputs {
    std::optional<QString> timerMode, th1, tl1;
    std::optional<QString> program; // the reference box
    std::optional<QString> baud;    // serial modes 0 and 2 write the rate box too
};

BaudOutputs calculateBaudRate(const BaudInputs &inputs);

} // namespace tw
