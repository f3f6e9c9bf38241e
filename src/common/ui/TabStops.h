#pragma once
// Tab stops of a text box counted in characters, so that listings and tidied sources line up
// the same in an editor, in the simulator's listing pane and in the files themselves.
class QPlainTextEdit;

namespace tw
{

// Puts the box's tab stops every `columns` characters of its font, now and after every change of
// that font. Once per box.
void setTabColumns(QPlainTextEdit *box, int columns = 8);

} // namespace tw
