#include "base/FileAccess.h"

#include "base/FileSystemDetail.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <linux/capability.h>
#include <linux/fs.h>
#include <map>
#include <mutex>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>
#include <unistd.h>

namespace tw
{

using detail::Descriptor;
using detail::folderOf;
using detail::followLinks;

namespace
{

FileSystemSeams g_seams;

bool mayActAsOwnerOfAnyFile()
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    return (data[CAP_FOWNER / 32].effective & (1u << (CAP_FOWNER % 32))) != 0;
}

// In a folder with the sticky bit (a shared /tmp-like folder) only the file's owner, the folder's
// owner or a process allowed to act as any owner may remove or replace a file there: a rename
// over another user's file fails, after a kept link of it may already have been made.
bool stickyFolderKeepsFile(const std::string &folder, const struct stat &file)
{
    struct stat info;
    if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0 || !(info.st_mode & S_ISVTX))
        return false;
    const uid_t self = ::geteuid();
    return file.st_uid != self && info.st_uid != self && !mayActAsOwnerOfAnyFile();
}

// File systems whose names are case-sensitive unless a folder carries the casefold flag, and those
// that never are; the rest (FUSE, network shares) are asked with a probe file.
enum class CaseRule { ByFlag, Folds, Probe };
CaseRule caseRuleOf(long type)
{
    switch (static_cast<unsigned long>(type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0x01021994: // tmpfs
    case 0x794C7630: // overlayfs
    case 0xF2F52010: // f2fs
        return CaseRule::ByFlag;
    case 0x4D44:     // vfat, msdos
    case 0x2011BAB0: // exfat
        return CaseRule::Folds;
    default:
        return CaseRule::Probe;
    }
}

std::string swapAsciiCase(std::string name)
{
    for (char &c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

// A name's letter é in its two canonical forms, for the probe.
constexpr std::string_view kComposed = "\xC3\xA9";    // U+00E9
constexpr std::string_view kDecomposed = "e\xCC\x81"; // e + U+0301

bool foundAs(int folder, const std::string &name)
{
    struct stat info;
    return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// Makes a scratch file with an é in its name in the folder and looks it up in the other case of
// its ASCII letters and with its é decomposed; a folder that takes no such name is asked of case
// alone. Nothing where no file can be made (a folder nobody writes to here holds no output of ours).
NameRule probeNameRule(const std::string &folder)
{
    ScratchFolder scratch;
    if (scratch.open(folder) != 0)
        return {};
    for (const bool accented : {true, false}) {
        const std::string tag = accented ? "case-" + std::string(kComposed) + '-' : "case-";
        const std::string name = scratch.scratchName(tag);
        ScratchEntry entry(scratch, name);
        Descriptor fd(::openat(scratch.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.valid())
            continue;
        NameRule rule;
        rule.foldsCase = foundAs(scratch.fd(), swapAsciiCase(name));
        if (accented) {
            std::string decomposed = name;
            decomposed.replace(name.find(kComposed), kComposed.size(), kDecomposed);
            rule.normalises = foundAs(scratch.fd(), decomposed);
        }
        ::unlinkat(scratch.fd(), name.c_str(), 0);
        return rule;
    }
    return {};
}

NameRule askFolder(const std::string &folder)
{
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return {};
    // The kernel's casefold folders (ext4, f2fs, tmpfs) fold and normalise with its UTF-8 tables.
    long flags = 0;
    if (::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL))
        return {.foldsCase = true, .normalises = true};
    struct statfs system;
    if (::fstatfs(fd.get(), &system) != 0)
        return {};
    switch (caseRuleOf(system.f_type)) {
    case CaseRule::ByFlag:
        return {};
    case CaseRule::Folds: // by an up-case table, code unit by code unit: no normalisation
        return {.foldsCase = true, .normalises = false};
    case CaseRule::Probe:
        return probeNameRule(folder.back() == '/' ? folder : folder + '/');
    }
    return {};
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isUtf8(std::string_view text)
{
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(text.data(), i, length, c);
        if (c < 0)
            return false;
    }
    return true;
}

// The form of a UTF-8 name that every spelling the rule finds as it shares. Case is folded in
// full (ß as ss): what simple folding makes one, full folding makes one too, as the full folding
// of a character's simple folding is the character's own. A folder that normalises is matched in
// the decomposed form, before and after the folding (Unicode's canonical caseless match).
std::string matchForm(std::string_view name, NameRule rule)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2 *nfd = rule.normalises ? icu::Normalizer2::getNFDInstance(status) : nullptr;
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(name.data(), static_cast<std::int32_t>(name.size())));
    auto decompose = [&] {
        if (!nfd || U_FAILURE(status))
            return;
        icu::UnicodeString decomposed = nfd->normalize(text, status);
        if (U_SUCCESS(status))
            text = std::move(decomposed);
    };
    decompose();
    if (rule.foldsCase) {
        text.foldCase(U_FOLD_CASE_DEFAULT);
        decompose();
    }
    std::string form;
    return text.toUTF8String(form);
}

// Whether the folder's rule finds one name (no slash in it) as the other.
bool sameName(std::string_view a, std::string_view b, NameRule rule)
{
    if (a == b)
        return true;
    // ASCII needs no tables; a name the file system takes as bytes (not UTF-8) is known by its
    // ASCII letters' case alone.
    if ((isAscii(a) && isAscii(b)) || !isUtf8(a) || !isUtf8(b))
        return rule.foldsCase && equalIgnoringAsciiCase(a, b);
    return matchForm(a, rule) == matchForm(b, rule);
}

// The same rule on two paths, name by name.
bool samePath(std::string_view a, std::string_view b, NameRule rule)
{
    while (true) {
        const std::size_t endA = std::min(a.find('/'), a.size()), endB = std::min(b.find('/'), b.size());
        if (!sameName(a.substr(0, endA), b.substr(0, endB), rule))
            return false;
        if (endA == a.size() || endB == b.size())
            return endA == a.size() && endB == b.size();
        a.remove_prefix(endA + 1);
        b.remove_prefix(endB + 1);
    }
}

} // namespace

void setFileSystemSeams(const FileSystemSeams &seams)
{
    g_seams = seams;
}

const FileSystemSeams &fileSystemSeams()
{
    return g_seams;
}

NameRule folderNameRule(const std::string &folder)
{
    if (g_seams.foldsCase)
        if (const int answer = g_seams.foldsCase(folder); answer >= 0)
            return {.foldsCase = (answer & 1) != 0, .normalises = (answer & 2) != 0};
    struct stat info;
    if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    static std::mutex mutex;
    static std::map<std::pair<dev_t, ino_t>, NameRule> known;
    const auto key = std::make_pair(info.st_dev, info.st_ino);
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (const auto found = known.find(key); found != known.end())
            return found->second;
    }
    const NameRule rule = askFolder(folder);
    std::lock_guard<std::mutex> guard(mutex);
    known[key] = rule;
    return rule;
}

