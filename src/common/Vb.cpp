#include "Vb.h"

#include "base/VbStr.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tw
{

QString vbStr(long long value)
{
    char digits[kVbStrDigits];
    char *const end = digits + kVbStrDigits;
    const char *start = putVbStr(value, end);
    return QString::fromLatin1(start, end - start);
}

namespace
{
// Up to 15 significant digits, in the short form: no trailing zeros, no leading "0" before
// the point, an exponent "E+nn"/"E-nn" only where the fixed form would need more digits.
QString fifteenDigitText(double magnitude)
{
    if (magnitude == 0)
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14E", magnitude);
    // buffer: d.ddddddddddddddE[+-]xx
    std::string text(buffer);
    const auto ePos = text.find('E');
    std::string mantissa = text.substr(0, ePos);
    const int exponent = std::atoi(text.c_str() + ePos + 1);
    std::string digits;
    for (char c : mantissa)
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    // Appended, not "." + text: GCC 12.2 wrongly warns (-Wrestrict) about a literal put before a
    // temporary string.
    std::string out;
    if (exponent >= 15 || exponent < -15) {
        out = digits.substr(0, 1);
        if (digits.size() > 1)
            out.append(".").append(digits, 1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += exp;
    } else if (exponent >= 0) {
        if (static_cast<int>(digits.size()) <= exponent + 1) {
            out = digits + std::string(exponent + 1 - digits.size(), '0');
        } else {
            out = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
        }
    } else {
        out.append(".").append(-exponent - 1, '0').append(digits);
    }
    return QString::fromStdString(out);
}
} // namespace

QString vbStr(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    // A typed "1E308" times a factor overflows; its text must not be read as digits.
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Inf") : QStringLiteral(" Inf");
    const QString body = fifteenDigitText(std::fabs(value));
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + body;
}

double vbVal(const QString &text)
{
    int i = 0;
    const int n = text.size();
    auto skipBlanks = [&] {
        while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
            ++i;
    };
    skipBlanks();
    if (i + 1 < n && text[i] == u'&') {
        const QChar kind = text[i + 1].toUpper();
        int base = kind == u'H' ? 16 : (kind == u'O' ? 8 : 0);
        if (base) {
            i += 2;
            long long value = 0;
            bool any = false;
            for (; i < n; ++i) {
                const int digit = QString(text[i]).toInt(nullptr, 16);
                const bool ok =
                    text[i].isDigit() || (base == 16 && QString("ABCDEFabcdef").contains(text[i]));
                if (!ok || digit >= base)
                    break;
                // Digits past the 64 bits wrap instead of overflowing; a value that long
                // means nothing to any box that reads it.
                value = static_cast<long long>(static_cast<unsigned long long>(value) * base +
                                               static_cast<unsigned long long>(digit));
                any = true;
            }
            if (!any)
                return 0;
            // &H and &O values of up to four digits are 16-bit signed, as the old runtime read them.
            if (value <= 0xFFFF && value >= 0x8000)
                value -= 0x10000;
            return static_cast<double>(value);
        }
    }
    std::string number;
    bool seenDigit = false, seenPoint = false, seenExp = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == u' ' || c == u'\t')
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            number += char(c.unicode());
            seenDigit = true;
        } else if (c == u'.' && !seenPoint && !seenExp) {
            number += '.';
            seenPoint = true;
        } else if ((c == u'+' || c == u'-') && (number.empty() || number.back() == 'E')) {
            number += char(c.unicode());
        } else if ((c == u'E' || c == u'e' || c == u'D' || c == u'd') && seenDigit && !seenExp) {
            number += 'E';
            seenExp = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0;
    while (!number.empty() && (number.back() == 'E' || number.back() == '+' || number.back() == '-'))
        number.pop_back();
    return std::strtod(number.c_str(), nullptr);
}

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds halves to even
}

} // namespace tw
