#include "Encoder.h"

#include "assembler/mcs51/Aliases.h"
#include "assembler/mcs51/JumpTargets.h"
#include "assembler/mcs51/Names.h"
#include "assembler/mcs51/OpcodeTable.h"
#include "assembler/mcs51/Operands.h"
#include "assembler/mcs51/Sizer.h"
#include "common/Hex.h"

#include "assembler/mcs51/TextHash.h"

#include <optional>

namespace tw::mcs51
{

using namespace Qt::StringLiterals;

namespace
{

// The register number of "R0".."R7", else -1.
int registerNumber(const QString &operand)
{
    if (operand.size() == 2 && operand[0] == u'R' && operand[1] >= u'0' && operand[1] <= u'7')
        return operand[1].unicode() - u'0';
    return -1;
}

// 0 or 1 for "@R0"/"@R1", else -1.
int indirectNumber(const QString &operand)
{
    if (operand == u"@R0")
        return 0;
    if (operand == u"@R1")
        return 1;
    return -1;
}

bool isImmediate(const QString &operand)
{
    return operand.startsWith(u'#');
}

// The register-like second operand of the accumulator forms, or Direct for anything else.
Operand sourceKind(const QString &operand, bool immediateAllowed = true)
{
    if (immediateAllowed && isImmediate(operand))
        return Operand::Imm;
    if (indirectNumber(operand) >= 0)
        return Operand::AtR;
    if (registerNumber(operand) >= 0)
        return Operand::R;
    return Operand::Direct;
}

int registerOf(Operand kind, const QString &operand)
{
    if (kind == Operand::R)
        return registerNumber(operand);
    if (kind == Operand::AtR)
        return indirectNumber(operand);
    return 0;
}

class StatementEncoder
{
  public:
    StatementEncoder(long long pc, const QString &mnemonic, const QString &operands, EncodeContext &ctx)
        : m_pc(pc), m_mnemonic(mnemonic), m_operands(operands), m_ctx(ctx)
    {
    }

    QString run();

  private:
    using Handler = void (StatementEncoder::*)();
    static const TextMap<Handler> &handlers();

    QStringList take(int count)
    {
        return extractOperands(m_operands, count, m_ctx.variables, &m_ctx.errors, count == 2);
    }
    static bool anyEmpty(const QStringList &ops)
    {
        return std::any_of(ops.cbegin(), ops.cend(), [](const QString &op) { return op.isEmpty(); });
    }

    void reject(const QString &message, const QString &codeField = QString())
    {
        m_ctx.errors.record(message);
        m_code = codeField;
    }
    void missing(const QString &codeField) { reject(u"缺少操作数"_s, codeField); }
    // The statement's operands; an empty list after "缺少操作数" with codeField when one is absent.
    QStringList required(int count, const QString &codeField)
    {
        const QStringList ops = take(count);
        if (!anyEmpty(ops))
            return ops;
        missing(codeField);
        return {};
    }
    void illegal(const QString &codeField) { reject(u"操作数非法"_s, codeField); }

    void byte(int value) { m_code += hexByte(static_cast<std::uint8_t>(value & 0xFF)); }
    void opcode(int first, int offset = 0) { byte(first + offset); }
    // The opcode of the current mnemonic in this form, plus the register of a Rn or @Ri form.
    void form(Operand first, Operand second, const QString &registerOperand = QString(),
              Operand third = Operand::None)
    {
        const Operand registerKind = first == Operand::R || first == Operand::AtR ? first : second;
        opcode(findOpcode(m_mnemonic.toStdString(), first, second, third),
               registerOf(registerKind, registerOperand));
    }

    std::optional<int> immediate(const QString &operand)
    {
        const long long value = readNumber(QStringView(operand).mid(1));
        if (value >= 0 && value <= 0xFF)
            return static_cast<int>(value);
        m_ctx.errors.record(u"操作数越界"_s);
        return std::nullopt;
    }
    void direct(const QString &operand) { byte(directAddress(operand, m_ctx.variables, m_ctx.errors)); }
    void bit(const QString &operand) { byte(bitAddress(operand, m_ctx.variables, m_ctx.errors)); }
    void relative(const QString &target, int length)
    {
        byte(relativeOffset(target, m_pc, length, m_ctx.labels, m_ctx.errors));
    }

