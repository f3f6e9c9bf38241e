#include "base/ScratchFiles.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <mutex>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw
{

namespace
{

constexpr std::string_view kPrefix = ".tw-";
constexpr std::string_view kKeptTag = "old-";

// The live scratch names, readable from a signal handler: fixed buffers, each published by its
// state only once it is complete.
enum SlotState { Free, Filling, Ready };
struct Slot {
    std::atomic<int> state{Free};
    char path[4096];
};
constexpr int kSlotCount = 256;
Slot g_slots[kSlotCount];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[std::size(kSignals)];

std::atomic<InterruptCleanup> g_cleanups[8];

extern "C" void removeScratchAndGoOn(int signal)
{
    for (Slot &slot : g_slots)
        if (slot.state.load() == Ready)
            ::unlink(slot.path);
    for (std::atomic<InterruptCleanup> &cleanup : g_cleanups)
        if (const InterruptCleanup call = cleanup.load())
            call();
    // The signal then does what it did before: end the process, or reach the program's own handler.
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        if (kSignals[i] == signal)
            ::sigaction(signal, &g_previous[i], nullptr);
    ::raise(signal);
}

void installHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (std::size_t i = 0; i < std::size(kSignals); ++i) {
            struct sigaction current;
            // A signal the process ignores (nohup) stays ignored.
            if (::sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
                continue;
            struct sigaction ours = {};
            ours.sa_handler = removeScratchAndGoOn;
            sigemptyset(&ours.sa_mask);
            for (const int other : kSignals)
                sigaddset(&ours.sa_mask, other);
            ours.sa_flags = SA_RESTART;
            ::sigaction(kSignals[i], &ours, &g_previous[i]);
        }
    });
}

int claimSlot(const std::string &path)
{
    if (path.size() >= sizeof g_slots[0].path)
        return -1;
    installHandlers();
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = Free;
        if (g_slots[i].state.compare_exchange_strong(expected, Filling)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].state.store(Ready);
            return i;
        }
    }
    return -1;
}

// The process a scratch name belongs to, and whether it is a kept old file; false for other names.
bool parseScratch(std::string_view name, pid_t &pid, bool &kept)
{
    if (!name.starts_with(kPrefix))
        return false;
    name.remove_prefix(kPrefix.size());
    long long number = 0;
    std::size_t digits = 0;
    while (digits < name.size() && digits < 10 && name[digits] >= '0' && name[digits] <= '9')
        number = number * 10 + (name[digits++] - '0');
    if (digits == 0 || digits >= name.size() || name[digits] != '-' || number <= 0)
        return false;
    pid = static_cast<pid_t>(number);
    kept = name.substr(digits + 1).starts_with(kKeptTag);
    return true;
}

bool isRunning(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

std::string scratchName(const std::string &folder, std::string_view tag)
{
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random)
        random = 0;
    random ^= (counter.fetch_add(1) + 1) * 2654435761u;
    return folder + std::string(kPrefix) + std::to_string(::getpid()) + '-' + std::string(tag) +
           std::to_string(random);
}

void addInterruptCleanup(InterruptCleanup cleanup)
{
    installHandlers();
    for (std::atomic<InterruptCleanup> &place : g_cleanups) {
        InterruptCleanup expected = nullptr;
        if (place.load() == cleanup || place.compare_exchange_strong(expected, cleanup))
            return;
    }
}

ScratchEntry::ScratchEntry(const std::string &path) : m_slot(claimSlot(path)) {}

ScratchEntry::~ScratchEntry()
{
    release();
}

ScratchEntry::ScratchEntry(ScratchEntry &&other) noexcept : m_slot(other.m_slot)
{
    other.m_slot = -1;
}

ScratchEntry &ScratchEntry::operator=(ScratchEntry &&other) noexcept
{
    if (this != &other) {
        release();
        m_slot = other.m_slot;
        other.m_slot = -1;
    }
    return *this;
}

void ScratchEntry::release()
{
    if (m_slot >= 0)
        g_slots[m_slot].state.store(Free);
    m_slot = -1;
}

void sweepDeadScratch(const std::string &folder)
{
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    const pid_t self = ::getpid();
    while (const dirent *entry = ::readdir(dir)) {
        pid_t pid = 0;
        bool kept = false;
        if (!parseScratch(entry->d_name, pid, kept) || pid == self || isRunning(pid))
            continue;
        const std::string path = folder + entry->d_name;
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (!kept || info.st_nlink > 1)
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

} // namespace tw
