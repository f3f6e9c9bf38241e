#include "ObjConversion.h"
#include "Messages.h"

#include "ToolMessages.h"
#include "common/Hex.h"

namespace tw
{

namespace
{

int digitValue(char c)
{
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return hexDigitValue(static_cast<char16_t>(c));
}

bool isTrailingSpace(char c)
{
    return c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

} // namespace

QByteArray binToObjText(const QByteArray &image)
{
    return image.toHex().toUpper();
}

std::optional<QByteArray> objTextToBin(const QByteArray &text, QString *problem)
{
    qsizetype length = text.size();
    while (length > 0 && isTrailingSpace(text[length - 1]))
        --length;
    for (qsizetype i = 0; i < length; ++i)
        if (digitValue(text[i]) < 0) {
            if (problem)
                *problem = ConvText::NonHexCharacter;
            return std::nullopt;
        }
    if (length % 2 != 0) {
        if (problem)
            *problem = ConvText::OddDigitCount;
        return std::nullopt;
    }
    QByteArray image(length / 2, '\0');
    for (qsizetype i = 0; i < length; i += 2)
        image[i / 2] = static_cast<char>(digitValue(text[i]) * 16 + digitValue(text[i + 1]));
    return image;
}

bool convertObjToBin(Prompter &prompter, const QString &input, const QString &output)
{
    if (refuseOwnInput(prompter, output, {input}, ConvText::OwnInput))
        return false;
    const std::optional<QByteArray> text = readToolInput(prompter, input);
    if (!text)
        return false;
    QString problem;
    const std::optional<QByteArray> image = objTextToBin(*text, &problem);
    if (!image) {
        showNotice(prompter, problem);
        return false;
    }
    if (!writeToolOutput(prompter, output, *image))
        return false;
    showNotice(prompter, ConvText::Done);
    return true;
}

bool convertBinToObj(Prompter &prompter, const QString &input, const QString &output)
{
    if (refuseOwnInput(prompter, output, {input}, ConvText::OwnInput))
        return false;
    const std::optional<QByteArray> image = readToolInput(prompter, input);
    if (!image || !writeToolOutput(prompter, output, binToObjText(*image)))
        return false;
    showNotice(prompter, ConvText::Done);
    return true;
}

} // namespace tw
