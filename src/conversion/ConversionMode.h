#pragma once
// The ten modes of the conversion window and their heading texts, which are also the texts the
// window shows as its mode.
#include <QString>
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

inline constexpr ConversionMode kAllConversionModes[] = {
    ConversionMode::HexToBin,    ConversionMode::BinToHex, ConversionMode::ObjToBin, ConversionMode::BinToObj,
    ConversionMode::Disassemble, ConversionMode::Split,    ConversionMode::Merge,    ConversionMode::Compare,
    ConversionMode::Port,        ConversionMode::Restore};

// "hex to bin", ..., "bin 代码还原".
QString modeText(ConversionMode mode);
std::optional<ConversionMode> modeFromText(const QString &text);

} // namespace tw
