#include "disassembler/Disassemble48.h"

#include "base/CodeImage.h"
#include "base/FileNames.h"
#include "base/VbStr.h"
#include "disassembler/common/CodeFile.h"
#include "disassembler/common/DisasmText.h"
#include "disassembler/common/MessageTexts.h"
#include "disassembler/mcs48/LabelPass48.h"
#include "disassembler/mcs48/Pass48.h"

#include <algorithm>
#include <memory>

namespace tw
{
namespace
{

constexpr std::string_view kCredit = ";Tarnwick MCS-48 disassembly";

int boundOf(DisasmLimit limit, bool labelPass)
{
    switch (limit) {
    case DisasmLimit::PendingTargets:
        return labelPass ? kLabelPassPending48 : kPending48;
    case DisasmLimit::Labels:
        return labelPass ? kMaxLabels48 : kMaxOutputLabels;
    case DisasmLimit::Segments:
        return kSegments48;
    case DisasmLimit::None:
        break;
    }
    return 0;
}

// The label dump: "L", Str(number), TAB, Str(address) per label, each line and the whole ended by CR LF.
std::string labelDump(const Labels48 &labels)
{
    std::string text;
    for (int i = 1; i <= labels.count(); ++i) {
        text += 'L';
        appendVbStr(text, i);
        text += '\t';
        appendVbStr(text, labels.address(i));
        text += "\r\n";
    }
    return text + "\r\n";
}

PlannedFile textFile(const std::string &path, std::string text)
{
    PlannedFile file;
    file.path = path;
    file.bytes = std::move(text);
    file.sync = WriteSync::Durable;
    return file;
}

// A full table is no fault of the code: its own message, then the plain failure. The label dump
// shows how far the job got, where it destroys nothing.
Disasm48Result failed(Disasm48Result result, const Labels48 &labels, DisasmLimit limit = DisasmLimit::None,
                      bool labelPass = false)
{
    using namespace disasmText;
    result.status = DisasmStatus::Failed;
    std::vector<ToolNote> &notes = result.outcome.notes;
    if (limit == DisasmLimit::None) {
        notes.push_back(disasmNote(kNotMcs48Code, kDisassemblyCaption));
    } else {
        notes.push_back(limitNote(limit, boundOf(limit, labelPass)));
        notes.push_back(disasmNote(kDisassemblyFailed, kDisassemblyCaption));
    }
    PlannedFile dump = textFile(result.dumpPath, labelDump(labels));
    dump.onlyWhereNone = true;
    result.outcome.files.push_back(std::move(dump));
    return result;
}

Disasm48Result started(const Disasm48Job &job)
{
    Disasm48Result result;
    result.proposedOutputPath = replaceLastThree(job.binPath, "asm");
    result.dumpPath = sideFilePath(job.outPath, Disasm48Job::kSideFileEnding);
    result.outcome.title = disasmText::kDisassemblyCaption;
    readsCodeImage(result.outcome, job.binPath);
    return result;
}

long startOf(const Disasm48Job &job)
{
    return job.startText.empty() ? 0 : hexToBin(job.startText);
}

// The most a file may hold: the 4 KB less what lies below where it is loaded.
long sizeLimit(const Disasm48Job &job)
{
    return std::max(kImageLimit48 - (job.partialCode ? startOf(job) : 0L), 0L);
}

} // namespace

Disasm48Result disassemble48(const Disasm48Job &job)
{
    return disassembleFile(job.binPath, sizeLimit(job), started(job), disasmText::kTooLongFor48,
                           [&job](std::string_view bytes) { return disassemble48Image(bytes, job); });
}

Disasm48Result disassemble48Image(std::string_view bytes, const Disasm48Job &job)
{
    Disasm48Result result = started(job);
    const long size = static_cast<long>(bytes.size());
    if (size > sizeLimit(job))
        return refusedAsTooLong(std::move(result), disasmText::kTooLongFor48);
    Labels48 labels;
    const long start = startOf(job);
    const long loadAt = job.partialCode ? start : 0;
    // A fresh image per call: no byte of an earlier, longer file can show through.
    auto image = std::make_unique<CodeImage>();
    std::copy(bytes.begin(), bytes.end(), image->bytes.begin() + loadAt);
    const long end = job.endText.empty() ? loadAt + size : hexToBin(job.endText);
    // An empty range above 0000H is no fault: its file holds the ORG and END lines.
    if (bytes.empty() || end == 0 || start > end)
        return failed(std::move(result), labels);

    DisasmLimit limit = DisasmLimit::None;
    if (!labelPass48(*image, static_cast<int>(start), static_cast<int>(end), labels, limit)) {
        if (limit == DisasmLimit::None)
            result.outcome.notes.push_back(
                disasmNote(disasmText::kUndefinedCode, disasmText::kInformationCaption));
        return failed(std::move(result), labels, limit, true);
    }
    Pass48 pass(*image, labels, start, end);
    std::string body;
    if (!pass.run(body))
        return failed(std::move(result), labels, pass.limit());
    result.status = DisasmStatus::Completed;
    PlannedFile source = textFile(job.outPath, disassemblyFile(kCredit, {&body}));
    // An existing file of that name may be the user's own source.
    source.askBeforeReplacing = true;
    result.outcome.files.push_back(std::move(source));
    result.outcome.done.push_back(
        disasmNote(disasmText::kDisassemblyDone, disasmText::kDisassemblyCaption, true));
    result.outcome.openOnYes = job.outPath;
    return result;
}

} // namespace tw
