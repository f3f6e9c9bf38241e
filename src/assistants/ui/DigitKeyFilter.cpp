#include "DigitKeyFilter.h"

#include "common/Prompter.h"

#include <QKeyEvent>

namespace tw
{

namespace
{

bool passes(const QKeyEvent &key)
{
    if (key.matches(QKeySequence::Copy) || key.matches(QKeySequence::SelectAll))
        return true;
    switch (key.key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        break;
    }
    for (QChar c : key.text())
        if (!(c >= u'0' && c <= u'9') && c != u'\b')
            return false;
    return true;
}

} // namespace

DigitKeyFilter::DigitKeyFilter(Prompter &prompter, QObject *parent) : QObject(parent), m_prompter(prompter) {}

bool DigitKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || passes(*static_cast<QKeyEvent *>(event)))
        return QObject::eventFilter(watched, event);
    m_prompter.message(QStringLiteral(u"请输入数字！"), MsgStyle::Ok + MsgStyle::Information, QString());
    return true;
}

} // namespace tw
