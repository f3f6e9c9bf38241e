#pragma once
// The programmer window's commands without the window: the code buffer and its dump, the files,
// the chip commands over the programming link, the cable test and the message log with its three
// ways of showing a line (kept in the log, shown once, added to what the box shows).
#include "IspLink.h"
#include "base/CodeImage.h"
#include "base/ToolOutcome.h"

#include <QString>

namespace tw
{

// What outlives the window between two openings.
struct ProgrammerMemory {
    CodeImage image;
    bool mosiHigh = false;
    bool sckHigh = false;
    QString logText;
};

struct LockBits {
    bool b1 = false, b2 = false, b3 = false;
    bool operator==(const LockBits &) const = default;
};
// The boxes stay cumulative: B2 only with B1, B3 only with B1 and B2.
LockBits lockBoxesAfterClick(LockBits bits, int index, bool checked);

// The buffer as "0000H: 02 00 30" lines of 16 bytes, each ended by CR LF.
QString bufferDump(const CodeImage &image, int length);

// The window's caption, and the caption of its boxes.
inline const QString kProgrammerTitle = QStringLiteral(u"ISP编程");

namespace IspLog
{
inline const QString Ready = QStringLiteral(u"端口已打开，准备传输");
inline const QString PortFailed = QStringLiteral(u"初始化失败，端口未打开，不能进行传输");
inline const QString NotOpen = QStringLiteral(u"端口未打开，不能进行传输");
} // namespace IspLog

enum class CableLine { MosiHigh, MosiLow, SckHigh, SckLow };

class Programmer
{
  public:
    enum class FileLoad { Loaded, NotBin, TooLong, Unreadable };
    enum class Step { Done, NoData, Failed };

    Programmer(ProgrammerMemory &memory, PortIo &port, IspClock &clock);

    // Gains the port; on success the log starts again with the ready line. The box shows the log.
    bool startPort();
    void stopPort();

    // What the log box shows now.
    const QString &boxText() const { return m_box; }
    const QString &logText() const { return m_memory.logText; }
    int dataLength() const { return m_length; }
    const CodeImage &buffer() const { return m_memory.image; }
    QString dump() const { return bufferDump(m_memory.image, m_length); }
    IspLink &link() { return m_link; }

    // reason (when given) says why an unreadable file could not be read.
    FileLoad openFile(const QString &path, QString *reason = nullptr);
    // The buffer's first dataLength bytes as the file to write at path, for the one writer. The
    // save dialog has already asked about replacing a file there.
    ToolOutcome bufferFile(const QString &path) const;
    void clearBuffer();

    void programmingEnable();
    void blankCheck();
    Step erase();
    Step write();
    Step verify();
    Step lock(LockBits bits);
    // False when the chip could not be read (port, lock level).
    bool readOut();
    // Erase, write, verify and lock; the lock is left out when the verify found a difference.
    void automatic(LockBits bits);
    // The lock level, its line shown; -1 when the port is not open.
    int readLockLevel();

    // Cable test.
    void enterCableTest();
    void leaveCableTest();
    void setCableLine(CableLine line);
    void readMiso();

  private:
    void keep(const QString &line);
    void showOnly(const QString &line);
    void addToBox(const QString &line);
    void resetLog();
    void showLog();
    // False, with the not-open line kept, when the port is not ours.
    bool requirePort();

    ProgrammerMemory &m_memory;
    PortIo &m_port;
    IspLink m_link;
    int m_length = 0;
    QString m_box;
};

} // namespace tw
