#include "SplitMerge.h"

#include "HexText.h"
#include "ToolMessages.h"
#include "common/OutcomeWriter.h"

namespace tw
{

std::optional<int> splitSize(const QString &sizeText)
{
    const struct {
        const char *text;
        int size;
    } sizes[] = {{"1KB", 1024}, {"2KB", 2048}, {"4KB", 4096}, {"8KB", 8192}};
    for (const auto &entry : sizes)
        if (sizeText == QLatin1String(entry.text))
            return entry.size;
    return std::nullopt;
}

QString splitPartPath(const QString &input, int part)
{
    const qsizetype nameStart = input.lastIndexOf(u'/') + 1;
    const qsizetype nameLength = input.size() - nameStart;
    qsizetype cut = input.size();
    if (nameLength >= 4 && input[input.size() - 4] == u'.')
        cut = input.size() - 4;
    else if (const qsizetype dot = input.lastIndexOf(u'.'); dot >= nameStart)
        cut = dot;
    return input.left(cut) + QStringLiteral("_%1.bin").arg(part);
}

QString splitSummary(const QString &input)
{
    const QString gap = QStringLiteral("\r\n\r\n");
    return QStringLiteral(u"拆分完成！") + gap + QStringLiteral(u"拆分后的文件为：") + gap +
           splitPartPath(input, 1) + gap + splitPartPath(input, 2) + gap;
}

ToolOutcome splitImage(const QString &input, const QString &sizeText)
{
    if (const std::optional<ToolNote> problem =
            inputProblem(ConvText::ChooseSplitInput, ConvText::MissingSplitInput, input))
        return refusal(*problem);
    const std::optional<int> size = splitSize(sizeText);
    if (!size)
        return refusal(noticeNote(ConvText::BadSplitSize));
    const ToolInput image = readToolInput(input);
    if (!image.ok())
        return refusal(*image.fault);
    if (image.bytes.size() < *size)
        return refusal(noticeNote(ConvText::tooSmallToSplitText(sizeText)));
    ToolOutcome outcome;
    outcome.files = {plannedFile(splitPartPath(input, 1), image.bytes.left(*size)),
                     plannedFile(splitPartPath(input, 2), image.bytes.mid(*size))};
    outcome.inputs = inputPaths({input});
    return outcome;
}

std::optional<QByteArray> mergedImage(const QByteArray &first, const QByteArray &second, bool byAddress,
                                      int start, std::uint8_t fill)
{
    QByteArray merged = first;
    if (byAddress) {
        if (start < first.size())
            return std::nullopt;
        merged.append(start - first.size(), static_cast<char>(fill));
    }
    merged.append(second);
    return merged;
}

ToolOutcome mergeImages(const MergeJob &job)
{
    std::optional<ToolNote> problem =
        inputProblem(ConvText::ChooseFirstMergeInput, ConvText::MissingFirstMergeInput, job.first);
    if (!problem)
        problem =
            inputProblem(ConvText::ChooseSecondMergeInput, ConvText::MissingSecondMergeInput, job.second);
    if (!problem && job.output.isEmpty())
        problem = checkNote(ConvText::ChooseMergeOutput);
    if (!problem)
        problem = ownInputProblem(job.output, {job.first, job.second}, ConvText::MergeOutputIsInput);
    if (problem)
        return refusal(*problem);
    int start = 0;
    if (job.byAddress) {
        const std::optional<int> address = readAddressBox(job.startText, false);
        if (!address)
            return refusal(noticeNote(ConvText::BadStartAddress));
        start = *address;
    }
    const ToolInput first = readToolInput(job.first);
    if (!first.ok())
        return refusal(*first.fault);
    const ToolInput second = readToolInput(job.second);
    if (!second.ok())
        return refusal(*second.fault);
    const std::optional<QByteArray> merged =
        mergedImage(first.bytes, second.bytes, job.byAddress, start, job.fill);
    if (!merged)
        return refusal(noticeNote(ConvText::MergeOverlap));
    return writeThenNotice({plannedFile(job.output, *merged)}, ConvText::MergeDone, {job.first, job.second});
}

} // namespace tw
