// Any bytes as an MCS-48 source, decoded as the porting reads a file, ported to MCS-51.
#include "FuzzSupport.h"

#include "common/TextFile.h"
#include "conversion/Porting48.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList lines = tw::splitLines(tw::decodeText(bytes).text);
    const tw::PortResult result = tw::portSource48(lines);
    // A line has at most two errors: too many operands, then the operands it kept refused.
    if (result.errorCount < 0 || result.errorCount > 2 * lines.size())
        twfuzz::finding("more port errors than lines", QString::number(result.errorCount));
    if (!result.ported.isEmpty() && !result.ported.endsWith(u'\n'))
        twfuzz::finding("a ported file without its last line end");
    // Past the fixed heading, a line read gives a line or two out, never many.
    static const qsizetype heading = tw::portSource48({}).ported.count(u'\n');
    if (result.ported.count(u'\n') - heading > lines.size() * 4)
        twfuzz::finding("the port wrote far more lines than it read");
    return 0;
}
