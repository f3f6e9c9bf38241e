#pragma once
// The disassemblers' promise: a disassembly reported as complete goes through our assembler
// without an error and gives back the bytes of the range it covered.
#include "Assembly.h"

#include "common/Hex.h"

#include <QByteArray>

namespace twfuzz
{

// The range boxes as a user types them: four hex digits, or empty.
inline QString rangeText(int address)
{
    return address < 0 ? QString() : tw::hexWord(address);
}

// Reassembles source and compares its code image with image over [from, to). sameByte says
// whether a byte that came back differs only as the disassembler documents (A5H as NOP).
template <typename SameByte>
void expectReassembles(tw::AssembleFunction assemble, const QString &source, const QByteArray &image,
                       int from, int to, SameByte sameByte)
{
    const QString bin = workPath("again.bin");
    const tw::AssemblyResult result = assembleChecked(assemble, source, bin);
    if (!result.completed || result.errorCount != 0)
        finding("a completed disassembly does not assemble:", result.summary());
    QByteArray again = readOutput(bin);
    if (again.size() < to)
        again.resize(to, '\0');
    for (int address = from; address < to; ++address) {
        const auto original = static_cast<std::uint8_t>(address < image.size() ? image[address] : 0);
        const auto back = static_cast<std::uint8_t>(again[address]);
        if (!sameByte(original, back))
            finding("a byte came back changed at", tw::hexWord(address) + QStringLiteral(": ") +
                                                       tw::hexByte(original) + QStringLiteral(" -> ") +
                                                       tw::hexByte(back));
    }
}

} // namespace twfuzz
