#pragma once
// The 21 toolbar slots in order, one row each: the key, the command it runs, its tip and icon.
#include <array>

namespace tw
{

struct ToolbarButton {
    const char *key = nullptr;     // nullptr: a separator
    const char *command = nullptr; // the menu item (or the font command) the button runs
    const char16_t *tip = nullptr;
    const char *themeIcon = nullptr;    // icon theme name; empty: the window draws the icon
    const char *fallbackIcon = nullptr; // QStyle standard pixmap name when the theme has none
    bool isSeparator() const { return key == nullptr; }
};

inline constexpr int ToolbarSlotCount = 21;
const std::array<ToolbarButton, ToolbarSlotCount> &toolbarButtons();

} // namespace tw
