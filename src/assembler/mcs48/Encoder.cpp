#include "Encoder.h"

#include "assembler/common/Messages.h"
#include "assembler/common/Operands.h"
#include "assembler/mcs48/Forms.h"
#include "base/CodeImage.h"
#include "common/Hex.h"

namespace tw::mcs48
{

namespace
{

using namespace Qt::StringLiterals;

constexpr long long kLastAddress = 0xFFFF;

// The code field of up to three bytes: their digits, with room for the TAB encodeStatement adds
// to a short field, so that a statement costs one string.
QString codeOf(std::initializer_list<std::uint8_t> bytes)
{
    QString code(2 * static_cast<qsizetype>(bytes.size()) + 1, Qt::Uninitialized);
    QChar *digit = code.data();
    for (const std::uint8_t byte : bytes) {
        *digit++ = QLatin1Char(hexDigit(byte >> 4));
        *digit++ = QLatin1Char(hexDigit(byte));
    }
    code.chop(1); // the room stays
    return code;
}

QString latin(std::string_view text)
{
    QString code;
    code.reserve(static_cast<qsizetype>(text.size()) + 1);
    code += QLatin1StringView(text.data(), static_cast<qsizetype>(text.size()));
    return code;
}

// The MCS-48 dialect knows no EQU variables; the extractors still map the register aliases.
const VariableTable &noVariables()
{
    static const VariableTable empty;
    return empty;
}

class StatementEncoder
{
  public:
    StatementEncoder(long long pc, EncodeContext &context) : m_pc(pc), m_context(context) {}

    QString data(const QString &operands, int width);
    QString instruction(const Rules &rules, const QString &operands);

  private:
    void store(long long address, int value);
    QString reject(const QString *message, std::string_view code);
    QString encodeForm(const Form &form, const QString &first, const QString &second, const Classified &c1,
                       const Classified &c2);
    QString immediate(std::uint8_t opcode, const QString &text);
    QString pageJump(std::uint8_t opcode, const QString &label);
    QString longJump(std::uint8_t opcode, const QString &label);

