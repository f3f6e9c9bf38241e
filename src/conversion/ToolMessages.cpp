#include "ToolMessages.h"

#include "common/CheckedFile.h"
#include "common/Prompter.h"
#include "common/TextFile.h"

#include <QFileInfo>

namespace tw
{

void showCheck(Prompter &prompter, const QString &text)
{
    prompter.message(text, kCheckStyle, ConvText::InfoTitle);
}

void showNotice(Prompter &prompter, const QString &text)
{
    prompter.message(text, kNoticeStyle, ConvText::InfoTitle);
}

bool isExistingFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool checkInput(Prompter &prompter, const QString &noInput, const QString &missingInput, const QString &input)
{
    if (input.isEmpty()) {
        showCheck(prompter, noInput);
        return false;
    }
    if (!isExistingFile(input)) {
        showCheck(prompter, missingInput);
        return false;
    }
    return true;
}

bool checkPaths(Prompter &prompter, const PathCheckTexts &texts, const QString &input, const QString &output)
{
    if (!checkInput(prompter, texts.noInput, texts.missingInput, input))
        return false;
    if (output.isEmpty()) {
        showCheck(prompter, texts.noOutput);
        return false;
    }
    return true;
}

bool refuseOwnInput(Prompter &prompter, const QString &output, const QStringList &inputs,
                    const QString &message)
{
    for (const QString &input : inputs)
        if (isSameFile(input, output)) {
            prompter.message(message, kRefusalStyle, QString());
            return true;
        }
    return false;
}

} // namespace tw

namespace tw
{

std::optional<QByteArray> readToolInput(Prompter &prompter, const QString &path)
{
    // A device, a folder or a file far too large is refused unread; the notice says why.
    CheckedRead read = readFileChecked(path, kMaxTextFileBytes);
    if (read.ok())
        return std::move(read.bytes);
    showNotice(prompter, ConvText::CannotRead + QStringLiteral("\r\n") + path + QStringLiteral(u"（") +
                             read.reason + QStringLiteral(u"）"));
    return std::nullopt;
}

bool writeToolOutput(Prompter &prompter, const QString &path, const QByteArray &bytes)
{
    const QString reason = replaceFileChecked(path, bytes, WriteSync::Generated);
    if (reason.isEmpty())
        return true;
    showNotice(prompter, ConvText::CannotWrite + QStringLiteral("\r\n") + path + QStringLiteral(u"（") +
                             reason + QStringLiteral(u"）"));
    return false;
}

} // namespace tw
