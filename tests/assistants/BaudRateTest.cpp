// The baud-rate calculator: the worked examples, every crystal and rate of the page's lists against
// a brute-force search of the auto-reload settings, the failure paths, and the generated programs
// run in the simulator core, whose serial port must then run at the rate the page promised.
#include "assistants/BaudRate.h"
#include "GeneratedCode.h"
#include "simulator/Serial.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QStringList kCrystals = {"4",       "6",  "8",  "10", "11.0592", "12",
                               "14.7456", "16", "18", "20", "22.1184", "24"};
const QStringList kRates = {"110",  "300",   "600",   "1200",  "2400",  "4800",
                            "9600", "19200", "38400", "57600", "115200"};

BaudOutputs calc(const QString &crystal, const QString &mode, const QString &baud, bool tim = false)
{
    return calculateBaudRate({crystal, mode, baud, tim});
}

QStringList programLines(const BaudOutputs &out)
{
    return out.program.value_or(QStringLiteral("<unchanged>")).split(QStringLiteral("\r\n"));
}

void expectBoxes(const BaudOutputs &out, const QString &mode, const QString &th1, const QString &tl1)
{
    EXPECT_EQ(out.timerMode, mode);
    EXPECT_EQ(out.th1, th1);
    EXPECT_EQ(out.tl1, tl1);
}

void expectRefused(const BaudOutputs &out, const QString &message)
{
    EXPECT_EQ(out.program, message);
    expectBoxes(out, QString(), QString(), QString());
    EXPECT_FALSE(out.baud.has_value());
}

int hexOf(const QString &byteText)
{
    return byteText.left(2).toInt(nullptr, 16);
}

} // namespace

TEST(BaudRate, WorkedExamplesGiveTheFullReferenceProgram)
{
    const BaudOutputs out = calc("11.0592", "1", "9600");
    expectBoxes(out, "2", "FDH", "FDH");
    EXPECT_EQ(out.program,
              QStringLiteral(u"MOV SCON,#50H\r\nMOV PCON,#00H\r\nMOV TMOD,#20H\r\nMOV TH1,#FDH\r\n"
                             u"MOV TL1,#FDH\r\nCLR ET1\r\n;CLR ES  ;关闭串行口中断\r\n"
                             u";SETB ES ;打开串行口中断\r\nSETB TR1"));
    EXPECT_FALSE(out.baud.has_value());

    // Serial mode 3 differs only in SCON; the exact rate ties with FAH and SMOD, and the tie keeps
    // SMOD clear.
    const BaudOutputs mode3 = calc("11.0592", "3", "9600");
    expectBoxes(mode3, "2", "FDH", "FDH");
    EXPECT_EQ(programLines(mode3).mid(0, 2), QStringList({"MOV SCON,#D0H", "MOV PCON,#00H"}));
}

TEST(BaudRate, SmodIsUsedWhereItReachesTheRateMoreClosely)
{
    struct Case {
        const char *crystal, *baud;
        const char *reload;
    } cases[] = {{"11.0592", "19200", "FDH"},
                 {"22.1184", "115200", "FFH"},
                 {"11.0592", "57600", "FFH"},
                 {"12", "4800", "F3H"},
                 {"16", "9600", "F7H"}};
    for (const Case &c : cases) {
        for (const char *mode : {"1", "3"}) {
            SCOPED_TRACE(std::string(c.crystal) + " MHz " + c.baud + " mode " + mode);
            const BaudOutputs out = calc(c.crystal, mode, c.baud);
            expectBoxes(out, "2", c.reload, c.reload);
            EXPECT_EQ(programLines(out).value(1), "MOV PCON,#80H");
        }
    }
    // 16 MHz reaches 9600 only to within 3.55 %: the program says so in a last comment line.
    const QStringList lines = programLines(calc("16", "1", "9600"));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[8], "SETB TR1");
    EXPECT_EQ(lines[9], QStringLiteral(u"; 实际波特率 9259，误差 -3.55%"));
    // Within 2 % there is no such line (12 MHz, 4800: +0.16 %).
    EXPECT_EQ(programLines(calc("12", "1", "4800")).size(), 9);
}

