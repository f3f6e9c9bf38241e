#include "StartCommand.h"

#include "FileCompare.h"
#include "HexConverter.h"
#include "ObjConversion.h"
#include "Porting48.h"
#include "SplitMerge.h"
#include "ToolMessages.h"
#include "base/FileNames.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"
#include "disassembler/Disassemble48.h"
#include "disassembler/Disassemble51.h"
#include "disassembler/StartChecks.h"

namespace tw
{

namespace
{

const PathCheckTexts kConvertChecks = {ConvText::ChooseConvertInput, ConvText::MissingConvertInput,
                                       ConvText::ChooseConvertOutput};

// Runs the tool once the mode's path checks pass.
template <typename Tool>
ToolOutcome checked(const PathCheckTexts &texts, const ConversionRequest &request, Tool &&tool)
{
    if (const std::optional<ToolNote> problem = pathsProblem(texts, request.input, request.output))
        return refusal(*problem);
    return tool();
}

// The chosen chip's disassembler, on file-name bytes and UTF-8 address texts.
ToolOutcome runDisassembler(const ConversionRequest &request)
{
    const std::string input = nativePath(request.input);
    const std::string output = nativePath(request.output);
    const std::string start = request.rangeStart.toStdString();
    const std::string end = request.rangeEnd.toStdString();
    if (request.cpu == 0)
        return disassemble51({input, output, start, end}).outcome;
    if (request.cpu == 1)
        return disassemble48({input, output, start, end, request.partialCode}).outcome;
    return {};
}

StartPlan disassemble(const ConversionRequest &request)
{
    StartPlan plan;
    // The headless driver makes the same checks: what they refuse is tested through it.
    const DisasmStartCheck check =
        checkDisassemblyStart(nativePath(request.input), nativePath(request.output),
                              request.cpu == 1 ? Disasm48Job::kSideFileEnding : Disasm51Job::kSideFileEnding);
    if (check.inputAccepted)
        plan.currentBinPath = request.input;
    if (check.refusal) {
        plan.outcome = refusal(*check.refusal);
        return plan;
    }
    plan.outcome = runDisassembler(request);
    plan.enableEditorItems = true;
    return plan;
}

StartPlan port(const ConversionRequest &request)
{
    StartPlan plan;
    const PathCheckTexts texts = {ConvText::ChoosePortInput, ConvText::MissingPortInput,
                                  ConvText::ChoosePortOutput};
    if (const std::optional<ToolNote> problem = pathsProblem(texts, request.input, request.output))
        plan.outcome = refusal(*problem);
    else if (request.cpu == 0)
        plan.outcome = portSourceFile(request.input, request.output);
    plan.enableEditorItems = true;
    return plan;
}

} // namespace

StartPlan planStart(const ConversionRequest &request)
{
    StartPlan plan;
    const ConversionRequest &r = request;
    switch (request.mode) {
    case ConversionMode::ObjToBin:
        plan.outcome = checked(kConvertChecks, r, [&r] { return convertObjToBin(r.input, r.output); });
        break;
    case ConversionMode::BinToObj:
        plan.outcome = checked(kConvertChecks, r, [&r] { return convertBinToObj(r.input, r.output); });
        break;
    case ConversionMode::HexToBin:
        plan.outcome = checked(kConvertChecks, r, [&r] {
            return convertHexToBin({r.input, r.output, r.hexFormat, r.hexFill});
        });
        break;
    case ConversionMode::BinToHex:
        plan.outcome = checked(kConvertChecks, r, [&r] {
            return convertBinToHex({r.input, r.output, r.startAddress});
        });
        break;
    case ConversionMode::Disassemble:
        return disassemble(request);
    case ConversionMode::Port:
        return port(request);
    case ConversionMode::Split:
        plan.outcome = splitImage(request.input, request.splitSize);
        plan.splitSummary = splitSummary(request.input);
        break;
    case ConversionMode::Merge:
        plan.outcome = mergeImages({request.input, request.output, request.mergeOutput,
                                    request.mergeByAddress, request.mergeStart, request.mergeFill});
        break;
    case ConversionMode::Compare:
        plan.outcome = compareFiles(request.input, request.output).outcome;
        plan.openCaption = ConvText::BuildTitle;
        break;
    case ConversionMode::Restore:
        // The restore page has its own button.
        break;
    }
    return plan;
}

StartOutcome settleStart(const StartPlan &plan, const CarriedOut &carried)
{
    StartOutcome outcome;
    outcome.currentBinPath = plan.currentBinPath;
    if (plan.splitSummary && carried.result == WriteResult::Written)
        outcome.splitSummary = plan.splitSummary;
    if (carried.openRequested)
        outcome.openPath = fromNativePath(plan.outcome.openOnYes);
    if (outcome.openPath.isEmpty())
        return outcome;
    outcome.openCaption = plan.openCaption;
    outcome.enableEditorItems = plan.enableEditorItems;
    return outcome;
}

} // namespace tw
