#include "disassembler/DisasmText.h"

#include "common/Hex.h"
#include "common/OutcomeWriter.h"

#include <algorithm>

namespace tw
{

QString dhex(std::uint8_t value)
{
    std::string text;
    appendDhex(text, value);
    return QString::fromLatin1(text);
}

int hexToBin(const QString &text)
{
    return hexToBin(std::string_view(text.toStdString()));
}

QString sideFilePath(const QString &output, const char *ending)
{
    return fromNativePath(sideFilePath(nativePath(output), ending));
}

QString labelName(int index)
{
    std::string text;
    appendLabelName(text, index);
    return QString::fromLatin1(text);
}

QString equLine(int index, long long address)
{
    return labelName(index) + QStringLiteral(": EQU  ") + hexWord(address) + u'H';
}

QString orgLine(long long address)
{
    return QStringLiteral("ORG ") + hexWord(address) + u'H';
}

void appendDbLines(QString &out, const std::uint8_t *bytes, int count, QString (*byteText)(std::uint8_t))
{
    for (int first = 0; first < count; first += 8) {
        const int last = std::min(first + 8, count);
        out += QStringLiteral("DB ");
        for (int i = first; i < last; ++i) {
            if (i > first)
                out += QStringLiteral(", ");
            out += byteText(bytes[i]);
            out += u'H';
        }
        out += kCr;
    }
}

QString disassemblyFile(const QString &creditLine, const QString &body)
{
    return creditLine + kCrLf + body + QStringLiteral("END") + kCr + kCrLf;
}

} // namespace tw
