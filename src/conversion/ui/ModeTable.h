#pragma once
// The conversion window's modes as data, one row per mode: the menu items that open it, its
// captions, which parts of the window it shows (every other part of the list is hidden), what its
// browse buttons ask and when Start may be pressed. The window applies a row when a menu command
// opens it in that mode.
#include "conversion/ConversionMode.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>
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

// The object name of the part's widget, which also names the part in a failure; null for a number
// that is no part, which is what counts the parts below.
constexpr const char *windowPartName(WindowPart part)
{
    switch (part) {
    case WindowPart::InputFrame:
        return "inputFrame";
    case WindowPart::OutputFrame:
        return "outputFrame";
    case WindowPart::FormatFrame:
        return "formatFrame";
    case WindowPart::FillFrame:
        return "fillFrame";
    case WindowPart::StartFrame:
        return "startFrame";
    case WindowPart::OptionsPanel:
        return "optionsPanel";
    case WindowPart::RestorePage:
        return "restorePage";
    case WindowPart::SplitFrame:
        return "splitFrame";
    case WindowPart::MergeOutputFrame:
        return "mergeOutputFrame";
    case WindowPart::RestoreInputFrame:
        return "restoreInputFrame";
    case WindowPart::RestoreOutputFrame:
        return "restoreOutputFrame";
    case WindowPart::MergeFillFrame:
        return "mergeFillFrame";
    case WindowPart::MergeModeFrame:
        return "mergeModeFrame";
    case WindowPart::InputLength:
        return "inputLengthRow";
    case WindowPart::InputStart:
        return "inputStartLabel";
    case WindowPart::MergeStart:
        return "mergeStartRow";
    case WindowPart::SecondLength:
        return "secondLengthRow";
    }
    return nullptr;
}

// The parts are numbered from 0 without gaps, each with its name.
inline constexpr std::size_t kWindowPartCount = countNamed<WindowPart>(windowPartName);
inline constexpr std::array<WindowPart, kWindowPartCount> kAllWindowParts =
    enumValues<WindowPart, kWindowPartCount>();

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

// A row names every field: one left out fails the build, as a missing Start rule would otherwise
// let Start come on with the input alone.
struct ModeRow {
    ModeRow(std::vector<const char *> menuItems, QString windowCaption, QString inputCaption,
            QString outputCaption, std::vector<WindowPart> shown, QString inputFilter,
            OutputDialog outputDialog, QString outputFilter, StartRule rule)
        : menuItems(std::move(menuItems)), windowCaption(std::move(windowCaption)),
          inputCaption(std::move(inputCaption)), outputCaption(std::move(outputCaption)),
          shown(std::move(shown)), inputFilter(std::move(inputFilter)), outputDialog(outputDialog),
          outputFilter(std::move(outputFilter)), rule(rule)
    {
    }

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
