#include "simulator/StatusTexts.h"

#include "simulator/Cpu51.h"

namespace tw
{
namespace
{

struct SourcePanel {
    std::uint8_t enableBit;
    std::string_view disabled, enabled, entered;
};
constexpr SourcePanel kSourcePanels[5] = {
    {Bit::EX0, "外中断0：禁止中断", "外中断0：允许中断", "外中断0：响应中断"},
    {Bit::ET0, "定时器0：禁止中断", "定时器0：允许中断", "定时器0：响应中断"},
    {Bit::EX1, "外中断1：禁止中断", "外中断1：允许中断", "外中断1：响应中断"},
    {Bit::ET1, "定时器1：禁止中断", "定时器1：允许中断", "定时器1：响应中断"},
    {Bit::ES, "串行口：禁止中断", "串行口：允许中断", "串行口：响应中断"},
};
constexpr std::string_view kCpuModes[3] = {"CPU：正常", "CPU：空闲", "CPU：掉电"};

} // namespace

std::string_view statusPanelText(const Cpu51 &cpu, int panel)
{
    if (panel >= 2 && panel <= 6) {
        const auto source = static_cast<std::size_t>(panel - 2);
        const SourcePanel &texts = kSourcePanels[source];
        if (cpu.interruptEntered[source])
            return texts.entered;
        return cpu.bit(texts.enableBit) ? texts.enabled : texts.disabled;
    }
    if (panel == 7)
        return kCpuModes[cpu.cpuMode < 3 ? cpu.cpuMode : 0];
    if (panel == 8)
        return cpu.wdtArmed ? "WDT：已激活" : "WDT：未激活";
    return {};
}

} // namespace tw
