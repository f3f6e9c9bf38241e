#include "FindText.h"

namespace tw
{

namespace
{
int g_findPos = 0;
}

int findPos()
{
    return g_findPos;
}

int findFrom(const QString &text, const QString &pattern, int start, bool matchCase)
{
    if (pattern.isEmpty() || start < 1)
        return 0;
    const qsizetype at =
        text.indexOf(pattern, start - 1, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

FindMatch findNext(const QString &text, const QString &pattern, bool matchCase)
{
    g_findPos = findFrom(text, pattern, g_findPos + 1, matchCase);
    if (g_findPos == 0)
        return {};
    return {g_findPos - 1, static_cast<int>(pattern.size())};
}

FindMatch findFirst(const QString &text, const QString &pattern, bool matchCase)
{
    g_findPos = 0;
    return findNext(text, pattern, matchCase);
}

} // namespace tw
