#pragma once
// The views the simulator window makes from the CPU state, one row each: the name the tests and
// the golden files know it by, its box, the function that makes its lines, the tab and caption it
// stands under and the commands that show it again. The window makes, places and shows the boxes
// from the rows, and the tests read the same rows: a new view is its lines' function, its box and
// its row (docs/ARCHITECTURE.md has the recipe). The rows are a switch over the views and name
// every field: a view without its row, or a row without a field, fails the build.
#include "SimulatorWindow.h"
#include "base/EnumValues.h"

#include <array>
#include <cstddef>

namespace tw
{

using MemoryTab = SimulatorWindow::MemoryTab;

// The memory tabs' captions; null for a number that is no tab, which is what counts the tabs.
constexpr const char16_t *memoryTabCaption(MemoryTab tab)
{
    switch (tab) {
    case SimulatorWindow::InternalRamTab:
        return u"片内 RAM";
    case SimulatorWindow::ExternalRamTab:
        return u"片外 RAM";
    case SimulatorWindow::RomTab:
        return u"程序 ROM";
    case SimulatorWindow::RegisterTab:
        return u"寄存器";
    case SimulatorWindow::BitTab:
        return u"可寻址位";
    }
    return nullptr;
}

inline constexpr std::size_t kMemoryTabCount = countNamed<MemoryTab>(memoryTabCaption);
inline constexpr std::array<MemoryTab, kMemoryTabCount> kAllMemoryTabs =
    enumValues<MemoryTab, kMemoryTabCount>();

// In the order the window shows them.
enum class SimulatorView { InternalRam, Bits, Sfr, Psw, Registers };

// The commands that show a view again besides those that show every view (load, step, run, stop,
// reset); combined with |.
enum ShownAfter : unsigned {
    WithEveryViewOnly = 0,
    InternalRamCleared = 1 << 0, // RAM清零, answered Yes for the internal RAM
    InternalRamSet = 1 << 1,     // the RAM-set frame writing the internal RAM
    PinClicked = 1 << 2,         // a pin button
};

// Where a view stands: on its tab's page, alone under a column header in the boxes' font
// (share 0), or as one of the page's columns under its caption, with its share of the width.
struct ViewPlace {
    MemoryTab tab;
    const char16_t *heading;
    int share;
};

struct ViewRow {
    constexpr ViewRow(const char *name, QPlainTextEdit *SimulatorWindow::Controls::*box,
                      QStringList (*lines)(const Cpu51 &), ViewPlace place, unsigned shownAfter)
        : name(name), box(box), lines(lines), place(place), shownAfter(shownAfter)
    {
    }

    // The view's section in the golden .views files and its name in the tests; null for a number
    // that is no view, which is what counts the views.
    const char *name;
    QPlainTextEdit *SimulatorWindow::Controls::*box;
    QStringList (*lines)(const Cpu51 &);
    ViewPlace place;
    unsigned shownAfter; // ShownAfter values
};

constexpr ViewRow viewRow(SimulatorView view)
{
    using W = SimulatorWindow;
    using C = W::Controls;
    switch (view) {
    case SimulatorView::InternalRam:
        return {"internalRam",
                &C::internalRam,
                internalRamView,
                {W::InternalRamTab, u"addr  0  1  2  3  4  5  6  7    8  9  A  B  C  D  E  F", 0},
                InternalRamCleared | InternalRamSet | PinClicked};
    case SimulatorView::Bits:
        return {"bits",
                &C::bits,
                bitAreaView,
                {W::BitTab, u"addr 7 6 5 4 3 2 1 0        addr 7 6 5 4 3 2 1 0", 0},
                InternalRamCleared | PinClicked};
    case SimulatorView::Sfr:
        return {"sfr", &C::sfr, sfrView, {W::RegisterTab, u"特殊功能寄存器", 4}, PinClicked};
    case SimulatorView::Psw:
        return {"psw", &C::psw, pswView, {W::RegisterTab, u"程序状态字", 1}, WithEveryViewOnly};
    case SimulatorView::Registers:
        return {
            "registers", &C::registers, registerView, {W::RegisterTab, u"工作寄存器", 1}, InternalRamCleared};
    }
    return {nullptr, nullptr, nullptr, {W::InternalRamTab, nullptr, 0}, WithEveryViewOnly};
}

inline constexpr std::size_t kViewCount =
    countNamed<SimulatorView>([](SimulatorView view) { return viewRow(view).name; });
inline constexpr std::array<SimulatorView, kViewCount> kAllViews = enumValues<SimulatorView, kViewCount>();

} // namespace tw
