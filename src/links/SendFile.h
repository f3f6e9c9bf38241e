#pragma once
// What the file sender sends: the loaded code image cut into 256-byte blocks, the optional
// four-byte header, the length text and the serial settings string.
#include "base/CodeImage.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace tw
{

constexpr int kSendBlockSize = 256;
constexpr qint64 kLargestSendFile = 65536;

struct SendImage {
    CodeImage image;
    qint64 length = 0;
    int blockCount = 0;

    // Block k as it goes on the wire: 256 bytes, past the file's end filled with 00h.
    QByteArray block(int k) const;
};

enum class SendLoad { Loaded, Unreadable, TooLong };

// Both link windows' file load: a file of at most kLargestSendFile bytes goes into the image from
// address 0, the rest of the image cleared, and its length into length. On failure neither is
// touched, and reason (when given) says why a file could not be read.
SendLoad loadCodeFile(const QString &path, CodeImage &image, qint64 &length, QString *reason = nullptr);

// Reads the file into a fresh image (nothing of an earlier file remains); on failure the image
// is left as it was.
SendLoad loadSendFile(const QString &path, SendImage &sent, QString *reason = nullptr);

// The file choices of both link windows take a name whose last three characters are exactly "bin"
// or exactly "BIN".

// The length as the window shows it: at least four upper-case hex digits and "H" (03E8H, 10000H).
QString sendLengthText(qint64 length);

enum class HeaderCheck { Ok, WrongLength, BadCharacter };
// Eight hexadecimal digits of either case make the four header bytes.
HeaderCheck parseFileHeader(const QString &text, std::array<quint8, 4> &header);

// "9600,n,8,1": the baud text, the parity letter, 8 data bits, 1 stop bit.
QString serialSettings(const QString &baudText, QChar parity);
// The baud rate of a settings string; 0 when its first field is not a positive whole number.
qint32 settingsBaud(const QString &settings);
char settingsParity(const QString &settings);

// Whether a port running at running baud serves a send at chosen baud.
bool runsAtChosenRate(qint32 chosen, qint32 running);

// How long a wait for a drained queue of this many bytes may take before the send gives up: twice
// the bytes' time on the wire plus two seconds.
int drainTimeoutMs(qint32 baud, char parity, int bytes);

} // namespace tw
