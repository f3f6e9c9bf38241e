// The serial sender's header box and settings texts, its file loader and blocks, and the
// programmer's file load and buffer dump, on any bytes and texts.
#include "FuzzSupport.h"

#include "links/Programmer.h"
#include "links/SendFile.h"

#include <QFile>
#include <fuzzer/FuzzedDataProvider.h>

namespace
{

// No cable: the file commands never reach the port or the clock.
class NoPort : public tw::PortIo
{
  public:
    bool open() override { return false; }
    bool isOpen() const override { return false; }
    void writeControl(std::uint8_t) override {}
    std::uint8_t readStatus() override { return 0; }
    void close() override {}
};

class NoClock : public tw::IspClock
{
  public:
    void delay() override {}
    void wait(std::chrono::microseconds) override {}
};

void texts(FuzzedDataProvider &input)
{
    std::array<quint8, 4> header{};
    const QString headerText = QString::fromUtf8(input.ConsumeRandomLengthString(12));
    if (tw::parseFileHeader(headerText, header) == tw::HeaderCheck::Ok &&
        QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(header.data()), 4).toHex()) !=
            headerText.toLower())
        twfuzz::finding("the header bytes are not the header's digits", headerText);
    const QString settings = tw::serialSettings(QString::fromUtf8(input.ConsumeRandomLengthString(16)),
                                                QChar(input.ConsumeIntegral<char16_t>()));
    const qint32 baud = tw::settingsBaud(settings);
    if (baud < 0)
        twfuzz::finding("a negative baud rate", settings);
    if (tw::drainTimeoutMs(baud, tw::settingsParity(settings), input.ConsumeIntegralInRange(0, 65536 + 4)) <
        0)
        twfuzz::finding("a negative drain time", settings);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString path = twfuzz::workPath("send.bin");
    FuzzedDataProvider input(data, size);
    texts(input);
    // Files beyond the largest image too: the input repeated.
    const int repeats = input.ConsumeBool() ? input.ConsumeIntegralInRange(1, 40) : 1;
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    QByteArray file;
    for (int i = 0; i < repeats; ++i)
        file.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    twfuzz::writeInput(path, reinterpret_cast<const std::uint8_t *>(file.constData()),
                       static_cast<std::size_t>(file.size()));

    tw::SendImage sent;
    const tw::SendLoad load = tw::loadSendFile(path, sent);
    if ((load == tw::SendLoad::Loaded) != (file.size() <= tw::kLargestSendFile))
        twfuzz::finding("a send file loaded or refused against its size");
    if (load == tw::SendLoad::Loaded) {
        QByteArray wire;
        for (int k = 0; k < sent.blockCount; ++k)
            wire += sent.block(k);
        if (wire.size() != sent.blockCount * tw::kSendBlockSize || !wire.startsWith(file) ||
            wire.size() - file.size() >= tw::kSendBlockSize || tw::sendLengthText(sent.length).isEmpty())
            twfuzz::finding("the blocks are not the file padded to a block");
    }

    tw::ProgrammerMemory memory;
    NoPort port;
    NoClock clock;
    tw::Programmer programmer(memory, port, clock);
    const tw::Programmer::FileLoad loaded = programmer.openFile(path);
    if ((loaded == tw::Programmer::FileLoad::Loaded) != (file.size() <= 65536))
        twfuzz::finding("the programmer loaded or refused a file against its size");
    // The dump of a long buffer costs far more than the load; short ones show its lines as well.
    if (loaded == tw::Programmer::FileLoad::Loaded && file.size() <= 4096 &&
        programmer.dump().count(u'\n') != (file.size() + 15) / 16)
        twfuzz::finding("not one dump line for every sixteen bytes");
    return 0;
}
