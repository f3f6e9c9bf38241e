#include "OpcodeTable.h"

#include <cstdint>
#include <unordered_map>

namespace tw::mcs51
{

namespace
{

// A form as one number: up to six mnemonic letters of seven bits each, then the three kinds.
// Anything longer or not ASCII is no mnemonic of the table; 0 marks that.
template <typename Char>
std::uint64_t formKey(std::basic_string_view<Char> mnemonic, Operand first, Operand second, Operand third)
{
    if (mnemonic.empty() || mnemonic.size() > 6)
        return 0;
    std::uint64_t key = 0;
    for (Char c : mnemonic) {
        const auto unit = static_cast<std::uint32_t>(c);
        if (unit == 0 || unit >= 0x80)
            return 0;
        key = key << 7 | unit;
    }
    for (Operand kind : {first, second, third})
        key = key << 5 | static_cast<std::uint64_t>(kind);
    return key;
}

const std::unordered_map<std::uint64_t, int> &forms()
{
    static const std::unordered_map<std::uint64_t, int> map = [] {
        std::unordered_map<std::uint64_t, int> m;
        for (const auto &row : kOpcodes)
            if (!row.mnemonic.empty()) // keeps the lowest opcode of a Rn, @Ri or page group
                m.emplace(formKey(row.mnemonic, row.operands[0], row.operands[1], row.operands[2]),
                          row.opcode);
        return m;
    }();
    return map;
}

int opcodeOf(std::uint64_t key)
{
    if (key == 0)
        return -1;
    const auto &map = forms();
    const auto it = map.find(key);
    return it == map.end() ? -1 : it->second;
}

} // namespace

int findOpcode(std::string_view mnemonic, Operand first, Operand second, Operand third)
{
    return opcodeOf(formKey(mnemonic, first, second, third));
}

int findOpcode(std::u16string_view mnemonic, Operand first, Operand second, Operand third)
{
    return opcodeOf(formKey(mnemonic, first, second, third));
}

} // namespace tw::mcs51
