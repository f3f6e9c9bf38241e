#include "common/CodeImageFile.h"

#include "common/TextFile.h"

#include <cstring>

namespace tw
{

int loadCodeImage(const QString &path, CodeImage &image)
{
    image.clear();
    const CheckedRead read = readFileChecked(path, kMaxCodeFileBytes);
    if (!read.ok())
        return -1;
    const int length = static_cast<int>(read.bytes.size());
    std::memcpy(image.bytes.data(), read.bytes.constData(), static_cast<std::size_t>(length));
    return length;
}

} // namespace tw
