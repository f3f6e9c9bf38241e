#include "OpcodeTable.h"

#include <string>
#include <unordered_map>

namespace tw::mcs51
{

namespace
{

std::string formKey(std::string_view mnemonic, Operand first, Operand second, Operand third)
{
    std::string key(mnemonic);
    for (Operand kind : {first, second, third})
        key += static_cast<char>('a' + static_cast<int>(kind));
    return key;
}

const std::unordered_map<std::string, int> &forms()
{
    static const std::unordered_map<std::string, int> map = [] {
        std::unordered_map<std::string, int> m;
        for (const auto &row : kOpcodes)
            if (!row.mnemonic.empty()) // keeps the lowest opcode of a Rn, @Ri or page group
                m.emplace(formKey(row.mnemonic, row.operands[0], row.operands[1], row.operands[2]),
                          row.opcode);
        return m;
    }();
    return map;
}

} // namespace

int findOpcode(std::string_view mnemonic, Operand first, Operand second, Operand third)
{
    const auto &map = forms();
    const auto it = map.find(formKey(mnemonic, first, second, third));
    return it == map.end() ? -1 : it->second;
}

} // namespace tw::mcs51
