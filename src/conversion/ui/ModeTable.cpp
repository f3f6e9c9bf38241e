#include "ModeTable.h"

#include "common/InternalError.h"
#include "conversion/Messages.h"
#include "workspace/MenuNames.h"

namespace tw
{

namespace
{

using P = WindowPart;

ModeRow rowOf(ConversionMode mode)
{
    const QString fileFormat = ConvText::FileFormatCaption;
    const QString toConvert = ConvText::ConvertInputCaption;
    const QString saveAs = ConvText::ConvertOutputCaption;
    const QString own = modeText(mode);
    switch (mode) {
    case ConversionMode::HexToBin:
        return {{Menu::HexToBin},
                fileFormat,
                toConvert,
                saveAs,
                {P::InputFrame, P::OutputFrame, P::FormatFrame, P::FillFrame},
                FileFilter::Hex,
                OutputDialog::Save,
                FileFilter::Bin,
                StartRule::Paths};
    case ConversionMode::BinToHex:
        return {{Menu::BinToHex},
                fileFormat,
                toConvert,
                saveAs,
                {P::InputFrame, P::OutputFrame, P::StartFrame},
                FileFilter::BinOrAll,
                OutputDialog::Save,
                FileFilter::Hex,
                StartRule::StartAddress};
    case ConversionMode::ObjToBin:
        return {{Menu::ObjToBin},
                fileFormat,
                toConvert,
                saveAs,
                {P::InputFrame, P::OutputFrame},
                FileFilter::Obj,
                OutputDialog::Save,
                FileFilter::Bin,
                StartRule::Paths};
    case ConversionMode::BinToObj:
        return {{Menu::BinToObj},
                fileFormat,
                toConvert,
                saveAs,
                {P::InputFrame, P::OutputFrame},
                FileFilter::Bin,
                OutputDialog::Save,
                FileFilter::Obj,
                StartRule::Paths};
    case ConversionMode::Disassemble:
        return {{Menu::Disassemble51, Menu::Disassemble48},
                own,
                ConvText::DisassemblyInputCaption,
                ConvText::DisassemblyOutputCaption,
                {P::InputFrame, P::OutputFrame, P::OptionsPanel},
                FileFilter::BinOrAll,
                OutputDialog::Save,
                FileFilter::Source,
                StartRule::Paths};
    case ConversionMode::Split:
        return {{Menu::BinSplit},
                fileFormat,
                ConvText::SplitInputCaption,
                QString(),
                {P::InputFrame, P::InputLength, P::InputStart, P::SplitFrame},
                FileFilter::BinOrAll,
                OutputDialog::None,
                QString(),
                StartRule::Input};
    case ConversionMode::Merge:
        return {{Menu::BinMerge},
                fileFormat,
                ConvText::FirstMergeInputCaption,
                ConvText::SecondMergeInputCaption,
                {P::InputFrame, P::InputLength, P::InputStart, P::OutputFrame, P::SecondLength,
                 P::MergeOutputFrame, P::MergeModeFrame},
                FileFilter::BinOrAll,
                OutputDialog::Open,
                FileFilter::BinOrAll,
                StartRule::Merge};
    case ConversionMode::Compare:
        return {{Menu::FileCompare},
                own,
                ConvText::FirstCompareInputCaption,
                ConvText::SecondCompareInputCaption,
                {P::InputFrame, P::InputLength, P::OutputFrame, P::SecondLength},
                FileFilter::Compare,
                OutputDialog::Open,
                FileFilter::Compare,
                StartRule::Paths};
    case ConversionMode::Port:
        return {{Menu::Port48To51},
                own,
                ConvText::PortInputCaption,
                ConvText::PortOutputCaption,
                {P::InputFrame, P::OutputFrame, P::OptionsPanel},
                FileFilter::Source,
                OutputDialog::Save,
                FileFilter::Source,
                StartRule::Paths};
    case ConversionMode::Restore:
        return {{Menu::BinRestore},
                own,
                ConvText::RestoreInputCaption,
                ConvText::RestoreOutputCaption,
                {P::RestorePage, P::RestoreInputFrame, P::RestoreOutputFrame},
                FileFilter::BinOrAll,
                OutputDialog::Save,
                FileFilter::Bin,
                StartRule::RestorePaths};
    }
    internalError("a conversion mode without a row");
}

} // namespace

const ModeRow &modeRow(ConversionMode mode)
{
    static const std::vector<ModeRow> rows = [] {
        std::vector<ModeRow> made;
        made.reserve(kModeCount);
        for (ConversionMode each : kAllModes)
            made.push_back(rowOf(each));
        return made;
    }();
    return rows[static_cast<std::size_t>(mode)];
}

} // namespace tw
