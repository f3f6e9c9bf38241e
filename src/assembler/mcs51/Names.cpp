#include "Names.h"

#include "assembler/common/Aliases.h"
#include "assembler/common/Messages.h"
#include "assembler/common/Operands.h"
#include "assembler/common/TextHash.h"
#include "common/Hex.h"

namespace tw::mcs51
{

using namespace Qt::StringLiterals;

namespace
{

using AddressMap = TextMap<std::uint8_t>;

const AddressMap &sfrAddresses()
{
    static const AddressMap map = {
        {u"A"_s, 0xE0},    {u"B"_s, 0xF0},    {u"PSW"_s, 0xD0},    {u"SP"_s, 0x81},    {u"DPL"_s, 0x82},
        {u"DPH"_s, 0x83},  {u"P0"_s, 0x80},   {u"P1"_s, 0x90},     {u"P2"_s, 0xA0},    {u"P3"_s, 0xB0},
        {u"IE"_s, 0xA8},   {u"TMOD"_s, 0x89}, {u"TCON"_s, 0x88},   {u"T2CON"_s, 0xC8}, {u"TH0"_s, 0x8C},
        {u"TL0"_s, 0x8A},  {u"TH1"_s, 0x8D},  {u"TL1"_s, 0x8B},    {u"TH2"_s, 0xCD},   {u"IP"_s, 0xB8},
        {u"TL2"_s, 0xCC},  {u"RLDH"_s, 0xCB}, {u"RLDL"_s, 0xCA},   {u"SCON"_s, 0x98},  {u"SBUF"_s, 0x99},
        {u"PCON"_s, 0x87}, {u"WDT"_s, 0xA6},  {u"WDTRST"_s, 0xA6},
    };
    return map;
}

void addRegisterBits(AddressMap &map, const QString &reg, int base, int bits)
{
    for (int bit = 0; bit < bits; ++bit)
        map.emplace(reg + u'.' + QString::number(bit), static_cast<std::uint8_t>(base + bit));
}

AddressMap makeBitNames()
{
    AddressMap map = {
        {u"IT0"_s, 0x88},   {u"IE0"_s, 0x89},  {u"IT1"_s, 0x8A},    {u"IE1"_s, 0x8B},  {u"TR0"_s, 0x8C},
        {u"TF0"_s, 0x8D},   {u"TR1"_s, 0x8E},  {u"TF1"_s, 0x8F},    {u"RI"_s, 0x98},   {u"TI"_s, 0x99},
        {u"RB8"_s, 0x9A},   {u"TB8"_s, 0x9B},  {u"REN"_s, 0x9C},    {u"SM2"_s, 0x9D},  {u"SM1"_s, 0x9E},
        {u"SM0"_s, 0x9F},   {u"EX0"_s, 0xA8},  {u"ET0"_s, 0xA9},    {u"EX1"_s, 0xAA},  {u"ET1"_s, 0xAB},
        {u"ES"_s, 0xAC},    {u"ET2"_s, 0xAD},  {u"EA"_s, 0xAF},     {u"RXD"_s, 0xB0},  {u"TXD"_s, 0xB1},
        {u"INT0"_s, 0xB2},  {u"INT1"_s, 0xB3}, {u"T0"_s, 0xB4},     {u"T1"_s, 0xB5},   {u"WR"_s, 0xB6},
        {u"RD"_s, 0xB7},    {u"PX0"_s, 0xB8},  {u"PT0"_s, 0xB9},    {u"PX1"_s, 0xBA},  {u"PT1"_s, 0xBB},
        {u"PS"_s, 0xBC},    {u"PT2"_s, 0xBD},  {u"CP/RL2"_s, 0xC8}, {u"C/T2"_s, 0xC9}, {u"TR2"_s, 0xCA},
        {u"EXEN2"_s, 0xCB}, {u"TCLK"_s, 0xCC}, {u"RCLK"_s, 0xCD},   {u"EXF2"_s, 0xCE}, {u"TF2"_s, 0xCF},
        {u"TE2"_s, 0xCF},   {u"P"_s, 0xD0},    {u"OV"_s, 0xD2},     {u"RS0"_s, 0xD3},  {u"RS1"_s, 0xD4},
        {u"F0"_s, 0xD5},    {u"FO"_s, 0xD5},   {u"AC"_s, 0xD6},     {u"CY"_s, 0xD7},
    };
    addRegisterBits(map, u"P0"_s, 0x80, 8);
    addRegisterBits(map, u"P1"_s, 0x90, 8);
    addRegisterBits(map, u"P2"_s, 0xA0, 8);
    addRegisterBits(map, u"P3"_s, 0xB0, 8);
    addRegisterBits(map, u"TCON"_s, 0x88, 8);
    addRegisterBits(map, u"SCON"_s, 0x98, 8);
    addRegisterBits(map, u"IE"_s, 0xA8, 6);
    map.emplace(u"IE.7"_s, 0xAF); // the chip has no IE.6
    addRegisterBits(map, u"IP"_s, 0xB8, 6);
    addRegisterBits(map, u"T2CON"_s, 0xC8, 8);
    addRegisterBits(map, u"PSW"_s, 0xD0, 8);
    addRegisterBits(map, u"ACC"_s, 0xE0, 8);
    addRegisterBits(map, u"B"_s, 0xF0, 8);
    return map;
}

// "20H.0" .. "2FH.7" and "80H.0" .. "F8H.7": the byte in two digits with H, no leading 0.
AddressMap makeByteBitTexts()
{
    AddressMap map;
    auto add = [&map](int byte, int firstBitAddress) {
        const QString name = hexByte(static_cast<std::uint8_t>(byte)) + u'H';
        addRegisterBits(map, name, firstBitAddress, 8);
    };
    for (int byte = 0x20; byte <= 0x2F; ++byte)
        add(byte, (byte - 0x20) * 8);
    for (int byte = 0x80; byte <= 0xF8; byte += 8)
        add(byte, byte);
    return map;
}

std::uint8_t byteOrOutOfRange(const QString &text, ErrorSink &errors)
{
    const long long value = readNumber(text);
    if (value >= 0 && value <= 0xFF)
        return static_cast<std::uint8_t>(value);
    errors.record(kOperandOutOfRangeError);
    return 0;
}

} // namespace

std::uint8_t directAddress(const QString &operand, const VariableTable &variables, ErrorSink &errors)
{
    const QString text = registerNameOf(operand, variables);
    const auto &sfrs = sfrAddresses();
    const auto it = sfrs.find(text);
    if (it != sfrs.end())
        return it->second;
    return byteOrOutOfRange(text, errors);
}

std::uint8_t bitAddress(const QString &operand, const VariableTable &variables, ErrorSink &errors)
{
    static const AddressMap names = makeBitNames();
    static const AddressMap byteBits = makeByteBitTexts();
    const QString text = substituteVariable(operand, variables);
    for (const AddressMap *map : {&names, &byteBits}) {
        const auto it = map->find(text);
        if (it != map->end())
            return it->second;
    }
    return byteOrOutOfRange(text, errors);
}

} // namespace tw::mcs51
