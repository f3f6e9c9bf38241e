#include "XSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace twtest
{

namespace
{

constexpr int kStartMs = 15000;

QString xprop(const QString &display, const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xprop"), QStringList{QStringLiteral("-display"), display} + arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The window ids after "window id #" in xprop's answer.
QList<quint64> windowIds(const QString &answer)
{
    QList<quint64> ids;
    const qsizetype hash = answer.indexOf(QStringLiteral("window id #"));
    if (hash < 0)
        return ids;
    static const QRegularExpression hex(QStringLiteral("0x([0-9a-fA-F]+)"));
    for (const QRegularExpressionMatch &match : hex.globalMatch(answer.mid(hash)))
        ids.append(match.captured(1).toULongLong(nullptr, 16));
    return ids;
}

// The server and the window manager go when the test program goes, even when it is killed.
void endWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

// Display numbers an X server already holds: a lock file, a socket file, or an abstract socket,
// which a server of another sandbox sharing the network may hold without any file here.
QSet<int> displaysInUse()
{
    QSet<int> used;
    QFile sockets(QStringLiteral("/proc/net/unix"));
    if (sockets.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : sockets.readAll().split('\n')) {
            const qsizetype at = line.indexOf("/tmp/.X11-unix/X");
            if (at >= 0)
                used.insert(line.mid(at + 16).trimmed().toInt());
        }
    }
    const QStringList files = QDir(QStringLiteral("/tmp/.X11-unix")).entryList(QDir::System | QDir::Files);
    for (const QString &name : files)
        used.insert(QStringView(name).mid(1).toInt());
    const QStringList locks =
        QDir(QStringLiteral("/tmp")).entryList({QStringLiteral(".X*-lock")}, QDir::Hidden | QDir::Files);
    for (const QString &name : locks)
        used.insert(QStringView(name).mid(2, name.size() - 7).toInt());
    return used;
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

} // namespace

QStringList XSession::requiredPrograms()
{
    return {QStringLiteral("Xvfb"), QStringLiteral("openbox"), QStringLiteral("xprop")};
}

XSession::~XSession()
{
    stop(m_windowManager);
    stop(m_server);
}

bool XSession::start()
{
    for (const QString &program : requiredPrograms()) {
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            m_problem = program + QStringLiteral(" is not installed");
            return false;
        }
    }
    return startServer() && startWindowManager();
}

bool XSession::startServer()
{
    endWithParent(m_server);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QSet<int> used = displaysInUse();
    int candidate = 100 + QRandomGenerator::global()->bounded(800);
    for (int attempt = 0; attempt < 8; ++attempt, candidate = 100 + (candidate - 100 + 37) % 800) {
        if (used.contains(candidate))
            continue;
        const QString display = QLatin1Char(':') + QString::number(candidate);
        m_server.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (serving(display)) {
            m_display = display;
            return true;
        }
        stop(m_server);
    }
    m_problem = QStringLiteral("Xvfb did not start on a free display");
    return false;
}

// Up when the display answers, and it is ours: a fresh server has no window manager yet. (A
// display taken by another server meanwhile makes ours end, or answers with that server's.)
bool XSession::serving(const QString &display)
{
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && m_server.state() != QProcess::NotRunning) {
        QProcess probe;
        probe.start(QStringLiteral("xprop"), {QStringLiteral("-display"), display, QStringLiteral("-root"),
                                              QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        if (probe.waitForFinished(10000) && probe.exitCode() == 0)
            return windowIds(QString::fromLocal8Bit(probe.readAllStandardOutput())).isEmpty();
        QThread::msleep(50);
    }
    return false;
}

bool XSession::startWindowManager()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    m_windowManager.setProcessEnvironment(environment);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithParent(m_windowManager);
    const QDeadlineTimer deadline(kStartMs);
    // A window manager that could not settle on a loaded machine gets another start.
    for (int attempt = 0; attempt < 3 && !deadline.hasExpired(); ++attempt) {
        m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        while (!deadline.hasExpired() && m_windowManager.state() != QProcess::NotRunning) {
            // A window manager that has taken over names its check window on the root window.
            if (!windowIds(
                     xprop(m_display, {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}))
                     .isEmpty())
                return true;
            QThread::msleep(50);
        }
        m_windowManager.waitForFinished(1000);
    }
    m_problem = QStringLiteral("openbox did not take over the display");
    return false;
}

quint64 activeWindow(const QString &display)
{
    const QList<quint64> ids =
        windowIds(xprop(display, {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")}));
    return ids.isEmpty() ? 0 : ids.first();
}

QList<quint64> stackingOrder(const QString &display)
{
    return windowIds(xprop(display, {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")}));
}

quint64 transientFor(const QString &display, quint64 window)
{
    const QList<quint64> ids =
        windowIds(xprop(display, {QStringLiteral("-id"), QStringLiteral("0x") + QString::number(window, 16),
                                  QStringLiteral("WM_TRANSIENT_FOR")}));
    return ids.isEmpty() ? 0 : ids.first();
}

} // namespace twtest
