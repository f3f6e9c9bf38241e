#include "base/FileSystemDetail.h"

#include <acl/libacl.h>
#include <attr/error_context.h>
#include <attr/libattr.h>
#include <sys/acl.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::detail
{

namespace
{

int setMode(int fd, mode_t mode)
{
    if (const auto stand = fileSystemSeams().setMode)
        return stand(fd, mode);
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

// How a file system that keeps no modes or owners (FAT, exFAT, many FUSE and network mounts)
// answers chmod; the file then has the mode that file system gives every file, as after a cp.
bool keepsNoModes(int error)
{
    return error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP || error == EPERM;
}

// How a file system without ACLs or extended attributes answers when they are read: nothing to
// carry.
bool keepsNoAcls(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS;
}

std::string aclReason(int error)
{
    return "原文件的访问控制列表无法沿用到新文件：" + systemErrorText(error);
}

std::string attributeReason(const std::string &name, int error)
{
    return "原文件的扩展属性" + (name.empty() ? std::string() : " " + name + " ") + "无法沿用到新文件：" +
           systemErrorText(error);
}

// A file whose group could not be kept lets its new group do no more than others could.
mode_t heldToOthers(mode_t mode)
{
    return (mode & ~(S_ISGID | S_IRWXG)) | (mode & S_IRWXG & ((mode & S_IRWXO) << 3));
}

void holdGroupEntryToOthers(acl_t acl)
{
    acl_permset_t group = nullptr, others = nullptr;
    acl_entry_t entry;
    for (int which = ACL_FIRST_ENTRY; ::acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag;
        if (::acl_get_tag_type(entry, &tag) != 0)
            continue;
        if (tag == ACL_GROUP_OBJ)
            ::acl_get_permset(entry, &group);
        else if (tag == ACL_OTHER)
            ::acl_get_permset(entry, &others);
    }
    if (group && others)
        for (const acl_perm_t perm : {ACL_READ, ACL_WRITE, ACL_EXECUTE})
            if (::acl_get_perm(others, perm) != 1)
                ::acl_delete_perm(group, perm);
}

struct AclFree {
    void operator()(void *acl) const { ::acl_free(acl); }
};
using Acl = std::unique_ptr<std::remove_pointer_t<acl_t>, AclFree>;

// The old file's access ACL onto the new file, whose mode is set already; 0 or the error. A minimal
// ACL is the mode itself: then only an ACL the new file took from its folder's default is replaced.
int carryAcl(int oldFd, const std::string &oldPath, int newFd, mode_t mode, bool groupKept)
{
    Acl acl(oldFd >= 0 ? ::acl_get_fd(oldFd) : ::acl_get_file(oldPath.c_str(), ACL_TYPE_ACCESS));
    if (!acl)
        return keepsNoAcls(errno) ? 0 : errno;
    if (::acl_equiv_mode(acl.get(), nullptr) == 0) {
        if (::acl_extended_fd(newFd) != 1)
            return 0;
        acl.reset(::acl_from_mode(mode));
        if (!acl)
            return errno;
    } else if (!groupKept) {
        holdGroupEntryToOthers(acl.get());
    }
    return ::acl_set_fd(newFd, acl.get()) == 0 ? 0 : errno;
}

// One pass of libattr over the old file's extended attributes. libattr hands the context back to
// both callbacks; it is the first member, so the pass is found from it.
struct AttributePass {
    error_context context;
    bool required;           // user.*, each of which must come across; else security.* and trusted.*
    const char *current;     // the attribute libattr last took up
    int error;               // the first failure that counts
    std::string *failedName; // its attribute, where libattr names one
};

AttributePass &passOf(error_context *context)
{
    return *reinterpret_cast<AttributePass *>(context);
}

// What /etc/xattr.conf says of an attribute: skip (attributes only the kernel writes, a file
// system's own), permissions (the ACLs, which carryAcl takes), or 0. libattr reads the file at
// the first call, unguarded.
int configuredAction(const char *name)
{
    static std::mutex reading;
    const std::lock_guard<std::mutex> hold(reading);
    return ::attr_copy_action(name, nullptr);
}

int carried(const char *name, error_context *context)
{
    AttributePass &pass = passOf(context);
    pass.current = name;
    if (configuredAction(name) != 0)
        return 0;
    const std::string_view attribute(name);
    if (pass.required)
        return attribute.starts_with("user.");
    return attribute.starts_with("security.") || attribute.starts_with("trusted.");
}

// libattr's report of an attribute that could not be read or set, with errno still its call's. A
// refusal of the set as one summary (ENOTSUP) names no attribute.
void noteFailure(error_context *context, const char *, ...)
{
    const int error = errno != 0 ? errno : EIO;
    AttributePass &pass = passOf(context);
    // Security labels and trusted attributes come across where the process may set them, as a
    // copy by cp -a keeps them; the system then gives the file its own.
    if (!pass.required && (error == EPERM || error == EACCES || error == ENOTSUP))
        return;
    if (pass.error != 0)
        return;
    pass.error = error;
    if (error != ENOTSUP && pass.current)
        *pass.failedName = pass.current;
}

int carryAttributes(int oldFd, const std::string &oldPath, int newFd, const std::string &newPath,
                    bool required, std::string &failedName)
{
    AttributePass pass{{noteFailure, nullptr, nullptr}, required, nullptr, 0, &failedName};
    if (oldFd >= 0)
        ::attr_copy_fd(oldPath.c_str(), oldFd, newPath.c_str(), newFd, carried, &pass.context);
    else
        ::attr_copy_file(oldPath.c_str(), newPath.c_str(), carried, &pass.context);
    return pass.error;
}

} // namespace

int carryAccessRights(int folder, const std::string &name, const struct stat &old, int oldFd, int newFd,
                      const std::string &newName, std::string &reason, bool mayOpen)
{
    auto fail = [&reason](int error, std::string text) {
        reason = std::move(text);
        return error;
    };
    // The owner and group where they may be set, else the group alone where the process belongs to
    // it; else the file becomes the process's own, as with any editor's save.
    if (::fchown(newFd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(newFd, static_cast<uid_t>(-1), old.st_gid);
    }
    struct stat made;
    if (::fstat(newFd, &made) != 0) {
        const int error = errno;
        return fail(error, systemErrorText(error));
    }
    const bool groupKept = made.st_gid == old.st_gid;
    // A set-id bit means the owner or group it was set for, and nobody else.
    mode_t mode = old.st_mode & 07777;
    if (made.st_uid != old.st_uid)
        mode &= ~S_ISUID;
    if (!groupKept)
        mode = heldToOthers(mode);
    if (const int error = setMode(newFd, mode); error != 0 && !keepsNoModes(error))
        return fail(error, systemErrorText(error));

    // The ACL and the attributes are read from the old file opened for reading. One the process may
    // write but not read is reached by its name within the folder, which needs no read permission
    // for the ACL (its user.* attributes cannot be read: the run fails on them).
    Descriptor opened(-1);
    std::string oldPath = name, newPath = newName;
    if (oldFd < 0) {
        if (mayOpen)
            opened.reset(::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        const int error = !mayOpen ? EPERM : opened.valid() ? 0 : errno;
        oldFd = opened.get();
        if (error == ENOENT) // gone meanwhile: the name is empty, there is nothing to carry
            return 0;
        if (error != 0 && error != EACCES && error != EPERM)
            return fail(error, aclReason(error));
        if (error != 0) {
            const std::string inFolder = "/proc/self/fd/" + std::to_string(folder) + "/";
            oldPath = inFolder + name;
            newPath = inFolder + newName;
        }
    }
    // Read by name, the old file may have left it meanwhile (a FUSE mount shows a name empty for a
    // moment while another program renames a file over it): then there is nothing to carry.
    const auto gone = [oldFd](int error) { return oldFd < 0 && error == ENOENT; };
    if (const int error = carryAcl(oldFd, oldPath, newFd, mode, groupKept); error != 0)
        return gone(error) ? 0 : fail(error, aclReason(error));
    for (const bool required : {true, false}) {
        std::string failedName;
        if (const int error = carryAttributes(oldFd, oldPath, newFd, newPath, required, failedName);
            error != 0)
            return gone(error) ? 0 : fail(error, attributeReason(failedName, error));
    }
    return 0;
}

} // namespace tw::detail
