// The timer/counter page model: the worked examples, the messages, the handlers' sequences, and
// the generated set-up run in the simulator core, where the timer must overflow after exactly the
// count the page computed from the crystal and the value.
#include "assistants/TimerCode.h"
#include "GeneratedCode.h"
#include "simulator/Pins.h"

#include <gtest/gtest.h>

using namespace tw;

namespace
{

constexpr int kT0Pin = 3 * 8 + 4, kT1Pin = 3 * 8 + 5, kInt0Pin = 3 * 8 + 2, kInt1Pin = 3 * 8 + 3;
constexpr std::uint8_t kTf0 = 0x8D, kTf1 = 0x8F;

// A page with the crystal picked and the timer's function and value set as the user would.
TimerPage pageWith(const QString &crystal, int timer, TimerFunction function, const QString &value,
                   bool hardware = false)
{
    TimerPage page;
    page.crystal = crystal;
    if (hardware) {
        EXPECT_EQ(timerStartChosen(page, timer, true), QString());
    }
    EXPECT_EQ(timerFunctionChosen(page, timer, function), QString());
    EXPECT_EQ(timerValueEdited(page, timer, value), QString());
    return page;
}

void expectBoxes(const TimerSide &side, const QString &mode, const QString &th, const QString &tl)
{
    EXPECT_EQ(side.modeDigit, mode);
    EXPECT_EQ(side.th, th);
    EXPECT_EQ(side.tl, tl);
}

// Ticks until the overflow flag rises; the count of ticks it took, or -1 after limit ticks.
int ticksToOverflow(Cpu51 &cpu, std::uint8_t flag, int limit = 70000)
{
    for (int tick = 1; tick <= limit; ++tick) {
        cpu.tick1ms();
        if (cpu.bit(flag))
            return tick;
    }
    return -1;
}

int pulsesToOverflow(Cpu51 &cpu, int pin, std::uint8_t flag, int limit = 70000)
{
    for (int pulse = 1; pulse <= limit; ++pulse) {
        cpu.pinEdge(pin, false);
        cpu.pinEdge(pin, true);
        if (cpu.bit(flag))
            return pulse;
    }
    return -1;
}

} // namespace

TEST(TimerCode, WorkedExamples)
{
    TimerPage page = pageWith("12", 0, TimerFunction::Timer, "1000");
    expectBoxes(page.timers[0], "0", "E0H", "F8H");
    EXPECT_EQ(page.code, "MOV TMOD,#00H\r\nMOV TH0,#E0H\r\nMOV TL0,#F8H\r\n");

    struct Case {
        const char *crystal, *value, *mode, *th, *tl;
    } cases[] = {{"12", "10000", "1", "D8H", "F0H"}, {"11.0592", "50000", "1", "4CH", "00H"},
                 {"12", "2", "2", "FEH", "FEH"},     {"12", "65535", "1", "00H", "01H"},
                 {"12", "288", "0", "F7H", "00H"},   {"12", "256", "0", "F8H", "00H"},
                 {"12", "8191", "0", "00H", "E1H"},  {"12", "8192", "1", "E0H", "00H"},
                 {"6", "5", "2", "FEH", "FEH"},      {"6", "100", "2", "CEH", "CEH"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.crystal) + " MHz " + c.value);
        page = pageWith(c.crystal, 0, TimerFunction::Timer, c.value);
        expectBoxes(page.timers[0], c.mode, c.th, c.tl);
        EXPECT_EQ(page.timers[0].modeBits, QString(c.mode).toInt());
    }

    page = pageWith("6", 1, TimerFunction::Counter, "100", true);
    expectBoxes(page.timers[1], "2", "9CH", "9CH");
    EXPECT_EQ(page.timers[1].modeBits, 14);
    EXPECT_EQ(page.code, "MOV TMOD,#E0H\r\nMOV TH1,#9CH\r\nMOV TL1,#9CH\r\n");
}

