#include "base/SamePath.h"

#include "base/FileAccess.h"

#include <cerrno>
#include <sys/stat.h>

namespace tw
{

bool isPathPresent(const std::string &path)
{
    if (path.empty())
        return false;
    struct stat info;
    if (::stat(path.c_str(), &info) == 0)
        return true;
    // A loop of links, a folder we may not look into, a name too long: there is something the
    // read will name.
    return errno != ENOENT && errno != ENOTDIR;
}

bool isSameFilePath(const std::string &existing, const std::string &other)
{
    return !existing.empty() && !other.empty() && fileIdentity(existing).sameAs(fileIdentity(other));
}

} // namespace tw
