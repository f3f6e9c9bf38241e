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
    return normaliseText(text).text;
}

std::optional<QString> tidySourceFile(const QString &path)
{
    if (!isTidiedSourcePath(path))
        return std::nullopt;
    const auto bytes = readBinaryFile(path);
    if (!bytes)
        return std::nullopt;
    const TextFileContent content = decodeText(*bytes);
    // Bytes that are neither GBK nor UTF-8 would not survive a rewrite: leave such a file alone.
    if (encodeText(content.text, content.encoding) != *bytes)
        return std::nullopt;
    const QString tidied = tidySourceText(content.text);
    if (!writeTextFile(path, tidied, content.encoding))
        return std::nullopt;
    return tidied;
}

} // namespace tw
