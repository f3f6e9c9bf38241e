#include "TimerPageWidget.h"

#include "InitCodeControls.h"
#include "assistants/ui/DigitKeyFilter.h"
#include "common/Prompter.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace tw
{

namespace
{

constexpr TimerFunction kFunctions[] = {TimerFunction::Timer, TimerFunction::Counter, TimerFunction::Unused};

QLineEdit *numberBox(QWidget *parent, DigitKeyFilter &filter, int top, int width)
{
    auto *box = new QLineEdit(parent);
    box->setEnabled(false);
    box->installEventFilter(&filter);
    placeTwips(box, 1320, top, width, 330);
    return box;
}

// Sets a box only when its text differs, so that a box being typed in keeps its cursor.
void mirror(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

TimerPageWidget::TimerPageWidget(Prompter &prompter, DigitKeyFilter &digitFilter, QWidget *parent)
    : QWidget(parent), m_prompter(prompter)
{
    setFont(initCodeFont(9));
    placedLabel(QStringLiteral(u"晶振频率"), this, 120, 150);
    m_ui.crystal = makeEditableList(this, QStringLiteral("MHz"));
    placeTwips(m_ui.crystal, 1080, 90, 1200);
    placedLabel(QStringLiteral("MHz"), this, 2340, 150);
    // Typing a frequency recomputes nothing; the next recomputation reads it.
    connect(m_ui.crystal, &QComboBox::editTextChanged, this,
            [this](const QString &text) { m_page.crystal = text; });
    connect(m_ui.crystal, &QComboBox::activated, this,
            [this] { afterAction(timerCrystalPicked(m_page, m_ui.crystal->currentText())); });

    buildTimer(0, 60, digitFilter);
    buildTimer(1, 2745, digitFilter);

    placedLabel(QStringLiteral(u"参考初始化程序"), this, 120, 3690);
    m_ui.program = new QPlainTextEdit(this);
    placeTwips(m_ui.program, 60, 3930, 5295, 855);
}

void TimerPageWidget::buildTimer(int timer, int left, DigitKeyFilter &digitFilter)
{
    TimerControls &t = m_ui.timers[timer];
    auto *group =
        new QGroupBox(timer == 0 ? QStringLiteral(u"定时/计数0") : QStringLiteral(u"定时/计数1"), this);
    placeTwips(group, left, 540, 2610, 3060);

    auto *functionFrame = new QGroupBox(QStringLiteral(u"定时/计数方式"), group);
    placeTwips(functionFrame, 90, 270, 1260, 1140);
    auto *functions = new QButtonGroup(group);
    const QString functionTexts[] = {QStringLiteral(u"定时器"), QStringLiteral(u"计数器"),
                                     QStringLiteral("Non")};
    for (int k = 0; k < 3; ++k) {
        t.function[k] = new QRadioButton(functionTexts[k], functionFrame);
        placeTwips(t.function[k], 90, 270 + 270 * k);
        functions->addButton(t.function[k]);
        connect(t.function[k], &QRadioButton::clicked, this,
                [this, timer, k] { afterAction(timerFunctionChosen(m_page, timer, kFunctions[k])); });
    }
    t.function[2]->setChecked(true);

    auto *startFrame = new QGroupBox(QStringLiteral(u"启动方式"), group);
    placeTwips(startFrame, 1380, 270, 1140, 1140);
    auto *starts = new QButtonGroup(group);
    t.start[0] = new QRadioButton(QStringLiteral(u"软件启动"), startFrame);
    t.start[0]->setToolTip(timer == 0 ? QStringLiteral(u"由 SETB TR0 启动")
                                      : QStringLiteral(u"由 SETB TR1 启动"));
    t.start[1] = new QRadioButton(QStringLiteral(u"硬件启动"), startFrame);
    // With GATE set the timer runs while its external-interrupt pin is high.
    t.start[1]->setToolTip(timer == 0 ? QStringLiteral(u"由 P3.2(INT0) 引脚控制")
                                      : QStringLiteral(u"由 P3.3(INT1) 引脚控制"));
    for (int k = 0; k < 2; ++k) {
        placeTwips(t.start[k], 90, 330 + 360 * k);
        starts->addButton(t.start[k]);
        connect(t.start[k], &QRadioButton::clicked, this,
                [this, timer, k] { afterAction(timerStartChosen(m_page, timer, k == 1)); });
    }
    t.start[0]->setChecked(true);

    t.valueCaption = placedLabel(timerValueCaption(TimerFunction::Unused), group, 90, 1530, 1200);
    t.value = numberBox(group, digitFilter, 1470, 1200);
    connect(t.value, &QLineEdit::textEdited, this,
            [this, timer](const QString &text) { afterAction(timerValueEdited(m_page, timer, text)); });
    placedLabel(QStringLiteral(u"工作方式"), group, 90, 1920);
    t.modeDigit = numberBox(group, digitFilter, 1860, 480);
    placedLabel(timer == 0 ? QStringLiteral(u"初值TH0") : QStringLiteral(u"初值TH1"), group, 90, 2280);
    t.th = numberBox(group, digitFilter, 2220, 660);
    placedLabel(timer == 0 ? QStringLiteral(u"初值TL0") : QStringLiteral(u"初值TL1"), group, 90, 2640);
    t.tl = numberBox(group, digitFilter, 2580, 660);
}

void TimerPageWidget::fillLists()
{
    refillList(m_ui.crystal, {"4", "6", "8", "10", "11.0592", "12", "16", "18", "20", "24"},
               QStringLiteral("6"));
}

void TimerPageWidget::afterAction(const QString &message)
{
    if (!message.isEmpty())
        m_prompter.message(message, MsgStyle::Ok + MsgStyle::Information, QString());
    for (int timer = 0; timer < 2; ++timer) {
        const TimerSide &side = m_page.timers[timer];
        TimerControls &t = m_ui.timers[timer];
        t.valueCaption->setText(timerValueCaption(side.function));
        t.value->setEnabled(side.function != TimerFunction::Unused);
        mirror(t.value, side.value);
        mirror(t.modeDigit, side.modeDigit);
        mirror(t.th, side.th);
        mirror(t.tl, side.tl);
    }
    if (m_ui.program->toPlainText() !=
        QString(m_page.code).replace(QStringLiteral("\r\n"), QStringLiteral("\n")))
        m_ui.program->setPlainText(m_page.code);
}

} // namespace tw
