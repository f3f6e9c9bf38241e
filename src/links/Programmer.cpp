#include "Programmer.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"

#include "SendFile.h"
#include "common/Hex.h"

#include <algorithm>

namespace tw
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kReadBackTries = 3;

} // namespace

LockBits lockBoxesAfterClick(LockBits bits, int index, bool checked)
{
    switch (index) {
    case 0:
        bits.b1 = checked;
        if (!checked)
            bits.b2 = bits.b3 = false;
        break;
    case 1:
        bits.b2 = checked;
        if (checked)
            bits.b1 = true;
        else
            bits.b3 = false;
        break;
    default:
        bits.b3 = checked;
        if (checked)
            bits.b1 = bits.b2 = true;
        break;
    }
    return bits;
}

QString bufferDump(const CodeImage &image, int length)
{
    QString text;
    for (int start = 0; start < length; start += 16) {
        text += hexWord(start) + QStringLiteral("H:");
        for (int i = start; i < std::min(start + 16, length); ++i)
            text += u' ' + hexByte(image[i]);
        text += kCrLf;
    }
    return text;
}

Programmer::Programmer(ProgrammerMemory &memory, PortIo &port, IspClock &clock)
    : m_memory(memory), m_port(port), m_link(port, clock)
{
}

bool Programmer::startPort()
{
    const bool opened = m_port.open();
    if (opened)
        m_memory.logText = IspLog::Ready + kCrLf;
    else
        m_port.close();
    showLog();
    return opened;
}

void Programmer::stopPort()
{
    m_port.close();
}

void Programmer::keep(const QString &line)
{
    m_memory.logText += line + kCrLf;
    showLog();
}

void Programmer::showOnly(const QString &line)
{
    m_box = m_memory.logText + line + kCrLf;
}

void Programmer::addToBox(const QString &line)
{
    m_box += line + kCrLf;
}

void Programmer::resetLog()
{
    // A log that says the port is ready would be wrong while it is not.
    if (m_port.isOpen())
        m_memory.logText = IspLog::Ready + kCrLf;
}

void Programmer::showLog()
{
    m_box = m_memory.logText;
}

bool Programmer::requirePort()
{
    if (m_port.isOpen())
        return true;
    keep(IspLog::NotOpen);
    return false;
}

Programmer::FileLoad Programmer::openFile(const QString &path, QString *reason)
{
    if (!hasBinEnding(path))
        return FileLoad::NotBin;
    qint64 length = 0;
    switch (loadCodeFile(path, m_memory.image, length, reason)) {
    case SendLoad::TooLong:
        return FileLoad::TooLong;
    case SendLoad::Unreadable:
        return FileLoad::Unreadable;
    case SendLoad::Loaded:
        break;
    }
    m_length = static_cast<int>(length);
    return FileLoad::Loaded;
}

ToolOutcome Programmer::bufferFile(const QString &path) const
{
    const int length = std::clamp(m_length, 0, static_cast<int>(m_memory.image.bytes.size()));
    PlannedFile file = plannedFile(
        path, QByteArrayView(reinterpret_cast<const char *>(m_memory.image.bytes.data()), length));
    // A read-out may be all that is left of a chip's code: it reaches the disk before the old
    // file goes.
    file.sync = WriteSync::Durable;
    ToolOutcome outcome;
    outcome.files.push_back(std::move(file));
    outcome.title = kProgrammerTitle.toStdString();
    return outcome;
}

void Programmer::clearBuffer()
{
    m_length = 0;
}

void Programmer::programmingEnable()
{
    if (!requirePort())
        return;
    QString line = QStringLiteral(u"编程使能：  ");
    for (std::uint8_t byte : m_link.programmingEnable())
        line += hexByte(byte);
    addToBox(line);
}

void Programmer::blankCheck()
{
    if (!requirePort())
        return;
    resetLog();
    for (int page = 0; page < kIspPages; ++page) {
        m_link.startPageRead(page);
        bool blank = true;
        // The chip takes every byte after the page number as page data until all 256 are out,
        // so the page is clocked to its end even when its first byte already decides.
        for (int i = 0; i < kIspPageSize; ++i)
            if (m_link.readByte() != 0xFF)
                blank = false;
        if (!blank) {
            addToBox(QStringLiteral(u"芯片非空"));
            return;
        }
    }
    keep(QStringLiteral(u"芯片空"));
}

Programmer::Step Programmer::erase()
{
    if (!requirePort())
        return Step::Failed;
    m_link.chipErase();
    m_link.clock().wait(IspTiming::ChipErase);
    keep(QStringLiteral(u"芯片擦除 OK"));
    return Step::Done;
}

