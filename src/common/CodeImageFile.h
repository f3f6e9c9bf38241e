#pragma once
// Loading a code image (base/CodeImage.h) as a .bin file, for the tools on Qt paths.
#include "base/CodeImage.h"

#include <QString>

namespace tw
{

// Clears the image, then reads a .bin file into it from address 0. Returns the file's length, or
// -1 when it cannot be read, is no regular file or is longer than 65,536 bytes.
int loadCodeImage(const QString &path, CodeImage &image);

} // namespace tw
