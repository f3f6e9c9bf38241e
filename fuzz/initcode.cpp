// The init-code pages' inputs as typed text: the baud page, the timer page's actions in any order
// and the interrupt choices. UBSan stops any double that does not fit the int it is turned into.
#include "FuzzSupport.h"

#include "assistants/BaudRate.h"
#include "assistants/InterruptCode.h"
#include "assistants/TimerCode.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace
{

QString text(FuzzedDataProvider &input)
{
    return QString::fromUtf8(input.ConsumeRandomLengthString(24));
}

void baudPage(FuzzedDataProvider &input)
{
    tw::BaudInputs in;
    in.crystal = text(input);
    in.serialMode = input.PickValueInArray({"0", "1", "2", "3", "", "4"});
    in.baud = text(input);
    in.timerAtCrystalRate = input.ConsumeBool();
    const tw::BaudOutputs out = tw::calculateBaudRate(in);
    for (const auto *box : {&out.th1, &out.tl1})
        if (*box && box->value().size() > 4)
            twfuzz::finding("a reload box longer than a byte's operand", box->value());
    const double crystal = input.ConsumeFloatingPoint<double>();
    const double rate = input.ConsumeFloatingPoint<double>();
    const tw::BaudSearch search = tw::searchBaudSetting(crystal, input.ConsumeBool() ? 12 : 1, rate);
    if (search.failure == tw::BaudFailure::None && (search.setting.th1 < 0 || search.setting.th1 > 255 ||
                                                    search.setting.tl1 < 0 || search.setting.tl1 > 255))
        twfuzz::finding("a baud setting with a reload byte out of range");
}

void timerPage(FuzzedDataProvider &input)
{
    tw::TimerPage page;
    page.crystal = QStringLiteral("12");
    for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
        const int timer = input.ConsumeIntegralInRange(0, 1);
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            tw::timerValueEdited(page, timer, text(input));
            break;
        case 1:
            tw::timerCrystalPicked(page, text(input));
            break;
        case 2:
            tw::timerStartChosen(page, timer, input.ConsumeBool());
            break;
        default:
            tw::timerFunctionChosen(
                page, timer,
                input.PickValueInArray(
                    {tw::TimerFunction::Timer, tw::TimerFunction::Counter, tw::TimerFunction::Unused}));
            break;
        }
        for (const tw::TimerSide &side : page.timers)
            if (side.modeBits < 0 || side.modeBits > 15)
                twfuzz::finding("TMOD bits outside a nibble");
    }
    const tw::TimerReload reload = tw::timerReloadFor(input.ConsumeIntegralInRange(1, 65535));
    if (reload.th < 0 || reload.th > 255 || reload.tl < 0 || reload.tl > 255)
        twfuzz::finding("a timer reload byte out of range");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::array<bool, tw::kInterruptSources> high{}, enabled{};
    for (int i = 0; i < tw::kInterruptSources; ++i) {
        high[static_cast<std::size_t>(i)] = input.ConsumeBool();
        enabled[static_cast<std::size_t>(i)] = input.ConsumeBool();
    }
    tw::interruptCode(high, enabled);
    baudPage(input);
    timerPage(input);
    return 0;
}
