#include "Tidier.h"

#include "Normaliser.h"
#include "common/TextFile.h"

namespace tw
{

bool isTidiedSourcePath(const QString &path)
{
    return path.endsWith(QStringView(u"asm")) || path.endsWith(QStringView(u"ASM"));
}

QString tidySourceText(const QString &text)
{
    return normaliseSource(splitLines(text)).text;
}

std::optional<QString> tidySourceFile(const QString &path)
{
    if (!isTidiedSourcePath(path))
        return std::nullopt;
    const auto content = readTextFile(path);
    if (!content)
        return std::nullopt;
    const QString tidied = tidySourceText(content->text);
    if (!writeTextFile(path, tidied, content->encoding))
        return std::nullopt;
    return tidied;
}

} // namespace tw
