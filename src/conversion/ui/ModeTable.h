#pragma once
// The conversion window's modes as data: caption, frame captions and which parts of the window each
// mode shows (every other part of the list is hidden). The window applies a row when a menu command
// opens it in that mode.
#include "conversion/ConversionMode.h"

#include <QString>
#include <initializer_list>
#include <vector>

namespace tw
{

// The parts of the window that the modes show or hide.
enum class WindowPart {
    InputFrame,         // the input path (Frame1)
    OutputFrame,        // the output path, or the second input (Frame2)
    FormatFrame,        // hex format (Frame3)
    FillFrame,          // hex-to-bin fill (Frame4)
    StartFrame,         // bin-to-hex start address (Frame5)
    OptionsPanel,       // CPU, object code, disassembly options (Frame6)
    RestorePage,        // line lists of the restore (Frame7)
    SplitFrame,         // split size and message (Frame8)
    MergeOutputFrame,   // merged file (Frame9)
    RestoreInputFrame,  // Frame10
    RestoreOutputFrame, // Frame11
    MergeFillFrame,     // Frame12
    MergeModeFrame,     // Frame13
    InputLength,        // "文件长度           字节" with the input's length
    InputStart,         // "起始地址  0000H"
    MergeStart,         // "起始地址           H" with the merge start address
    SecondLength,       // "文件长度           字节" with the second input's length
};

inline constexpr WindowPart kAllWindowParts[] = {
    WindowPart::InputFrame,        WindowPart::OutputFrame,        WindowPart::FormatFrame,
    WindowPart::FillFrame,         WindowPart::StartFrame,         WindowPart::OptionsPanel,
    WindowPart::RestorePage,       WindowPart::SplitFrame,         WindowPart::MergeOutputFrame,
    WindowPart::RestoreInputFrame, WindowPart::RestoreOutputFrame, WindowPart::MergeFillFrame,
    WindowPart::MergeModeFrame,    WindowPart::InputLength,        WindowPart::InputStart,
    WindowPart::MergeStart,        WindowPart::SecondLength};

struct ModeRow {
    ConversionMode mode;
    QString windowCaption;
    QString inputCaption;  // the input frame's caption (the restore's input frame in that mode)
    QString outputCaption; // empty: left as it is
    std::vector<WindowPart> shown;
};

const ModeRow &modeRow(ConversionMode mode);

} // namespace tw
