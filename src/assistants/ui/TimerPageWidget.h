#pragma once
// The timer/counter page of the initialisation-code window: per timer a function (定时器, 计数器,
// Non), a start (软件启动, 硬件启动) and a value; the crystal; the mode, TH and TL boxes and the
// reference program. The work is done by the page model (assistants/TimerCode.h); the widget mirrors
// it after every action.
#include "assistants/TimerCode.h"

#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace tw
{

class DigitKeyFilter;
class Prompter;

class TimerPageWidget : public QWidget
{
  public:
    struct TimerControls {
        std::array<QRadioButton *, 3> function{}; // 定时器, 计数器, Non
        std::array<QRadioButton *, 2> start{};    // 软件启动, 硬件启动
        QLabel *valueCaption = nullptr;
        QLineEdit *value = nullptr, *modeDigit = nullptr, *th = nullptr, *tl = nullptr;
    };
    struct Controls {
        QComboBox *crystal = nullptr;
        std::array<TimerControls, 2> timers;
        QPlainTextEdit *program = nullptr;
    };

    TimerPageWidget(Prompter &prompter, DigitKeyFilter &digitFilter, QWidget *parent = nullptr);

    const Controls &controls() const { return m_ui; }
    const TimerPage &model() const { return m_page; }
    // The launcher: the crystal list refilled, "6" shown; nothing computed.
    void fillLists();

  private:
    void buildTimer(int timer, int left, DigitKeyFilter &digitFilter);
    // Shows the message of an action, if any, and mirrors the model into the boxes.
    void afterAction(const QString &message);

    Prompter &m_prompter;
    Controls m_ui;
    TimerPage m_page;
};

} // namespace tw
