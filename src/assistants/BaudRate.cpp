#include "BaudRate.h"

#include "CodeText.h"
#include "common/Vb.h"

#include <QStringList>
#include <cmath>

namespace tw
{

namespace
{

constexpr double kUnreceivablePercent = 5; // the last bit of a frame is sampled outside its cell
constexpr double kWarnPercent = 2;
const QString kCrLf = QStringLiteral("\r\n");

double errorPercent(double actual, double wanted)
{
    return (actual - wanted) / std::fabs(wanted) * 100;
}

BaudSetting withRate(BaudSetting setting, double crystalHz, double clockFactor, int count, double wanted)
{
    setting.actualRate = baudRateOf(crystalHz, clockFactor, count, setting.smod);
    setting.errorPercent = errorPercent(setting.actualRate, wanted);
    return setting;
}

// Every reload of the 8-bit auto-reload mode, SMOD clear first so that a tie keeps it clear.
BaudSetting nearestAutoReload(double crystalHz, double clockFactor, double wanted)
{
    BaudSetting best;
    bool found = false;
    for (bool smod : {false, true}) {
        for (int reload = 0; reload <= 255; ++reload) {
            BaudSetting candidate{2, reload, reload, smod};
            candidate = withRate(candidate, crystalHz, clockFactor, 256 - reload, wanted);
            if (!found || std::fabs(candidate.actualRate - wanted) < std::fabs(best.actualRate - wanted)) {
                best = candidate;
                found = true;
            }
        }
    }
    return best;
}

// A number as the page writes it: up to 15 significant digits, no leading blank.
QString plainNumber(double value)
{
    const QString text = vbStr(value);
    return text.startsWith(u' ') ? text.mid(1) : text;
}

QString signedPercent(double value)
{
    return (value > 0 ? QStringLiteral("+") : QString()) + QString::number(value, 'f', 2) + u'%';
}

QString setupProgram(bool serialMode3, const BaudSetting &s)
{
    QStringList lines{serialMode3 ? QStringLiteral("MOV SCON,#D0H") : QStringLiteral("MOV SCON,#50H"),
                      s.smod ? QStringLiteral("MOV PCON,#80H") : QStringLiteral("MOV PCON,#00H"),
                      // timer 1's mode is TMOD's high nibble
                      QStringLiteral("MOV TMOD,#") + byteOperand(s.timerMode * 16),
                      QStringLiteral("MOV TH1,#") + byteOperand(s.th1),
                      QStringLiteral("MOV TL1,#") + byteOperand(s.tl1), QStringLiteral("CLR ET1"),
                      QStringLiteral(u";CLR ES  ;关闭串行口中断"),
                      QStringLiteral(u";SETB ES ;打开串行口中断"), QStringLiteral("SETB TR1")};
    if (s.timerMode != 2)
        lines << QStringLiteral(
                     u"; 定时器1方式%1不会自动重装：须打开定时器1中断（SETB ET1），在中断中重装TH1、TL1")
                     .arg(s.timerMode);
    if (std::fabs(s.errorPercent) > kWarnPercent)
        lines << QStringLiteral(u"; 实际波特率 %1，误差 %2")
                     .arg(QString::number(roundHalfEven(s.actualRate), 'f', 0),
                          signedPercent(s.errorPercent));
    return lines.join(kCrLf);
}

} // namespace

QString baudTooFastMessage()
{
    return QStringLiteral(u"按照当前的参数无法实现所需的波特率！\r\n请提高晶振频率或降低所需的波特率！");
}

QString baudTooSlowMessage()
{
    return QStringLiteral(u"按照当前的参数无法实现所需的波特率！\r\n请降低晶振频率或提高所需的波特率！");
}

double baudRateOf(double crystalHz, double clockFactor, int count, bool smod)
{
    return crystalHz * clockFactor * (smod ? 2 : 1) / (384.0 * count);
}

BaudSearch searchBaudSetting(double crystalHz, double clockFactor, double wantedRate)
{
    BaudSearch result;
    const double quotient = crystalHz * clockFactor / (384 * wantedRate);
    const double count = roundHalfEven(quotient);
    if (wantedRate == 0 || !std::isfinite(quotient) || count > 65535) {
        result.failure = BaudFailure::TooSlow;
        return result;
    }
    if (count <= 255) {
        result.setting = nearestAutoReload(crystalHz, clockFactor, wantedRate);
        if (!(std::fabs(result.setting.errorPercent) <= kUnreceivablePercent))
            result.failure = BaudFailure::TooFast;
        return result;
    }
    const int n = static_cast<int>(count);
    BaudSetting s;
    if (n >= 8192)
        s = {1, (65536 - n) / 256, (65536 - n) % 256};
    else
        s = {0, (8192 - n) / 32, (8192 - n) % 32};
    result.setting = withRate(s, crystalHz, clockFactor, n, wantedRate);
    return result;
}

BaudOutputs calculateBaudRate(const BaudInputs &in)
{
    BaudOutputs out;
    if (in.crystal.isEmpty() || in.serialMode.isEmpty())
        return out;
    out.program = QString();
    const double crystalHz = vbVal(in.crystal) * 1e6;
    const double factor = in.timerAtCrystalRate ? 12 : 1;
    const QString &mode = in.serialMode;
    if (mode == u"0") {
        out.baud = plainNumber(crystalHz * factor / 12);
        out.timerMode = out.th1 = out.tl1 = QString();
    } else if (mode == u"2") {
        out.program = QStringLiteral(u"MOV SCON,#80H\r\nMOV PCON,#80H\r\n波特率") + vbStr(crystalHz / 32) +
                      QStringLiteral(u"\r\n\r\nMOV SCON,#80H\r\nMOV PCON,#0H\r\n波特率") +
                      vbStr(crystalHz / 64);
        out.timerMode = out.th1 = out.tl1 = out.baud = QString();
    } else if ((mode == u"1" || mode == u"3") && !in.baud.isEmpty()) {
        const BaudSearch search = searchBaudSetting(crystalHz, factor, vbVal(in.baud));
        if (search.failure != BaudFailure::None) {
            out.program =
                search.failure == BaudFailure::TooFast ? baudTooFastMessage() : baudTooSlowMessage();
            out.timerMode = out.th1 = out.tl1 = QString();
        } else {
            const BaudSetting &s = search.setting;
            out.timerMode = QString::number(s.timerMode);
            out.th1 = byteOperand(s.th1);
            out.tl1 = byteOperand(s.tl1);
            out.program = setupProgram(mode == u"3", s);
        }
    }
    return out;
}

} // namespace tw
