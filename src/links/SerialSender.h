#pragma once
// One send of a code image, paced by a timer: for each block the optional header, a wait until
// the port's queue is empty, the 256 bytes and a wait until they are out. The window stays live
// between polls; nothing of the job can change once it has started.
#include "SendFile.h"
#include "SerialLink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace tw
{

struct SendJob {
    QString device;
    qint32 baud = 9600;
    char parity = 'n';
    bool withHeader = false;
    std::array<quint8, 4> header{};
    // The blocks, 256 bytes each, as they go on the wire (headers not included).
    QByteArray blocks;
    // The longest wait for one drain; 0 takes drainTimeoutMs() of a block.
    int drainTimeoutMs = 0;
};

// RateNotTaken: the port opened but runs at a rate too far from the one chosen; ParityNotTaken:
// with another parity than the one chosen. Nothing was sent.
enum class SendOutcome { Completed, PortFailed, RateNotTaken, ParityNotTaken, TimedOut, Cancelled };

class SerialSender : public QObject
{
    Q_OBJECT

  public:
    explicit SerialSender(SerialLink &link, QObject *parent = nullptr);
    ~SerialSender() override;

    // Opens the port and starts sending; the outcome comes with finished(). False when a send is
    // already running or there is no block to send.
    bool start(const SendJob &job);
    // Stops a running send at once and closes the port (finished(Cancelled)).
    void cancel();
    bool isRunning() const { return m_state != State::Idle; }
    int blockCount() const { return static_cast<int>(m_job.blocks.size() / kSendBlockSize); }
    // Time between two looks at the output queue.
    void setPollInterval(int ms) { m_timer.setInterval(ms); }

  signals:
    // The bytes of the file not yet on the wire: the blocks after the current one and what of the
    // current one is still queued.
    void progress(int bytesLeft);
    void finished(tw::SendOutcome outcome);

  private:
    enum class State { Idle, HeaderDrain, BlockDrain };

    void poll();
    void beginBlock();
    void writeBlock();
    void startWait(State state, int bytes);
    void finish(SendOutcome outcome);

    SerialLink &m_link;
    SendJob m_job;
    State m_state = State::Idle;
    int m_block = 0;
    int m_waitLimitMs = 0;
    QElapsedTimer m_waitClock;
    QTimer m_timer;
};

} // namespace tw
