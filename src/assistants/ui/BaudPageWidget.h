#pragma once
// The baud-rate page of the initialisation-code window: crystal, serial mode, baud rate and the
// TIM clock switch in; timer-1 mode, TH1, TL1 and a reference program out.
#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace tw
{

class DigitKeyFilter;

class BaudPageWidget : public QWidget
{
  public:
    struct Controls {
        QComboBox *crystal = nullptr, *serialMode = nullptr, *baud = nullptr;
        QRadioButton *tim = nullptr;
        QLineEdit *timerMode = nullptr, *th1 = nullptr, *tl1 = nullptr;
        QPlainTextEdit *program = nullptr;
    };

    BaudPageWidget(DigitKeyFilter &digitFilter, QWidget *parent = nullptr);

    const Controls &controls() const { return m_ui; }
    // The launcher: the three lists refilled and set to their defaults; nothing computed.
    void fillLists();
    // Reads the inputs and writes the results.
    void calculate();

  private:
    Controls m_ui;
};

} // namespace tw
