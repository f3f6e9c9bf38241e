#include "Forms.h"

#include <QHash>
#include <array>

namespace tw::mcs48
{

namespace
{

using O = Operand;

// Intel's encodings, plus the dialect's own: MOV A,PC 22H, CLR AH 87H, DEC @Ri C0H/C1H,
// DJNZ @Ri E0H/E1H, JMPP label D6H, JNTF 06H, JNF1 66H, JNF0 A6H. Rows of one mnemonic stay
// together and in match order (JMPP @A before the label form).
constexpr std::array kForms = {
    Form{"NOP", O::None, O::None, 0x00},    Form{"JB0", O::Page, O::None, 0x12},
    Form{"JB1", O::Page, O::None, 0x32},    Form{"JB2", O::Page, O::None, 0x52},
    Form{"JB3", O::Page, O::None, 0x72},    Form{"JB4", O::Page, O::None, 0x92},
    Form{"JB5", O::Page, O::None, 0xB2},    Form{"JB6", O::Page, O::None, 0xD2},
    Form{"JB7", O::Page, O::None, 0xF2},    Form{"JC", O::Page, O::None, 0xF6},
    Form{"JNC", O::Page, O::None, 0xE6},    Form{"JZ", O::Page, O::None, 0xC6},
    Form{"JNZ", O::Page, O::None, 0x96},    Form{"JMP", O::Addr11, O::None, 0x04},
    Form{"CALL", O::Addr11, O::None, 0x14}, Form{"MOVX", O::A, O::AtRi, 0x80},
    Form{"MOVX", O::AtRi, O::A, 0x90},      Form{"MOV", O::A, O::Imm, 0x23},
    Form{"MOV", O::A, O::Rn, 0xF8},         Form{"MOV", O::A, O::AtRi, 0xF0},
    Form{"MOV", O::A, O::T, 0x42},          Form{"MOV", O::A, O::Psw, 0xC7},
    Form{"MOV", O::A, O::Pc, 0x22},         Form{"MOV", O::Rn, O::A, 0xA8},
    Form{"MOV", O::Rn, O::Imm, 0xB8},       Form{"MOV", O::AtRi, O::A, 0xA0},
    Form{"MOV", O::AtRi, O::Imm, 0xB0},     Form{"MOV", O::T, O::A, 0x62},
    Form{"MOV", O::Psw, O::A, 0xD7},        Form{"ORL", O::A, O::Imm, 0x43},
    Form{"ORL", O::A, O::Rn, 0x48},         Form{"ORL", O::A, O::AtRi, 0x40},
    Form{"ORL", O::P1, O::Imm, 0x89},       Form{"ORL", O::P2, O::Imm, 0x8A},
    Form{"ORL", O::Bus, O::Imm, 0x88},      Form{"ANL", O::A, O::Imm, 0x53},
    Form{"ANL", O::A, O::Rn, 0x58},         Form{"ANL", O::A, O::AtRi, 0x50},
    Form{"ANL", O::P1, O::Imm, 0x99},       Form{"ANL", O::P2, O::Imm, 0x9A},
    Form{"ANL", O::Bus, O::Imm, 0x98},      Form{"XRL", O::A, O::Imm, 0xD3},
    Form{"XRL", O::A, O::Rn, 0xD8},         Form{"XRL", O::A, O::AtRi, 0xD0},
    Form{"CPL", O::A, O::None, 0x37},       Form{"CPL", O::C, O::None, 0xA7},
    Form{"CPL", O::F0, O::None, 0x95},      Form{"CPL", O::F1, O::None, 0xB5},
    Form{"CLR", O::A, O::None, 0x27},       Form{"CLR", O::C, O::None, 0x97},
    Form{"CLR", O::F0, O::None, 0x85},      Form{"CLR", O::F1, O::None, 0xA5},
    Form{"CLR", O::Ah, O::None, 0x87},      Form{"RET", O::None, O::None, 0x83},
    Form{"RETI", O::None, O::None, 0x93},   Form{"SEL", O::Rb0, O::None, 0xC5},
    Form{"SEL", O::Rb1, O::None, 0xD5},     Form{"SEL", O::Mb0, O::None, 0xE5},
    Form{"SEL", O::Mb1, O::None, 0xF5},     Form{"RR", O::A, O::None, 0x77},
    Form{"RRC", O::A, O::None, 0x67},       Form{"RL", O::A, O::None, 0xE7},
    Form{"RLC", O::A, O::None, 0xF7},       Form{"INC", O::A, O::None, 0x17},
    Form{"INC", O::Rn, O::None, 0x18},      Form{"INC", O::AtRi, O::None, 0x10},
    Form{"DEC", O::A, O::None, 0x07},       Form{"DEC", O::Rn, O::None, 0xC8},
    Form{"DEC", O::AtRi, O::None, 0xC0},    Form{"ADD", O::A, O::Imm, 0x03},
    Form{"ADD", O::A, O::Rn, 0x68},         Form{"ADD", O::A, O::AtRi, 0x60},
    Form{"ADDC", O::A, O::Imm, 0x13},       Form{"ADDC", O::A, O::Rn, 0x78},
    Form{"ADDC", O::A, O::AtRi, 0x70},      Form{"SWAP", O::A, O::None, 0x47},
    Form{"DA", O::A, O::None, 0x57},        Form{"DJNZ", O::Rn, O::Page, 0xE8},
    Form{"DJNZ", O::AtRi, O::Page, 0xE0},   Form{"XCH", O::A, O::Rn, 0x28},
    Form{"XCH", O::A, O::AtRi, 0x20},       Form{"XCHD", O::A, O::AtRi, 0x30},
    Form{"IN", O::A, O::P1, 0x09},          Form{"IN", O::A, O::P2, 0x0A},
    Form{"IN", O::A, O::Bus, 0x08},         Form{"INS", O::A, O::Bus, 0x08},
    Form{"OUTL", O::Bus, O::A, 0x02},       Form{"OUTL", O::P1, O::A, 0x39},
    Form{"OUTL", O::P2, O::A, 0x3A},        Form{"MOVP", O::A, O::AtA, 0xA3},
    Form{"MOVP3", O::A, O::AtA, 0xE3},      Form{"MOVD", O::A, O::Pp, 0x0C},
    Form{"MOVD", O::Pp, O::A, 0x3C},        Form{"ORLD", O::Pp, O::A, 0x8C},
    Form{"ANLD", O::Pp, O::A, 0x9C},        Form{"JMPP", O::AtA, O::None, 0xB3},
    Form{"JMPP", O::Page, O::None, 0xD6},   Form{"JNTF", O::Page, O::None, 0x06},
    Form{"JTF", O::Page, O::None, 0x16},    Form{"JNT0", O::Page, O::None, 0x26},
    Form{"JT0", O::Page, O::None, 0x36},    Form{"JNT1", O::Page, O::None, 0x46},
    Form{"JT1", O::Page, O::None, 0x56},    Form{"JNF1", O::Page, O::None, 0x66},
    Form{"JF1", O::Page, O::None, 0x76},    Form{"JNI", O::Page, O::None, 0x86},
    Form{"JNF0", O::Page, O::None, 0xA6},   Form{"JF0", O::Page, O::None, 0xB6},
    Form{"EN", O::I, O::None, 0x05},        Form{"EN", O::Tcnti, O::None, 0x25},
    Form{"DIS", O::I, O::None, 0x15},       Form{"DIS", O::Tcnti, O::None, 0x35},
    Form{"STRT", O::Cnt, O::None, 0x45},    Form{"STRT", O::T, O::None, 0x55},
    Form{"STOP", O::Tcnt, O::None, 0x65},   Form{"ENT0", O::Clk, O::None, 0x75},
};

using Take = Rules::Take;
using Store = Rules::Store;

constexpr std::u16string_view kFirstWrong = u"第一操作数错误";
constexpr std::u16string_view kSecondWrong = u"第二操作数错误";
constexpr std::u16string_view kWrong = u"操作数错误";
constexpr std::u16string_view kIllegal = u"操作数非法";

constexpr Rules jump(std::string_view mnemonic)
{
    // Label forms match any operand; what fails is the label search.
    return {mnemonic, Take::One, Store::AfterMatch, {}, {}, {}, {}};
}
constexpr Rules oneOperand(std::string_view mnemonic, std::u16string_view message, std::string_view code,
                           Store store = Store::AfterMatch)
{
    return {mnemonic, Take::One, store, message, code, message, code};
}
constexpr Rules twoOperands(std::string_view mnemonic, std::u16string_view message, std::string_view code)
{
    return {mnemonic, Take::Two, Store::AfterMatch, message, code, message, code};
}
constexpr Rules noOperand(std::string_view mnemonic, Store store = Store::AfterMatch)
{
    return {mnemonic, Take::Nothing, store, {}, {}, {}, {}};
}

constexpr std::array kRules = {
    noOperand("NOP", Store::Never),
    jump("JB0"),
    jump("JB1"),
    jump("JB2"),
    jump("JB3"),
    jump("JB4"),
    jump("JB5"),
    jump("JB6"),
    jump("JB7"),
    jump("JC"),
    jump("JNC"),
    jump("JZ"),
    jump("JNZ"),
    jump("JMP"),
    jump("CALL"),
    Rules{"MOVX", Take::Two, Store::AfterMatch, kFirstWrong, "00", kSecondWrong, "00"},
    Rules{"MOV", Take::Two, Store::AfterMatch, kFirstWrong, "0000", kSecondWrong, "0000"},
    Rules{"ORL", Take::Two, Store::AfterMatch, kFirstWrong, "0000", kSecondWrong, "0000"},
    Rules{"ANL", Take::Two, Store::AfterMatch, kFirstWrong, "0000", kSecondWrong, "0000"},
    Rules{"XRL", Take::Two, Store::AfterMatch, kFirstWrong, "000000", kSecondWrong, "0000"},
    oneOperand("CPL", kWrong, "000000"),
    oneOperand("CLR", kWrong, "000000"),
    noOperand("RET"),
    noOperand("RETI"),
    oneOperand("SEL", kWrong, "000000"),
    oneOperand("RR", kIllegal, "00", Store::OpcodeFirst),
    oneOperand("RRC", kIllegal, "00", Store::OpcodeFirst),
    oneOperand("RL", kIllegal, "00", Store::OpcodeFirst),
    oneOperand("RLC", kIllegal, "00", Store::OpcodeFirst),
    oneOperand("INC", kIllegal, "00"),
    oneOperand("DEC", kIllegal, "00"),
    Rules{"ADD", Take::Two, Store::AfterMatch, kWrong, "0000", kIllegal, "0000"},
    Rules{"ADDC", Take::Two, Store::AfterMatch, kWrong, "0000", kIllegal, "0000"},
    oneOperand("SWAP", kIllegal, {}, Store::OpcodeFirstAsText),
    oneOperand("DA", kIllegal, {}, Store::OpcodeFirstAsText),
    Rules{"DJNZ", Take::Two, Store::AfterMatch, kIllegal, "", {}, {}},
    twoOperands("XCH", kWrong, "00"),
    twoOperands("XCHD", kWrong, "00"),
    twoOperands("IN", kWrong, "00"),
    twoOperands("INS", kWrong, "00"),
    twoOperands("OUTL", kWrong, "00"),
    twoOperands("MOVP", kWrong, "00"),
    twoOperands("MOVP3", kWrong, "00"),
    twoOperands("MOVD", kWrong, "00"),
    twoOperands("ORLD", kWrong, "00"),
    twoOperands("ANLD", kWrong, "00"),
    jump("JMPP"),
    jump("JNTF"),
    jump("JTF"),
    jump("JNT0"),
    jump("JT0"),
    jump("JNT1"),
    jump("JT1"),
    jump("JNF1"),
    jump("JF1"),
    jump("JNI"),
    jump("JNF0"),
    jump("JF0"),
    oneOperand("EN", kWrong, "00"),
    oneOperand("DIS", kWrong, "00"),
    oneOperand("STRT", kWrong, "00"),
    oneOperand("STOP", kWrong, "00"),
    oneOperand("ENT0", kWrong, "00"),
};

QString latin(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct Span {
    int begin = 0;
    int end = 0;
};

const QHash<QString, Span> &formIndex()
{
    static const QHash<QString, Span> index = [] {
        QHash<QString, Span> map;
        for (int i = 0; i < static_cast<int>(kForms.size()); ++i) {
            Span &span = map[latin(kForms[i].mnemonic)];
            if (span.end == 0)
                span.begin = i;
            span.end = i + 1;
        }
        return map;
    }();
    return index;
}

const QHash<QString, const Rules *> &rulesIndex()
{
    static const QHash<QString, const Rules *> index = [] {
        QHash<QString, const Rules *> map;
        for (const Rules &rules : kRules)
            map.insert(latin(rules.mnemonic), &rules);
        return map;
    }();
    return index;
}

const QHash<QString, Operand> &namedOperands()
{
    static const QHash<QString, Operand> names = {
        {QStringLiteral("A"), O::A},         {QStringLiteral("C"), O::C},
        {QStringLiteral("@A"), O::AtA},      {QStringLiteral("T"), O::T},
        {QStringLiteral("PSW"), O::Psw},     {QStringLiteral("PC"), O::Pc},
        {QStringLiteral("AH"), O::Ah},       {QStringLiteral("F0"), O::F0},
        {QStringLiteral("F1"), O::F1},       {QStringLiteral("P1"), O::P1},
        {QStringLiteral("P2"), O::P2},       {QStringLiteral("BUS"), O::Bus},
        {QStringLiteral("I"), O::I},         {QStringLiteral("TCNTI"), O::Tcnti},
        {QStringLiteral("TCHTI"), O::Tcnti}, {QStringLiteral("CNT"), O::Cnt},
        {QStringLiteral("TCNT"), O::Tcnt},   {QStringLiteral("TCHT"), O::Tcnt},
        {QStringLiteral("CLK"), O::Clk},     {QStringLiteral("RB0"), O::Rb0},
        {QStringLiteral("RB1"), O::Rb1},     {QStringLiteral("MB0"), O::Mb0},
        {QStringLiteral("MB1"), O::Mb1},
    };
    return names;
}

// The digit of a name such as R5 or @R1 when the text is prefix + one digit in [low, high].
int numbered(const QString &text, QStringView prefix, int low, int high)
{
    if (text.size() != prefix.size() + 1 || !text.startsWith(prefix))
        return -1;
    const int digit = text.back().unicode() - u'0';
    return digit >= low && digit <= high ? digit : -1;
}

} // namespace

std::span<const Form> forms()
{
    return kForms;
}

const Rules *rulesFor(QStringView mnemonic)
{
    return rulesIndex().value(mnemonic.toString(), nullptr);
}

std::span<const Form> formsOf(QStringView mnemonic)
{
    const Span span = formIndex().value(mnemonic.toString());
    return std::span<const Form>(kForms).subspan(span.begin, span.end - span.begin);
}

Classified classify(const QString &text)
{
    if (text.isEmpty())
        return {O::None, 0};
    if (const auto it = namedOperands().constFind(text); it != namedOperands().cend())
        return {*it, 0};
    if (const int n = numbered(text, u"R", 0, 7); n >= 0)
        return {O::Rn, n};
    if (const int i = numbered(text, u"@R", 0, 1); i >= 0)
        return {O::AtRi, i};
    if (const int p = numbered(text, u"P", 4, 7); p >= 0)
        return {O::Pp, p};
    if (text.startsWith(u'#'))
        return {O::Imm, 0};
    return {O::Other, 0};
}

bool fits(Operand wanted, const Classified &operand, const QString &text)
{
    switch (wanted) {
    case O::Page:
    case O::Addr11:
        return true; // any text is a label name; the label search decides
    case O::Imm:
        return text.startsWith(u'#');
    case O::None:
    case O::A:
    case O::C:
    case O::Rn:
    case O::AtRi:
    case O::AtA:
    case O::T:
    case O::Psw:
    case O::Pc:
    case O::Ah:
    case O::F0:
    case O::F1:
    case O::P1:
    case O::P2:
    case O::Pp:
    case O::Bus:
    case O::I:
    case O::Tcnti:
    case O::Cnt:
    case O::Tcnt:
    case O::Clk:
    case O::Rb0:
    case O::Rb1:
    case O::Mb0:
    case O::Mb1:
    case O::Other:
        return operand.kind == wanted;
    }
    return false;
}

std::uint8_t opcodeWith(const Form &form, const Classified &first, const Classified &second)
{
    int opcode = form.opcode;
    for (const auto &[wanted, operand] : {std::pair{form.first, first}, std::pair{form.second, second}}) {
        if (wanted == O::Rn || wanted == O::AtRi)
            opcode |= operand.number;
        else if (wanted == O::Pp)
            opcode |= operand.number - 4;
    }
    return static_cast<std::uint8_t>(opcode);
}

} // namespace tw::mcs48
