#include "WindowManagerSupport.h"

#include "XSession.h"
#include "assembler/ui/AssemblerWindow.h"
#include "simulator/ui/SimulatorWindow.h"
#include "support/TestFiles.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/HelpCommands.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace twtest
{

namespace
{

QString &sessionDisplay()
{
    static QString display;
    return display;
}

QString &sessionProblem()
{
    static QString problem;
    return problem;
}

constexpr int kPollMs = 30;
constexpr int kFocusPolls = 100; // a dialog the window manager never focuses is answered anyway

} // namespace

void setSessionDisplay(const QString &display)
{
    sessionDisplay() = display;
}

void setSessionProblem(const QString &problem)
{
    sessionProblem() = problem;
}

// ---- the user at the dialogs ---------------------------------------------------------------------

DialogAnswerer::DialogAnswerer(QString display) : m_display(std::move(display))
{
    QTimer::singleShot(kPollMs, [this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock())
            poll();
    });
}

DialogAnswerer::~DialogAnswerer() = default;

void DialogAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    // An answer that did not close its dialog must not leave the test waiting for ever.
    if (m_lastAnswered && m_lastAnswered == modal && m_lastAnswered->isVisible()) {
        if (++m_pollsSinceAnswer > kFocusPolls) {
            ADD_FAILURE() << "the answer did not close " << modal->windowTitle().toStdString();
            modal->close();
        }
    } else {
        m_lastAnswered = nullptr;
    }
    if (!m_answers.isEmpty() && modal && modal->isVisible() && modal != m_lastAnswered) {
        if (m_waiting != modal) {
            m_waiting = modal;
            m_waitedPolls = 0;
        }
        const bool focused = activeWindow(m_display) == modal->winId();
        if (focused || ++m_waitedPolls > kFocusPolls) {
            AnsweredDialog record;
            record.title = modal->windowTitle();
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                record.text = box->text();
            record.parent = modal->parentWidget() ? modal->parentWidget()->window() : nullptr;
            record.transientFor = transientFor(m_display, modal->winId());
            record.hadFocus = focused;
            m_answered.append(record);
            m_waiting = nullptr;
            m_lastAnswered = modal;
            m_pollsSinceAnswer = 0;
            if (qEnvironmentVariableIsSet("TW_TRACE_DIALOGS"))
                qInfo() << "answering" << record.title << record.text << "focused" << focused << "transient"
                        << Qt::hex << record.transientFor;
            m_answers.takeFirst()(modal);
        }
    }
    QTimer::singleShot(kPollMs, [this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock())
            poll();
    });
}

DialogAnswerer::Answer pressButton(int standardButton)
{
    return [standardButton](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QAbstractButton *button = box ? box->button(QMessageBox::StandardButton(standardButton)) : nullptr;
        EXPECT_NE(button, nullptr) << "no such button on " << dialog->windowTitle().toStdString();
        if (button)
            button->click();
        else
            dialog->close();
    };
}

DialogAnswerer::Answer chooseFile(const QString &path)
{
    return [path](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        EXPECT_NE(files, nullptr) << "not a file dialog: " << dialog->windowTitle().toStdString();
        if (!files)
            return dialog->close(), void();
        // Typed into the name box, as a user does: selectFile leaves a focused box as it is.
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        EXPECT_NE(name, nullptr);
        if (name)
            name->setText(path);
        QMetaObject::invokeMethod(files, "accept");
    };
}

// ---- the fixture ---------------------------------------------------------------------------------

void WindowManagerTest::SetUp()
{
    if (sessionDisplay().isEmpty()) {
        const std::string why = "no X server with a window manager: " + sessionProblem().toStdString();
        if (requiredUnderCi())
            FAIL() << why;
        GTEST_SKIP() << why;
    }
    display = sessionDisplay();
    tw::registerAssemblerWindow();
    tw::registerSimulatorWindow();
    tw::registerHelpWindows();
    prompter = std::make_unique<tw::QtPrompter>();
    prompter->setDefaultTitle(QStringLiteral("Tarnwick"));
    main = std::make_unique<tw::MainWindow>(*prompter);
    prompter->setParent(main.get());
    // As the program starts: the whole screen, maximised.
    main->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    main->showMaximized();
    ASSERT_TRUE(waitActiveOnTop(main.get())) << "the main window never became active";
    user = std::make_unique<DialogAnswerer>(display);
}

void WindowManagerTest::TearDown()
{
    user.reset();
    if (main) {
        for (tw::EditorWindow *editor : main->editors())
            editor->clearChanged();
        main.reset();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    prompter.reset();
}

bool WindowManagerTest::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

quint64 WindowManagerTest::active() const
{
    return activeWindow(display);
}

quint64 WindowManagerTest::topmost() const
{
    const QList<quint64> order = stackingOrder(display);
    return order.isEmpty() ? 0 : order.last();
}

bool WindowManagerTest::waitActiveOnTop(QWidget *window, int timeoutMs) const
{
    if (!window)
        return false;
    const quint64 id = window->winId();
    return waitFor([&] { return active() == id && topmost() == id; }, timeoutMs);
}

QRect WindowManagerTest::statusBarOnScreen() const
{
    QStatusBar *bar = main->statusBar();
    if (!bar->isVisible())
        return {};
    return QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
}

void WindowManagerTest::expectFitsAboveStatusBar(QWidget *window) const
{
    ASSERT_NE(window, nullptr);
    // The frame is known once the window manager has put one round the window.
    waitFor([window] { return window->frameGeometry() != window->geometry(); });
    const QRect frame = window->frameGeometry();
    const QRect screen = window->screen()->geometry();
    EXPECT_TRUE(screen.contains(frame)) << window->objectName().toStdString() << " frame " << frame.x() << ","
                                        << frame.y() << " " << frame.width() << "x" << frame.height();
    const QRect status = statusBarOnScreen();
    ASSERT_FALSE(status.isEmpty());
    EXPECT_LT(frame.bottom(), status.top())
        << window->objectName().toStdString() << " covers the status bar "
        << window->minimumSizeHint().height() << " frame " << frame.y() << "+" << frame.height() << " client "
        << window->geometry().y() << "+" << window->geometry().height();
}

QString WindowManagerTest::writeSource(const QString &name, const QByteArray &text) const
{
    const QString path = dir.filePath(name);
    writeBytes(path, text);
    return path;
}

} // namespace twtest
