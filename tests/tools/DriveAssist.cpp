// twdrive baud, timer, irq and unicode: the code assistants' calculations as their pages make them.
#include "Commands.h"

#include "assistants/BaudRate.h"
#include "assistants/InterruptCode.h"
#include "assistants/TimerCode.h"
#include "assistants/UnicodeCodes.h"

#include <QTextStream>

namespace
{

// A stream for one statement: it is flushed at its end, since the driver's process ends without
// destroying anything once the command returns.
QTextStream out()
{
    return QTextStream(stdout);
}

int usage(const char *text)
{
    QTextStream(stderr) << "usage: twdrive " << text << "\n";
    return 2;
}

// Prints the written boxes, then the program one line per line.
int runBaud(const QStringList &args)
{
    if (args.size() < 3 || args.size() > 4 || (args.size() == 4 && args[3] != "TIM"))
        return twdrive::usageError("baud");
    const tw::BaudOutputs result = tw::calculateBaudRate({args[0], args[1], args[2], args.size() == 4});
    const std::pair<const char *, const std::optional<QString> *> boxes[] = {
        {"MODE", &result.timerMode}, {"TH1", &result.th1}, {"TL1", &result.tl1}, {"BAUD", &result.baud}};
    for (const auto &[name, box] : boxes)
        if (box->has_value())
            out() << name << " " << **box << "\n";
    if (result.program && !result.program->isEmpty())
        out() << QString(*result.program).replace("\r\n", "\n") << "\n";
    return 0;
}

// One timer's choice: none, timer:VALUE or counter:VALUE, each with ":hard" for 硬件启动 (an
// unused timer keeps its GATE bit).
bool applyTimer(tw::TimerPage &page, int timer, const QString &choice, QStringList &messages)
{
    const QStringList parts = choice.split(u':');
    const bool used = parts[0] == "timer" || parts[0] == "counter";
    const qsizetype plain = used ? 2 : 1;
    if ((!used && parts[0] != "none") || parts.size() < plain || parts.size() > plain + 1 ||
        (parts.size() > plain && parts.last() != "hard"))
        return false;
    auto note = [&messages](const QString &message) {
        if (!message.isEmpty())
            messages << message;
    };
    if (parts.size() > plain)
        note(tw::timerStartChosen(page, timer, true));
    if (!used)
        return true;
    note(tw::timerFunctionChosen(
        page, timer, parts[0] == "timer" ? tw::TimerFunction::Timer : tw::TimerFunction::Counter));
    note(tw::timerValueEdited(page, timer, parts[1]));
    return true;
}

int runTimer(const QStringList &args)
{
    const char *text =
        "timer CRYSTAL T0 T1   (each none[:hard], timer:MICROSECONDS[:hard] or counter:EVENTS[:hard])";
    if (args.size() != 3)
        return usage(text);
    tw::TimerPage page;
    page.crystal = args[0];
    QStringList messages;
    if (!applyTimer(page, 0, args[1], messages) || !applyTimer(page, 1, args[2], messages))
        return usage(text);
    for (const QString &message : messages)
        out() << "MESSAGE " << message << "\n";
    for (int timer = 0; timer < 2; ++timer) {
        const tw::TimerSide &side = page.timers[timer];
        out() << "T" << timer << " " << side.modeDigit << " " << side.th << " " << side.tl << "\n";
    }
    out() << QString(page.code).replace("\r\n", "\n");
    return 0;
}

bool readSources(const QString &text, std::array<bool, tw::kInterruptSources> &chosen)
{
    if (text.size() != tw::kInterruptSources)
        return false;
    for (int source = 0; source < tw::kInterruptSources; ++source) {
        if (text[source] != u'0' && text[source] != u'1')
            return false;
        chosen[source] = text[source] == u'1';
    }
    return true;
}

int runIrq(const QStringList &args)
{
    std::array<bool, tw::kInterruptSources> high{}, enabled{};
    if (args.size() != 2 || !readSources(args[0], high) || !readSources(args[1], enabled))
        return usage("irq HIGH ENABLED   (five 0/1 digits each, in the order EX0 ET0 EX1 ET1 ES)");
    const tw::InterruptCode code = tw::interruptCode(high, enabled);
    out() << "IP " << code.priority << "\nIE " << code.enable << "\n";
    return 0;
}

int runUnicode(const QStringList &args)
{
    const QStringList formats = {"dec", "hex", "cont"};
    if (args.size() != 3 || (args[0] != "codes" && args[0] != "text") || !formats.contains(args[1]))
        return twdrive::usageError("unicode");
    const auto format = static_cast<tw::UnicodeFormat>(formats.indexOf(args[1]));
    if (args[0] == "codes") {
        out() << tw::unicodeCodesOf(args[2], format).value_or(QString()) << "\n";
        return 0;
    }
    const tw::DecodedText decoded = tw::textOfUnicodeCodes(args[2], format);
    if (!decoded.error.isEmpty()) {
        out() << "ERROR " << decoded.error << "\n";
        return 1;
    }
    out() << decoded.text << "\n";
    return 0;
}

} // namespace

TW_DRIVER_COMMAND("baud", runBaud);
TW_DRIVER_COMMAND("timer", runTimer);
TW_DRIVER_COMMAND("irq", runIrq);
TW_DRIVER_COMMAND("unicode", runUnicode);
