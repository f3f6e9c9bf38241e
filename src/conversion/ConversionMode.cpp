#include "ConversionMode.h"

namespace tw
{

QString modeText(ConversionMode mode)
{
    switch (mode) {
    case ConversionMode::HexToBin:
        return QStringLiteral("hex to bin");
    case ConversionMode::BinToHex:
        return QStringLiteral("bin to hex");
    case ConversionMode::ObjToBin:
        return QStringLiteral("obj to bin");
    case ConversionMode::BinToObj:
        return QStringLiteral("bin to obj");
    case ConversionMode::Disassemble:
        return QStringLiteral(u"反汇编");
    case ConversionMode::Split:
        return QStringLiteral(u"bin 代码拆分");
    case ConversionMode::Merge:
        return QStringLiteral(u"bin 代码合并");
    case ConversionMode::Compare:
        return QStringLiteral(u"文件比较");
    case ConversionMode::Port:
        return QStringLiteral(u"源程序移植");
    case ConversionMode::Restore:
        return QStringLiteral(u"bin 代码还原");
    }
    return QString();
}

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
