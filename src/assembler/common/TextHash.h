#pragma once
// Hash containers keyed by text for the assembler's name tables. Qt's seeded string hash costs
// over 100 ns per look-up on the machines this runs on, which a 16,000-line source pays a few
// hundred thousand times; FNV-1a over the UTF-16 units costs a few nanoseconds.
#include <QString>
#include <QStringView>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tw
{

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(QStringView text) const noexcept
    {
        std::size_t hash = 14695981039346656037ull;
        for (QChar c : text) {
            hash ^= c.unicode();
            hash *= 1099511628211ull;
        }
        return hash;
    }
};

struct TextEqual {
    using is_transparent = void;
    // In place: the library's comparison is a call, and most keys here are a few letters long.
    bool operator()(QStringView a, QStringView b) const noexcept
    {
        return a.size() == b.size() && std::equal(a.utf16(), a.utf16() + a.size(), b.utf16());
    }
};

template <typename Value> using TextMap = std::unordered_map<QString, Value, TextHash, TextEqual>;
using TextSet = std::unordered_set<QString, TextHash, TextEqual>;

// The value for key, or fallback when the map has none.
template <typename Value> Value valueOr(const TextMap<Value> &map, QStringView key, const Value &fallback)
{
    const auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
}

} // namespace tw
