#pragma once
// The conversion window's modes as data, one row per mode: the menu items that open it, its
// captions, which parts of the window it shows (every other part of the list is hidden), what its
// browse buttons ask and when Start may be pressed. The window applies a row when a menu command
// opens it in that mode.
#include "conversion/ConversionMode.h"

#include <QString>
#include <algorithm>
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

// When the mode's button is enabled: the input alone, both paths, both paths and the start
// address, the merge's three paths and (by address) its start address, or (the restore page's own
// button) both of the page's paths.
enum class StartRule { Input, Paths, StartAddress, Merge, RestorePaths };

// What the output frame's browse button opens: a save dialog, an open dialog for a second input,
// or nothing (the mode has no output frame).
enum class OutputDialog { Save, Open, None };

// The file dialogs' filters. Linux names are case-sensitive: each pattern is offered in both cases.
namespace FileFilter
{
inline const QString Hex = QStringLiteral(u"十六进制代码文件 (*.hex *.HEX)");
inline const QString Obj = QStringLiteral("Text Files (*.obj *.OBJ)");
inline const QString Bin = QStringLiteral(u"二进制代码文件 (*.bin *.BIN)");
inline const QString BinOrAll = Bin + QStringLiteral(";;All Files (*)");
inline const QString Compare =
    Bin + QStringLiteral(";;Text Files (*.lst *.LST);;Text Files (*.lt *.LT);;All Files (*)");
inline const QString Source = QStringLiteral(u"源程序文件 (*.asm *.ASM);;All Files (*)");
} // namespace FileFilter

struct ModeRow {
    // The menu items that open the mode (the disassembly's: MCS-51's, then MCS-48's).
    std::vector<const char *> menuItems;
    QString windowCaption;
    // The input frame's caption (the restore page's in that mode), also its dialog's title.
    QString inputCaption;
    // The output frame's caption, also its dialog's title; empty: the frame is left as it is.
    QString outputCaption;
    std::vector<WindowPart> shown;
    QString inputFilter;
    OutputDialog outputDialog;
    QString outputFilter;
    // The rule a choice in one of the mode's dialogs applies.
    StartRule rule;
};

const ModeRow &modeRow(ConversionMode mode);

inline bool shows(const ModeRow &row, WindowPart part)
{
    return std::find(row.shown.begin(), row.shown.end(), part) != row.shown.end();
}

} // namespace tw
