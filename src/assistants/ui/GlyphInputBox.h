#pragma once
// The font window's one-character input box. Every character key (also a control key such as
// Backspace or a Ctrl shortcut, and a character an input method commits) is announced before
// the box takes it, so the window can choose the font for it.
#include <QLineEdit>

namespace tw
{

class GlyphInputBox : public QLineEdit
{
    Q_OBJECT

  public:
    using QLineEdit::QLineEdit;

  signals:
    // The key's character, before the box inserts it.
    void characterKey(const QString &character);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
};

} // namespace tw
