#pragma once
// The modes of the conversion window and their heading texts, which are also the texts the window
// shows as its mode. The enum is the one count of the modes: every per-mode table is a switch over
// it or is indexed by it, so that a mode missing from one fails the build.
#include "base/EnumValues.h"

#include <QString>
#include <array>
#include <cstddef>
#include <optional>

namespace tw
{

enum class ConversionMode {
    HexToBin,
    BinToHex,
    ObjToBin,
    BinToObj,
    Disassemble,
    Split,
    Merge,
    Compare,
    Port,
    Restore,
};

// "hex to bin", ..., "bin 代码还原"; null for a number that is no mode, which is what counts the
// modes below.
constexpr const char16_t *modeHeading(ConversionMode mode)
{
    switch (mode) {
    case ConversionMode::HexToBin:
        return u"hex to bin";
    case ConversionMode::BinToHex:
        return u"bin to hex";
    case ConversionMode::ObjToBin:
        return u"obj to bin";
    case ConversionMode::BinToObj:
        return u"bin to obj";
    case ConversionMode::Disassemble:
        return u"反汇编";
    case ConversionMode::Split:
        return u"bin 代码拆分";
    case ConversionMode::Merge:
        return u"bin 代码合并";
    case ConversionMode::Compare:
        return u"文件比较";
    case ConversionMode::Port:
        return u"源程序移植";
    case ConversionMode::Restore:
        return u"bin 代码还原";
    }
    return nullptr;
}

// The modes are numbered from 0 without gaps, each with its heading.
inline constexpr std::size_t kModeCount = countNamed<ConversionMode>(modeHeading);
inline constexpr std::array<ConversionMode, kModeCount> kAllModes = enumValues<ConversionMode, kModeCount>();

inline QString modeText(ConversionMode mode)
{
    return QString::fromUtf16(modeHeading(mode));
}

// The modes that make one file of one input propose its name: the input's last three characters
// replaced by the output's extension. A chosen input always proposes it; a typed one once it ends
// in the input's extension, all lower or all upper case.
struct OutputProposal {
    QString inputEnding;     // ".hex"
    QString outputExtension; // "bin"
};
// std::nullopt for the modes that propose nothing.
std::optional<OutputProposal> outputProposal(ConversionMode mode);

} // namespace tw
