#pragma once
// The interrupt page of the initialisation-code window: high or low priority and enabled or
// disabled for each of the five sources; the IP and IE instructions out.
#include "assistants/InterruptCode.h"

#include <QWidget>
#include <array>

class QLineEdit;
class QRadioButton;

namespace tw
{

class InterruptPageWidget : public QWidget
{
  public:
    // Per source (InterruptSource order), the left and right button of each pair.
    struct Controls {
        std::array<QRadioButton *, kInterruptSources> high{}, low{};
        std::array<QRadioButton *, kInterruptSources> enabled{}, disabled{};
        QLineEdit *priority = nullptr, *enable = nullptr;
    };

    explicit InterruptPageWidget(QWidget *parent = nullptr);

    const Controls &controls() const { return m_ui; }

  private:
    void rewrite();

    Controls m_ui;
};

} // namespace tw
