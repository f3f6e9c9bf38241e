#pragma once
// A serial link for tests: records what is opened and written, answers the pending-output count
// from a script, and can refuse to open, run at another rate or parity than asked, or fail a write.
#include "links/SerialLink.h"

#include <QList>
#include <QStringList>

namespace twtest
{

class FakeSerialLink : public tw::SerialLink
{
  public:
    bool open(const QString &device, qint32 baud, char parity) override
    {
        events.append(QStringLiteral("open %1 %2 %3").arg(device).arg(baud).arg(QChar::fromLatin1(parity)));
        if (openFails)
            return false;
        m_open = true;
        m_askedBaud = baud;
        m_askedParity = parity;
        return true;
    }
    bool write(const QByteArray &bytes) override
    {
        events.append(QStringLiteral("write %1").arg(bytes.size()));
        if (!m_open || writesBeforeFailure == 0)
            return false;
        --writesBeforeFailure;
        written += bytes;
        return true;
    }
    qint64 pendingOutput() override
    {
        const qint64 count = pending.isEmpty() ? stuckPending : pending.takeFirst();
        events.append(QStringLiteral("pending %1").arg(count));
        return count;
    }
    void close() override
    {
        if (m_open)
            events.append(QStringLiteral("close"));
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    qint32 runningBaud() const override { return takesBaud > 0 ? takesBaud : m_askedBaud; }
    char runningParity() const override { return takesParity != 0 ? takesParity : m_askedParity; }

    bool openFails = false;
    qint32 takesBaud = 0; // the rate the port runs at whatever is asked, as a driver may; 0: as asked
    char takesParity = 0; // the same for the parity ('n' for a driver that drops it); 0: as asked
    int writesBeforeFailure = -1;
    QList<qint64> pending;
    qint64 stuckPending = 0;
    QByteArray written;
    QStringList events;

  private:
    bool m_open = false;
    qint32 m_askedBaud = 0;
    char m_askedParity = 'n';
};

} // namespace twtest
