#pragma once
// Two questions asked of a path before a tool runs, without Qt: is anything there, and does it
// name the same file as another path. Paths are the bytes of the file names.
#include <string>

namespace tw
{

// Something is at the path (a file, a folder, a pipe, a link that leads nowhere readable): not
// missing. Only nothing there, or a link to nothing, is missing; what else keeps the path from
// being read, the read itself names. An empty path names nothing.
bool isPathPresent(const std::string &path);

// Whether two paths name the same file under any names: links followed, relative parts
// resolved, and a hard link is its file. The second may not exist yet; then its folder is
// resolved and the names compared. An empty path names no file.
bool isSameFilePath(const std::string &existing, const std::string &other);

} // namespace tw
