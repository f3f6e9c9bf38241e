#include "base/PlacementRecord.h"

#include "base/FileSystemDetail.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw
{

namespace
{

// One file of a record: its name, the hidden names of its staged file and of its old file where
// names cannot be swapped, and what the new file was as staged.
struct Listed {
    std::string name, staged, kept;
    struct stat made = {};
};

// Whether a file is the new file listed by what a rename keeps: device, inode number and size.
bool sameFile(const struct stat &found, const struct stat &made)
{
    return S_ISREG(found.st_mode) && found.st_dev == made.st_dev && found.st_ino == made.st_ino &&
           found.st_size == made.st_size;
}

// Whether a file looks like the new file listed where a hard link gave it an inode number of its
// own (sshfs): the same device, size and modification time. Times may be whole seconds (exFAT,
// sshfs), so an old file of the same size can look so too; the look counts only where the old file
// is known to wait aside.
bool sameLook(const struct stat &found, const struct stat &made)
{
    return S_ISREG(found.st_mode) && found.st_dev == made.st_dev && found.st_size == made.st_size &&
           found.st_mtim.tv_sec == made.st_mtim.tv_sec && found.st_mtim.tv_nsec == made.st_mtim.tv_nsec;
}

// Fields end in a zero byte, four to a file; the numbers as decimal text.
std::string entryOf(const std::string &name, const std::string &staged, const std::string &kept,
                    const struct stat &made)
{
    const std::string numbers = std::to_string(made.st_dev) + ' ' + std::to_string(made.st_ino) + ' ' +
                                std::to_string(made.st_size) + ' ' + std::to_string(made.st_mtim.tv_sec) +
                                ' ' + std::to_string(made.st_mtim.tv_nsec);
    std::string entry;
    for (const std::string *field : {&name, &staged, &kept, &numbers})
        entry.append(*field).push_back('\0');
    return entry;
}

bool parseNumbers(const std::string &text, struct stat &made)
{
    unsigned long long value[5];
    const char *at = text.c_str();
    for (unsigned long long &number : value) {
        char *end = nullptr;
        errno = 0;
        number = std::strtoull(at, &end, 10);
        if (end == at || errno != 0)
            return false;
        at = end;
    }
    made.st_mode = S_IFREG;
    made.st_dev = value[0];
    made.st_ino = value[1];
    made.st_size = static_cast<off_t>(value[2]);
    made.st_mtim = {static_cast<time_t>(value[3]), static_cast<long>(value[4])};
    return *at == '\0';
}

// The files a record lists whole; a record cut short by a kill lists those before the cut.
std::vector<Listed> readRecord(int folder, const std::string &record)
{
    std::vector<Listed> listed;
    const detail::Descriptor fd(::openat(folder, record.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    std::string text;
    char piece[4096];
    for (ssize_t got; fd.valid() && (got = ::read(fd.get(), piece, sizeof piece)) > 0;)
        text.append(piece, static_cast<std::size_t>(got));
    std::vector<std::string> fields;
    for (std::size_t at = 0, end; (end = text.find('\0', at)) != std::string::npos; at = end + 1)
        fields.push_back(text.substr(at, end - at));
    for (std::size_t i = 0; i + 4 <= fields.size(); i += 4) {
        Listed file{fields[i], fields[i + 1], fields[i + 2]};
        if (file.name.empty() || file.name.find('/') != std::string::npos ||
            !parseNumbers(fields[i + 3], file.made))
            break;
        listed.push_back(std::move(file));
    }
    return listed;
}

} // namespace

std::string PlacementRecord::write(const std::vector<StagedFile> &files)
{
    if (files.size() < 2)
        return std::string();
    for (const StagedFile &file : files) {
        const ScratchFolder &folder = file.m_folder;
        std::size_t at = 0;
        while (at < m_records.size() && m_records[at].folder.fd() != folder.fd())
            ++at;
        if (at == m_records.size()) {
            Written record{folder, folder.scratchName("set-"), {}};
            // Held for the interrupt handlers before the file exists.
            record.entry = ScratchEntry(folder, record.name);
            m_records.push_back(std::move(record));
        }
    }
    for (Written &record : m_records) {
        std::string text;
        for (const StagedFile &file : files) {
            struct stat made;
            if (file.m_folder.fd() != record.folder.fd())
                continue;
            if (::fstatat(record.folder.fd(), file.m_temporary.c_str(), &made, AT_SYMLINK_NOFOLLOW) != 0)
                return systemErrorText(errno);
            text += entryOf(file.m_name, file.m_temporary, file.m_plannedKept, made);
        }
        detail::Descriptor fd(
            ::openat(record.folder.fd(), record.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        int error = fd.valid() ? detail::writeAll(fd.get(), text) : errno;
        if (error == 0)
            error = fd.close();
        if (error != 0)
            return systemErrorText(error);
    }
    return std::string();
}

void PlacementRecord::finish()
{
    for (Written &record : m_records) {
        ::unlinkat(record.folder.fd(), record.name.c_str(), 0);
        record.entry.release();
    }
    m_records.clear();
}

void PlacementRecord::rollBackEnded(const ScratchFolder &folder, const std::string &record)
{
    const detail::FolderTurn turn(folder.fd());
    const int fd = folder.fd();
    for (const Listed &listed : readRecord(fd, record)) {
        struct stat now, staged, kept;
        if (::fstatat(fd, listed.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const bool stagedThere = ::fstatat(fd, listed.staged.c_str(), &staged, AT_SYMLINK_NOFOLLOW) == 0;
        const bool stagedIsNew = stagedThere && sameFile(staged, listed.made);
        const bool keptThere = ::fstatat(fd, listed.kept.c_str(), &kept, AT_SYMLINK_NOFOLLOW) == 0;
        // The name holds the run's new file; or, with the old file aside and the staged name left
        // by a hard link (or holding it still), a file that looks like it.
        if (!sameFile(now, listed.made) &&
            !(keptThere && (!stagedThere || stagedIsNew) && sameLook(now, listed.made)))
            continue; // not placed, or since replaced by another program: nothing of the run's here
        StagedFile placed;
        placed.m_folder = folder;
        placed.m_name = listed.name;
        placed.m_target = folder.path() + listed.name;
        placed.m_device = now.st_dev;
        placed.m_inode = now.st_ino;
        placed.m_size = now.st_size;
        placed.m_committed = true;
        // Where names are swapped the old file waits under the staged file's name; where a hard
        // link placed the new file, that name may hold it too, and the old one waits aside.
        if (stagedIsNew)
            ::unlinkat(fd, listed.staged.c_str(), 0);
        if (stagedThere && !stagedIsNew)
            placed.m_kept = listed.staged;
        else if (keptThere)
            placed.m_kept = listed.kept;
        placed.undo(true);
    }
}

} // namespace tw
