#pragma once
// Shared pieces of the initialisation-code window's pages: placement in twips (15 to the pixel)
// as the window was drawn, its font and its editable lists.
#include <QFont>
#include <QStringList>

class QComboBox;
class QLabel;
class QWidget;

namespace tw
{

// A width or height of 0 takes what the control's font needs.
void placeTwips(QWidget *widget, int left, int top, int width = 0, int height = 0);

// A caption at a place in twips.
QLabel *placedLabel(const QString &text, QWidget *parent, int left, int top, int width = 0);

// SimSun, bold, where it is installed; a Chinese font otherwise.
QFont initCodeFont(double points);

// An editable list: typing into it recomputes nothing and adds no item; only a pick (activated)
// counts.
QComboBox *makeEditableList(QWidget *parent, const QString &toolTip);

// Empties the list, adds the items in order and shows the default.
void refillList(QComboBox *list, const QStringList &items, const QString &defaultText);

} // namespace tw
