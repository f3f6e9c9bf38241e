#pragma once
// The conversion window's Start button as a plan: the checks of the window's mode, then the tool
// of that mode (obj/bin, hex/bin, split, merge, compare, disassembly, porting), giving what is to
// be said and written. The window (or the driver) carries the plan's outcome out with the one
// writer; settleStart then says what the window does afterwards with the main window and itself.
#include "ConversionMode.h"
#include "base/ToolOutcome.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace tw
{

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

// What the window does once the plan is carried out.
struct StartOutcome {
    // The current code-image path to hand to the main window (the disassembly's input).
    std::optional<QString> currentBinPath;
    // A result to open in an editor (the user answered Yes); caption empty means the path.
    QString openPath;
    QString openCaption;
    // The disassembly and the porting also enable the editor's file, select and find items and
    // start the main window's file dialogs from the opened file.
    bool enableEditorItems = false;
    // The split's result for the window's message label.
    std::optional<QString> splitSummary;
};

struct StartPlan {
    ToolOutcome outcome;
    std::optional<QString> currentBinPath;
    // The split's label text, shown once its parts are written.
    std::optional<QString> splitSummary;
    // For a result opened in an editor: its caption (empty: the path) and whether the editor's
    // items come on.
    QString openCaption;
    bool enableEditorItems = false;
};

StartPlan planStart(const ConversionRequest &request);

// The window's part once the writer has carried the plan's outcome out.
StartOutcome settleStart(const StartPlan &plan, const CarriedOut &carried);

} // namespace tw
