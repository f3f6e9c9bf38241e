#pragma once
// The download cable drawn for the programmer window: the parallel port's DB-25 plug, the three
// lines to the AT89S51's P1.5, P1.6 and P1.7 (MISO through an inverter, as the status line reads
// it inverted), ground, and the switch that ties RST to Vcc while programming.
#include <QWidget>

namespace tw
{

class CablePicture : public QWidget
{
    Q_OBJECT

  public:
    explicit CablePicture(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {282, 165}; }

  protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tw
