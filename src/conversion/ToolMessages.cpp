#include "ToolMessages.h"

#include "base/SamePath.h"
#include "common/CheckedFile.h"
#include "common/OutcomeWriter.h"

namespace tw
{

ToolNote checkNote(const QString &text)
{
    return toolNote(text, kCheckStyle, ConvText::InfoTitle);
}

ToolNote noticeNote(const QString &text)
{
    return toolNote(text, kNoticeStyle, ConvText::InfoTitle);
}

ToolNote refusalNote(const QString &text)
{
    return toolNote(text, kRefusalStyle, QString());
}

ToolOutcome refusal(const ToolNote &note)
{
    ToolOutcome outcome;
    outcome.notes.push_back(note);
    return outcome;
}

bool isPresent(const QString &path)
{
    return isPathPresent(nativePath(path));
}

std::optional<ToolNote> inputProblem(const QString &noInput, const QString &missingInput,
                                     const QString &input)
{
    if (input.isEmpty())
        return checkNote(noInput);
    if (!isPresent(input))
        return checkNote(missingInput);
    return std::nullopt;
}

std::optional<ToolNote> pathsProblem(const PathCheckTexts &texts, const QString &input, const QString &output)
{
    if (std::optional<ToolNote> problem = inputProblem(texts.noInput, texts.missingInput, input))
        return problem;
    if (output.isEmpty())
        return checkNote(texts.noOutput);
    return std::nullopt;
}

std::optional<ToolNote> ownInputProblem(const QString &output, const QStringList &inputs,
                                        const QString &message)
{
    for (const QString &input : inputs)
        if (isSameFile(input, output))
            return refusalNote(message);
    return std::nullopt;
}

ToolInput readToolInput(const QString &path)
{
    // A device, a folder or a file far too large is refused unread; the notice says why.
    CheckedRead read = readFileChecked(path, kMaxTextFileBytes);
    ToolInput input;
    if (read.ok())
        input.bytes = std::move(read.bytes);
    else
        input.fault = noticeNote(readFailureMessage(path, read.reason));
    return input;
}

std::vector<std::string> inputPaths(const QStringList &inputs)
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(inputs.size()));
    for (const QString &input : inputs)
        paths.push_back(nativePath(input));
    return paths;
}

ToolOutcome writeThenNotice(std::vector<PlannedFile> files, const QString &notice, const QStringList &inputs)
{
    ToolOutcome outcome;
    outcome.files = std::move(files);
    outcome.inputs = inputPaths(inputs);
    outcome.done.push_back(noticeNote(notice));
    return outcome;
}

} // namespace tw