Programmer::Step Programmer::write()
{
    if (!requirePort())
        return Step::Failed;
    if (m_length == 0) {
        keep(QStringLiteral(u"缺少写入的数据"));
        return Step::NoData;
    }
    if (m_length > kIspFlashSize) {
        keep(QStringLiteral(u"数据超过4096字节，不能写入"));
        return Step::Failed;
    }
    for (int address = 0; address < m_length; ++address) {
        const std::uint8_t value = m_memory.image[address];
        m_link.writeCode(address, value);
        bool written = false;
        for (int tries = 0; tries < kReadBackTries && !written; ++tries) {
            m_link.clock().wait(IspTiming::ByteWrite);
            written = m_link.readCode(address) == value;
        }
        if (!written) {
            keep(QStringLiteral(u"写入出错：") + hexWord(address) + u'H');
            return Step::Failed;
        }
    }
    keep(QStringLiteral(u"写入 OK"));
    return Step::Done;
}

int Programmer::readLockLevel()
{
    if (!requirePort())
        return -1;
    const int level = lockLevel(m_link.readLockBits());
    showOnly(lockLevelText(level));
    return level;
}

Programmer::Step Programmer::verify()
{
    const int level = readLockLevel();
    if (level < 0)
        return Step::Failed;
    if (level > 1) {
        addToBox(QStringLiteral(u"已加密，不可校验"));
        return Step::Failed;
    }
    if (m_length == 0) {
        keep(QStringLiteral(u"缺少校验的数据"));
        return Step::NoData;
    }
    if (m_length > kIspFlashSize) {
        keep(QStringLiteral(u"数据超过4096字节，不能校验"));
        return Step::Failed;
    }
    for (int address = 0; address < m_length; ++address) {
        if (m_link.readCode(address) != m_memory.image[address]) {
            keep(QStringLiteral(u"校验出错"));
            return Step::Failed;
        }
    }
    keep(QStringLiteral(u"校验 OK"));
    return Step::Done;
}

Programmer::Step Programmer::lock(LockBits bits)
{
    if (!requirePort())
        return Step::Failed;
    m_link.writeLockBits(bits.b1, bits.b2, bits.b3);
    keep(QStringLiteral(u"写加密位 OK"));
    return Step::Done;
}

bool Programmer::readOut()
{
    const int level = readLockLevel();
    if (level < 0)
        return false;
    if (level > 1) {
        addToBox(QStringLiteral(u"已加密，不可读出"));
        return false;
    }
    m_length = 0;
    for (int page = 0; page < kIspPages; ++page) {
        m_link.startPageRead(page);
        for (int i = 0; i < kIspPageSize; ++i)
            m_memory.image[m_length++] = m_link.readByte();
    }
    showOnly(QStringLiteral(u"读出 OK"));
    return true;
}

void Programmer::automatic(LockBits bits)
{
    if (!requirePort())
        return;
    resetLog();
    erase();
    write();
    // A chip whose contents are not what was meant is not locked: it could not be read back or
    // written again until the next erase.
    if (verify() == Step::Failed)
        return;
    lock(bits);
}

void Programmer::enterCableTest()
{
    resetLog();
    showLog();
}

void Programmer::leaveCableTest()
{
    programmingEnable();
    resetLog();
    showLog();
}

void Programmer::setCableLine(CableLine line)
{
    if (!requirePort())
        return;
    switch (line) {
    case CableLine::MosiHigh:
    case CableLine::MosiLow:
        m_memory.mosiHigh = line == CableLine::MosiHigh;
        m_link.setLine(IspLines::MosiBit, m_memory.mosiHigh);
        break;
    case CableLine::SckHigh:
    case CableLine::SckLow:
        m_memory.sckHigh = line == CableLine::SckHigh;
        m_link.setLine(IspLines::SckBit, m_memory.sckHigh);
        break;
    }
    m_memory.logText = IspLog::Ready + kCrLf + QStringLiteral(u"输出 MOSI=") +
                       (m_memory.mosiHigh ? u'1' : u'0') + kCrLf + QStringLiteral(u"输出 SCK=") +
                       (m_memory.sckHigh ? u'1' : u'0') + kCrLf;
    showLog();
}

void Programmer::readMiso()
{
    if (!requirePort())
        return;
    showOnly(m_link.readMiso() ? QStringLiteral(u"输入 MISO=1") : QStringLiteral(u"输入 MISO=0"));
}

} // namespace tw