TEST(BaudRate, RatesNoUartCanReceiveAreRefused)
{
    // The window's defaults: FDH with SMOD gives 10,417 (+8.5 %); 12 MHz at best -6.99 %.
    for (const char *mode : {"1", "3"}) {
        expectRefused(calc("6", mode, "9600"), baudTooFastMessage());
        expectRefused(calc("12", mode, "9600"), baudTooFastMessage());
    }
    expectRefused(calc("4", "1", "115200"), baudTooFastMessage());
    EXPECT_EQ(baudTooFastMessage(),
              QStringLiteral(u"按照当前的参数无法实现所需的波特率！\r\n请提高晶振频率或降低所需的波特率！"));
    expectRefused(calc("24", "1", "1", true), baudTooSlowMessage());
    EXPECT_EQ(baudTooSlowMessage(),
              QStringLiteral(u"按照当前的参数无法实现所需的波特率！\r\n请降低晶振频率或提高所需的波特率！"));
}

TEST(BaudRate, ZeroStrangeAndExtremeInputsTakeAMessageAndNeverCrash)
{
    for (const char *baud : {"0", "abc", ".", "0.0000001", "1e-320", "1e-300", "-0"})
        expectRefused(calc("11.0592", "1", baud), baudTooSlowMessage());
    // A crystal of 0 (or text that is no number) reaches no rate at all.
    expectRefused(calc("abc", "1", "9600"), baudTooFastMessage());
    expectRefused(calc("0", "3", "9600"), baudTooFastMessage());
    expectRefused(calc("11.0592", "1", "-9600"), baudTooFastMessage());
    expectRefused(calc("1e400", "1", "9600"), baudTooSlowMessage());
    expectRefused(calc("1e400", "1", "1e400"), baudTooSlowMessage());
    expectRefused(calc("-1e400", "1", "0"), baudTooSlowMessage());
    // Far beyond 32 bits but still a finite count.
    expectRefused(calc("1e12", "1", "110", true), baudTooSlowMessage());
}

TEST(BaudRate, Timer1ModesZeroAndOneKeepTheirLinesAndAskForAReload)
{
    const BaudOutputs out = calc("24", "1", "110");
    expectBoxes(out, "0", "EEH", "08H");
    QStringList lines = programLines(out);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines.mid(1, 4),
              QStringList({"MOV PCON,#00H", "MOV TMOD,#00H", "MOV TH1,#EEH", "MOV TL1,#08H"}));
    EXPECT_EQ(lines[8], "SETB TR1");
    EXPECT_TRUE(lines[9].startsWith(u';') && lines[9].contains(u"中断") && lines[9].contains(u"TH1") &&
                lines[9].contains(u"重装"))
        << qPrintable(lines[9]);

    expectBoxes(calc("24", "1", "110", true), "0", "2AH", "1EH");
    const BaudOutputs mode1 = calc("30", "1", "110", true);
    expectBoxes(mode1, "1", "DEH", "B5H");
    lines = programLines(mode1);
    EXPECT_EQ(lines.value(2), "MOV TMOD,#10H");
    EXPECT_EQ(lines.size(), 10);
    // The auto-reload rows need no such line.
    EXPECT_EQ(programLines(calc("11.0592", "1", "9600")).size(), 9);
}

TEST(BaudRate, FixedRateModesAndIncompleteInputs)
{
    BaudOutputs out = calc("12", "2", "9600");
    EXPECT_EQ(out.program,
              QStringLiteral(u"MOV SCON,#80H\r\nMOV PCON,#80H\r\n波特率 375000\r\n\r\nMOV SCON,#80H\r\n"
                             u"MOV PCON,#0H\r\n波特率 187500"));
    EXPECT_EQ(out.baud, QString());
    expectBoxes(out, QString(), QString(), QString());

    out = calc("4", "0", "9600");
    EXPECT_EQ(out.baud, "333333.333333333");
    EXPECT_EQ(out.program, QString());
    expectBoxes(out, QString(), QString(), QString());
    EXPECT_EQ(calc("11.0592", "0", "", true).baud, "11059200");
    EXPECT_EQ(calc("11.0592", "0", "").baud, "921600");
    EXPECT_EQ(
        calc("abc", "2", "").program,
        QStringLiteral(
            u"MOV SCON,#80H\r\nMOV PCON,#80H\r\n波特率 0\r\n\r\nMOV SCON,#80H\r\nMOV PCON,#0H\r\n波特率 0"));

    // Only the reference box is emptied: an unknown mode, or no baud rate in modes 1 and 3.
    for (const BaudOutputs &partial :
         {calc("12", "4", "9600"), calc("12", "1", ""), calc("12", " 1", "9600")}) {
        EXPECT_EQ(partial.program, QString());
        EXPECT_FALSE(partial.timerMode || partial.th1 || partial.tl1 || partial.baud);
    }
    // An empty crystal or mode changes nothing at all.
    for (const BaudOutputs &none : {calc("", "1", "9600"), calc("12", "", "9600")})
        EXPECT_FALSE(none.program || none.timerMode || none.th1 || none.tl1 || none.baud);
}

