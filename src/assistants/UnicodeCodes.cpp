#include "UnicodeCodes.h"

#include "common/Hex.h"
#include "common/Vb.h"

#include <algorithm>

namespace tw
{

namespace
{

QString withoutLeadingBlanks(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == u' ')
        ++start;
    return text.mid(start);
}

// The unit of one decimal or "0x" item; false when a decimal item is no 16-bit code.
bool unitOfItem(const QString &item, UnicodeFormat format, char16_t &unit)
{
    if (format == UnicodeFormat::Hex) {
        unit = static_cast<char16_t>(unicodeHexItemValue(item));
        return true;
    }
    const double value = roundHalfEven(vbVal(item));
    if (!(value >= -32768 && value <= 65535))
        return false;
    unit = static_cast<char16_t>(value < 0 ? value + 65536 : value);
    return true;
}

DecodedText continuousHexToText(const QString &codes)
{
    if (codes.size() % 4 != 0)
        return {QString(), hexCodeErrorMessage()};
    QString text;
    for (qsizetype at = 0; at < codes.size(); at += 4)
        text += QChar(static_cast<char16_t>(unicodeHexItemValue(codes.mid(at, 4))));
    return {text, QString()};
}

DecodedText itemsToText(const QString &codes, UnicodeFormat format)
{
    QString text, item;
    auto takeItem = [&]() {
        char16_t unit = 0;
        if (!unitOfItem(item, format, unit))
            return false;
        text += QChar(unit);
        item.clear();
        return true;
    };
    for (QChar c : codes) {
        if (c == u' ')
            continue;
        if (c == u',' || c == u'\t') {
            if (!takeItem())
                return {QString(), decimalCodeErrorMessage()};
        } else {
            item += c;
        }
    }
    if (!item.isEmpty() && !takeItem())
        return {QString(), decimalCodeErrorMessage()};
    return {text, QString()};
}

} // namespace

QString hexCodeErrorMessage()
{
    return QStringLiteral(u"十六进制代码错误！");
}

QString decimalCodeErrorMessage()
{
    return QStringLiteral(u"十进制代码错误！");
}

int unicodeHexItemValue(const QString &item)
{
    const qsizetype first = item.startsWith(u"0x") ? 2 : 0;
    int value = 0;
    for (qsizetype at = first; at < first + 4; ++at) {
        const int digit = at < item.size() ? std::max(hexDigitValue(item[at].unicode()), 0) : 0;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<QString> unicodeCodesOf(const QString &text, UnicodeFormat format)
{
    const QString units = withoutLeadingBlanks(text);
    if (units.isEmpty())
        return std::nullopt;
    QString codes;
    for (QChar c : units) {
        const char16_t unit = c.unicode();
        if (format == UnicodeFormat::ContinuousHex) {
            codes += hexWord(unit);
            continue;
        }
        if (!codes.isEmpty())
            codes += QStringLiteral(", ");
        codes += format == UnicodeFormat::Hex ? QStringLiteral("0x") + hexWord(unit) : vbStr(int(unit));
    }
    return codes;
}

DecodedText textOfUnicodeCodes(const QString &codes, UnicodeFormat format)
{
    const QString trimmed = withoutLeadingBlanks(codes);
    if (format == UnicodeFormat::ContinuousHex)
        return continuousHexToText(trimmed);
    return itemsToText(trimmed, format);
}

} // namespace tw
