#include "GlyphInputBox.h"

#include <QKeyEvent>

namespace tw
{

namespace
{

// The character a key gives as a key press, or nothing for keys that give none (arrows, Delete).
QString characterOf(const QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Delete)
        return QString();
    if ((event->modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(key - Qt::Key_A + 1));
    if (key == Qt::Key_Backspace)
        return QStringLiteral("\b");
    return event->text();
}

} // namespace

void GlyphInputBox::keyPressEvent(QKeyEvent *event)
{
    if (const QString character = characterOf(event); !character.isEmpty())
        emit characterKey(character);
    // Typing over the same character still changes the text (and the window redraws it).
    QLineEdit::keyPressEvent(event);
}

void GlyphInputBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty())
        emit characterKey(event->commitString());
    QLineEdit::inputMethodEvent(event);
}

} // namespace tw
