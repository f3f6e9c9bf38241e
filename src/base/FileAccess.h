#pragma once
// Whole-file reading and replacing on the bare system calls, for the tools that run without Qt.
// Paths are the bytes of the file name (the local 8-bit encoding); reasons and messages are UTF-8.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tw
{

enum class ReadFault {
    None,
    CannotOpen, // missing, no permission, a name too long
    NotAFile,   // a directory, a device, a pipe or a socket
    TooLarge,   // larger than the caller can use
    ReadError,  // the read itself failed part way
};

// Where a checked read puts the bytes: the caller's own buffer type.
class ReadBuffer
{
  public:
    // Makes the buffer size bytes long, keeping what it holds; returns its first byte.
    virtual char *resize(std::size_t size) = 0;

  protected:
    ~ReadBuffer() = default;
};

// Reads path whole into buffer when it is a regular file (links followed) of at most maxBytes. A
// device, a directory or a larger file is refused without reading it; a file that grows past
// maxBytes while it is read is refused too. On a fault, reason holds the system's reason and the
// buffer's contents are undefined.
ReadFault readFileInto(const std::string &path, std::int64_t maxBytes, ReadBuffer &buffer,
                       std::string &reason);

struct PlainRead {
    std::string bytes;
    ReadFault fault = ReadFault::None;
    std::string reason;
    bool ok() const { return fault == ReadFault::None; }
};
PlainRead readFilePlain(const std::string &path, std::int64_t maxBytes);

// How a whole-file write reaches the disk. Both replace the old file only once the new one is
// complete. Durable also syncs the new file first, so that a crash right after the save cannot
// leave an empty document: for what the user wrote. Generated files (listings, reports, code
// images) are written again by the next run and need not wait for the disk.
enum class WriteSync { Durable, Generated };

// Replaces the file at path with the pieces, written one after the other, never joined in memory:
// a complete temporary beside the file is renamed over it, a symbolic link is written through (the
// link stays a link), and an existing file keeps its permissions. A device or pipe is written in
// place. Returns an empty text on success, else the reason it failed.
std::string replaceFilePlain(const std::string &path, std::span<const std::string_view> pieces,
                             WriteSync sync);

// Removes the stale output of a failed run. A link stays, and the regular file it names is
// emptied, keeping its mode for the next run to write through; a device or folder is left alone.
void removeStaleOutputPlain(const std::string &path);

// The reason for a system error number, in the program's language.
std::string systemErrorText(int errorNumber);

// The message for an output that could not be written: "文件写入失败：PATH（REASON）".
std::string writeFailureText(std::string_view path, std::string_view reason);

} // namespace tw
