#include "IspLink.h"

namespace tw
{

using namespace IspLines;

void IspLink::write(std::uint8_t value)
{
    m_outValue = value;
    m_port.writeControl(value);
}

bool IspLink::readBit()
{
    return (m_port.readStatus() & MisoBit) == 0;
}

void IspLink::delays(int count)
{
    for (int i = 0; i < count; ++i)
        m_clock.delay();
}

void IspLink::writeByte(std::uint8_t value)
{
    for (int bit = 7; bit >= 0; --bit) {
        const bool one = (value >> bit) & 1;
        write(one ? MosiHighSckLow : MosiLowSckLow);
        delays(1);
        write(one ? MosiHighSckHigh : MosiLowSckHigh);
        delays(1);
        write(MosiLowSckLow);
        delays(1);
    }
}

std::uint8_t IspLink::readByte()
{
    std::uint8_t result = 0;
    for (int bit = 7; bit >= 0; --bit) {
        write(MosiLowSckHigh);
        delays(1);
        if (readBit())
            result |= std::uint8_t(1u << bit);
        write(MosiLowSckLow);
        delays(1);
    }
    return result;
}

std::uint8_t IspLink::exchange(std::uint8_t value)
{
    std::uint8_t result = 0;
    for (int bit = 7; bit >= 0; --bit) {
        write(((value >> bit) & 1) ? MosiHighSckLow : MosiLowSckLow);
        delays(1);
        write(m_outValue & ~SckBit);
        delays(7);
        if (readBit())
            result |= std::uint8_t(1u << bit);
        write(m_outValue | SckBit);
        delays(6);
    }
    return result;
}

std::array<std::uint8_t, 4> IspLink::programmingEnable()
{
    std::array<std::uint8_t, 4> received{};
    const std::uint8_t sent[4] = {0xAC, 0x53, 0x00, 0x00};
    for (int i = 0; i < 4; ++i)
        received[static_cast<std::size_t>(i)] = exchange(sent[i]);
    return received;
}

void IspLink::frame(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    for (std::uint8_t b : {b0, b1, b2, b3})
        writeByte(b);
}

void IspLink::chipErase()
{
    frame(0xAC, 0x80, 0x00, 0x00);
}

std::uint8_t IspLink::readCode(int address)
{
    writeByte(0x20);
    writeByte(static_cast<std::uint8_t>(address / 256));
    writeByte(static_cast<std::uint8_t>(address & 0xFF));
    return readByte();
}

void IspLink::writeCode(int address, std::uint8_t value)
{
    frame(0x40, static_cast<std::uint8_t>(address / 256), static_cast<std::uint8_t>(address & 0xFF), value);
}

void IspLink::startPageRead(int page)
{
    writeByte(0x30);
    writeByte(static_cast<std::uint8_t>(page));
}

std::uint8_t IspLink::readLockBits()
{
    writeByte(0x24);
    writeByte(0x00);
    writeByte(0x00);
    return readByte();
}

void IspLink::writeLockBits(bool b1, bool b2, bool b3)
{
    auto lockFrame = [this](std::uint8_t mode) {
        frame(0xAC, mode, 0x00, 0x00);
        m_clock.wait(IspTiming::ByteWrite);
    };
    if (!b1) {
        lockFrame(0xE0);
        return;
    }
    lockFrame(0xE1);
    if (!b2)
        return;
    lockFrame(0xE2);
    if (b3)
        lockFrame(0xE3);
}

void IspLink::setLine(std::uint8_t bit, bool high)
{
    write(high ? std::uint8_t(m_outValue & ~bit) : std::uint8_t(m_outValue | bit));
}

bool IspLink::readMiso()
{
    return readBit();
}

int lockLevel(std::uint8_t lockByte)
{
    const int number = (lockByte & 0x1C) / 4;
    if (number == 0)
        return 0;
    if (number == 1)
        return 1;
    return number <= 3 ? 2 : 3;
}

QString lockLevelText(int level)
{
    switch (level) {
    case 0:
        return QStringLiteral(u"未加密");
    case 1:
        return QStringLiteral(u"一级加密");
    case 2:
        return QStringLiteral(u"二级加密");
    default:
        return QStringLiteral(u"三级加密");
    }
}

} // namespace tw
