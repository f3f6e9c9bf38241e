// The hex converter's parts that run without the conversion scripts: Straight HEX text read from
// a file, the formats refused before any script runs, and the address and digit boxes.
#include "FuzzSupport.h"

#include "conversion/HexConverter.h"
#include "conversion/HexText.h"
#include "conversion/ObjConversion.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace
{

constexpr qsizetype kImageLimit = 65536;

void checkBoxes(const QString &text)
{
    for (const bool lowerCase : {false, true}) {
        const std::optional<int> address = tw::readAddressBox(text, lowerCase);
        if (address && (*address < 0 || *address > 0xFFFF || text.isEmpty() || text.size() > 4))
            twfuzz::finding("an address box read outside 0..FFFFH", text);
        if (address && tw::hexD(text.toUpper()) != *address)
            twfuzz::finding("the address box and the digit reader disagree", text);
    }
    const long long value = tw::hexD(text);
    if (text.size() <= 15 && value < 0)
        twfuzz::finding("fifteen digits or fewer read negative", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const char format = input.PickValueInArray({'s', 's', 's', 'x', 'd', 'q'});
    checkBoxes(QString::fromUtf8(input.ConsumeRandomLengthString(24)));
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray text(rest.data(), static_cast<qsizetype>(rest.size()));

    const std::optional<QByteArray> direct = tw::straightHexToBin(text);
    QByteArray digits = text;
    digits.replace(' ', "").replace('\t', "").replace('\r', "").replace('\n', "");
    if (direct != tw::objTextToBin(digits))
        twfuzz::finding("Straight HEX is not the digits without their blanks");

    static const QString hex = twfuzz::workPath("prog.hex");
    static const QString bin = twfuzz::workPath("prog.bin");
    twfuzz::writeInput(hex, reinterpret_cast<const std::uint8_t *>(text.constData()),
                       static_cast<std::size_t>(text.size()));
    tw::HexToBinJob job;
    job.input = hex;
    job.output = bin;
    job.format = QChar::fromLatin1(format);
    const tw::ConverterRun run = tw::runHexToBin(job);
    if (run.bytes.has_value() == !run.problem.isEmpty())
        twfuzz::finding("a converter run with both or neither of bytes and a problem");
    if (format != 's' && run.bytes)
        twfuzz::finding("a format without a reader gave bytes");
    if (format == 's' && run.bytes && (run.bytes != direct || run.bytes->size() > kImageLimit))
        twfuzz::finding("a Straight HEX file read otherwise than its text");
    return 0;
}
