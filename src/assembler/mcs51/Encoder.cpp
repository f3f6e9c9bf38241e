#include "Encoder.h"

#include "assembler/common/Aliases.h"
#include "assembler/common/Messages.h"
#include "assembler/common/Operands.h"
#include "assembler/common/TextHash.h"
#include "assembler/mcs51/JumpTargets.h"
#include "assembler/mcs51/Names.h"
#include "assembler/mcs51/Sizer.h"
#include "common/Hex.h"
#include "common/InternalError.h"
#include "isa/Mcs51.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tw::mcs51
{

using namespace Qt::StringLiterals;

namespace
{

// The table's opcode of a form the encoder chose after checking the operands. A form the table
// lacks is a fault of the encoder: it is reported as one (an abort in tests), never written as a
// byte FFH.
int requireOpcode(int found)
{
    if (found < 0)
        internalError("MCS-51 encoder: the instruction table has no row for the form it chose");
    return found;
}

// Whether text is exactly word; the operand words are short, so no call into the library.
bool is(const QString &text, std::u16string_view word)
{
    return static_cast<std::size_t>(text.size()) == word.size() &&
           std::equal(word.begin(), word.end(), reinterpret_cast<const char16_t *>(text.constData()));
}

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
    if (is(operand, u"@R0"))
        return 0;
    if (is(operand, u"@R1"))
        return 1;
    return -1;
}

// For each item of a DB list, whether it is a piece of a quoted text that commas alone cut, as
// 'A,B' is cut into 'A and B. Such pieces are read as numbers like any other item, so each is out
// of range. A quoted text that a blank or TAB cuts (the normaliser keeps blanks in quotes), or one
// that no quote closes, is illegal text instead.
std::vector<bool> commaCutPieces(QStringView field)
{
    std::vector<bool> pieces;
    std::size_t first = 0; // the piece that opened the quoted text under way
    bool open = false;
    bool onlyCommas = true;
    qsizetype previousEnd = 0;
    forEachItem(field, false, [&](QStringView item) {
        const qsizetype start = item.data() - field.data();
        const QStringView between = field.mid(previousEnd, start - previousEnd);
        if (between.contains(u' ') || between.contains(u'\t'))
            onlyCommas = false;
        previousEnd = start + item.size();
        pieces.push_back(false);
        if (item.count(u'\'') % 2 == 0)
            return true;
        if (!open) {
            first = pieces.size() - 1;
            onlyCommas = true;
        } else if (onlyCommas) {
            std::fill(pieces.begin() + static_cast<std::ptrdiff_t>(first), pieces.end(), true);
        }
        open = !open;
        return true;
    });
    return pieces;
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

    CodeBytes run();

  private:
    using Handler = void (StatementEncoder::*)();
    static const TextMap<Handler> &handlers();

    // The operands share m_operands' characters, which outlive the statement's encoding.
    OperandTexts take(int count)
    {
        return operandTexts(m_operands, count, m_ctx.variables, &m_ctx.errors, count == 2);
    }

    // Records message; the code field becomes that many zero bytes.
    void reject(const QString &message, int zeros = 0)
    {
        m_ctx.errors.record(message);
        m_bytes.clear();
        zeroBytes(zeros);
    }
    void missing(int zeros) { reject(kMissingOperandError, zeros); }
    void illegal(int zeros) { reject(kIllegalOperandError, zeros); }
    // Runs a handler that needs all Count operands; a missing one gives "缺少操作数" and Zeros zero bytes.
    template <void (StatementEncoder::*Body)(const OperandTexts &), int Count, int Zeros> void withOperands()
    {
        const OperandTexts ops = take(Count);
        if (ops.anyEmpty(Count))
            return missing(Zeros);
        (this->*Body)(ops);
    }

    void byte(int value) { m_bytes.append(static_cast<std::uint8_t>(value & 0xFF)); }
    void zeroBytes(int count)
    {
        for (int i = 0; i < count; ++i)
            byte(0);
    }
    void opcode(int first, int offset = 0) { byte(first + offset); }
    // The opcode of the current mnemonic in this form, plus the register of a Rn or @Ri form.
    void form(Operand first, Operand second, const QString &registerOperand = QString(),
              Operand third = Operand::None)
    {
        const Operand registerKind = first == Operand::R || first == Operand::AtR ? first : second;
        opcode(requireOpcode(findOpcode(mnemonic(), first, second, third)),
               registerOf(registerKind, registerOperand));
    }

    std::optional<int> immediate(const QString &operand)
    {
        const long long value = readNumber(QStringView(operand).mid(1));
        if (value >= 0 && value <= 0xFF)
            return static_cast<int>(value);
        m_ctx.errors.record(kOperandOutOfRangeError);
        return std::nullopt;
    }
    void direct(const QString &operand) { byte(directAddress(operand, m_ctx.variables, m_ctx.errors)); }
    void bit(const QString &operand) { byte(bitAddress(operand, m_ctx.variables, m_ctx.errors)); }
    void relative(const QString &target, int length)
    {
        byte(relativeOffset(target, m_pc, length, m_ctx.labels, m_ctx.errors));
    }

    void immediateForm(Operand first, const QString &target, const QString &source, int failZeros);
    void accumulatorForm(const QString &source, bool immediateAllowed = true);

    // The opcode of a one-operand form, then the operand's byte; none shows a zero byte.
    template <typename EmitOperand> void singleOperand(Operand kind, EmitOperand emitOperand)
    {
        const QString operand = take(1).front();
        form(kind, Operand::None);
        if (!operand.isEmpty())
            return emitOperand(operand);
        m_ctx.errors.record(kMissingOperandError);
        byte(0);
    }

    // The one operand of AJMP, ACALL, LJMP, LCALL resolved; none gives 0.
    template <typename Resolve> int jumpTarget(Resolve resolve)
    {
        const QString target = take(1).front();
        if (!target.isEmpty())
            return resolve(target, m_pc, m_ctx.labels, m_ctx.errors);
        m_ctx.errors.record(kMissingOperandError);
        return 0;
    }

    void noOperands();
    void bitJump();
    void shortJump();
    void indirectJump();
    void pageJump();
    void longJump();
    void stack();
    void movx(const OperandTexts &ops);
    void movc(const OperandTexts &ops);
    void mov(const OperandTexts &ops);
    void movRegister(Operand kind, const QString &target, const QString &source);
    void movDptr(const QString &source);
    void movDirect(const QString &target, const QString &source);
    void logical(const OperandTexts &ops);
    void bitOperation();
    void accumulatorOnly();
    void incDec();
    void arithmetic(const OperandTexts &ops);
    void cjne(const OperandTexts &ops);
    void djnz(const OperandTexts &ops);
    void xch(const OperandTexts &ops);
    void xchd(const OperandTexts &ops);
    void defineBytes();
    void defineWords();
    void nameDefinition();

    std::u16string_view mnemonic() const
    {
        return {reinterpret_cast<const char16_t *>(m_mnemonic.constData()),
                static_cast<std::size_t>(m_mnemonic.size())};
    }

    long long m_pc;
    const QString &m_mnemonic; // both outlive the encoder, which lives for one statement
    const QString &m_operands;
    EncodeContext &m_ctx;
    CodeBytes m_bytes;
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
        {u"MOVX"_s, &E::withOperands<&E::movx, 2, 1>},
        {u"MOVC"_s, &E::withOperands<&E::movc, 2, 1>},
        {u"MOV"_s, &E::withOperands<&E::mov, 2, 0>},
        {u"ORL"_s, &E::withOperands<&E::logical, 2, 0>},
        {u"ANL"_s, &E::withOperands<&E::logical, 2, 0>},
        {u"XRL"_s, &E::withOperands<&E::logical, 2, 1>},
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
        {u"ADD"_s, &E::withOperands<&E::arithmetic, 2, 2>},
        {u"ADDC"_s, &E::withOperands<&E::arithmetic, 2, 2>},
        {u"SUBB"_s, &E::withOperands<&E::arithmetic, 2, 2>},
        {u"CJNE"_s, &E::withOperands<&E::cjne, 3, 3>},
        {u"DJNZ"_s, &E::withOperands<&E::djnz, 2, 2>},
        {u"XCH"_s, &E::withOperands<&E::xch, 2, 2>},
        {u"XCHD"_s, &E::withOperands<&E::xchd, 2, 2>},
    };
    return map;
}