TEST(TimerCode, ValuesOutOfReachGiveTheirMessageAndChangeNothing)
{
    struct Case {
        TimerFunction function;
        const char *value;
        QString message;
    } cases[] = {{TimerFunction::Timer, "65536", timerTooLargeMessage()},
                 {TimerFunction::Timer, "1", timerTooSmallMessage()},
                 {TimerFunction::Timer, "99999999999999999999999999", timerTooLargeMessage()},
                 {TimerFunction::Counter, "70000", counterTooLargeMessage()},
                 {TimerFunction::Counter, "99999999999999999999999999", counterTooLargeMessage()},
                 {TimerFunction::Counter, "0", counterTooSmallMessage()},
                 {TimerFunction::Counter, "-5", counterTooSmallMessage()},
                 {TimerFunction::Counter, "x", counterTooSmallMessage()}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        TimerPage page = pageWith("12", 0, c.function, "200");
        const TimerPage before = page;
        EXPECT_EQ(timerValueEdited(page, 0, c.value), c.message);
        expectBoxes(page.timers[0], before.timers[0].modeDigit, before.timers[0].th, before.timers[0].tl);
        EXPECT_EQ(page.timers[0].modeBits, before.timers[0].modeBits);
        EXPECT_EQ(page.code, before.code);
    }
    EXPECT_EQ(timerTooSmallMessage(), QStringLiteral(u"定时值太小，无法实现！"));
    EXPECT_EQ(timerTooLargeMessage(), QStringLiteral(u"定时值太大，需要配合软件计数器方能实现！"));
    EXPECT_EQ(counterTooLargeMessage(), QStringLiteral(u"计数值太大，需要配合软件计数器方能实现！"));
    EXPECT_EQ(counterTooSmallMessage(), QStringLiteral(u"计数值太小，无法实现！"));
    // A crystal that is no number makes every timer too small.
    TimerPage page = pageWith("12", 0, TimerFunction::Timer, "200");
    EXPECT_EQ(timerCrystalPicked(page, "MHz"), timerTooSmallMessage());
    // Four hundred nines read as an endless number: too large at any crystal, and no number at
    // all times a crystal of 0.
    page = pageWith("12", 0, TimerFunction::Timer, "200");
    EXPECT_EQ(timerValueEdited(page, 0, QString(400, u'9')), timerTooLargeMessage());
    EXPECT_EQ(timerCrystalPicked(page, "0"), timerTooSmallMessage());
    EXPECT_EQ(page.timers[0].th, "38H"); // 200 us at 12 MHz, as before
    EXPECT_EQ(timerFunctionChosen(page, 0, TimerFunction::Counter), counterTooLargeMessage());
    EXPECT_EQ(page.timers[0].th, "38H");
}

TEST(TimerCode, TypingDigitByDigitRecomputesEachTime)
{
    TimerPage page;
    page.crystal = "6";
    timerFunctionChosen(page, 0, TimerFunction::Timer);
    EXPECT_EQ(page.code, "MOV TMOD,#00H\r\n");
    EXPECT_EQ(timerValueEdited(page, 0, "1"), timerTooSmallMessage()); // 0.5 cycles becomes 0
    EXPECT_EQ(page.timers[0].modeDigit, QString());
    EXPECT_EQ(timerValueEdited(page, 0, "10"), QString());
    expectBoxes(page.timers[0], "2", "FBH", "FBH");
    EXPECT_EQ(timerValueEdited(page, 0, "100"), QString());
    expectBoxes(page.timers[0], "2", "CEH", "CEH");

    // Clearing the value drops the mode bits to the start bits; the old boxes stay and are printed.
    timerValueEdited(page, 0, "20000"); // mode 1 at 6 MHz
    timerStartChosen(page, 0, true);
    EXPECT_EQ(page.timers[0].modeBits, 9);
    timerValueEdited(page, 0, "");
    EXPECT_EQ(page.timers[0].modeBits, 8);
    EXPECT_EQ(page.code, "MOV TMOD,#08H\r\nMOV TH0,#D8H\r\nMOV TL0,#F0H\r\n");
}

