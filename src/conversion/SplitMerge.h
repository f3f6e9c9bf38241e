#pragma once
// "bin 代码拆分" cuts a code image into the on-chip part of a chosen size and the rest;
// "bin 代码合并" joins two images, directly or with the second at a start address.
#include "base/ToolOutcome.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace tw
{

// "1KB", "2KB", "4KB", "8KB": the size in bytes; any other text: std::nullopt.
std::optional<int> splitSize(const QString &sizeText);

// The part names, in the input's folder: the input's file name without its extension, plus "_1.bin"
// or "_2.bin". The extension is the name's last four characters when they are a dot and three
// more, else what follows the name's last dot; a name without a dot keeps all of it.
QString splitPartPath(const QString &input, int part);

// The split label's text once both parts are written.
QString splitSummary(const QString &input);

// The whole command: checks, the "too small" notice, both parts (both written, or neither).
ToolOutcome splitImage(const QString &input, const QString &sizeText);

struct MergeJob {
    QString first;
    QString second;
    QString output;
    bool byAddress = false;
    QString startText;        // the start address of the second file (by address only)
    std::uint8_t fill = 0x00; // the gap bytes (by address only)
};

// The merged bytes; std::nullopt when the second file would start inside the first.
std::optional<QByteArray> mergedImage(const QByteArray &first, const QByteArray &second, bool byAddress,
                                      int start, std::uint8_t fill);

// The whole command: checks, the name guard, the address check, the output, "合并完成！". A refused
// merge leaves whatever is at the output's path as it was.
ToolOutcome mergeImages(const MergeJob &job);

} // namespace tw
