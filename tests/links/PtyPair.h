#pragma once
// A pseudo-terminal pair standing in for a serial line: the sender writes the slave as its port,
// the test reads the master.
#include <QByteArray>
#include <QString>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace twtest
{

// startReading reads the master on a thread of its own until the expected count arrives or the
// deadline passes; without it nobody reads, as with a receiver that has stopped.
class PtyPair
{
  public:
    PtyPair()
    {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        m_slaveName = QString::fromLocal8Bit(::ttyname(m_slave));
    }
    ~PtyPair()
    {
        if (m_reader.joinable())
            m_reader.join();
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    QString slaveName() const { return m_slaveName; }
    // Sets the line's rate as another program on the same terminal would.
    void setLineRate(speed_t rate)
    {
        termios line{};
        ::tcgetattr(m_slave, &line);
        ::cfsetspeed(&line, rate);
        ::tcsetattr(m_slave, TCSANOW, &line);
    }
    void startReading(int expected)
    {
        m_received.clear();
        m_reader = std::thread([this, expected] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            char buffer[1024];
            while (m_received.size() < expected && std::chrono::steady_clock::now() < deadline) {
                pollfd fd{m_master, POLLIN, 0};
                if (::poll(&fd, 1, 50) > 0) {
                    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                    if (n > 0)
                        m_received.append(buffer, static_cast<int>(n));
                }
            }
            // Anything more that was sent is a fault too.
            readUntilQuiet(m_received, 200);
        });
    }
    // Fills the line with EEh bytes until it takes no more, as when the receiver has stopped
    // reading; returns how many it took.
    int fillLine()
    {
        ::fcntl(m_slave, F_SETFL, ::fcntl(m_slave, F_GETFL) | O_NONBLOCK);
        const QByteArray chunk(4096, '\xEE');
        // The kernel moves what it took on to the reading side a moment later and then takes
        // more, so the line counts as full only once several tries a little apart take nothing.
        int taken = 0;
        for (int refused = 0; refused < 5;) {
            const ssize_t n = ::write(m_slave, chunk.constData(), static_cast<size_t>(chunk.size()));
            if (n > 0) {
                taken += static_cast<int>(n);
                refused = 0;
            } else {
                ++refused;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return taken;
    }
    // What has arrived and not been read, read now (no reading thread may be running).
    QByteArray readWaiting()
    {
        QByteArray waiting;
        readUntilQuiet(waiting, 50);
        return waiting;
    }
    QByteArray finishReading()
    {
        m_reader.join();
        return m_received;
    }

  private:
    // Reads the master until nothing has come for quietMs.
    void readUntilQuiet(QByteArray &into, int quietMs) const
    {
        char buffer[4096];
        pollfd fd{m_master, POLLIN, 0};
        while (::poll(&fd, 1, quietMs) > 0) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            into.append(buffer, static_cast<int>(n));
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_slaveName;
    QByteArray m_received;
    std::thread m_reader;
};

} // namespace twtest
