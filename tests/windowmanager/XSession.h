#pragma once
// A private X server (Xvfb, 1024x768) with a real window manager (openbox) for the tests of how
// windows stack and take the focus, and what the window manager says about them (xprop).
#include <QList>
#include <QProcess>
#include <QString>

namespace twtest
{

class XSession
{
  public:
    XSession() = default;
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;
    ~XSession();

    // Starts Xvfb on a free display and openbox on it, and waits until the window manager has
    // taken over. False, with the reason in problem(), when a program is missing or
    // does not come up.
    bool start();
    QString problem() const { return m_problem; }
    // ":N" while running.
    QString display() const { return m_display; }

    // The programs the session needs, as the tests name them when one is missing.
    static QStringList requiredPrograms();

  private:
    bool startServer();
    bool serving(const QString &display);
    bool startWindowManager();

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_problem;
};

// What the window manager publishes on the root window.
// _NET_ACTIVE_WINDOW: the window that has the focus; 0 when none.
quint64 activeWindow(const QString &display);
// _NET_CLIENT_LIST_STACKING: the managed windows from the bottom to the top.
QList<quint64> stackingOrder(const QString &display);
// WM_TRANSIENT_FOR of a window; 0 when it has none.
quint64 transientFor(const QString &display, quint64 window);

} // namespace twtest
