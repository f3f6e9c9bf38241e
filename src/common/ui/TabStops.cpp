#include "TabStops.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPlainTextEdit>

namespace tw
{

namespace
{

void applyTabColumns(QPlainTextEdit *box, int columns)
{
    box->setTabStopDistance(QFontMetricsF(box->font()).horizontalAdvance(QLatin1Char(' ')) * columns);
}

class TabColumnsKeeper : public QObject
{
  public:
    TabColumnsKeeper(QPlainTextEdit *box, int columns) : QObject(box), m_box(box), m_columns(columns)
    {
        box->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_box && event->type() == QEvent::FontChange)
            applyTabColumns(m_box, m_columns);
        return false;
    }

  private:
    QPlainTextEdit *m_box;
    int m_columns;
};

} // namespace

void setTabColumns(QPlainTextEdit *box, int columns)
{
    applyTabColumns(box, columns);
    new TabColumnsKeeper(box, columns);
}

} // namespace tw
