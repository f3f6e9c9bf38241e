#pragma once
// The hidden files a replacement makes beside the user's file: the new file while it is written,
// and a second name of the old file until the run ends. Each is named ".tw-PID-..." after the
// process that made it, so that none outlives its run: an interrupt (SIGINT, SIGTERM, SIGHUP)
// removes the live ones before the process ends, and the next write into a folder removes those
// of processes that no longer run (killed with SIGKILL, or lost with the machine).
#include <string>
#include <string_view>

namespace tw
{

// A hidden name of this process's in folder (which ends in a slash, or is empty for the working
// folder), different at every call: a staged file (tag "") or a kept old file (tag "old-").
std::string scratchName(const std::string &folder, std::string_view tag);

// Holds one scratch file's name for the interrupt handlers while the object lives; release()
// hands the file over to the user (it is then never removed by this process or a later sweep).
class ScratchEntry
{
  public:
    ScratchEntry() = default;
    explicit ScratchEntry(const std::string &path);
    ~ScratchEntry();
    ScratchEntry(ScratchEntry &&other) noexcept;
    ScratchEntry &operator=(ScratchEntry &&other) noexcept;
    ScratchEntry(const ScratchEntry &) = delete;
    ScratchEntry &operator=(const ScratchEntry &) = delete;

    void release();

  private:
    int m_slot = -1;
};

// Work an interrupt does before the signal goes on, besides removing scratch files (ending a child
// process group, removing a private folder). It runs inside the signal handler, so it may only make
// async-signal-safe calls. Up to eight are kept; each is called once per interrupt.
using InterruptCleanup = void (*)();
void addInterruptCleanup(InterruptCleanup cleanup);

// Removes, in folder, the scratch files of processes that no longer run: their staged files, and
// the kept old files that are only a second name (the file still stands under its own name). A
// kept file that is the last name of its data is left: it may be all that is left of a file.
void sweepDeadScratch(const std::string &folder);

} // namespace tw
