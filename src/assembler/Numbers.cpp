#include "Numbers.h"

#include "common/Hex.h"

#include <limits>

namespace tw
{

AssemblyFailure::AssemblyFailure(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

QString unrecognisedStatementMessage()
{
    return QStringLiteral(u"汇编失败，存在有不可识别的语句！");
}

QString errorLimitMessage()
{
    return QStringLiteral(u"汇编中止：错误数目达到上限！\r\n本软件限定错误数目最大为1000000");
}

QString duplicateLimitMessage()
{
    return QStringLiteral(u"汇编中止：重复定义的标号太多！\r\n本软件限定标号重复定义的次数最大为1024");
}

QString tooManyVariablesMessage()
{
    return QStringLiteral(u"源程序中用EQU定义的名称数目太多！\r\n本软件限定其数目最大为1024");
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
