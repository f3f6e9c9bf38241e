// Code texts in the three forms read back to text, and text written as codes and read back.
#include "FuzzSupport.h"

#include "assistants/UnicodeCodes.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto format = input.PickValueInArray(
        {tw::UnicodeFormat::Decimal, tw::UnicodeFormat::Hex, tw::UnicodeFormat::ContinuousHex});
    // A box's worth of text: longer inputs only slow each run down.
    const std::string rest = input.ConsumeRandomLengthString(2048);
    const QString codes = QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()));

    const tw::DecodedText decoded = tw::textOfUnicodeCodes(codes, format);
    if (!decoded.error.isEmpty() && !decoded.text.isEmpty())
        twfuzz::finding("a refused code text gave text as well");

    // Any units (lone surrogates included) as text: their codes give back the same units.
    QString text;
    for (std::size_t i = 0; i + 1 < rest.size(); i += 2)
        text += QChar(static_cast<char16_t>(static_cast<std::uint8_t>(rest[i]) << 8 |
                                            static_cast<std::uint8_t>(rest[i + 1])));
    qsizetype blanks = 0;
    while (blanks < text.size() && text[blanks] == u' ')
        ++blanks;
    const std::optional<QString> written = tw::unicodeCodesOf(text, format);
    if (written.has_value() != (blanks < text.size()))
        twfuzz::finding("codes of an empty text, or none of a text");
    if (written) {
        const tw::DecodedText back = tw::textOfUnicodeCodes(*written, format);
        if (!back.error.isEmpty() || back.text != text.mid(blanks))
            twfuzz::finding("text does not survive its codes", *written);
    }
    return 0;
}