TEST(TimerCode, FunctionAndStartChoicesAndCrystalPicks)
{
    // Timer 0 Non with 硬件启动 still gives its GATE bit while timer 1 is in use.
    TimerPage page = pageWith("12", 1, TimerFunction::Timer, "100");
    timerStartChosen(page, 0, true);
    EXPECT_EQ(page.code, "MOV TMOD,#28H\r\nMOV TH1,#9CH\r\nMOV TL1,#9CH\r\n");
    timerCrystalPicked(page, "6");
    EXPECT_EQ(page.code, "MOV TMOD,#28H\r\nMOV TH1,#CEH\r\nMOV TL1,#CEH\r\n");

    // Counters ignore the crystal; T1's bits stay 6 and TMOD is 6EH after a pick.
    page = pageWith("6", 0, TimerFunction::Counter, "100", true);
    timerFunctionChosen(page, 1, TimerFunction::Counter);
    timerValueEdited(page, 1, "50");
    EXPECT_EQ(timerCrystalPicked(page, "24"), QString());
    EXPECT_EQ(page.timers[1].modeBits, 6);
    EXPECT_TRUE(page.code.startsWith("MOV TMOD,#6EH\r\n")) << qPrintable(page.code);

    // Switching a counter to a timer reads the same number as microseconds.
    timerFunctionChosen(page, 1, TimerFunction::Timer);
    expectBoxes(page.timers[1], "2", "9CH", "9CH"); // 50 us at 24 MHz: 100 cycles
    // Non empties the timer's boxes, keeps its start choice and GATE bit, and the code follows.
    timerFunctionChosen(page, 1, TimerFunction::Unused);
    EXPECT_EQ(page.timers[1].value, QString());
    expectBoxes(page.timers[1], QString(), QString(), QString());
    EXPECT_EQ(page.code, "MOV TMOD,#0EH\r\nMOV TH0,#9CH\r\nMOV TL0,#9CH\r\n");
    timerFunctionChosen(page, 0, TimerFunction::Unused);
    EXPECT_EQ(page.code, QString());
    EXPECT_EQ(timerValueCaption(TimerFunction::Timer), QStringLiteral(u"定时值(μS)"));
    EXPECT_EQ(timerValueCaption(TimerFunction::Counter), QStringLiteral(u"计数值"));
    EXPECT_EQ(timerValueCaption(TimerFunction::Unused), QStringLiteral(u"定时/计数值"));
}

// A crystal pick that moves timer 0 to another mode and then stops at timer 1's message still
// leaves a program whose TMOD matches the boxes shown.
TEST(TimerCode, ProgramIsRebuiltFromTheFinalStateAfterAMessage)
{
    TimerPage page = pageWith("12", 0, TimerFunction::Timer, "300");
    timerFunctionChosen(page, 1, TimerFunction::Timer);
    timerValueEdited(page, 1, "3");
    EXPECT_EQ(page.code, "MOV TMOD,#20H\r\nMOV TH0,#F6H\r\nMOV TL0,#F4H\r\nMOV TH1,#FDH\r\nMOV TL1,#FDH\r\n");
    EXPECT_EQ(timerCrystalPicked(page, "4"), timerTooSmallMessage());
    expectBoxes(page.timers[0], "2", "9CH", "9CH");
    EXPECT_EQ(page.code, "MOV TMOD,#22H\r\nMOV TH0,#9CH\r\nMOV TL0,#9CH\r\nMOV TH1,#FDH\r\nMOV TL1,#FDH\r\n");
}

TEST(TimerCode, ReloadsCoverEveryCountOfEachMode)
{
    for (int count = 1; count <= 65535; ++count) {
        const TimerReload r = timerReloadFor(count);
        const int counted = r.mode == 2   ? 256 - r.th
                            : r.mode == 0 ? 8192 - (r.th * 32 + (r.tl & 31))
                                          : 65536 - (r.th * 256 + r.tl);
        ASSERT_EQ(counted, count);
        ASSERT_EQ(r.mode, count < 256 ? 2 : count < 8192 ? 0 : 1);
        if (r.mode == 2) {
            ASSERT_EQ(r.tl, r.th);
        }
    }
}

