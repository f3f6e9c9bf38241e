#pragma once
// Several outputs put in place together stay one run's. Until every one of them stands under its
// name, a record in each of their folders (a scratch file tagged "set-") lists them: each name, the
// hidden names its new file and its old one use, and what the new file is. Should the run be
// killed part way, the next run into the folder, sweeping it, gives every name that holds the
// killed run's new file its old file back (or, where none stood, leaves it empty again), so that
// the killed run's outputs are all as they stood before it.
#include "base/FileAccess.h"

#include <string>
#include <vector>

namespace tw
{

class PlacementRecord
{
  public:
    PlacementRecord() = default;
    ~PlacementRecord() { finish(); }
    PlacementRecord(const PlacementRecord &) = delete;
    PlacementRecord &operator=(const PlacementRecord &) = delete;

    // Writes the record of the staged files into each of their folders, where there are two or
    // more files (one alone is whole under its name whenever a run ends); empty, or the reason.
    std::string write(const std::vector<StagedFile> &files);
    // Every file stands under its name, or every one has been taken back: the records go.
    void finish();

    // For the sweep, with the ended run's lock taken: puts back, within the folder's turn, the old
    // file of every name the record lists that holds the ended run's new file.
    static void rollBackEnded(const ScratchFolder &folder, const std::string &record);

  private:
    struct Written {
        ScratchFolder folder;
        std::string name;
        ScratchEntry entry;
    };
    std::vector<Written> m_records;
};

} // namespace tw
