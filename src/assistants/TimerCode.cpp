#include "TimerCode.h"

#include "CodeText.h"
#include "common/Vb.h"

namespace tw
{

namespace
{

constexpr int kGate = 8, kCounter = 4;

int gateOf(const TimerSide &side)
{
    return side.hardwareStart ? kGate : 0;
}

// The count a timer's value asks for, or the message why there is none. A count outside the
// 16-bit range is caught while it is still a double.
QString countFor(const TimerPage &page, const TimerSide &side, int &count)
{
    double wanted = 0;
    if (side.function == TimerFunction::Counter) {
        wanted = roundHalfEven(vbVal(side.value));
        if (wanted > 65535)
            return counterTooLargeMessage();
        if (!(wanted >= 1))
            return counterTooSmallMessage();
    } else {
        // Machine cycles of twelve clock periods.
        wanted = roundHalfEven(vbVal(side.value) * vbVal(page.crystal) / 12);
        // An endless value times a crystal of 0 is no number at all: too small as well.
        if (!(wanted >= 2))
            return timerTooSmallMessage();
        if (wanted > 65535)
            return timerTooLargeMessage();
    }
    count = static_cast<int>(wanted);
    return QString();
}

QString finish(TimerPage &page, const QString &message)
{
    page.code = timerCode(page);
    return message;
}

} // namespace

TimerReload timerReloadFor(int count)
{
    if (count < 256)
        return {2, 256 - count, 256 - count};
    if (count < 8192) {
        // Only TL's low five bits count in mode 0; its three high bits are left at one.
        const int low = count % 32;
        return {0, (8192 - count) / 32, low == 0 ? 0 : 256 - low};
    }
    return {1, (65536 - count) / 256, (65536 - count) % 256};
}

QString timerTooSmallMessage()
{
    return QStringLiteral(u"定时值太小，无法实现！");
}

QString timerTooLargeMessage()
{
    return QStringLiteral(u"定时值太大，需要配合软件计数器方能实现！");
}

QString counterTooSmallMessage()
{
    return QStringLiteral(u"计数值太小，无法实现！");
}

QString counterTooLargeMessage()
{
    return QStringLiteral(u"计数值太大，需要配合软件计数器方能实现！");
}

QString timerValueCaption(TimerFunction function)
{
    switch (function) {
    case TimerFunction::Timer:
        return QStringLiteral(u"定时值(μS)");
    case TimerFunction::Counter:
        return QStringLiteral(u"计数值");
    case TimerFunction::Unused:
        break;
    }
    return QStringLiteral(u"定时/计数值");
}

QString recomputeTimer(TimerPage &page, int timer)
{
    TimerSide &side = page.timers[timer];
    int base = gateOf(side);
    if (side.function == TimerFunction::Unused) {
        side.modeBits = base;
        return QString();
    }
    if (side.function == TimerFunction::Counter)
        base += kCounter;
    if (side.value.isEmpty() || (side.function == TimerFunction::Timer && page.crystal.isEmpty())) {
        side.modeBits = base;
        return QString();
    }
    int count = 0;
    const QString message = countFor(page, side, count);
    if (!message.isEmpty())
        return message;
    const TimerReload reload = timerReloadFor(count);
    side.modeDigit = QString::number(reload.mode);
    side.tl = byteOperand(reload.tl);
    side.th = byteOperand(reload.th);
    side.modeBits = base + reload.mode;
    return QString();
}

QString timerCode(const TimerPage &page)
{
    const TimerSide &t0 = page.timers[0];
    const TimerSide &t1 = page.timers[1];
    if (t0.function == TimerFunction::Unused && t1.function == TimerFunction::Unused)
        return QString();
    QString code =
        QStringLiteral("MOV TMOD,#") + byteOperand(t1.modeBits * 16 + t0.modeBits) + QStringLiteral("\r\n");
    const std::pair<const char *, const QString *> lines[] = {
        {"MOV TH0,#", &t0.th}, {"MOV TL0,#", &t0.tl}, {"MOV TH1,#", &t1.th}, {"MOV TL1,#", &t1.tl}};
    for (const auto &[instruction, box] : lines)
        if (!box->isEmpty())
            code += QLatin1String(instruction) + *box + QStringLiteral("\r\n");
    return code;
}

QString timerValueEdited(TimerPage &page, int timer, const QString &value)
{
    page.timers[timer].value = value;
    return finish(page, recomputeTimer(page, timer));
}

QString timerCrystalPicked(TimerPage &page, const QString &crystal)
{
    page.crystal = crystal;
    QString message = recomputeTimer(page, 0);
    if (message.isEmpty())
        message = recomputeTimer(page, 1);
    return finish(page, message);
}

QString timerStartChosen(TimerPage &page, int timer, bool hardwareStart)
{
    page.timers[timer].hardwareStart = hardwareStart;
    return finish(page, recomputeTimer(page, timer));
}

QString timerFunctionChosen(TimerPage &page, int timer, TimerFunction function)
{
    TimerSide &side = page.timers[timer];
    side.function = function;
    if (function != TimerFunction::Unused)
        return finish(page, recomputeTimer(page, timer));
    side.value.clear();
    side.modeDigit.clear();
    side.th.clear();
    side.tl.clear();
    side.modeBits = gateOf(side);
    return finish(page, QString());
}

} // namespace tw
