#include "XSession.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
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

} // namespace

QStringList XSession::requiredPrograms()
{
    return {QStringLiteral("Xvfb"), QStringLiteral("openbox"), QStringLiteral("xprop")};
}

XSession::~XSession()
{
    for (QProcess *process : {&m_windowManager, &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
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
    // The server chooses a free display and writes its number to standard output, so tests
    // running side by side never race for one.
    endWithParent(m_server);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    QByteArray number;
    const QDeadlineTimer deadline(kStartMs);
    while (!number.contains('\n') && !deadline.hasExpired() && m_server.state() != QProcess::NotRunning) {
        m_server.waitForReadyRead(100);
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_problem =
            QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

bool XSession::startWindowManager()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    m_windowManager.setProcessEnvironment(environment);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithParent(m_windowManager);
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && m_windowManager.state() != QProcess::NotRunning) {
        // A window manager that has taken over names its check window on the root window.
        if (!windowIds(
                 xprop(m_display, {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}))
                 .isEmpty())
            return true;
        QThread::msleep(50);
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
