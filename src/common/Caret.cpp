#include "Caret.h"

#include "Vb.h"

#include <algorithm>

namespace tw {

LineColumn lineAndColumn(const QString &text, int position)
{
    position = std::clamp(position, 0, static_cast<int>(text.size()));
    LineColumn result;
    int lineStart = 0;
    for (int i = 0; i < position; ++i) {
        const QChar c = text.at(i);
        if (c == u'\n' || (c == u'\r' && (i + 1 >= text.size() || text.at(i + 1) != u'\n'))) {
            ++result.line;
            lineStart = i + 1;
        }
    }
    result.column = position - lineStart + 1;
    return result;
}

QString caretPanelText(const LineColumn &caret)
{
    return QStringLiteral(u"行：") + vbStr(caret.line) + QStringLiteral(u"   列：") + vbStr(caret.column);
}

} // namespace tw
