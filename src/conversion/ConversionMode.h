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

// "hex to bin", ..., "bin 代码还原".
QString modeText(ConversionMode mode);

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
