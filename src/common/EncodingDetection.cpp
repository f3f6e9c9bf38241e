#include "EncodingDetection.h"

#include <QStringDecoder>

#include <uchardet.h>

#include <algorithm>
#include <memory>

namespace tw
{

namespace
{

bool isAsciiOnly(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isGbkLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

// Calls visit(lead, trail) for each two-byte GBK character and visit(byte, 0) for each other byte
// above 7Fh; returns false when the bytes end inside a character.
template <typename Visit> bool forEachGbkCharacter(QByteArrayView bytes, Visit visit)
{
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80)
            continue;
        if (!isGbkLead(lead)) {
            visit(lead, 0);
            continue;
        }
        if (i + 1 == n)
            return false;
        visit(lead, static_cast<unsigned char>(bytes[++i]));
    }
    return true;
}

// GBK characters outside GB2312's symbol rows and its two levels of hanzi: rare in Chinese text,
// common when UTF-8 Chinese is read as GBK (its continuation bytes make second bytes below A1h).
int unusualGbkCharacters(QByteArrayView bytes)
{
    int count = 0;
    forEachGbkCharacter(bytes, [&count](unsigned char lead, unsigned char trail) {
        const bool gb2312 = ((lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7)) &&
                            trail >= 0xA1 && trail <= 0xFE;
        if (!gb2312)
            ++count;
    });
    return count;
}

// Characters of two-byte UTF-8 (Latin letters with marks, Greek, Cyrillic, Hebrew...): what GBK
// Chinese gives when read as UTF-8. The few symbols a Chinese engineer types in UTF-8 are usual.
int unusualUtf8Characters(const QString &text)
{
    static constexpr char16_t kUsualSymbols[] = u"°±µ·×÷";
    int count = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && u < 0x800 && !std::char_traits<char16_t>::find(kUsualSymbols, 6, u))
            ++count;
    }
    return count;
}

bool detectorSaysUtf8(QByteArrayView bytes)
{
    const std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(), &uchardet_delete);
    if (!detector ||
        uchardet_handle_data(detector.get(), bytes.data(), static_cast<size_t>(bytes.size())) != 0)
        return false;
    uchardet_data_end(detector.get());
    const char *charset = uchardet_get_charset(detector.get());
    return charset && qstrcmp(charset, "UTF-8") == 0;
}

} // namespace

bool hasUtf8ByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView("\xEF\xBB\xBF"));
}

bool endsInsideGbkCharacter(QByteArrayView bytes)
{
    return !forEachGbkCharacter(bytes, [](unsigned char, unsigned char) {});
}

TextEncoding detectEncoding(QByteArrayView bytes)
{
    if (hasUtf8ByteOrderMark(bytes))
        return TextEncoding::Utf8;
    if (isAsciiOnly(bytes))
        return TextEncoding::Gbk;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (utf8.hasError())
        return TextEncoding::Gbk;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    if (!gbk.isValid())
        return TextEncoding::Utf8;
    gbk.decode(bytes);
    if (gbk.hasError() || endsInsideGbkCharacter(bytes))
        return TextEncoding::Utf8;
    const int unusualAsUtf8 = unusualUtf8Characters(asUtf8);
    const int unusualAsGbk = unusualGbkCharacters(bytes);
    // One reading with at most half the unusual characters of the other is the file's; a rare
    // character in a GBK comment does not make the comment UTF-8.
    if (unusualAsUtf8 + unusualAsGbk > 0) {
        if (2 * unusualAsUtf8 <= unusualAsGbk)
            return TextEncoding::Utf8;
        if (2 * unusualAsGbk <= unusualAsUtf8)
            return TextEncoding::Gbk;
    }
    return detectorSaysUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

} // namespace tw
