#pragma once
// The checks every run of our assemblers must pass, whatever the source: a failure says why and
// writes no code image; a completed run writes one of 1 to 65,536 bytes.
#include "FuzzSupport.h"

#include "assembler/AssemblyRun.h"

#include <QFile>

namespace twfuzz
{

inline tw::AssemblyResult assembleChecked(tw::AssembleFunction assemble, const QString &source,
                                          const QString &bin)
{
    QFile::remove(bin);
    const tw::AssemblyResult result = assemble(source, bin, {});
    const qint64 length = QFile(bin).size();
    if (!result.completed) {
        if (result.failureMessage.isEmpty())
            finding("a failed run without a message");
        if (QFile::exists(bin))
            finding("a failed run left a code image");
    } else if (length < 1 || length > 65536) {
        finding("a completed run wrote a code image of", QString::number(length));
    }
    return result;
}

// One fuzz input as a source file through assemble.
inline int fuzzAssembler(tw::AssembleFunction assemble, const std::uint8_t *data, std::size_t size)
{
    static const QString source = workPath("prog.asm");
    static const QString bin = workPath("prog.bin");
    writeInput(source, data, size);
    assembleChecked(assemble, source, bin);
    return 0;
}

} // namespace twfuzz
