#include "ConversionMode.h"

namespace tw
{

std::optional<OutputProposal> outputProposal(ConversionMode mode)
{
    switch (mode) {
    case ConversionMode::HexToBin:
        return OutputProposal{QStringLiteral(".hex"), QStringLiteral("bin")};
    case ConversionMode::BinToHex:
        return OutputProposal{QStringLiteral(".bin"), QStringLiteral("hex")};
    case ConversionMode::ObjToBin:
        return OutputProposal{QStringLiteral(".obj"), QStringLiteral("bin")};
    case ConversionMode::BinToObj:
        return OutputProposal{QStringLiteral(".bin"), QStringLiteral("obj")};
    case ConversionMode::Disassemble:
        return OutputProposal{QStringLiteral(".bin"), QStringLiteral("asm")};
    case ConversionMode::Split:
    case ConversionMode::Merge:
    case ConversionMode::Compare:
    case ConversionMode::Port:
    case ConversionMode::Restore:
        break;
    }
    return std::nullopt;
}

} // namespace tw
