#pragma once
// The initialisation-code window: baud rate, timers and counters, and interrupts on three pages,
// one shown at a time, each opened by its own menu item whose text becomes the title. It takes no
// part in the tool-window lock and stays open while other tools come and go.
#include <QWidget>
#include <memory>

class QStackedWidget;

namespace tw
{

class BaudPageWidget;
class DigitKeyFilter;
class InterruptPageWidget;
class Prompter;
class TimerPageWidget;

class InitCodeWindow : public QWidget
{
    Q_OBJECT

  public:
    enum Page { BaudPage, TimerPage, InterruptPage };

    explicit InitCodeWindow(Prompter &prompter, QWidget *parent = nullptr);
    ~InitCodeWindow() override;

    // A launcher: title, the page shown, its lists refilled with their defaults; no computation.
    void openPage(Page page);

    BaudPageWidget *baudPage() const { return m_baud; }
    TimerPageWidget *timerPage() const { return m_timer; }
    InterruptPageWidget *interruptPage() const { return m_interrupt; }

  private:
    std::unique_ptr<Prompter> m_prompter; // this window's boxes
    DigitKeyFilter *m_digitFilter;
    QStackedWidget *m_pages;
    BaudPageWidget *m_baud;
    TimerPageWidget *m_timer;
    InterruptPageWidget *m_interrupt;
};

// The window's three launchers (波特率设置, 定时/计数器设置, 中断设置) and its factory.
void registerInitCodeWindow();

} // namespace tw