    long long m_pc;
    EncodeContext &m_context;
    const Rules *m_rules = nullptr;
    std::uint8_t m_storedOpcode = 0;
};

void StatementEncoder::store(long long address, int value)
{
    if (address < 0 || address > kLastAddress)
        throw AssemblyFailure(addressErrorMessage(m_context.errors.lineNumber()));
    m_context.image[static_cast<int>(address)] = static_cast<std::uint8_t>(value);
}

QString StatementEncoder::reject(const QString *message, std::string_view code)
{
    // Label forms take any operand, so their rules name no message.
    m_context.errors.record(message ? *message : QString());
    if (m_rules && m_rules->store == Rules::Store::OpcodeFirstAsText)
        return codeOf({m_storedOpcode});
    return latin(code);
}

QString StatementEncoder::data(const QString &operands, int width)
{
    const long long limit = width == 1 ? 0xFF : 0xFFFF;
    QString code;
    long long address = m_pc;
    for (const QString &item : dataItems(operands)) {
        const long long value = readNumber(item);
        if (value > limit) {
            m_context.errors.record(kOperandOutOfRangeError);
            code += QString(2 * width, u'0');
        } else if (width == 1) {
            store(address, static_cast<int>(value));
            code += hexByte(static_cast<std::uint8_t>(value));
        } else {
            store(address, static_cast<int>(value >> 8));
            store(address + 1, static_cast<int>(value & 0xFF));
            code += hexWord(value);
        }
        address += width;
    }
    return code;
}

QString StatementEncoder::instruction(const Rules &rules, const QString &operands)
{
    m_rules = &rules;
    const std::span<const Form> candidates = formsOf(rules);
    if (rules.take == Rules::Take::Nothing) {
        const Form &form = candidates.front();
        if (rules.store != Rules::Store::Never)
            store(m_pc, form.opcode);
        return codeOf({form.opcode});
    }
    if (rules.store == Rules::Store::OpcodeFirst || rules.store == Rules::Store::OpcodeFirstAsText) {
        m_storedOpcode = candidates.front().opcode;
        store(m_pc, m_storedOpcode);
    }
    const int count = rules.take == Rules::Take::One ? 1 : 2;
    // getOp2 also separates at the full-width comma; getOp1 does not. The texts share the
    // operand field's characters, which outlive this statement's encoding.
    const OperandTexts texts = operandTexts(operands, count, noVariables(), &m_context.errors, count == 2);
    const QString &first = texts[0];
    const QString &second = texts[1];
    const Classified c1 = classify(first);
    const Classified c2 = classify(second);
    bool firstFits = false;
    for (const Form &form : candidates) {
        if (!fits(form.first, c1, first))
            continue;
        firstFits = true;
        if (fits(form.second, c2, second))
            return encodeForm(form, first, second, c1, c2);
    }
    if (!firstFits)
        return reject(rules.firstMessage, rules.firstCode);
    return reject(rules.secondMessage, rules.secondCode);
}

QString StatementEncoder::encodeForm(const Form &form, const QString &first, const QString &second,
                                     const Classified &c1, const Classified &c2)
{
    const std::uint8_t opcode = opcodeWith(form, c1, c2);
    for (const auto &[kind, text] : {std::pair{form.first, first}, std::pair{form.second, second}}) {
        if (kind == Operand::Imm)
            return immediate(opcode, text);
        if (kind == Operand::Page)
            return pageJump(opcode, text);
        if (kind == Operand::Addr11)
            return longJump(opcode, text);
    }
    store(m_pc, opcode);
    return codeOf({opcode});
}

QString StatementEncoder::immediate(std::uint8_t opcode, const QString &text)
{
    const long long value = readNumber(QStringView(text).mid(1));
    if (value > 0xFF) {
        m_context.errors.record(kOperandOutOfRangeError);
        return u"0000"_s;
    }
    store(m_pc, opcode);
    store(m_pc + 1, static_cast<int>(value));
    return codeOf({opcode, static_cast<std::uint8_t>(value)});
}

QString StatementEncoder::pageJump(std::uint8_t opcode, const QString &label)
{
    // The opcode stays in the image even when the target is rejected.
    store(m_pc, opcode);
    const auto target = m_context.labels.find(label);
    if (!target) {
        m_context.errors.record(kUndefinedLabelError);
        return codeOf({opcode, 0});
    }
    // The chip takes the page from the address of the second byte: a jump whose opcode is the
    // last byte of a page reaches into the next one, from xxFEH it stays in page xx. A target
    // elsewhere would be reached on the wrong page.
    if ((*target & ~0xFFLL) != ((m_pc + 1) & ~0xFFLL)) {
        m_context.errors.record(kJumpOutOfRangeError);
        return codeOf({opcode, 0});
    }
    const auto low = static_cast<std::uint8_t>(*target & 0xFF);
    store(m_pc + 1, low);
    return codeOf({opcode, low});
}

QString StatementEncoder::longJump(std::uint8_t opcode, const QString &label)
{
    const auto target = m_context.labels.find(label);
    if (!target) {
        m_context.errors.record(kUndefinedLabelError);
        return u"000000"_s;
    }
    // Bit 11 is the memory bank of SEL MB0/MB1, not part of the instruction.
    const auto full = static_cast<std::uint8_t>(opcode | (((*target >> 8) & 0x07) << 5));
    const auto low = static_cast<std::uint8_t>(*target & 0xFF);
    store(m_pc, full);
    store(m_pc + 1, low);
    return codeOf({full, low});
}

bool hasNoCode(const QString &mnemonic)
{
    return mnemonic == u"ORG"_s || mnemonic == u"END"_s || mnemonic == u"EQU"_s;
}

QString encodeText(long long pc, const QString &mnemonic, const QString &operands, EncodeContext &context)
{
    StatementEncoder encoder(pc, context);
    if (hasNoCode(mnemonic))
        return QString();
    if (mnemonic == u"DB"_s)
        return encoder.data(operands, 1);
    if (mnemonic == u"DW"_s)
        return encoder.data(operands, 2);
    const Rules *rules = rulesFor(mnemonic);
    if (!rules) {
        context.errors.record(kIllegalOpcodeError);
        return u"000000"_s;
    }
    return encoder.instruction(*rules, operands);
}

} // namespace

QString encodeStatement(long long pc, const QString &mnemonic, const QString &operands,
                        EncodeContext &context)
{
    QString code = encodeText(pc, mnemonic, operands, context);
    if (code.size() < 8)
        code += u'\t';
    return code;
}

} // namespace tw::mcs48
