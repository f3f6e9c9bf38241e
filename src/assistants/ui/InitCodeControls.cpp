#include "InitCodeControls.h"

#include "common/ui/Twips.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace tw
{

namespace
{

// Enter in a list's text would pick the typed text as if chosen from the list; it does nothing.
class SwallowEnter : public QObject
{
  public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    const QSize hint = widget->sizeHint();
    widget->setGeometry(pixelsOfTwips(left), pixelsOfTwips(top), width ? pixelsOfTwips(width) : hint.width(),
                        height ? pixelsOfTwips(height) : hint.height());
}

QLabel *placedLabel(const QString &text, QWidget *parent, int left, int top, int width)
{
    auto *caption = new QLabel(text, parent);
    placeTwips(caption, left, top, width);
    return caption;
}

QFont initCodeFont(double points)
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QComboBox *makeEditableList(QWidget *parent, const QString &toolTip)
{
    auto *list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    // No completion: what the user types stays exactly what was typed.
    list->setCompleter(nullptr);
    auto *filter = new SwallowEnter(list);
    list->installEventFilter(filter);
    list->lineEdit()->installEventFilter(filter);
    list->setToolTip(toolTip);
    return list;
}

void refillList(QComboBox *list, const QStringList &items, const QString &defaultText)
{
    list->clear();
    list->addItems(items);
    const int index = list->findText(defaultText);
    list->setCurrentIndex(index);
    list->setEditText(defaultText);
}

} // namespace tw
