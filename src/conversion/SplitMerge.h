#pragma once
// "bin 代码拆分" cuts a code image into the on-chip part of a chosen size and the rest;
// "bin 代码合并" joins two images, directly or with the second at a start address.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace tw
{

class Prompter;

// "1KB", "2KB", "4KB", "8KB": the size in bytes; any other text: std::nullopt.
std::optional<int> splitSize(const QString &sizeText);

// The part names: the input path without its last four characters, plus "_1.bin" or "_2.bin".
QString splitPartPath(const QString &input, int part);

struct SplitResult {
    bool written = false;
    QString firstPart;
    QString secondPart;
    QString summary; // the split label's text once both parts are written
};

// The whole command: checks, the "too small" notice, both parts written, the summary.
SplitResult splitImage(Prompter &prompter, const QString &input, const QString &sizeText);

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

// The whole command: checks, the name guard, the address check, the output, "合并完成！".
bool mergeImages(Prompter &prompter, const MergeJob &job);

} // namespace tw
