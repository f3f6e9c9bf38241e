#pragma once
// Whole-file reading and replacing that never trusts the file system: an input is checked before
// a byte of it is read, and an output names the reason when it cannot be written.
#include "base/FileAccess.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <span>

namespace tw
{

// The largest text file (source, listing) any tool takes: far beyond any program an 8051 or 8048
// can hold, small enough that holding it twice in memory is harmless.
constexpr qint64 kMaxTextFileBytes = 64LL * 1024 * 1024;

struct CheckedRead {
    QByteArray bytes;
    ReadFault fault = ReadFault::None;
    QString reason; // the system's reason, in Chinese, when fault is not None
    bool ok() const { return fault == ReadFault::None; }
};

// Reads path whole when it is a regular file (links followed) of at most maxBytes. A device, a
// directory or a larger file is refused without reading it; a file that grows past maxBytes
// while it is read is refused too.
CheckedRead readFileChecked(const QString &path, qint64 maxBytes);

// Replaces the file at path with bytes, as QSaveFile does: a complete temporary beside the file
// is renamed over it, a symbolic link is written through (the link stays a link), and an existing
// file keeps its permissions. Returns an empty text on success, else the reason it failed.
QString replaceFileChecked(const QString &path, QByteArrayView bytes, WriteSync sync);
// The same for a file given as pieces, written one after the other, never joined in memory.
QString replaceFileChecked(const QString &path, std::span<const QByteArrayView> pieces, WriteSync sync);

// The same, replacing only what expected says stood at the name (StagedFile::expect): a file
// changed, replaced or made there since is left as it is, with changedMeanwhile set. Without
// expected, what stands there as the new file is staged.
struct CheckedReplacement {
    QString reason; // empty: written
    bool changedMeanwhile = false;
    FileState written; // what the name holds after the write, while it is still the one written
};
CheckedReplacement replaceFileExpecting(const QString &path, QByteArrayView bytes, WriteSync sync,
                                        const std::optional<FileState> &expected);

// What stands at path now (links followed).
FileState fileStateAt(const QString &path);

// Why the writer refuses path before it asks anything (outputRefusal): a folder or a device in the
// way, a read-only file, a folder that takes no new file, ...; empty when it may be written.
QString outputRefusalAt(const QString &path);

// The message for an output that could not be written: "文件写入失败：PATH（REASON）".
QString writeFailureMessage(const QString &path, const QString &reason);

} // namespace tw