    void immediateForm(Operand first, const QString &target, const QString &source, const QString &failCode);
    void accumulatorForm(const QString &source, bool immediateAllowed = true);

    // The opcode of a one-operand form, then the operand's byte; none shows a zero byte.
    template <typename EmitOperand> void singleOperand(Operand kind, EmitOperand emitOperand)
    {
        const QString operand = take(1).front();
        form(kind, Operand::None);
        if (!operand.isEmpty())
            return emitOperand(operand);
        m_ctx.errors.record(u"缺少操作数"_s);
        byte(0);
    }

    // The one operand of AJMP, ACALL, LJMP, LCALL resolved; none gives 0.
    template <typename Resolve> int jumpTarget(Resolve resolve)
    {
        const QString target = take(1).front();
        if (!target.isEmpty())
            return resolve(target, m_pc, m_ctx.labels, m_ctx.errors);
        m_ctx.errors.record(u"缺少操作数"_s);
        return 0;
    }

    void noOperands();
    void bitJump();
    void shortJump();
    void indirectJump();
    void pageJump();
    void longJump();
    void stack();
    void movx();
    void movc();
    void mov();
    void movRegister(Operand kind, const QString &target, const QString &source);
    void movDptr(const QString &source);
    void movDirect(const QString &target, const QString &source);
    void logical();
    void bitOperation();
    void accumulatorOnly();
    void incDec();
    void arithmetic();
    void cjne();
    void djnz();
    void xch();
    void xchd();
    void defineBytes();
    void defineWords();
    void nameDefinition();

