#pragma once
// The caret's line and column in a plain text, both counted from 1.
#include <QString>

namespace tw {

struct LineColumn {
    int line = 1;
    int column = 1;
};

// position is a character index into text (the end of the selection). A line ends at LF,
// CR LF or a lone CR; a position past the end counts as the end.
LineColumn lineAndColumn(const QString &text, int position);

// The status-bar text of the caret panel: "行： 3   列： 7".
QString caretPanelText(const LineColumn &caret);

} // namespace tw
