#include "Numbers.h"

#include "assembler/common/Messages.h"
#include "common/Hex.h"

#include <limits>

namespace tw
{

AssemblyFailure::AssemblyFailure(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

namespace
{

// Past every base, so that one "digit >= base" test rejects any other character.
int digitValue(QChar c)
{
    const int value = hexDigitValue(c.unicode());
    return value < 0 ? 99 : value;
}

} // namespace

long long readNumber(QStringView text)
{
    int base = 10;
    if (!text.isEmpty()) {
        switch (text.back().unicode()) {
        case u'H':
            base = 16;
            break;
        case u'B':
            base = 2;
            break;
        case u'Q':
            base = 8;
            break;
        default:
            break;
        }
        if (base != 10)
            text.chop(1);
    }
    if (text.isEmpty()) // "MOV A,#" must not read as #0
        return NotANumber;
    long long value = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= base)
            return NotANumber;
        value = value * base + digit;
        if (value > std::numeric_limits<std::int32_t>::max())
            throw AssemblyFailure(unrecognisedStatementMessage());
    }
    return value;
}

} // namespace tw
