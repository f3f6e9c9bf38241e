#include "base/FileAccess.h"

#include "base/FileSystemDetail.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw
{

using detail::Descriptor;

namespace
{

class StringBuffer final : public ReadBuffer
{
  public:
    explicit StringBuffer(std::string &bytes) : m_bytes(bytes) {}
    char *resize(std::size_t size) override
    {
        m_bytes.resize(size);
        return m_bytes.data();
    }

  private:
    std::string &m_bytes;
};

std::string tooLargeReason(std::int64_t maxBytes)
{
    return "文件超过 " + std::to_string(maxBytes) + " 字节";
}

// Opens an input under the checked read's rules; info receives what fstat found.
ReadFault openInput(const std::string &path, std::int64_t maxBytes, Descriptor &fd, struct stat &info,
                    std::string &reason)
{
    auto refuse = [&](ReadFault fault, std::string why) {
        reason = std::move(why);
        return fault;
    };
    if (path.empty())
        return refuse(ReadFault::CannotOpen, systemErrorText(ENOENT));
    // Non-blocking, so that opening a pipe with no writer cannot hang; the type is checked on
    // the open descriptor, so a name swapped after a check cannot slip through.
    fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return refuse(ReadFault::CannotOpen, systemErrorText(errno));
    if (::fstat(fd.get(), &info) != 0)
        return refuse(ReadFault::CannotOpen, systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(ReadFault::NotAFile, detail::notAFileReason(info.st_mode));
    if (info.st_size > maxBytes)
        return refuse(ReadFault::TooLarge, tooLargeReason(maxBytes));
    return ReadFault::None;
}

} // namespace

ReadFault readFileInto(const std::string &path, std::int64_t maxBytes, ReadBuffer &buffer,
                       std::string &reason)
{
    auto refuse = [&](ReadFault fault, std::string why) {
        reason = std::move(why);
        return fault;
    };
    struct stat info;
    Descriptor fd(-1);
    if (const ReadFault fault = openInput(path, maxBytes, fd, info, reason); fault != ReadFault::None)
        return fault;
    const auto tooLarge = [&] { return tooLargeReason(maxBytes); };
    // One byte more than allowed tells a file that grew since fstat (or a /proc file that reports
    // no size) from one that fits.
    std::size_t size = static_cast<std::size_t>(info.st_size) + 1;
    char *data = buffer.resize(size);
    std::size_t used = 0;
    for (;;) {
        if (used == size) {
            if (static_cast<std::int64_t>(used) > maxBytes)
                return refuse(ReadFault::TooLarge, tooLarge());
            size = static_cast<std::size_t>(
                std::min<std::int64_t>(maxBytes + 1, static_cast<std::int64_t>(used) * 2 + 4096));
            data = buffer.resize(size);
        }
        const ssize_t got = ::read(fd.get(), data + used, size - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return refuse(ReadFault::ReadError, systemErrorText(errno));
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    if (static_cast<std::int64_t>(used) > maxBytes)
        return refuse(ReadFault::TooLarge, tooLarge());
    buffer.resize(used);
    return ReadFault::None;
}

CheckedInput::~CheckedInput()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ReadFault CheckedInput::open(const std::string &path, std::int64_t maxBytes, std::string &reason)
{
    Descriptor fd(-1);
    struct stat info;
    const ReadFault fault = openInput(path, maxBytes, fd, info, reason);
    if (fault != ReadFault::None)
        return fault;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd.release();
    m_size = info.st_size;
    return ReadFault::None;
}

std::int64_t CheckedInput::read(char *data, std::size_t size, std::string &reason)
{
    std::size_t used = 0;
    while (used < size) {
        const ssize_t got = ::read(m_fd, data + used, size - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            reason = systemErrorText(errno);
            return -1;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(used);
}

PlainRead readFilePlain(const std::string &path, std::int64_t maxBytes)
{
    PlainRead result;
    StringBuffer buffer(result.bytes);
    result.fault = readFileInto(path, maxBytes, buffer, result.reason);
    if (!result.ok())
        result.bytes.clear();
    return result;
}

} // namespace tw
