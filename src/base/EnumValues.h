#pragma once
// An enum numbered from 0 without gaps whose values a switch names (a heading, a name), giving
// null past the last: the count and the list of every value follow from that switch, so the switch
// is the one place a new value goes, and -Werror=switch makes it go there.
#include <array>
#include <cstddef>

namespace tw
{

// How many values from 0 up `named` names.
template <typename Enum, typename Named> constexpr std::size_t countNamed(Named named)
{
    std::size_t count = 0;
    while (named(static_cast<Enum>(count)))
        ++count;
    return count;
}

// The values 0 .. count-1.
template <typename Enum, std::size_t count> constexpr std::array<Enum, count> enumValues()
{
    std::array<Enum, count> values{};
    for (std::size_t i = 0; i < count; ++i)
        values[i] = static_cast<Enum>(i);
    return values;
}

} // namespace tw
