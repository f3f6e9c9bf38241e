#include "base/SamePath.h"

#include <cerrno>
#include <filesystem>
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
    if (existing.empty() || other.empty())
        return false;
    struct stat first, second;
    if (::stat(existing.c_str(), &first) == 0 && ::stat(other.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    // A file still to be made: the part of its path that exists may be spelled another way.
    std::error_code firstFault, secondFault;
    const std::filesystem::path a = std::filesystem::weakly_canonical(existing, firstFault);
    const std::filesystem::path b = std::filesystem::weakly_canonical(other, secondFault);
    return !firstFault && !secondFault && a == b;
}

} // namespace tw