CodeBytes StatementEncoder::run()
{
    const auto &map = handlers();
    const auto it = map.find(m_mnemonic);
    if (it == map.end())
        nameDefinition();
    else if (it->second)
        (this->*(it->second))();
    return m_bytes;
}

void StatementEncoder::noOperands()
{
    form(Operand::None, Operand::None);
}

void StatementEncoder::bitJump()
{
    const OperandTexts ops = take(2);
    form(Operand::Bit, Operand::Rel, QString(), Operand::None);
    if (ops.anyEmpty(2)) {
        m_ctx.errors.record(kMissingOperandError);
        zeroBytes(2);
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
    if (!is(take(1).front(), u"@A+DPTR"))
        m_ctx.errors.record(kIllegalOperandError);
    form(Operand::AtADptr, Operand::None);
}

void StatementEncoder::pageJump()
{
    const int field = jumpTarget(pageTarget);
    opcode(requireOpcode(findOpcode(mnemonic(), Operand::Addr11)), (field >> 8) << 5);
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

void StatementEncoder::movx(const OperandTexts &ops)
{
    const QString &target = ops[0];
    const QString &source = ops[1];
    if (is(target, u"A")) {
        if (is(source, u"@DPTR"))
            return form(Operand::A, Operand::AtDptr);
        if (indirectNumber(source) >= 0)
            return form(Operand::A, Operand::AtR, source);
        return reject(kSecondOperandError, 1);
    }
    if (!is(target, u"@DPTR") && indirectNumber(target) < 0)
        return reject(kFirstOperandError);
    if (!is(source, u"A"))
        return reject(kSecondOperandError, 1);
    if (is(target, u"@DPTR"))
        return form(Operand::AtDptr, Operand::A);
    form(Operand::AtR, Operand::A, target);
}

void StatementEncoder::movc(const OperandTexts &ops)
{
    if (!is(ops[0], u"A"))
        return reject(kFirstOperandError);
    if (is(ops[1], u"@A+DPTR"))
        return form(Operand::A, Operand::AtADptr);
    if (is(ops[1], u"@A+PC"))
        return form(Operand::A, Operand::AtAPc);
    reject(kSecondOperandError, 1);
}

void StatementEncoder::mov(const OperandTexts &ops)
{
    const QString &target = ops[0];
    const QString &source = ops[1];
    if (is(target, u"A"))
        return accumulatorForm(source);
    if (indirectNumber(target) >= 0)
        return movRegister(Operand::AtR, target, source);
    if (registerNumber(target) >= 0)
        return movRegister(Operand::R, target, source);
    if (is(target, u"DPTR"))
        return movDptr(source);
    if (is(target, u"C")) {
        form(Operand::C, Operand::Bit);
        return bit(source);
    }
    movDirect(target, source);
}

void StatementEncoder::immediateForm(Operand first, const QString &target, const QString &source,
                                     int failZeros)
{
    const auto value = immediate(source);
    if (!value) {
        m_bytes.clear();
        return zeroBytes(failZeros);
    }
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
        return immediateForm(Operand::A, QString(), source, 2);
    form(Operand::A, kind, source);
    if (kind == Operand::Direct)
        direct(source);
}

// MOV @Ri,... and MOV Rn,...
void StatementEncoder::movRegister(Operand kind, const QString &target, const QString &source)
{
    if (isImmediate(source))
        return immediateForm(kind, target, source, 2);
    if (is(source, u"A"))
        return form(kind, Operand::A, target);
    form(kind, Operand::Direct, target);
    direct(source);
}

void StatementEncoder::movDptr(const QString &source)
{
    if (!isImmediate(source))
        return illegal(2);
    const QString text = source.mid(1);
    const auto label = m_ctx.labels.find(text);
    const long long value = label ? *label : readNumber(text);
    if (value < 0 || value > 0xFFFF)
        return reject(kOperandOutOfRangeError, 2);
    form(Operand::Dptr, Operand::Imm16);
    byte(static_cast<int>(value >> 8));
    byte(static_cast<int>(value));
}

void StatementEncoder::movDirect(const QString &target, const QString &source)
{
    if (isImmediate(source))
        return immediateForm(Operand::Direct, target, source, 3);
    if (is(source, u"C")) {
        form(Operand::Bit, Operand::C);
        return bit(target);
    }
    const Operand kind = is(source, u"A") ? Operand::A : sourceKind(source, false);
    form(Operand::Direct, kind, source);
    if (kind == Operand::Direct) // the source address comes first
        direct(source);
    direct(target);
}

void StatementEncoder::logical(const OperandTexts &ops)
{
    const bool exclusive = is(m_mnemonic, u"XRL");
    const QString &target = ops[0];
    const QString &source = ops[1];
    if (is(target, u"A"))
        return accumulatorForm(source);
    if (is(target, u"C") && !exclusive) {
        if (source.startsWith(u'/')) {
            form(Operand::C, Operand::NotBit);
            return bit(source.mid(1));
        }
        form(Operand::C, Operand::Bit);
        return bit(source);
    }
    if (isImmediate(source))
        return immediateForm(Operand::Direct, target, source, 3);
    if (!is(source, u"A"))
        return illegal(exclusive ? 1 : 2);
    form(Operand::Direct, Operand::A);
    direct(target);
}

void StatementEncoder::bitOperation()
{
    const QString operand = take(1).front();
    if (operand.isEmpty())
        return missing(1);
    if (is(operand, u"A") && !is(m_mnemonic, u"SETB"))
        return form(Operand::A, Operand::None);
    if (is(operand, u"C"))
        return form(Operand::C, Operand::None);
    form(Operand::Bit, Operand::None);
    bit(operand);
}

void StatementEncoder::accumulatorOnly()
{
    const bool pair = is(m_mnemonic, u"MUL") || is(m_mnemonic, u"DIV");
    const Operand kind = pair ? Operand::AB : Operand::A;
    if (!is(take(1).front(), pair ? u"AB" : u"A"))
        m_ctx.errors.record(kIllegalOperandError);
    form(kind, Operand::None);
}

void StatementEncoder::incDec()
{
    const QString operand = take(1).front();
    if (operand.isEmpty())
        return missing(1);
    if (is(operand, u"DPTR") && is(m_mnemonic, u"INC"))
        return form(Operand::Dptr, Operand::None);
    if (is(operand, u"A"))
        return form(Operand::A, Operand::None);
    const Operand kind = sourceKind(operand, false);
    form(kind, Operand::None, operand);
    if (kind == Operand::Direct)
        direct(operand);
}

void StatementEncoder::arithmetic(const OperandTexts &ops)
{
    if (!is(ops[0], u"A"))
        return illegal(2);
    accumulatorForm(ops[1]);
}

void StatementEncoder::cjne(const OperandTexts &ops)
{
    const QString &first = ops[0];
    const QString &second = ops[1];
    Operand firstKind = Operand::A;
    if (registerNumber(first) >= 0)
        firstKind = Operand::R;
    else if (indirectNumber(first) >= 0)
        firstKind = Operand::AtR;
    else if (!is(first, u"A"))
        return illegal(0);
    const int code = requireOpcode(findOpcode("CJNE", firstKind, Operand::Imm, Operand::Rel)) +
                     registerOf(firstKind, first);
    if (isImmediate(second)) {
        opcode(code);
        const auto value = immediate(second);
        if (!value)
            return zeroBytes(2);
        byte(*value);
    } else if (firstKind == Operand::A) {
        form(Operand::A, Operand::Direct, QString(), Operand::Rel);
        direct(second);
    } else {
        opcode(code);
        m_ctx.errors.record(kIllegalOperandError);
        return zeroBytes(2);
    }
    relative(ops[2], 3);
}

void StatementEncoder::djnz(const OperandTexts &ops)
{
    if (registerNumber(ops[0]) >= 0) {
        form(Operand::R, Operand::Rel, ops[0]);
        return relative(ops[1], 2);
    }
    form(Operand::Direct, Operand::Rel);
    direct(ops[0]);
    relative(ops[1], 3);
}

void StatementEncoder::xch(const OperandTexts &ops)
{
    if (!is(ops[0], u"A"))
        return illegal(2);
    accumulatorForm(ops[1], false);
}

void StatementEncoder::xchd(const OperandTexts &ops)
{
    if (!is(ops[0], u"A") || indirectNumber(ops[1]) < 0)
        return illegal(2);
    form(Operand::A, Operand::AtR, ops[1]);
}

void StatementEncoder::defineBytes()
{
    const std::vector<bool> commaCut = commaCutPieces(m_operands);
    std::size_t index = 0;
    for (const QString &item : dataItems(m_operands)) {
        const bool piece = commaCut[index++];
        const QString text = substituteVariable(item, m_ctx.variables);
        const bool quoted = text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\'');
        if (quoted) {
            // One byte per character; only ASCII has a one-byte code in the source's code page.
            for (QChar c : QStringView(text).mid(1, text.size() - 2)) {
                if (c.unicode() < 0x80) {
                    byte(c.unicode());
                } else {
                    m_ctx.errors.record(kIllegalOperandError);
                    byte(0);
                }
            }
        } else if (text.contains(u'\'') && !piece) { // a lone or unclosed quote, a quoted blank
            m_ctx.errors.record(kIllegalOperandError);
            byte(0);
        } else {
            const long long value = readNumber(text);
            if (value < 0 || value > 0xFF)
                m_ctx.errors.record(kOperandOutOfRangeError);
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
            m_ctx.errors.record(kOperandOutOfRangeError);
        byte(fits ? static_cast<int>(value >> 8) : 0);
        byte(fits ? static_cast<int>(value) : 0);
    }
}

void StatementEncoder::nameDefinition()
{
    const SplitWords words = splitStatement(m_operands);
    if (!is(words.mnemonic, u"EQU"))
        return reject(kWrongOpcodeError, 3);
    if (!m_ctx.variables.set(m_mnemonic, words.operand))
        throw AssemblyFailure(tooManyVariablesMessage());
}

} // namespace

Encoded encodeCode(long long pc, const QString &mnemonic, const QString &operands, EncodeContext &ctx)
{
    Encoded result;
    result.mnemonic = standardMnemonic(mnemonic);
    StatementEncoder encoder(pc, result.mnemonic, operands, ctx);
    result.bytes = encoder.run();
    return result;
}

void placeCode(Encoded &encoded, long long pc, long long next, CodeImage &image)
{
    encoded.length = is(encoded.mnemonic, u"ORG") ? 0 : static_cast<int>(std::max(0LL, next - pc));

    // Only the statement's own bytes reach the image: a rejected statement's longer code field
    // must not overwrite what another ORG placed behind it.
    const qsizetype shown = encoded.bytes.size();
    for (qsizetype i = 0; i < std::min<qsizetype>(shown, encoded.length); ++i) {
        const long long address = pc + i;
        if (address < 0 || address > 0xFFFF)
            throw AssemblyFailure(unrecognisedStatementMessage());
        image[static_cast<int>(address)] = encoded.bytes[i];
    }
    QString field(2 * shown + (shown < 4 ? 1 : 0), Qt::Uninitialized);
    QChar *out = field.data();
    for (std::uint8_t b : encoded.bytes) {
        *out++ = QLatin1Char(hexDigit(b >> 4));
        *out++ = QLatin1Char(hexDigit(b));
    }
    if (shown < 4)
        *out = u'\t';
    encoded.codeField = std::move(field);
}

Encoded encodeStatement(long long pc, const QString &mnemonic, const QString &operands, EncodeContext &ctx)
{
    Encoded result = encodeCode(pc, mnemonic, operands, ctx);
    placeCode(result, pc, nextAddress(pc, result.mnemonic, operands, ctx.variables), ctx.image);
    return result;
}

} // namespace tw::mcs51
