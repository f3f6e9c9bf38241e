#include "SendFile.h"

#include "common/CheckedFile.h"
#include "common/Hex.h"

#include <cstdlib>
#include <cstring>

namespace tw
{

namespace
{

int hexDigitOfEitherCase(char16_t c)
{
    return hexDigitValue(c >= u'a' && c <= u'f' ? char16_t(c - u'a' + u'A') : c);
}

} // namespace

QByteArray SendImage::block(int k) const
{
    return QByteArray(reinterpret_cast<const char *>(image.bytes.data()) + k * kSendBlockSize,
                      kSendBlockSize);
}

SendLoad loadCodeFile(const QString &path, CodeImage &image, qint64 &length, QString *reason)
{
    // A file larger than a send can take is refused unread, and so is one that grows meanwhile.
    CheckedRead read = readFileChecked(path, kLargestSendFile);
    if (read.fault == ReadFault::TooLarge)
        return SendLoad::TooLong;
    if (!read.ok()) {
        if (reason)
            *reason = read.reason;
        return SendLoad::Unreadable;
    }
    image.clear();
    std::memcpy(image.bytes.data(), read.bytes.constData(), static_cast<std::size_t>(read.bytes.size()));
    length = read.bytes.size();
    return SendLoad::Loaded;
}

SendLoad loadSendFile(const QString &path, SendImage &sent, QString *reason)
{
    const SendLoad load = loadCodeFile(path, sent.image, sent.length, reason);
    if (load == SendLoad::Loaded)
        sent.blockCount = static_cast<int>((sent.length + kSendBlockSize - 1) / kSendBlockSize);
    return load;
}

QString sendLengthText(qint64 length)
{
    return QString::number(length, 16).toUpper().rightJustified(4, u'0') + u'H';
}

HeaderCheck parseFileHeader(const QString &text, std::array<quint8, 4> &header)
{
    header.fill(0);
    if (text.size() != 8)
        return HeaderCheck::WrongLength;
    for (int i = 0; i < 8; ++i) {
        const int digit = hexDigitOfEitherCase(text[i].unicode());
        if (digit < 0)
            return HeaderCheck::BadCharacter;
        header[static_cast<std::size_t>(i / 2)] = static_cast<quint8>(header[i / 2] * 16 + digit);
    }
    return HeaderCheck::Ok;
}

QString serialSettings(const QString &baudText, QChar parity)
{
    return baudText + u',' + parity + QStringLiteral(",8,1");
}

qint32 settingsBaud(const QString &settings)
{
    bool ok = false;
    const qint32 baud = settings.section(u',', 0, 0).toInt(&ok);
    return ok && baud > 0 ? baud : 0;
}

char settingsParity(const QString &settings)
{
    const QString letter = settings.section(u',', 1, 1);
    return letter.size() == 1 ? static_cast<char>(letter[0].toLatin1()) : 'n';
}

// A UART makes its rate by dividing a clock, so it runs near the rate asked for rather than at it:
// a 16550 (115200 / divisor) runs 56000 at 57600, 2.9 % fast. A line works with that much, since
// the receiver samples each bit in its middle: over a frame of 11 bits the two ends may differ by
// half a bit in the 10.5 bits up to the stop bit's middle, less the receiver's own sampling step,
// about 4.5 %. 3 % keeps what is left for the other end's own error. A driver that cannot come
// near the rate is far off: a 16550 asked for 128000 or 256000 runs 115200 (10 % slow) or 9600.
bool runsAtChosenRate(qint32 chosen, qint32 running)
{
    return std::abs(qint64(running) - chosen) * 100 <= qint64(chosen) * 3;
}

int drainTimeoutMs(qint32 baud, char parity, int bytes)
{
    const int bitsPerByte = 1 + 8 + (parity == 'n' ? 0 : 1) + 1;
    const qint64 wireMs = baud > 0 ? (qint64(bytes) * bitsPerByte * 1000 + baud - 1) / baud : 0;
    return static_cast<int>(2 * wireMs + 2000);
}

} // namespace tw