std::string outputRefusal(const std::string &path)
{
    if (path.empty())
        return systemErrorText(ENOENT);
    std::size_t begin = 0;
    while (begin <= path.size()) {
        const std::size_t slash = std::min(path.find('/', begin), path.size());
        if (slash - begin > NAME_MAX)
            return systemErrorText(ENAMETOOLONG);
        begin = slash + 1;
    }
    // The new file is made in the folder of the file the name leads to.
    const std::string folder = folderOf(followLinks(path));
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ELOOP || errno == ENAMETOOLONG)
            return systemErrorText(errno);
    } else if (S_ISDIR(info.st_mode)) {
        return "已有同名的文件夹";
    } else if (!S_ISREG(info.st_mode)) {
        return detail::notAFileReason(info.st_mode);
    } else if (::access(path.c_str(), W_OK) != 0 && errno != ENOENT) {
        // As a shell's ">" would: a file the user may not write is not replaced behind its back. One
        // that has just left the name (a FUSE mount shows it empty for a moment while another
        // program renames a file over it) is no refusal: the writer looks at the name again.
        return errno == EACCES || errno == EPERM ? "文件是只读的，没有写入权限" : systemErrorText(errno);
    } else if (stickyFolderKeepsFile(folder, info)) {
        return "文件属于其他用户，所在的共享文件夹只允许文件的所有者替换它";
    }
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) {
        if (errno != EACCES && errno != EPERM)
            return systemErrorText(errno);
        return "文件夹不允许新建文件：" + detail::folderName(folder);
    }
    return std::string();
}

FileIdentity fileIdentity(const std::string &path)
{
    FileIdentity identity;
    const std::string target = followLinks(path);
    struct stat info;
    if (::stat(target.c_str(), &info) == 0) {
        identity.exists = true;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
    }
    const std::string folder = folderOf(target);
    std::string name = target.substr(folder.size());
    char *real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (real) {
        const std::string resolved = real;
        std::free(real);
        if (::stat(resolved.c_str(), &info) == 0)
            identity.folderDevice = info.st_dev;
        identity.names = folderNameRule(resolved);
        identity.path = resolved;
        if (identity.path.back() != '/')
            identity.path += '/';
        identity.path += name;
    } else {
        // A folder still to be made: its path as written, made absolute and cleaned.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(target, error);
        identity.path = (error ? std::filesystem::path(target) : absolute).lexically_normal().string();
    }
    return identity;
}

bool FileIdentity::sameAs(const FileIdentity &other) const
{
    if (exists && other.exists && device == other.device && inode == other.inode)
        return true;
    if (path.empty() || other.path.empty())
        return false;
    if (path == other.path)
        return true;
    // On such a file system one file may even answer with another inode per spelling.
    const NameRule rule = {.foldsCase = names.foldsCase || other.names.foldsCase,
                           .normalises = names.normalises || other.names.normalises};
    return (rule.foldsCase || rule.normalises) && folderDevice == other.folderDevice &&
           samePath(path, other.path, rule);
}

FileState fileStateOf(const std::string &path)
{
    struct stat info;
    if (path.empty() || ::stat(followLinks(path).c_str(), &info) != 0)
        return FileState();
    return detail::fileStateFrom(info);
}

} // namespace tw
