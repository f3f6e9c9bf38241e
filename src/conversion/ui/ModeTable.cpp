#include "ModeTable.h"

#include "conversion/Messages.h"

#include <array>

namespace tw
{

namespace
{

using P = WindowPart;

std::array<ModeRow, 10> buildRows()
{
    const QString fileFormat = ConvText::FileFormatCaption;
    const QString toConvert = ConvText::ConvertInputCaption;
    const QString saveAs = ConvText::ConvertOutputCaption;
    auto own = [](ConversionMode mode) { return modeText(mode); };
    return {{
        {ConversionMode::HexToBin,
         fileFormat,
         toConvert,
         saveAs,
         {P::InputFrame, P::OutputFrame, P::FormatFrame, P::FillFrame}},
        {ConversionMode::BinToHex,
         fileFormat,
         toConvert,
         saveAs,
         {P::InputFrame, P::OutputFrame, P::StartFrame}},
        {ConversionMode::ObjToBin, fileFormat, toConvert, saveAs, {P::InputFrame, P::OutputFrame}},
        {ConversionMode::BinToObj, fileFormat, toConvert, saveAs, {P::InputFrame, P::OutputFrame}},
        {ConversionMode::Split,
         fileFormat,
         ConvText::SplitInputCaption,
         QString(),
         {P::InputFrame, P::InputLength, P::InputStart, P::SplitFrame}},
        {ConversionMode::Merge,
         fileFormat,
         ConvText::FirstMergeInputCaption,
         ConvText::SecondMergeInputCaption,
         {P::InputFrame, P::InputLength, P::InputStart, P::OutputFrame, P::SecondLength, P::MergeOutputFrame,
          P::MergeModeFrame}},
        {ConversionMode::Compare,
         own(ConversionMode::Compare),
         ConvText::FirstCompareInputCaption,
         ConvText::SecondCompareInputCaption,
         {P::InputFrame, P::InputLength, P::OutputFrame, P::SecondLength}},
        {ConversionMode::Port,
         own(ConversionMode::Port),
         ConvText::PortInputCaption,
         ConvText::PortOutputCaption,
         {P::InputFrame, P::OutputFrame, P::OptionsPanel}},
        {ConversionMode::Restore,
         own(ConversionMode::Restore),
         ConvText::RestoreInputCaption,
         ConvText::RestoreOutputCaption,
         {P::RestorePage, P::RestoreInputFrame, P::RestoreOutputFrame}},
        {ConversionMode::Disassemble,
         own(ConversionMode::Disassemble),
         ConvText::DisassemblyInputCaption,
         ConvText::DisassemblyOutputCaption,
         {P::InputFrame, P::OutputFrame, P::OptionsPanel}},
    }};
}

} // namespace

const ModeRow &modeRow(ConversionMode mode)
{
    static const std::array<ModeRow, 10> rows = buildRows();
    for (const ModeRow &row : rows)
        if (row.mode == mode)
            return row;
    return rows.front();
}

} // namespace tw
