#pragma once
// The number boxes of the initialisation-code window take digits and backspace only; any other
// typed character is refused with "请输入数字！". Keys that type nothing (arrows, Delete, focus
// moves) and the copy and select-all shortcuts pass.
#include <QObject>

namespace tw
{

class Prompter;

class DigitKeyFilter : public QObject
{
  public:
    DigitKeyFilter(Prompter &prompter, QObject *parent);

    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    Prompter &m_prompter;
};

} // namespace tw
