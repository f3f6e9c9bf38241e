#include "SplitMerge.h"

#include "HexText.h"
#include "ToolMessages.h"
#include "common/Prompter.h"

#include <QFile>

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
    return input.left(std::max<qsizetype>(0, input.size() - 4)) + QStringLiteral("_%1.bin").arg(part);
}

SplitResult splitImage(Prompter &prompter, const QString &input, const QString &sizeText)
{
    SplitResult result;
    if (!checkInput(prompter, ConvText::ChooseSplitInput, ConvText::MissingSplitInput, input))
        return result;
    result.firstPart = splitPartPath(input, 1);
    result.secondPart = splitPartPath(input, 2);
    const std::optional<int> size = splitSize(sizeText);
    if (!size) {
        showNotice(prompter, ConvText::BadSplitSize);
        return result;
    }
    const std::optional<QByteArray> image = readToolInput(prompter, input);
    if (!image)
        return result;
    if (image->size() < *size) {
        showNotice(prompter, ConvText::tooSmallToSplitText(sizeText));
        return result;
    }
    if (!writeToolOutput(prompter, result.firstPart, image->left(*size)) ||
        !writeToolOutput(prompter, result.secondPart, image->mid(*size)))
        return result;
    result.written = true;
    const QString gap = QStringLiteral("\r\n\r\n");
    result.summary = QStringLiteral(u"拆分完成！") + gap + QStringLiteral(u"拆分后的文件为：") + gap +
                     result.firstPart + gap + result.secondPart + gap;
    return result;
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

bool mergeImages(Prompter &prompter, const MergeJob &job)
{
    if (!checkInput(prompter, ConvText::ChooseFirstMergeInput, ConvText::MissingFirstMergeInput, job.first) ||
        !checkInput(prompter, ConvText::ChooseSecondMergeInput, ConvText::MissingSecondMergeInput,
                    job.second))
        return false;
    if (job.output.isEmpty()) {
        showCheck(prompter, ConvText::ChooseMergeOutput);
        return false;
    }
    if (refuseOwnInput(prompter, job.output, {job.first, job.second}, ConvText::MergeOutputIsInput))
        return false;
    int start = 0;
    if (job.byAddress) {
        const std::optional<int> address = readAddressBox(job.startText, false);
        if (!address) {
            showNotice(prompter, ConvText::BadStartAddress);
            return false;
        }
        start = *address;
    }
    const std::optional<QByteArray> first = readToolInput(prompter, job.first);
    const std::optional<QByteArray> second = first ? readToolInput(prompter, job.second) : std::nullopt;
    if (!second)
        return false;
    const std::optional<QByteArray> merged = mergedImage(*first, *second, job.byAddress, start, job.fill);
    if (!merged) {
        showNotice(prompter, ConvText::MergeOverlap);
        // The merge replaces the file it was given; after a refused merge none is left there.
        QFile::remove(job.output);
        return false;
    }
    if (!writeToolOutput(prompter, job.output, *merged))
        return false;
    showNotice(prompter, ConvText::MergeDone);
    return true;
}

} // namespace tw
