#include "ModeTable.h"

#include <array>

namespace tw
{

namespace
{

using P = WindowPart;

std::array<ModeRow, 10> buildRows()
{
    const QString fileFormat = QStringLiteral(u"文件格式转换");
    const QString toConvert = QStringLiteral(u"请选择待转换的文件");
    const QString saveAs = QStringLiteral(u"转换后的文件另存为");
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
         QStringLiteral(u"请选择待拆分的文件"),
         QString(),
         {P::InputFrame, P::InputLength, P::InputStart, P::SplitFrame}},
        {ConversionMode::Merge,
         fileFormat,
         QStringLiteral(u"请选择待合并的第一个文件"),
         QStringLiteral(u"请选择待合并的第二个文件"),
         {P::InputFrame, P::InputLength, P::InputStart, P::OutputFrame, P::SecondLength, P::MergeOutputFrame,
          P::MergeModeFrame}},
        {ConversionMode::Compare,
         own(ConversionMode::Compare),
         QStringLiteral(u"请选择待比较的第一个文件"),
         QStringLiteral(u"请选择待比较的第二个文件"),
         {P::InputFrame, P::InputLength, P::OutputFrame, P::SecondLength}},
        {ConversionMode::Port,
         own(ConversionMode::Port),
         QStringLiteral(u"请选择待移植的文件"),
         QStringLiteral(u"移植后的文件另存为"),
         {P::InputFrame, P::OutputFrame, P::OptionsPanel}},
        {ConversionMode::Restore,
         own(ConversionMode::Restore),
         QStringLiteral(u"请选择待还原的文件"),
         QStringLiteral(u"还原后的文件另存为"),
         {P::RestorePage, P::RestoreInputFrame, P::RestoreOutputFrame}},
        {ConversionMode::Disassemble,
         own(ConversionMode::Disassemble),
         QStringLiteral(u"请选择待反汇编的文件"),
         QStringLiteral(u"反汇编后的文件另存为"),
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
