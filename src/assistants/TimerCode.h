#pragma once
// The timer/counter page as plain data: what the user chose for timers 0 and 1, the mode, TH and
// TL texts worked out from it, the TMOD bits and the reference program.
#include <QString>
#include <array>

namespace tw
{

enum class TimerFunction { Timer, Counter, Unused };

// Initial TH/TL values that make a timer overflow after count machine cycles or input events.
struct TimerReload {
    int mode = 2; // 2 (8-bit auto-reload) below 256, 0 (13 bits) below 8192, else 1 (16 bits)
    int th = 0, tl = 0;
};
// count is 1..65535.
TimerReload timerReloadFor(int count);

struct TimerSide {
    TimerFunction function = TimerFunction::Unused;
    bool hardwareStart = false; // GATE: the timer runs while its INTx pin is high
    QString value;              // microseconds for a timer, events for a counter
    QString modeDigit, th, tl;  // the result boxes: "2", "9CH", ...
    int modeBits = 0;           // GATE (8) + C/T (4) + mode, TMOD's nibble for this timer
};

struct TimerPage {
    QString crystal; // MHz, as typed or picked
    std::array<TimerSide, 2> timers;
    QString code; // the reference program
};

// Messages of the page (information icon, empty title).
QString timerTooSmallMessage();
QString timerTooLargeMessage();
QString counterTooSmallMessage();
QString counterTooLargeMessage();

// The caption over a timer's value box for its function.
QString timerValueCaption(TimerFunction function);

// Works out one timer's result boxes and mode bits from its choices and the crystal. Returns the
// message when the value cannot be reached; the timer is then left exactly as it was.
QString recomputeTimer(TimerPage &page, int timer);

// The reference program: TMOD, then TH0, TL0, TH1, TL1 for the boxes that hold a value.
QString timerCode(const TimerPage &page);

// What the page does on each user action; each returns the message to show (empty for none) and
// leaves page.code rebuilt from the final state.
QString timerValueEdited(TimerPage &page, int timer, const QString &value);
QString timerCrystalPicked(TimerPage &page, const QString &crystal);
QString timerStartChosen(TimerPage &page, int timer, bool hardwareStart);
QString timerFunctionChosen(TimerPage &page, int timer, TimerFunction function);

} // namespace tw