// The generated set-up assembled by our assembler and run in our simulator core: a started timer
// sets its overflow flag on exactly the count the page worked out, and not one tick earlier.
TEST(TimerCode, GeneratedTimerSetUpOverflowsAfterTheRequestedCount)
{
    struct Case {
        const char *crystal, *value;
        int count;
    } cases[] = {{"12", "2", 2},         {"12", "3", 3},         {"12", "100", 100},
                 {"12", "255", 255},     {"12", "256", 256},     {"12", "257", 257},
                 {"12", "288", 288},     {"12", "1000", 1000},   {"12", "4095", 4095},
                 {"12", "8191", 8191},   {"12", "8192", 8192},   {"12", "8193", 8193},
                 {"12", "10000", 10000}, {"12", "65535", 65535}, {"11.0592", "50000", 46080},
                 {"6", "5", 2},          {"24", "1000", 2000},   {"4", "3000", 1000}};
    for (const Case &c : cases) {
        for (int timer = 0; timer < 2; ++timer) {
            SCOPED_TRACE(std::string(c.crystal) + " MHz " + c.value + " us, timer " + char('0' + timer));
            const TimerPage page = pageWith(c.crystal, timer, TimerFunction::Timer, c.value);
            auto cpu = twtest::runGeneratedCode(page.code, timer == 0 ? "SETB TR0" : "SETB TR1");
            ASSERT_TRUE(cpu);
            const std::uint8_t flag = timer == 0 ? kTf0 : kTf1;
            EXPECT_EQ(ticksToOverflow(*cpu, flag), c.count);
            if (page.timers[timer].modeDigit == "2") {
                // Auto-reload: every later period has the same count.
                cpu->setBit(flag, false);
                EXPECT_EQ(ticksToOverflow(*cpu, flag), c.count);
            }
        }
    }
}

TEST(TimerCode, GeneratedCounterSetUpCountsInputPulses)
{
    for (int count : {1, 2, 200, 255, 256, 1000, 8192, 30000}) {
        for (int timer = 0; timer < 2; ++timer) {
            SCOPED_TRACE(std::to_string(count) + " events, timer " + std::to_string(timer));
            const TimerPage page = pageWith("12", timer, TimerFunction::Counter, QString::number(count));
            auto cpu = twtest::runGeneratedCode(page.code, timer == 0 ? "SETB TR0" : "SETB TR1");
            ASSERT_TRUE(cpu);
            // The tick does not move a counter; the pulses on T0 or T1 do.
            const std::uint8_t flag = timer == 0 ? kTf0 : kTf1;
            EXPECT_EQ(ticksToOverflow(*cpu, flag, 300), -1);
            EXPECT_EQ(pulsesToOverflow(*cpu, timer == 0 ? kT0Pin : kT1Pin, flag), count);
        }
    }
}

// 硬件启动 sets GATE: the timer counts only while its INTx pin is high.
TEST(TimerCode, HardwareStartGatesTheTimerWithItsInterruptPin)
{
    for (int timer = 0; timer < 2; ++timer) {
        SCOPED_TRACE(timer);
        TimerPage page = pageWith("12", timer, TimerFunction::Timer, "500", true);
        auto cpu = twtest::runGeneratedCode(page.code, timer == 0 ? "SETB TR0" : "SETB TR1");
        ASSERT_TRUE(cpu);
        const int gatePin = timer == 0 ? kInt0Pin : kInt1Pin;
        const std::uint8_t flag = timer == 0 ? kTf0 : kTf1;
        cpu->pinEdge(gatePin, false);
        EXPECT_EQ(ticksToOverflow(*cpu, flag, 1000), -1);
        cpu->pinEdge(gatePin, true);
        EXPECT_EQ(ticksToOverflow(*cpu, flag), 500);
    }
    // Both timers set up at once keep their own counts.
    TimerPage page = pageWith("12", 0, TimerFunction::Timer, "300");
    timerFunctionChosen(page, 1, TimerFunction::Timer);
    timerValueEdited(page, 1, "20000");
    auto cpu = twtest::runGeneratedCode(page.code, "SETB TR0\r\nSETB TR1");
    ASSERT_TRUE(cpu);
    EXPECT_EQ(ticksToOverflow(*cpu, kTf0), 300);
    EXPECT_EQ(ticksToOverflow(*cpu, kTf1), 20000 - 300);
}
