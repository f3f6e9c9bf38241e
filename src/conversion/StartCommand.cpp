#include "StartCommand.h"

#include "FileCompare.h"
#include "HexConverter.h"
#include "ObjConversion.h"
#include "Porting48.h"
#include "SplitMerge.h"
#include "ToolMessages.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"
#include "disassembler/Disassemble48.h"
#include "disassembler/Disassemble51.h"

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

StartPlan disassemble(const ConversionRequest &request)
{
    StartPlan plan;
    if (std::optional<ToolNote> problem = inputProblem(ConvText::ChooseDisassemblyInput,
                                                       ConvText::MissingDisassemblyInput, request.input)) {
        plan.outcome = refusal(*problem);
        return plan;
    }
    plan.currentBinPath = request.input;
    if (request.output.isEmpty()) {
        plan.outcome = refusal(checkNote(ConvText::ChooseDisassemblyOutput));
        return plan;
    }
    // The source, its segment list (MCS-51) or label dump (MCS-48) must not land on the image.
    const QString sidecar = sideFilePath(request.output, request.cpu == 1 ? "err" : "lst");
    std::optional<ToolNote> problem =
        ownInputProblem(request.output, {request.input}, ConvText::DisassemblyOwnInput);
    if (!problem)
        problem = ownInputProblem(sidecar, {request.input}, ConvText::DisassemblySidecarOwnInput);
    if (problem) {
        plan.outcome = refusal(*problem);
        return plan;
    }
    if (request.cpu == 0) {
        plan.outcome =
            disassemble51({request.input, request.output, request.rangeStart, request.rangeEnd}).outcome;
    } else if (request.cpu == 1) {
        const Disasm48Result result = disassemble48(
            {request.input, request.output, request.rangeStart, request.rangeEnd, request.partialCode});
        plan.outcome = result.outcome;
    }
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
