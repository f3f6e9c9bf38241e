#pragma once
// The real main window with the real dialogs (QtPrompter) under openbox, and a user who answers
// each dialog once the window manager has given it the focus.
#include "common/ui/QtPrompter.h"
#include "workspace/ui/MainWindow.h"

#include <QPointer>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace twtest
{

void setSessionDisplay(const QString &display);
void setSessionProblem(const QString &problem);

// What became of one dialog that was answered.
struct AnsweredDialog {
    QString title;
    QString text;                    // a message box's text
    const QWidget *parent = nullptr; // the window its widget parent belongs to (identity only)
    quint64 transientFor = 0;        // what the X server holds as its WM_TRANSIENT_FOR
    bool hadFocus = false;           // the window manager made it the active window before it was answered
};

// Answers the modal dialogs that open, in order, each with the next function of the queue.
class DialogAnswerer
{
  public:
    using Answer = std::function<void(QWidget *dialog)>;

    explicit DialogAnswerer(QString display);
    ~DialogAnswerer();

    void queue(Answer answer) { m_answers.append(std::move(answer)); }
    const QList<AnsweredDialog> &answered() const { return m_answered; }
    bool idle() const { return m_answers.isEmpty(); }

  private:
    void poll();

    QString m_display;
    QList<Answer> m_answers;
    QList<AnsweredDialog> m_answered;
    QPointer<QWidget> m_waiting; // the dialog shown, waiting for the focus
    int m_waitedPolls = 0;
    QPointer<QWidget> m_lastAnswered; // answered, and it should be closing
    int m_pollsSinceAnswer = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Answers: a message box's button, a file dialog's file.
DialogAnswerer::Answer pressButton(int standardButton);
DialogAnswerer::Answer chooseFile(const QString &path);

class WindowManagerTest : public ::testing::Test
{
  protected:
    QString display;
    std::unique_ptr<tw::QtPrompter> prompter;
    std::unique_ptr<tw::MainWindow> main;
    std::unique_ptr<DialogAnswerer> user;
    QTemporaryDir dir;

    void SetUp() override;
    void TearDown() override;

    // Polls until the condition holds or the time is up; the events run meanwhile.
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 20000);
    quint64 active() const;
    quint64 topmost() const;
    // Waits until the window is the active and the topmost managed window.
    bool waitActiveOnTop(QWidget *window, int timeoutMs = 20000) const;
    // The main window's status bar, in screen coordinates; empty when hidden.
    QRect statusBarOnScreen() const;
    // Expects the window's frame on the screen and clear of the main window's status bar.
    void expectFitsAboveStatusBar(QWidget *window) const;
    QString writeSource(const QString &name, const QByteArray &text) const;
};

} // namespace twtest
