#pragma once
// The conversion window's Start button as one call: the checks of the window's mode, then the tool
// of that mode (obj/bin, hex/bin, split, merge, compare, disassembly, porting). The outcome says
// what the window does afterwards with the main window and itself.
#include "ConversionMode.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace tw
{

class Prompter;

// What the window holds when Start is pressed.
struct ConversionRequest {
    ConversionMode mode = ConversionMode::HexToBin;
    QString input;        // the first path box
    QString output;       // the second path box: the output, or the second input of merge and compare
    QString startAddress; // bin to hex: the image's start address
    QString mergeOutput;  // the merged file
    QString mergeStart;   // merge by address: where the second file starts
    QString rangeStart;   // disassembly range, read as four hexadecimal positions
    QString rangeEnd;
    QString splitSize; // "1KB" .. "8KB"
    QChar hexFormat = u'i';
    QChar hexFill = u'0';
    std::uint8_t mergeFill = 0x00;
    bool mergeByAddress = false;
    int cpu = 0;              // 0 MCS-51, 1 MCS-48
    bool partialCode = false; // "部分代码": the MCS-48 image's first byte belongs at the start address
};

struct StartOutcome {
    // The current code-image path to hand to the main window (the disassembly's input).
    std::optional<QString> currentBinPath;
    // A result to open in an editor (the user answered Yes); caption empty means the path.
    QString openPath;
    QString openCaption;
    // The disassembly and the porting also enable the editor's file, select and find items and
    // start the main window's file dialogs from the opened file.
    bool enableEditorItems = false;
    bool closeWindow = false;
    // The split's result for the window's message label.
    std::optional<QString> splitSummary;
};

StartOutcome runStart(Prompter &prompter, const ConversionRequest &request);

} // namespace tw
