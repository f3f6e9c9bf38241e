#include "SerialSender.h"

namespace tw
{

SerialSender::SerialSender(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    m_timer.setInterval(2);
    connect(&m_timer, &QTimer::timeout, this, &SerialSender::poll);
}

SerialSender::~SerialSender()
{
    if (isRunning()) {
        m_timer.stop();
        m_link.close();
    }
}

bool SerialSender::start(const SendJob &job)
{
    if (isRunning() || job.blocks.size() < kSendBlockSize)
        return false;
    m_job = job;
    m_block = 0;
    if (!m_link.open(job.device, job.baud, job.parity)) {
        m_link.close();
        emit finished(SendOutcome::PortFailed);
        return true;
    }
    if (!runsAtChosenRate(job.baud, m_link.runningBaud())) {
        m_link.close();
        emit finished(SendOutcome::RateNotTaken);
        return true;
    }
    if (m_link.runningParity() != job.parity) {
        m_link.close();
        emit finished(SendOutcome::ParityNotTaken);
        return true;
    }
    m_state = State::BlockDrain; // running; beginBlock() sets the real state
    beginBlock();
    if (isRunning())
        m_timer.start();
    return true;
}

void SerialSender::cancel()
{
    if (isRunning())
        finish(SendOutcome::Cancelled);
}

void SerialSender::beginBlock()
{
    if (m_job.withHeader) {
        const QByteArray header(reinterpret_cast<const char *>(m_job.header.data()), 4);
        if (!m_link.write(header)) {
            finish(SendOutcome::PortFailed);
            return;
        }
        startWait(State::HeaderDrain, 4);
        return;
    }
    writeBlock();
}

void SerialSender::writeBlock()
{
    if (!m_link.write(m_job.blocks.mid(m_block * kSendBlockSize, kSendBlockSize))) {
        finish(SendOutcome::PortFailed);
        return;
    }
    startWait(State::BlockDrain, kSendBlockSize);
}

void SerialSender::startWait(State state, int bytes)
{
    m_state = state;
    m_waitLimitMs =
        m_job.drainTimeoutMs > 0 ? m_job.drainTimeoutMs : drainTimeoutMs(m_job.baud, m_job.parity, bytes);
    m_waitClock.start();
}

void SerialSender::poll()
{
    const qint64 pending = m_link.pendingOutput();
    if (pending < 0) {
        finish(SendOutcome::PortFailed);
        return;
    }
    if (m_state == State::BlockDrain)
        emit progress(static_cast<int>((blockCount() - 1 - m_block) * kSendBlockSize + pending));
    if (pending > 0) {
        if (m_waitClock.elapsed() > m_waitLimitMs)
            finish(SendOutcome::TimedOut);
        return;
    }
    if (m_state == State::HeaderDrain) {
        writeBlock();
        return;
    }
    if (++m_block < blockCount()) {
        beginBlock();
        return;
    }
    emit progress(0);
    finish(SendOutcome::Completed);
}

void SerialSender::finish(SendOutcome outcome)
{
    m_timer.stop();
    m_state = State::Idle;
    m_link.close();
    emit finished(outcome);
}

} // namespace tw
