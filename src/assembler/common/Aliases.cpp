#include "Aliases.h"

#include "assembler/common/TextHash.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tw
{

using namespace Qt::StringLiterals;

namespace
{

using AliasMap = TextMap<QString>;

const AliasMap &mnemonicAliases()
{
    static const AliasMap map = {
        {u"起点"_s, u"ORG"_s},
        {u"结束"_s, u"END"_s},
        {u"定义字节"_s, u"DB"_s},
        {u"等值"_s, u"EQU"_s},
        {u"BIT"_s, u"EQU"_s},
        {u"定义字"_s, u"DW"_s},
        {u"空操作"_s, u"NOP"_s},
        {u"位为1转移并清零"_s, u"JBC"_s},
        {u"位为1转移"_s, u"JB"_s},
        {u"位为0转移"_s, u"JNB"_s},
        {u"有进位转移"_s, u"JC"_s},
        {u"无进位转移"_s, u"JNC"_s},
        {u"累加器为0转移"_s, u"JZ"_s},
        {u"累加器非0转移"_s, u"JNZ"_s},
        {u"散转"_s, u"JMP"_s},
        {u"相对转移"_s, u"SJMP"_s},
        {u"短转移"_s, u"SJMP"_s},
        {u"绝对转移"_s, u"AJMP"_s},
        {u"长转移"_s, u"LJMP"_s},
        {u"绝对调用"_s, u"ACALL"_s},
        {u"长调用"_s, u"LCALL"_s},
        {u"进栈"_s, u"PUSH"_s},
        {u"出栈"_s, u"POP"_s},
        {u"数据存储器传送"_s, u"MOVX"_s},
        {u"程序存储器传送"_s, u"MOVC"_s},
        {u"传送"_s, u"MOV"_s},
        {u"传输"_s, u"MOV"_s},
        {u"或"_s, u"ORL"_s},
        {u"与"_s, u"ANL"_s},
        {u"异或"_s, u"XRL"_s},
        {u"取反"_s, u"CPL"_s},
        {u"取非"_s, u"CPL"_s},
        {u"清零"_s, u"CLR"_s},
        {u"返回"_s, u"RET"_s},
        {u"中断返回"_s, u"RETI"_s},
        {u"置位"_s, u"SETB"_s},
        {u"右环移"_s, u"RR"_s},
        {u"右循环"_s, u"RR"_s},
        {u"带进位右环移"_s, u"RRC"_s},
        {u"带进位右循环"_s, u"RRC"_s},
        {u"左环移"_s, u"RL"_s},
        {u"左循环"_s, u"RL"_s},
        {u"带进位左环移"_s, u"RLC"_s},
        {u"带进位左循环"_s, u"RLC"_s},
        {u"加1"_s, u"INC"_s},
        {u"减1"_s, u"DEC"_s},
        {u"加"_s, u"ADD"_s},
        {u"带进位加"_s, u"ADDC"_s},
        {u"减"_s, u"SUBB"_s},
        {u"乘"_s, u"MUL"_s},
        {u"除"_s, u"DIV"_s},
        {u"累加器半交换"_s, u"SWAP"_s},
        {u"调整"_s, u"DA"_s},
        {u"比较转移"_s, u"CJNE"_s},
        {u"CJNZ"_s, u"CJNE"_s},
        {u"循环"_s, u"DJNZ"_s},
        {u"DJNE"_s, u"DJNZ"_s},
        {u"字节交换"_s, u"XCH"_s},
        {u"半字节交换"_s, u"XCHD"_s},
    };
    return map;
}

AliasMap makeRegisterAliases()
{
    AliasMap map = {
        {u"累加器"_s, u"A"_s},
        {u"ACC"_s, u"A"_s},
        {u"B寄存器"_s, u"B"_s},
        {u"状态寄存器"_s, u"PSW"_s},
        {u"堆栈指针"_s, u"SP"_s},
        {u"@数据指针"_s, u"@DPTR"_s},
        {u"数据指针"_s, u"DPTR"_s},
        {u"数据指针高位"_s, u"DPH"_s},
        {u"数据指针低位"_s, u"DPL"_s},
        {u"端口0"_s, u"P0"_s},
        {u"端口1"_s, u"P1"_s},
        {u"端口2"_s, u"P2"_s},
        {u"端口3"_s, u"P3"_s},
        {u"中断优先级控制寄存器"_s, u"IP"_s},
        {u"中断控制寄存器"_s, u"IE"_s},
        {u"定时器方式寄存器"_s, u"TMOD"_s},
        {u"定时器2控制寄存器"_s, u"T2CON"_s},
        {u"定时器0高位寄存器"_s, u"TH0"_s},
        {u"定时器0低位寄存器"_s, u"TL0"_s},
        {u"定时器1高位寄存器"_s, u"TH1"_s},
        {u"定时器1低位寄存器"_s, u"TL1"_s},
        {u"定时器2高位寄存器"_s, u"TH2"_s},
        {u"定时器2低位寄存器"_s, u"TL2"_s},
        {u"定时器2高位装载寄存器"_s, u"RLDH"_s},
        {u"定时器2低位装载寄存器"_s, u"RLDL"_s},
        {u"串行控制寄存器"_s, u"SCON"_s},
        {u"串行数据缓冲器"_s, u"SBUF"_s},
        {u"电源控制寄存器"_s, u"PCON"_s},
        {u"@工作寄存器0"_s, u"@R0"_s},
        {u"@工作寄存器1"_s, u"@R1"_s},
        {u"看门狗寄存器"_s, u"WDT"_s},
        {u"定时器控制寄存器"_s, u"TCON"_s},
    };
    for (int n = 0; n < 8; ++n)
        map.emplace(u"工作寄存器"_s + QString::number(n), u"R"_s + QString::number(n));
    return map;
}

// The aliases written in plain ASCII; every other alias holds a Chinese character.
constexpr std::array<std::u16string_view, 3> kEnglishMnemonicAliases{u"BIT", u"CJNZ", u"DJNE"};
constexpr std::array<std::u16string_view, 1> kEnglishRegisterAliases{u"ACC"};

// The ASCII units an alias may begin with ("B" of B寄存器, "@" of @数据指针, the English ones).
using FirstUnits = std::array<bool, 0x80>;
FirstUnits firstUnitsOf(const AliasMap &map)
{
    FirstUnits units{};
    for (const auto &entry : map)
        if (entry.first.front().unicode() < 0x80)
            units[entry.first.front().unicode()] = true;
    return units;
}

// Most operands and mnemonics are plain ASCII and no English alias, so they need no look-up.
template <std::size_t Count>
QStringView lookUp(const AliasMap &map, const FirstUnits &firstUnits, QStringView text,
                   const std::array<std::u16string_view, Count> &english)
{
    if (text.isEmpty())
        return text;
    const std::u16string_view units(text.utf16(), static_cast<std::size_t>(text.size()));
    if (units.front() < 0x80 && !firstUnits[units.front()])
        return text;
    char16_t any = 0; // all units OR-ed together stay below 80H only for ASCII text
    for (const char16_t unit : units)
        any |= unit;
    if (any < 0x80 && std::none_of(english.begin(), english.end(),
                                   [units](std::u16string_view alias) { return alias == units; }))
        return text;
    const auto it = map.find(text);
    return it == map.end() ? text : QStringView(it->second);
}

const AliasMap &registerAliases()
{
    static const AliasMap map = makeRegisterAliases();
    return map;
}

// The alias's standard text, or text itself (shared, not copied) when it is none.
QString asString(QStringView standard, const QString &text)
{
    if (standard.data() == text.constData())
        return text;
    return QString::fromRawData(standard.data(), standard.size()); // static storage
}

} // namespace

QStringView standardMnemonicView(QStringView mnemonic)
{
    static const FirstUnits firstUnits = firstUnitsOf(mnemonicAliases());
    return lookUp(mnemonicAliases(), firstUnits, mnemonic, kEnglishMnemonicAliases);
}

QStringView standardRegisterView(QStringView text)
{
    static const FirstUnits firstUnits = firstUnitsOf(registerAliases());
    return lookUp(registerAliases(), firstUnits, text, kEnglishRegisterAliases);
}

QString standardMnemonic(const QString &mnemonic)
{
    return asString(standardMnemonicView(mnemonic), mnemonic);
}

QString standardRegister(const QString &text)
{
    return asString(standardRegisterView(text), text);
}

} // namespace tw
