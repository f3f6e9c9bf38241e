#include "BaudPageWidget.h"

#include "InitCodeControls.h"
#include "assistants/BaudRate.h"
#include "assistants/ui/DigitKeyFilter.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <functional>

namespace tw
{

namespace
{

// A lone option button used as an on/off switch: the press decides the value, the release sets it
// and recomputes, whichever mouse button it was. A double click's second press does not count,
// so it toggles once and recomputes twice.
class TimSwitch : public QRadioButton
{
  public:
    TimSwitch(const QString &text, std::function<void()> switched, QWidget *parent)
        : QRadioButton(text, parent), m_switched(std::move(switched))
    {
        setAutoExclusive(false);
        connect(this, &QAbstractButton::clicked, this, [this] { m_switched(); });
    }

  protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        m_releaseValue = !isChecked();
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        setChecked(m_releaseValue);
        event->accept();
        m_switched();
    }
    // The second press of a double click is no new press: its release keeps the value.
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        m_releaseValue = isChecked();
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent *event) override { event->accept(); }

  private:
    std::function<void()> m_switched;
    bool m_releaseValue = false;
};

QLineEdit *resultBox(QWidget *parent, DigitKeyFilter &filter, int left, int top, int width, int height)
{
    auto *box = new QLineEdit(parent);
    box->setEnabled(false);
    box->installEventFilter(&filter);
    placeTwips(box, left, top, width, height);
    return box;
}

void setIfGiven(QLineEdit *box, const std::optional<QString> &text)
{
    if (text)
        box->setText(*text);
}

} // namespace

BaudPageWidget::BaudPageWidget(DigitKeyFilter &digitFilter, QWidget *parent) : QWidget(parent)
{
    setFont(initCodeFont(10.5));
    const QString mhz = QStringLiteral("MHz");

    auto *target = new QGroupBox(QStringLiteral(u"设计目标"), this);
    placeTwips(target, 120, 240, 5175, 1215);
    m_ui.tim = new TimSwitch(
        QStringLiteral("TIM"), [this] { calculate(); }, target);
    m_ui.tim->setToolTip(QStringLiteral(u"T 选择使用系统时钟\r\n  F 选择使用系统时钟的12分频\r\n"));
    placeTwips(m_ui.tim, 1440, 330);
    placedLabel(QStringLiteral(u"串行口工作方式"), target, 2400, 360);
    m_ui.serialMode = makeEditableList(target, mhz);
    placeTwips(m_ui.serialMode, 4320, 240, 735);
    placedLabel(QStringLiteral(u"波特率"), target, 120, 840);
    m_ui.baud = makeEditableList(target, mhz);
    placeTwips(m_ui.baud, 840, 720, 1215);
    // The crystal list sits over the blanks of its caption, between the words and the unit.
    placedLabel(QStringLiteral(u"晶振频率        MHz"), target, 2160, 840, 2295);
    m_ui.crystal = makeEditableList(target, mhz);
    placeTwips(m_ui.crystal, 3360, 720, 1695);
    m_ui.crystal->raise();

    auto *results = new QGroupBox(QStringLiteral(u"波特率发生器（定时器1）"), this);
    placeTwips(results, 120, 1680, 5175, 2895);
    placedLabel(QStringLiteral(u"工作方式"), results, 240, 720);
    m_ui.timerMode = resultBox(results, digitFilter, 1200, 600, 495, 375);
    placedLabel(QStringLiteral(u"初值TH1"), results, 240, 1560);
    m_ui.th1 = resultBox(results, digitFilter, 1200, 1440, 615, 375);
    placedLabel(QStringLiteral(u"初值TL1"), results, 240, 2280);
    m_ui.tl1 = resultBox(results, digitFilter, 1200, 2160, 615, 375);
    placedLabel(QStringLiteral(u"参考初始化程序"), results, 2880, 360);
    // Read-only but selectable, so that the program can be copied; no digit filter here.
    m_ui.program = new QPlainTextEdit(results);
    m_ui.program->setReadOnly(true);
    m_ui.program->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    placeTwips(m_ui.program, 2040, 600, 3015, 2175);

    for (QComboBox *list : {m_ui.crystal, m_ui.serialMode, m_ui.baud})
        connect(list, &QComboBox::activated, this, [this] { calculate(); });
}

void BaudPageWidget::fillLists()
{
    refillList(m_ui.crystal,
               {"4", "6", "8", "10", "11.0592", "12", "14.7456", "16", "18", "20", "22.1184", "24"},
               QStringLiteral("6"));
    refillList(m_ui.serialMode, {"0", "1", "2", "3"}, QStringLiteral("1"));
    refillList(m_ui.baud,
               {"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
               QStringLiteral("9600"));
}

void BaudPageWidget::calculate()
{
    const BaudOutputs out = calculateBaudRate({m_ui.crystal->currentText(), m_ui.serialMode->currentText(),
                                               m_ui.baud->currentText(), m_ui.tim->isChecked()});
    if (out.program)
        m_ui.program->setPlainText(*out.program);
    if (out.baud)
        m_ui.baud->setEditText(*out.baud);
    setIfGiven(m_ui.timerMode, out.timerMode);
    setIfGiven(m_ui.th1, out.th1);
    setIfGiven(m_ui.tl1, out.tl1);
}

} // namespace tw