// Every crystal and rate of the lists, both clocks, serial modes 1 and 3: where the auto-reload
// mode applies, the result is as near as the best of all 512 reload and SMOD settings; longer
// counts are the nearest count.
TEST(BaudRate, ListedCrystalsAndRatesMatchABruteForceSearch)
{
    int autoReload = 0, refused = 0, longCounts = 0;
    for (const QString &crystal : kCrystals) {
        for (const QString &rate : kRates) {
            for (bool tim : {false, true}) {
                SCOPED_TRACE(qPrintable(crystal + " MHz " + rate + (tim ? " TIM" : "")));
                const double f = crystal.toDouble() * 1e6, k = tim ? 12 : 1, b = rate.toDouble();
                double bestError = INFINITY;
                for (int smod = 0; smod < 2; ++smod)
                    for (int reload = 0; reload < 256; ++reload)
                        bestError =
                            std::min(bestError, std::fabs(f * k * (smod + 1) / (384.0 * (256 - reload)) - b));
                const double quotient = f * k / (384 * b);
                const BaudOutputs out = calc(crystal, "1", rate, tim);
                EXPECT_EQ(calc(crystal, "3", rate, tim).th1, out.th1);
                if (std::nearbyint(quotient) > 255) {
                    ++longCounts;
                    const int count = static_cast<int>(std::nearbyint(quotient));
                    const int th = hexOf(*out.th1), tl = hexOf(*out.tl1);
                    const bool sixteenBits = count >= 8192;
                    EXPECT_EQ(out.timerMode, sixteenBits ? "1" : "0");
                    EXPECT_EQ(sixteenBits ? 65536 - th * 256 - tl : 8192 - th * 32 - tl, count);
                    continue;
                }
                if (bestError / b > 0.05) {
                    ++refused;
                    expectRefused(out, baudTooFastMessage());
                    continue;
                }
                ++autoReload;
                ASSERT_EQ(out.timerMode, "2");
                EXPECT_EQ(out.th1, out.tl1);
                const bool smod = programLines(out).value(1) == "MOV PCON,#80H";
                const double actual = f * k * (smod ? 2 : 1) / (384.0 * (256 - hexOf(*out.th1)));
                EXPECT_DOUBLE_EQ(std::fabs(actual - b), bestError);
                EXPECT_EQ(programLines(out).size(), std::fabs(actual - b) / b > 0.02 ? 10 : 9);
            }
        }
    }
    // The lists cover all three outcomes.
    EXPECT_GT(autoReload, 50);
    EXPECT_GT(refused, 10);
    EXPECT_GT(longCounts, 30);
}

// The simulator core computes its serial rate from SCON, PCON, TMOD and TH1/TL1 as the chip does:
// every program the page writes for a listed crystal and rate must give the rate the page shows.
TEST(BaudRate, GeneratedProgramsRunTheSerialPortAtTheComputedRate)
{
    int checked = 0;
    for (const QString &crystal : kCrystals) {
        for (const QString &rate : kRates) {
            for (const char *mode : {"1", "3"}) {
                SCOPED_TRACE(qPrintable(crystal + " MHz " + rate + " mode " + mode));
                const BaudOutputs out = calc(crystal, mode, rate);
                if (out.timerMode->isEmpty())
                    continue;
                const BaudSearch search = searchBaudSetting(crystal.toDouble() * 1e6, 1, rate.toDouble());
                auto cpu = twtest::runGeneratedCode(*out.program, QString());
                ASSERT_TRUE(cpu);
                cpu->crystalMHz = crystal.toDouble();
                const SerialRate serial = serialRate(*cpu, SerialSide::Transmit);
                EXPECT_EQ(serial.mode, mode[0] - '0');
                EXPECT_EQ(serial.timer, 1);
                EXPECT_TRUE(serial.running);
                // The simulator rounds the overflow rate to whole hertz.
                EXPECT_NEAR(serial.rate, search.setting.actualRate, search.setting.actualRate * 2e-4);
                EXPECT_LE(std::fabs(serial.rate - rate.toDouble()) / rate.toDouble(), 0.05);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 150);
}
