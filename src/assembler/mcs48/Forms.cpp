#include "Forms.h"

#include "assembler/common/Messages.h"

#include "assembler/common/TextHash.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tw::mcs48
{

namespace
{

using O = Operand;

using Take = Rules::Take;
using Store = Rules::Store;

constexpr const QString *kFirstWrong = &kFirstOperandError;
constexpr const QString *kSecondWrong = &kSecondOperandError;
constexpr const QString *kWrong = &kOperandError;
constexpr const QString *kIllegal = &kIllegalOperandError;

constexpr Rules jump(std::string_view mnemonic)
{
    // Label forms match any operand; what fails is the label search.
    return {mnemonic, Take::One, Store::AfterMatch, {}, {}, {}, {}};
}
constexpr Rules oneOperand(std::string_view mnemonic, const QString *message, std::string_view code,
                           Store store = Store::AfterMatch)
{
    return {mnemonic, Take::One, store, message, code, message, code};
}
constexpr Rules twoOperands(std::string_view mnemonic, const QString *message, std::string_view code)
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

constexpr bool hasRules(std::string_view mnemonic)
{
    return std::any_of(kRules.begin(), kRules.end(), [&](const Rules &r) { return r.mnemonic == mnemonic; });
}

// Every mnemonic of the table has its rules here, and every rules row a mnemonic of the table.
constexpr bool rulesCoverTable()
{
    for (const OpcodeRow &row : kOpcodes)
        if ((row.defined() && !hasRules(row.mnemonic)) || (!row.alias.empty() && !hasRules(row.alias)))
            return false;
    for (const Rules &rules : kRules)
        if (std::none_of(kOpcodes.begin(), kOpcodes.end(), [&](const OpcodeRow &row) {
                return row.mnemonic == rules.mnemonic || row.alias == rules.mnemonic;
            }))
            return false;
    return true;
}
static_assert(rulesCoverTable(), "the table's mnemonics and the rules' must be the same");

bool isLabelForm(const Form &form)
{
    return form.first == O::Page || form.first == O::Addr11 || form.second == O::Page ||
           form.second == O::Addr11;
}

// One form per group of the table (R0..R7, @R0/@R1, P4..P7, the eight JMP pages), in the order
// of the rules; within a mnemonic a label form, which takes any text, is tried last.
std::vector<Form> buildForms()
{
    std::vector<Form> forms;
    for (const Rules &rules : kRules) {
        const auto begin = static_cast<std::ptrdiff_t>(forms.size());
        for (const OpcodeRow &row : kOpcodes)
            if (row.firstOfGroup() && (row.mnemonic == rules.mnemonic || row.alias == rules.mnemonic))
                forms.push_back({rules.mnemonic, row.operands[0], row.operands[1], row.opcode});
        std::stable_partition(forms.begin() + begin, forms.end(),
                              [](const Form &f) { return !isLabelForm(f); });
    }
    return forms;
}

const std::vector<Form> &allForms()
{
    static const std::vector<Form> forms = buildForms();
    return forms;
}

QString latin(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct Span {
    int begin = 0;
    int end = 0;
};

const TextMap<Span> &formIndex()
{
    static const TextMap<Span> index = [] {
        TextMap<Span> map;
        const std::vector<Form> &forms = allForms();
        for (int i = 0; i < static_cast<int>(forms.size()); ++i) {
            Span &span = map[latin(forms[i].mnemonic)];
            if (span.end == 0)
                span.begin = i;
            span.end = i + 1;
        }
        return map;
    }();
    return index;
}

const TextMap<const Rules *> &rulesIndex()
{
    static const TextMap<const Rules *> index = [] {
        TextMap<const Rules *> map;
        for (const Rules &rules : kRules)
            map.emplace(latin(rules.mnemonic), &rules);
        return map;
    }();
    return index;
}

const TextMap<Operand> &namedOperands()
{
    static const TextMap<Operand> names = {
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
    return allForms();
}

const Rules *rulesFor(QStringView mnemonic)
{
    return valueOr<const Rules *>(rulesIndex(), mnemonic, nullptr);
}

std::span<const Form> formsOf(QStringView mnemonic)
{
    const Span span = valueOr(formIndex(), mnemonic, Span{});
    return forms().subspan(span.begin, span.end - span.begin);
}

std::span<const Form> formsOf(const Rules &rules)
{
    // Rules and their forms are in the same order, so each rules row's forms are found once.
    static const std::vector<Span> byRules = [] {
        std::vector<Span> spans;
        for (const Rules &row : kRules)
            spans.push_back(valueOr(formIndex(), latin(row.mnemonic), Span{}));
        return spans;
    }();
    const Span span = byRules[static_cast<std::size_t>(&rules - kRules.data())];
    return forms().subspan(span.begin, span.end - span.begin);
}

Classified classify(const QString &text)
{
    if (text.isEmpty())
        return {O::None, 0};
    // No name of the table is a register, a port P4-P7 or begins with "#": the commonest kinds
    // are told first, without the table.
    if (text.startsWith(u'#'))
        return {O::Imm, 0};
    if (const int n = numbered(text, u"R", 0, 7); n >= 0)
        return {O::Rn, n};
    if (const int i = numbered(text, u"@R", 0, 1); i >= 0)
        return {O::AtRi, i};
    if (const auto it = namedOperands().find(QStringView(text)); it != namedOperands().end())
        return {it->second, 0};
    if (const int p = numbered(text, u"P", 4, 7); p >= 0)
        return {O::Pp, p};
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