    long long m_pc;
    QString m_mnemonic;
    QString m_operands;
    EncodeContext &m_ctx;
    QString m_code;
};

const TextMap<StatementEncoder::Handler> &StatementEncoder::handlers()
{
    using E = StatementEncoder;
    static const TextMap<Handler> map = {
        {u"ORG"_s, nullptr},
        {u"END"_s, nullptr},
        {u"EQU"_s, nullptr},
        {u"DB"_s, &E::defineBytes},
        {u"DW"_s, &E::defineWords},
        {u"NOP"_s, &E::noOperands},
        {u"RET"_s, &E::noOperands},
        {u"RETI"_s, &E::noOperands},
        {u"JBC"_s, &E::bitJump},
        {u"JB"_s, &E::bitJump},
        {u"JNB"_s, &E::bitJump},
        {u"JC"_s, &E::shortJump},
        {u"JNC"_s, &E::shortJump},
        {u"JZ"_s, &E::shortJump},
        {u"JNZ"_s, &E::shortJump},
        {u"SJMP"_s, &E::shortJump},
        {u"JMP"_s, &E::indirectJump},
        {u"AJMP"_s, &E::pageJump},
        {u"ACALL"_s, &E::pageJump},
        {u"LJMP"_s, &E::longJump},
        {u"LCALL"_s, &E::longJump},
        {u"PUSH"_s, &E::stack},
        {u"POP"_s, &E::stack},
        {u"MOVX"_s, &E::movx},
        {u"MOVC"_s, &E::movc},
        {u"MOV"_s, &E::mov},
        {u"ORL"_s, &E::logical},
        {u"ANL"_s, &E::logical},
        {u"XRL"_s, &E::logical},
        {u"CPL"_s, &E::bitOperation},
        {u"CLR"_s, &E::bitOperation},
        {u"SETB"_s, &E::bitOperation},
        {u"RR"_s, &E::accumulatorOnly},
        {u"RRC"_s, &E::accumulatorOnly},
        {u"RL"_s, &E::accumulatorOnly},
        {u"RLC"_s, &E::accumulatorOnly},
        {u"SWAP"_s, &E::accumulatorOnly},
        {u"DA"_s, &E::accumulatorOnly},
        {u"MUL"_s, &E::accumulatorOnly},
        {u"DIV"_s, &E::accumulatorOnly},
        {u"INC"_s, &E::incDec},
        {u"DEC"_s, &E::incDec},
        {u"ADD"_s, &E::arithmetic},
        {u"ADDC"_s, &E::arithmetic},
        {u"SUBB"_s, &E::arithmetic},
        {u"CJNE"_s, &E::cjne},
        {u"DJNZ"_s, &E::djnz},
        {u"XCH"_s, &E::xch},
        {u"XCHD"_s, &E::xchd},
    };
    return map;
}

QString StatementEncoder::run()
{
    const auto &map = handlers();
    const auto it = map.find(m_mnemonic);
    if (it == map.end())
        nameDefinition();
    else if (it->second)
        (this->*(it->second))();
    return m_code;
}

void StatementEncoder::noOperands()
{
    form(Operand::None, Operand::None);
}

void StatementEncoder::bitJump()
{
    const QStringList ops = take(2);
    form(Operand::Bit, Operand::Rel, QString(), Operand::None);
    if (anyEmpty(ops)) {
        m_ctx.errors.record(u"缺少操作数"_s);
        m_code += u"0000"_s;
        return;
    }
    bit(ops[0]);
    relative(ops[1], 3);
}

void StatementEncoder::shortJump()
{
    singleOperand(Operand::Rel, [this](const QString &target) { relative(target, 2); });
}

void StatementEncoder::indirectJump()
{
    if (take(1).front() != u"@A+DPTR")
        m_ctx.errors.record(u"操作数非法"_s);
    form(Operand::AtADptr, Operand::None);
}

void StatementEncoder::pageJump()
{
    const int field = jumpTarget(pageTarget);
    opcode(findOpcode(m_mnemonic.toStdString(), Operand::Addr11), (field >> 8) << 5);
    byte(field);
}

void StatementEncoder::longJump()
{
    const int address = jumpTarget(longTarget);
    form(Operand::Addr16, Operand::None);
    byte(address >> 8);
    byte(address);
}

void StatementEncoder::stack()
{
    singleOperand(Operand::Direct, [this](const QString &operand) { direct(operand); });
}

void StatementEncoder::movx()
{
    const QStringList ops = required(2, u"00"_s);
    if (ops.isEmpty())
        return;
    const QString &target = ops[0];
    const QString &source = ops[1];
    if (target == u"A") {
        if (source == u"@DPTR")
            return form(Operand::A, Operand::AtDptr);
        if (indirectNumber(source) >= 0)
            return form(Operand::A, Operand::AtR, source);
        return reject(u"第二操作数错误"_s, u"00"_s);
    }
    if (target != u"@DPTR" && indirectNumber(target) < 0)
        return reject(u"第一操作数错误"_s);
    if (source != u"A")
        return reject(u"第二操作数错误"_s, u"00"_s);
    if (target == u"@DPTR")
        return form(Operand::AtDptr, Operand::A);
    form(Operand::AtR, Operand::A, target);
}

void StatementEncoder::movc()
{
    const QStringList ops = required(2, u"00"_s);
    if (ops.isEmpty())
        return;
    if (ops[0] != u"A")
        return reject(u"第一操作数错误"_s);
    if (ops[1] == u"@A+DPTR")
        return form(Operand::A, Operand::AtADptr);
    if (ops[1] == u"@A+PC")
        return form(Operand::A, Operand::AtAPc);
    reject(u"第二操作数错误"_s, u"00"_s);
}

void StatementEncoder::mov()
{
    const QStringList ops = required(2, QString());
    if (ops.isEmpty())
        return;
    const QString &target = ops[0];
    const QString &source = ops[1];
    if (target == u"A")
        return accumulatorForm(source);
    if (indirectNumber(target) >= 0)
        return movRegister(Operand::AtR, target, source);
    if (registerNumber(target) >= 0)
        return movRegister(Operand::R, target, source);
    if (target == u"DPTR")
        return movDptr(source);
    if (target == u"C") {
        form(Operand::C, Operand::Bit);
        return bit(source);
    }
    movDirect(target, source);
}

void StatementEncoder::immediateForm(Operand first, const QString &target, const QString &source,
                                     const QString &failCode)
{
    const auto value = immediate(source);
    if (!value)
        return void(m_code = failCode);
    form(first, Operand::Imm, target);
    if (first == Operand::Direct)
        direct(target);
    byte(*value);
}

// The accumulator forms: A,#data  A,@Ri  A,Rn, and A,direct for anything else.
void StatementEncoder::accumulatorForm(const QString &source, bool immediateAllowed)
{
    const Operand kind = sourceKind(source, immediateAllowed);
    if (kind == Operand::Imm)
        return immediateForm(Operand::A, QString(), source, u"0000"_s);
    form(Operand::A, kind, source);
    if (kind == Operand::Direct)
        direct(source);
}

// MOV @Ri,... and MOV Rn,...
void StatementEncoder::movRegister(Operand kind, const QString &target, const QString &source)
{
    if (isImmediate(source))
        return immediateForm(kind, target, source, u"0000"_s);
    if (source == u"A")
        return form(kind, Operand::A, target);
    form(kind, Operand::Direct, target);
    direct(source);
}

void StatementEncoder::movDptr(const QString &source)
{
    if (!isImmediate(source))
        return illegal(u"0000"_s);
    const QString text = source.mid(1);
    const auto label = m_ctx.labels.find(text);
    const long long value = label ? *label : readNumber(text);
    if (value < 0 || value > 0xFFFF)
        return reject(u"操作数越界"_s, u"0000"_s);
    form(Operand::Dptr, Operand::Imm16);
    byte(static_cast<int>(value >> 8));
    byte(static_cast<int>(value));
}

void StatementEncoder::movDirect(const QString &target, const QString &source)
{
    if (isImmediate(source))
        return immediateForm(Operand::Direct, target, source, u"000000"_s);
    if (source == u"C") {
        form(Operand::Bit, Operand::C);
        return bit(target);
    }
    const Operand kind = source == u"A" ? Operand::A : sourceKind(source, false);
    form(Operand::Direct, kind, source);
    if (kind == Operand::Direct) // the source address comes first
        direct(source);
    direct(target);
}

void StatementEncoder::logical()
{
    const bool exclusive = m_mnemonic == u"XRL";
    const QStringList ops = required(2, exclusive ? u"00"_s : QString());
    if (ops.isEmpty())
        return;
    const QString &target = ops[0];
    const QString &source = ops[1];
    if (target == u"A")
        return accumulatorForm(source);
    if (target == u"C" && !exclusive) {
        if (source.startsWith(u'/')) {
            form(Operand::C, Operand::NotBit);
            return bit(source.mid(1));
        }
        form(Operand::C, Operand::Bit);
        return bit(source);
    }
    if (isImmediate(source))
        return immediateForm(Operand::Direct, target, source, u"000000"_s);
    if (source != u"A")
        return illegal(exclusive ? u"00"_s : u"0000"_s);
    form(Operand::Direct, Operand::A);
    direct(target);
}

void StatementEncoder::bitOperation()
{
    const QString operand = take(1).front();
    if (operand.isEmpty())
        return missing(u"00"_s);
    if (operand == u"A" && m_mnemonic != u"SETB")
        return form(Operand::A, Operand::None);
    if (operand == u"C")
        return form(Operand::C, Operand::None);
    form(Operand::Bit, Operand::None);
    bit(operand);
}

void StatementEncoder::accumulatorOnly()
{
    const bool pair = m_mnemonic == u"MUL" || m_mnemonic == u"DIV";
    const Operand kind = pair ? Operand::AB : Operand::A;
    if (take(1).front() != (pair ? u"AB" : u"A"))
        m_ctx.errors.record(u"操作数非法"_s);
    form(kind, Operand::None);
}

void StatementEncoder::incDec()
{
    const QString operand = take(1).front();
    if (operand.isEmpty())
        return missing(u"00"_s);
    if (operand == u"DPTR" && m_mnemonic == u"INC")
        return form(Operand::Dptr, Operand::None);
    if (operand == u"A")
        return form(Operand::A, Operand::None);
    const Operand kind = sourceKind(operand, false);
    form(kind, Operand::None, operand);
    if (kind == Operand::Direct)
        direct(operand);
}

void StatementEncoder::arithmetic()
{
    const QStringList ops = required(2, u"0000"_s);
    if (ops.isEmpty())
        return;
    if (ops[0] != u"A")
        return illegal(u"0000"_s);
    accumulatorForm(ops[1]);
}

void StatementEncoder::cjne()
{
    const QStringList ops = required(3, u"000000"_s);
    if (ops.isEmpty())
        return;
    const QString &first = ops[0];
    const QString &second = ops[1];
    Operand firstKind = Operand::A;
    if (registerNumber(first) >= 0)
        firstKind = Operand::R;
    else if (indirectNumber(first) >= 0)
        firstKind = Operand::AtR;
    else if (first != u"A")
        return illegal(QString());
    const int code = findOpcode("CJNE", firstKind, Operand::Imm, Operand::Rel) + registerOf(firstKind, first);
    if (isImmediate(second)) {
        opcode(code);
        const auto value = immediate(second);
        if (!value)
            return void(m_code += u"0000"_s);
        byte(*value);
    } else if (firstKind == Operand::A) {
        form(Operand::A, Operand::Direct, QString(), Operand::Rel);
        direct(second);
    } else {
        opcode(code);
        return illegal(m_code + u"0000"_s);
    }
    relative(ops[2], 3);
}

void StatementEncoder::djnz()
{
    const QStringList ops = required(2, u"0000"_s);
    if (ops.isEmpty())
        return;
    if (registerNumber(ops[0]) >= 0) {
        form(Operand::R, Operand::Rel, ops[0]);
        return relative(ops[1], 2);
    }
    form(Operand::Direct, Operand::Rel);
    direct(ops[0]);
    relative(ops[1], 3);
}

void StatementEncoder::xch()
{
    const QStringList ops = required(2, u"0000"_s);
    if (ops.isEmpty())
        return;
    if (ops[0] != u"A")
        return illegal(u"0000"_s);
    accumulatorForm(ops[1], false);
}

void StatementEncoder::xchd()
{
    const QStringList ops = required(2, u"0000"_s);
    if (ops.isEmpty())
        return;
    if (ops[0] != u"A" || indirectNumber(ops[1]) < 0)
        return illegal(u"0000"_s);
    form(Operand::A, Operand::AtR, ops[1]);
}

void StatementEncoder::defineBytes()
{
    for (const QString &item : dataItems(m_operands)) {
        const QString text = substituteVariable(item, m_ctx.variables);
        const bool quoted = text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\'');
        if (quoted) {
            // One byte per character; only ASCII has a one-byte code in the source's code page.
            for (QChar c : QStringView(text).mid(1, text.size() - 2)) {
                if (c.unicode() < 0x80) {
                    byte(c.unicode());
                } else {
                    m_ctx.errors.record(u"操作数非法"_s);
                    byte(0);
                }
            }
        } else if (text.contains(u'\'')) { // a lone or unclosed quote
            m_ctx.errors.record(u"操作数非法"_s);
            byte(0);
        } else {
            const long long value = readNumber(text);
            if (value < 0 || value > 0xFF)
                m_ctx.errors.record(u"操作数越界"_s);
            byte(value >= 0 && value <= 0xFF ? static_cast<int>(value) : 0);
        }
    }
}

void StatementEncoder::defineWords()
{
    for (const QString &item : dataItems(m_operands)) {
        const long long value = readNumber(substituteVariable(item, m_ctx.variables));
        const bool fits = value >= 0 && value <= 0xFFFF;
        if (!fits)
            m_ctx.errors.record(u"操作数越界"_s);
        byte(fits ? static_cast<int>(value >> 8) : 0);
        byte(fits ? static_cast<int>(value) : 0);
    }
}

void StatementEncoder::nameDefinition()
{
    const SplitWords words = splitStatement(m_operands);
    if (words.mnemonic != u"EQU")
        return reject(u"操作码错误"_s, u"000000"_s);
    if (!m_ctx.variables.set(m_mnemonic, words.operand))
        throw AssemblyFailure(unrecognisedStatementMessage());
}

} // namespace

Encoded encodeStatement(long long pc, const QString &mnemonic, const QString &operands, EncodeContext &ctx)
{
    Encoded result;
    result.mnemonic = standardMnemonic(mnemonic);
    StatementEncoder encoder(pc, result.mnemonic, operands, ctx);
    result.codeField = encoder.run();
    const long long next = nextAddress(pc, result.mnemonic, operands, ctx.variables);
    result.length = result.mnemonic == u"ORG" ? 0 : static_cast<int>(std::max(0LL, next - pc));

    // Only the statement's own bytes reach the image: a rejected statement's longer code field
    // must not overwrite what another ORG placed behind it.
    const int shown = static_cast<int>(result.codeField.size() / 2);
    for (int i = 0; i < std::min(shown, result.length); ++i) {
        const long long address = pc + i;
        if (address < 0 || address > 0xFFFF)
            throw AssemblyFailure(unrecognisedStatementMessage());
        ctx.image[static_cast<int>(address)] =
            static_cast<std::uint8_t>(QStringView(result.codeField).mid(i * 2, 2).toUInt(nullptr, 16));
    }
    if (result.codeField.size() < 8)
        result.codeField += u'\t';
    return result;
}

} // namespace tw::mcs51
