#include "CodeImage.h"

#include "TextFile.h"

#include <algorithm>
#include <cstring>

namespace tw {

int loadCodeImage(const QString &path, CodeImage &image)
{
    image.clear();
    auto bytes = readBinaryFile(path);
    if (!bytes)
        return -1;
    const int length = static_cast<int>(std::min<qsizetype>(bytes->size(), 65536));
    std::memcpy(image.bytes.data(), bytes->constData(), static_cast<std::size_t>(length));
    return length;
}

bool saveCodeImage(const QString &path, const CodeImage &image, int length)
{
    length = std::clamp(length, 0, 65536);
    return writeBinaryFile(path, QByteArray(reinterpret_cast<const char *>(image.bytes.data()), length));
}

} // namespace tw
