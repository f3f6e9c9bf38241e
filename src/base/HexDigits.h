#pragma once
// The hexadecimal digits of the system, as it writes and reads them.
namespace tw
{

// The upper-case digit of the low four bits of value: 10 gives 'A'. The one digit table of the
// system: every writer of hexadecimal text takes its digits from here.
constexpr char hexDigit(unsigned value)
{
    return "0123456789ABCDEF"[value & 0x0F];
}

// The value of one hexadecimal digit as the system reads them: "0"-"9" and upper-case "A"-"F";
// -1 for any other character.
constexpr int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace tw
