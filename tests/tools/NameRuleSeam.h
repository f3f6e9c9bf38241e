#pragma once
// A test's stand-in for a folder's name rule: TW_TEST_NAME_RULE="RULE:FOLDER" makes every folder
// under FOLDER answer RULE (FileSystemSeams::foldsCase). The front and each module, which hold
// base code of their own, each take it.
#include "base/FileAccess.h"

#include <cstdlib>

namespace twdrive
{

inline void takeNameRuleFromEnvironment()
{
    static const char *const rule = std::getenv("TW_TEST_NAME_RULE");
    if (rule && rule[0] >= '0' && rule[0] <= '3' && rule[1] == ':')
        tw::setFileSystemSeams({.foldsCase = [](const std::string &folder) {
            return folder.starts_with(rule + 2) ? rule[0] - '0' : -1;
        }});
}

} // namespace twdrive
