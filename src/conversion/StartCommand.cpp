#include "StartCommand.h"

#include "FileCompare.h"
#include "HexConverter.h"
#include "ObjConversion.h"
#include "Porting48.h"
#include "SplitMerge.h"
#include "ToolMessages.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "disassembler/Disassemble48.h"
#include "disassembler/Disassemble51.h"

namespace tw
{

namespace
{

const PathCheckTexts kConvertChecks = {ConvText::ChooseConvertInput, ConvText::MissingConvertInput,
                                       ConvText::ChooseConvertOutput};

bool convertChecks(Prompter &prompter, const ConversionRequest &request)
{
    return checkPaths(prompter, kConvertChecks, request.input, request.output);
}

StartOutcome disassemble(Prompter &prompter, const ConversionRequest &request)
{
    StartOutcome outcome;
    if (!checkInput(prompter, ConvText::ChooseDisassemblyInput, ConvText::MissingDisassemblyInput,
                    request.input))
        return outcome;
    outcome.currentBinPath = request.input;
    if (request.output.isEmpty()) {
        showCheck(prompter, ConvText::ChooseDisassemblyOutput);
        return outcome;
    }
    // The source, its segment list (MCS-51) or label dump (MCS-48) must not land on the image.
    const QString sidecar = sideFilePath(request.output, request.cpu == 1 ? "err" : "lst");
    if (refuseOwnInput(prompter, request.output, {request.input}, ConvText::DisassemblyOwnInput) ||
        refuseOwnInput(prompter, sidecar, {request.input}, ConvText::DisassemblySidecarOwnInput))
        return outcome;
    bool yes = false;
    if (request.cpu == 0) {
        const Disasm51Result result =
            disassemble51({request.input, request.output, request.rangeStart, request.rangeEnd});
        yes = carryOut(result.outcome, prompter).openRequested;
    } else if (request.cpu == 1) {
        const Disasm48Result result = disassemble48(
            {request.input, request.output, request.rangeStart, request.rangeEnd, request.partialCode});
        yes = carryOut(result.outcome, prompter).openRequested;
    }
    if (yes) {
        outcome.openPath = request.output;
        outcome.enableEditorItems = true;
        outcome.closeWindow = true;
    }
    return outcome;
}

StartOutcome port(Prompter &prompter, const ConversionRequest &request)
{
    StartOutcome outcome;
    if (!checkPaths(prompter,
                    {ConvText::ChoosePortInput, ConvText::MissingPortInput, ConvText::ChoosePortOutput},
                    request.input, request.output) ||
        request.cpu != 0)
        return outcome;
    if (portSourceFile(prompter, request.input, request.output).openOnYes) {
        outcome.openPath = request.output;
        outcome.enableEditorItems = true;
        outcome.closeWindow = true;
    }
    return outcome;
}

} // namespace

StartOutcome runStart(Prompter &prompter, const ConversionRequest &request)
{
    StartOutcome outcome;
    switch (request.mode) {
    case ConversionMode::ObjToBin:
        if (convertChecks(prompter, request))
            convertObjToBin(prompter, request.input, request.output);
        break;
    case ConversionMode::BinToObj:
        if (convertChecks(prompter, request))
            convertBinToObj(prompter, request.input, request.output);
        break;
    case ConversionMode::HexToBin:
        if (convertChecks(prompter, request))
            convertHexToBin(prompter, {request.input, request.output, request.hexFormat, request.hexFill});
        break;
    case ConversionMode::BinToHex:
        if (convertChecks(prompter, request))
            convertBinToHex(prompter, {request.input, request.output, request.startAddress});
        break;
    case ConversionMode::Disassemble:
        return disassemble(prompter, request);
    case ConversionMode::Port:
        return port(prompter, request);
    case ConversionMode::Split: {
        const SplitResult split = splitImage(prompter, request.input, request.splitSize);
        if (split.written)
            outcome.splitSummary = split.summary;
        break;
    }
    case ConversionMode::Merge:
        mergeImages(prompter, {request.input, request.output, request.mergeOutput, request.mergeByAddress,
                               request.mergeStart, request.mergeFill});
        break;
    case ConversionMode::Compare: {
        const CompareOutcome compared = compareFiles(prompter, request.input, request.output);
        if (compared.openReport) {
            outcome.openPath = compared.reportPath;
            outcome.openCaption = ConvText::BuildTitle;
            outcome.closeWindow = true;
        }
        break;
    }
    case ConversionMode::Restore:
        // The restore page has its own button.
        break;
    }
    return outcome;
}

} // namespace tw
