#include "isa/Mcs51.h"

#include <cstdint>

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

// Open addressing over a table four times the 255 forms: a look-up is a multiply and a probe or
// two, where a node-based map divides and chases pointers for every statement.
class FormTable
{
  public:
    FormTable()
    {
        for (const auto &row : kOpcodes)
            if (!row.mnemonic.empty())
                add(formKey(row.mnemonic, row.operands[0], row.operands[1], row.operands[2]), row.opcode);
    }

    int find(std::uint64_t key) const
    {
        for (std::size_t i = slot(key);; i = (i + 1) % kSize) {
            if (m_keys[i] == key)
                return m_opcodes[i];
            if (m_keys[i] == 0)
                return -1;
        }
    }

  private:
    static constexpr std::size_t kSize = 1024;
    static std::size_t slot(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15ull) >> 54; }

    // The first row of a form wins: the lowest opcode of a Rn, @Ri or page group.
    void add(std::uint64_t key, int opcode)
    {
        std::size_t i = slot(key);
        while (m_keys[i] != 0 && m_keys[i] != key)
            i = (i + 1) % kSize;
        if (m_keys[i] == 0) {
            m_keys[i] = key;
            m_opcodes[i] = static_cast<std::int16_t>(opcode);
        }
    }

    std::array<std::uint64_t, kSize> m_keys{};
    std::array<std::int16_t, kSize> m_opcodes{};
};

int opcodeOf(std::uint64_t key)
{
    static const FormTable table;
    return key == 0 ? -1 : table.find(key);
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
