#include "InterruptPageWidget.h"

#include "InitCodeControls.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace tw
{

namespace
{

const char16_t *const kSourceNames[kInterruptSources] = {u"外中断0", u"定时器0", u"外中断1", u"定时器1",
                                                         u"串行口"};

struct Pair {
    QRadioButton *left, *right;
};

// One frame of five rows, each a label and an either-or pair in a small frame of its own.
std::array<Pair, kInterruptSources> buildFrame(QWidget *page, const QString &title, int left,
                                               const QString &leftText, const QString &rightText,
                                               QLineEdit *&result)
{
    auto *frame = new QGroupBox(title, page);
    placeTwips(frame, left, 240, 2415, 4455);
    std::array<Pair, kInterruptSources> pairs{};
    for (int row = 0; row < kInterruptSources; ++row) {
        placedLabel(QString::fromUtf16(kSourceNames[row]), frame, 120, 360 + 720 * row);
        auto *pairFrame = new QGroupBox(frame);
        placeTwips(pairFrame, 480, 600 + 720 * row, 1695, 375);
        auto *group = new QButtonGroup(pairFrame);
        pairs[row] = {new QRadioButton(leftText, pairFrame), new QRadioButton(rightText, pairFrame)};
        placeTwips(pairs[row].left, 120, 30, 720, 315);
        placeTwips(pairs[row].right, 840, 30, 780, 315);
        group->addButton(pairs[row].left);
        group->addButton(pairs[row].right);
        pairs[row].right->setChecked(true);
    }
    result = new QLineEdit(frame);
    placeTwips(result, 240, 4080, 1935);
    return pairs;
}

} // namespace

InterruptPageWidget::InterruptPageWidget(QWidget *parent) : QWidget(parent)
{
    setFont(initCodeFont(9));
    const auto priorities = buildFrame(this, QStringLiteral(u"优先级设置"), 120, QStringLiteral(u"高级"),
                                       QStringLiteral(u"低级"), m_ui.priority);
    const auto enables = buildFrame(this, QStringLiteral(u"中断允许设置"), 2880, QStringLiteral(u"允许"),
                                    QStringLiteral(u"禁止"), m_ui.enable);
    for (int source = 0; source < kInterruptSources; ++source) {
        m_ui.high[source] = priorities[source].left;
        m_ui.low[source] = priorities[source].right;
        m_ui.enabled[source] = enables[source].left;
        m_ui.disabled[source] = enables[source].right;
        for (QRadioButton *button :
             {m_ui.high[source], m_ui.low[source], m_ui.enabled[source], m_ui.disabled[source]})
            connect(button, &QRadioButton::clicked, this, [this] { rewrite(); });
    }
}

void InterruptPageWidget::rewrite()
{
    std::array<bool, kInterruptSources> high{}, enabled{};
    for (int source = 0; source < kInterruptSources; ++source) {
        high[source] = m_ui.high[source]->isChecked();
        enabled[source] = m_ui.enabled[source]->isChecked();
    }
    const InterruptCode code = interruptCode(high, enabled);
    m_ui.priority->setText(code.priority);
    m_ui.enable->setText(code.enable);
}

} // namespace tw
