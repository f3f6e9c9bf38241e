#pragma once
// A test's stand-in for a folder's name rule, through the driver's environment:
// TW_TEST_NAME_RULE="RULE:FOLDER" makes every folder whose path begins with FOLDER answer RULE
// (FileSystemSeams::foldsCase: 1 folds case, 2 normalises, 3 both), as a FAT, exFAT or casefold
// folder would, on a folder of any file system. The front and each module set it for themselves.
#include "base/FileAccess.h"

#include <cstdlib>
#include <string>

namespace twdrive
{

inline void takeNameRuleFromEnvironment()
{
    static int rule = -1;
    static std::string folder;
    const char *value = std::getenv("TW_TEST_NAME_RULE");
    if (!value || value[0] < '0' || value[0] > '3' || value[1] != ':')
        return;
    rule = value[0] - '0';
    folder = value + 2;
    tw::FileSystemSeams seams = tw::fileSystemSeams();
    seams.foldsCase = [](const std::string &path) { return path.starts_with(folder) ? rule : -1; };
    tw::setFileSystemSeams(seams);
}

} // namespace twdrive
