#pragma once
// The search behind the find dialog: a pattern looked for in an editor's whole text from the
// position after the last match, which the whole run remembers.
#include <QString>

namespace tw
{

// 1-based position of the last match in the active editor's text, 0 when there is none. It
// outlives the find dialog.
int findPos();

// 1-based position of pattern in text at or after the 1-based position start, 0 when absent. An
// empty pattern is never found.
int findFrom(const QString &text, const QString &pattern, int start, bool matchCase);

struct FindMatch {
    int start = -1; // 0-based, -1 when not found
    int length = 0;
    bool found() const { return start >= 0; }
};

// Find: searches from the top. Find next: searches after the last match; after a miss FindPos is
// 0, so the next one starts from the top again.
FindMatch findFirst(const QString &text, const QString &pattern, bool matchCase);
FindMatch findNext(const QString &text, const QString &pattern, bool matchCase);

} // namespace tw
