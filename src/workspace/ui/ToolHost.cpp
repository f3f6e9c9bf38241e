#include "ToolHost.h"

#include "ToolRegistry.h"
#include "WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace tw
{

namespace
{

// Fits a tool window again while the window manager puts its frame round it: until then its frame
// could only be assumed, and the frame settles over a few moves. After a short while the window is
// the user's to move.
class FrameWatcher : public QObject
{
  public:
    FrameWatcher(QWidget *window, std::function<void(QWidget *)> refit)
        : QObject(window), m_window(window), m_refit(std::move(refit))
    {
        window->installEventFilter(this);
        QTimer::singleShot(2000, this, [this] {
            m_window->removeEventFilter(this);
            if (m_window->frameGeometry() != m_window->geometry())
                m_refit(m_window);
            deleteLater();
        });
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (watched == m_window &&
            (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate ||
             type == QEvent::Paint) &&
            m_window->frameGeometry() != m_window->geometry())
            m_refit(m_window);
        return false;
    }

  private:
    QWidget *m_window;
    std::function<void(QWidget *)> m_refit;
};

QMargins frameMarginsOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry(), client = window->geometry();
    if (frame == client)
        return kAssumedFrame;
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

} // namespace

ToolHost::ToolHost(QMainWindow &window, Workspace &workspace) : m_window(window), m_workspace(workspace) {}

ToolHost::~ToolHost() = default;

QWidget *ToolHost::toolWindow(const QString &name) const
{
    QWidget *window = m_tools.value(name);
    return window && !window->isHidden() ? window : nullptr;
}

bool ToolHost::isToolLoaded(const QString &name) const
{
    return toolWindow(name) != nullptr;
}

void ToolHost::showTool(const QString &name)
{
    if (QWidget *open = toolWindow(name)) {
        raise(open);
        return;
    }
    const ToolFactory factory = toolFactory(name);
    QWidget *window = factory ? factory(m_workspace) : nullptr;
    if (!window)
        return;
    showOwnWindow(name, window);
}

void ToolHost::raise(QWidget *open)
{
    open->raise();
    open->activateWindow();
}

void ToolHost::showOwnWindow(const QString &name, QWidget *window)
{
    // A dialog-type window of the main window is transient for it: the window manager keeps it
    // above the main window, and the main window, locked meanwhile, cannot bury it.
    if (!window->parentWidget())
        window->setParent(&m_window, (window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    // Closed by its own close box or unloaded by another window, it is gone; the next use makes a
    // fresh one.
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_tools.insert(name, window);
    // A window that does not place itself opens over the middle of the frame, not on its menus.
    if (!window->testAttribute(Qt::WA_Moved)) {
        if (!window->testAttribute(Qt::WA_Resized))
            window->adjustSize();
        placeTool(window, m_window.geometry().center());
        new FrameWatcher(window,
                         [this](QWidget *framed) { placeTool(framed, framed->frameGeometry().center()); });
    }
    window->show();
    window->raise();
    window->activateWindow();
}

QRect ToolHost::toolArea() const
{
    const QScreen *screen = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen();
    QRect area = screen->availableGeometry();
    // The status bar's panels show the simulator's interrupt, CPU and watchdog states.
    if (QStatusBar *bar = m_window.statusBar(); bar->isVisible() && m_window.isVisible()) {
        const int top = bar->mapToGlobal(QPoint(0, 0)).y();
        if (top > area.top() && top <= area.bottom())
            area.setBottom(top - 1);
    }
    return area;
}

void ToolHost::placeTool(QWidget *window, QPoint centre)
{
    const QRect area = toolArea();
    const QMargins frame = frameMarginsOf(window);
    if (area.contains(window->geometry().marginsAdded(frame)) && window->isVisible())
        return;
    const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
    window->setGeometry(placeInside(area, window->size(), frame, minimum, centre));
}

void ToolHost::unloadTool(const QString &name)
{
    QWidget *window = toolWindow(name);
    if (!window)
        return;
    // close() runs the window's own close steps; deletion waits for the event loop, so a window
    // unloaded from inside its own handler is not deleted under it.
    if (window->close()) {
        m_tools.remove(name);
        window->deleteLater();
    }
}

void ToolHost::unloadAll()
{
    for (const QString &name : m_tools.keys())
        unloadTool(name);
}

void ToolHost::deleteAll()
{
    for (const QPointer<QWidget> &tool : std::as_const(m_tools))
        delete tool.data();
}

} // namespace tw
