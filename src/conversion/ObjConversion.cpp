#include "ObjConversion.h"
#include "Messages.h"

#include "ToolMessages.h"
#include "common/Hex.h"
#include "common/OutcomeWriter.h"

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

namespace
{

// Reads the input of a conversion into another file (never onto the input itself) and hands its
// bytes to convert, which gives the output's bytes or the notice why there are none.
template <typename Convert>
ToolOutcome convertFile(const QString &input, const QString &output, Convert &&convert)
{
    if (const std::optional<ToolNote> problem = ownInputProblem(output, {input}, ConvText::OwnInput))
        return refusal(*problem);
    const ToolInput read = readToolInput(input);
    if (!read.ok())
        return refusal(*read.fault);
    QString problem;
    const std::optional<QByteArray> converted = convert(read.bytes, problem);
    if (!converted)
        return refusal(noticeNote(problem));
    return writeThenNotice({plannedFile(output, *converted)}, ConvText::Done, {input});
}

} // namespace

ToolOutcome convertObjToBin(const QString &input, const QString &output)
{
    return convertFile(input, output,
                       [](const QByteArray &text, QString &problem) { return objTextToBin(text, &problem); });
}

ToolOutcome convertBinToObj(const QString &input, const QString &output)
{
    return convertFile(input, output, [](const QByteArray &image, QString &) {
        return std::optional<QByteArray>(binToObjText(image));
    });
}

} // namespace tw
