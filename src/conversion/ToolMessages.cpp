#include "ToolMessages.h"

#include "common/Prompter.h"
#include "common/TextFile.h"

#include <QDir>
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

namespace
{

QString resolved(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    // A file still to be made: its folder may exist under another spelling.
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + u'/' + info.fileName();
}

} // namespace

bool isSameFile(const QString &existing, const QString &other)
{
    if (existing.isEmpty() || other.isEmpty())
        return false;
    return resolved(existing) == resolved(other);
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
    std::optional<QByteArray> bytes = readBinaryFile(path);
    if (!bytes)
        showNotice(prompter, ConvText::CannotRead + QStringLiteral("\r\n") + path);
    return bytes;
}

bool writeToolOutput(Prompter &prompter, const QString &path, const QByteArray &bytes)
{
    if (writeBinaryFile(path, bytes, WriteSync::Generated))
        return true;
    showNotice(prompter, ConvText::CannotWrite + QStringLiteral("\r\n") + path);
    return false;
}

} // namespace tw
