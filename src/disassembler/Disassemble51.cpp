#include "disassembler/Disassemble51.h"

#include "base/CodeImage.h"
#include "base/FileNames.h"
#include "disassembler/common/CodeFile.h"
#include "disassembler/common/DisasmText.h"
#include "disassembler/common/MessageTexts.h"
#include "disassembler/mcs51/LabelPass51.h"
#include "disassembler/mcs51/Pass51.h"

#include <algorithm>
#include <memory>

namespace tw
{
namespace
{

constexpr int kMaxInputLength = 65536;

constexpr std::string_view kCredit = ";Source recovered by the Tarnwick MCS-51 disassembler";
constexpr std::string_view kFailureCredit =
    ";Tarnwick MCS-51 disassembler: incomplete, the disassembly failed";

// A completed run's files may replace the user's own (a source of that name, the assembler's
// listing) only when the user agrees; a failed run's trace goes only where no file is yet.
PlannedFile planned(const std::string &path, std::string bytes, bool completed)
{
    PlannedFile file;
    file.path = path;
    file.bytes = std::move(bytes);
    file.askBeforeReplacing = completed;
    file.onlyWhereNone = !completed;
    return file;
}

// A failed run keeps its trace (the failure file, the segment list once it is there) only where
// no file is yet: a failure never destroys what was there.
Disasm51Result failed(Disasm51Result result, const std::string &outPath,
                      const std::vector<const std::string *> &body = {},
                      const std::vector<std::string> &segmentList = {})
{
    result.status = DisasmStatus::Failed;
    ToolOutcome &outcome = result.outcome;
    outcome.notes.push_back(disasmNote(disasmText::kDisassemblyFailed, disasmText::kDisassemblyCaption));
    outcome.files.push_back(planned(outPath, disassemblyFile(kFailureCredit, body), false));
    if (!segmentList.empty())
        outcome.files.push_back(planned(sideFilePath(outPath, Disasm51Job::kSideFileEnding),
                                        segmentListFile(segmentList), false));
    return result;
}

Disasm51Result started(const Disasm51Job &job)
{
    Disasm51Result result;
    result.startAddress = job.startText.empty() ? 0 : hexToBin(job.startText);
    result.outcome.title = disasmText::kDisassemblyCaption;
    readsCodeImage(result.outcome, job.binPath);
    return result;
}

} // namespace

Disasm51Result disassemble51(const Disasm51Job &job)
{
    return disassembleFile(job.binPath, kMaxInputLength, started(job), disasmText::kTooLongFor51,
                           [&job](std::string_view bytes) { return disassemble51Image(bytes, job); });
}

Disasm51Result disassemble51Image(std::string_view bytes, const Disasm51Job &job)
{
    Disasm51Result result = started(job);
    if (bytes.size() > static_cast<std::size_t>(kMaxInputLength))
        return refusedAsTooLong(std::move(result), disasmText::kTooLongFor51);
    const int start = result.startAddress;
    // The image is cleared first: nothing of an earlier, longer file may show through.
    auto image = std::make_unique<CodeImage>();
    std::copy(bytes.begin(), bytes.end(), image->bytes.begin());
    const int end = job.endText.empty() ? static_cast<int>(bytes.size()) : hexToBin(job.endText);
    result.endAddress = end;
    // An empty range above 0000H is no fault: its file holds the ORG and END lines. A range
    // that ends at 0000H (an empty file among them) leaves no byte before the end to mark.
    if (start > end || end == 0)
        return failed(std::move(result), job.outPath);

    DisasmLabels labels;
    DisasmLimit limit = DisasmLimit::None;
    if (!collectLabels51(*image, start, end, labels, limit)) {
        result.outcome.notes.push_back(
            limitNote(limit, limit == DisasmLimit::Labels ? kLabelPassMaxLabels : kPendingLimit51));
        return failed(std::move(result), job.outPath);
    }
    auto pass = std::make_unique<Pass51>(*image, start, end);
    if (!pass->run(std::move(labels))) {
        const DisasmLimit reached = pass->limit();
        if (reached != DisasmLimit::None)
            result.outcome.notes.push_back(
                limitNote(reached, reached == DisasmLimit::Labels     ? kMaxOutputLabels
                                   : reached == DisasmLimit::Segments ? kMaxSegments51
                                                                      : kPendingLimit51));
        // The segment list is there once the runs are done, even when a later step fails.
        return failed(std::move(result), job.outPath, pass->body(), pass->segmentList());
    }

    result.status = DisasmStatus::Completed;
    ToolOutcome &outcome = result.outcome;
    outcome.files.push_back(planned(job.outPath, disassemblyFile(kCredit, pass->body()), true));
    outcome.files.push_back(planned(sideFilePath(job.outPath, Disasm51Job::kSideFileEnding),
                                    segmentListFile(pass->segmentList()), true));
    outcome.done.push_back(disasmNote(disasmText::kDisassemblyDone, disasmText::kDisassemblyCaption, true));
    outcome.openOnYes = job.outPath;
    return result;
}

} // namespace tw