// Any bytes as a library routine's source text, its header read as the library generator reads
// it, and its resource list expanded as the window shows it.
#include "FuzzSupport.h"

#include "assistants/SubroutineSource.h"
#include "common/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = tw::decodeText(bytes).text;
    QString error;
    const std::optional<tw::SubroutineSource> source = tw::parseSubroutineSource(text, &error);
    if (!source) {
        if (error.isEmpty())
            twfuzz::finding("a refused routine without a reason");
        return 0;
    }
    if (source->stackBytes < -1)
        twfuzz::finding("a stack need read negative", source->record.stack);
    tw::resourcesText(source->resourceList, source->cycles);
    // A range like R0-R99999999 names at most the registers there are, not millions of names.
    if (tw::expandResourceList(source->resourceList).size() > source->resourceList.size() * 8 + 8)
        twfuzz::finding("a resource list grows far beyond its text", source->resourceList);
    return 0;
}
