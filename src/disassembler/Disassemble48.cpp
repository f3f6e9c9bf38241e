#include "disassembler/Disassemble48.h"

#include "common/CheckedFile.h"
#include "common/CodeImage.h"
#include "common/Hex.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "disasm51/DisasmLabels.h"
#include "disassembler/Decode48.h"
#include "disassembler/DisasmText.h"
#include "disassembler/LabelPass48.h"

#include <algorithm>
#include <memory>
#include <set>

namespace tw
{
namespace
{

const QString kCredit = QStringLiteral(";Tarnwick MCS-48 disassembly");
const QString kSeparator = QStringLiteral(";============================") + kCrLf;

struct Segment {
    QString text;
    long start = 0;
    long end = 0;
    std::vector<int> defined; // labels printed in front of an instruction of this text
    std::vector<int> used;    // labels printed as operands in this text
    bool joined = false;      // appended to an earlier segment
};

// One decoding pass over a loaded image whose labels the label pass has numbered.
class Pass48
{
  public:
    Pass48(const CodeImage &image, Labels48 &labels, long start, long end)
        : m_image(image), m_labels(labels), m_start(start), m_end(end), m_visited(kCodeImageSize, false)
    {
    }

    // The body of the output (everything between the credit line and END); false on failure.
    bool run(QString &body);
    // The table whose bound ended a failed run; None when an undefined opcode did.
    DisasmLimit limit() const { return m_limit; }

  private:
    bool decodeRun(long pc);
    bool recordTarget(int target, QString &line, Segment &segment);
    bool queue(int number);
    bool reached(DisasmLimit limit)
    {
        m_limit = limit;
        return false;
    }
    bool takePending();
    void dataPass();
    void joinSegments();
    QString strandedSegments();
    QString missingDefinitions() const;
    int labelsWritten() const;
    int segmentEndingAt(long address) const;
    bool isVisited(long address) const { return m_visited[static_cast<std::size_t>(address)]; }

    const CodeImage &m_image;
    Labels48 &m_labels;
    const long m_start;
    const long m_end;
    std::vector<bool> m_visited;
    PendingLabels m_pending{kPending48};
    std::vector<Segment> m_segments;
    int m_current = 0;
    bool m_bank = false;
    DisasmLimit m_limit = DisasmLimit::None;
};

bool Pass48::run(QString &body)
{
    m_segments.push_back(Segment{{}, m_start, m_start, {}, {}});
    Segment &first = m_segments.front();
    for (int i = 0; i <= m_labels.count(); ++i) {
        if (m_labels.address(i) > m_end) {
            first.text += equLine(i, m_labels.address(i)) + kCr;
            first.defined.push_back(i);
        }
    }
    first.text += orgLine(m_start) + kCr;
    if (m_start == 0 && !(queue(1) && queue(2)))
        return false;
    if (!decodeRun(m_start) || !takePending())
        return false;
    dataPass();
    joinSegments();
    const QString stranded = strandedSegments();
    if (labelsWritten() > kMaxOutputLabels)
        return reached(DisasmLimit::Labels);
    body = missingDefinitions() + m_segments.front().text + stranded;
    return true;
}

// Labels the written text names or defines; each of them is defined once.
int Pass48::labelsWritten() const
{
    const Segment &written = m_segments.front();
    std::set<int> names(written.defined.begin(), written.defined.end());
    names.insert(written.used.begin(), written.used.end());
    return static_cast<int>(names.size());
}

// Decodes from pc until a jump or return, the range end or a byte decoded before.
bool Pass48::decodeRun(long pc)
{
    while (pc < m_end && !isVisited(pc)) {
        Segment &segment = m_segments[static_cast<std::size_t>(m_current)];
        m_visited[static_cast<std::size_t>(pc)] = true;
        QString line;
        if (const int self = m_labels.find(static_cast<int>(pc)); self >= 0) {
            line = labelName(self) + QStringLiteral(": ");
            segment.defined.push_back(self);
        }
        const Instruction48 in = decode48(m_image, static_cast<int>(pc), m_bank);
        if (in.undefined())
            return false;
        line += lineLead48(in);
        if (in.operandAddress >= 0)
            m_visited[static_cast<std::size_t>(in.operandAddress)] = true;
        if (operandUse48(*in.row) == Operand48::Immediate)
            line += hexByte(in.operand) + u'H';
        if (in.target >= 0 && !recordTarget(in.target, line, segment))
            return false;
        segment.text += line + kCr;
        pc = in.next;
        if (in.endsRun)
            break;
    }
    m_segments[static_cast<std::size_t>(m_current)].end = pc;
    return true;
}

// Prints the target's label and queues it for a run. The label pass may have met this transfer
// with the other memory bank selected (it walks in another order), so a target it did not number
// gets a new label here rather than a bare operand.
bool Pass48::recordTarget(int target, QString &line, Segment &segment)
{
    int number = m_labels.find(target);
    if (number < 0) {
        if (m_labels.count() >= kMaxLabels48)
            return reached(DisasmLimit::Labels);
        number = m_labels.add(target);
    }
    line += labelName(number);
    segment.used.push_back(number);
    return queue(number);
}

// Queues a label's address for a run; one decoded already needs none.
bool Pass48::queue(int number)
{
    if (isVisited(m_labels.address(number)) || m_pending.push(number))
        return true;
    return reached(DisasmLimit::PendingTargets);
}

int Pass48::segmentEndingAt(long address) const
{
    for (std::size_t k = 0; k < m_segments.size(); ++k)
        if (m_segments[k].end == address)
            return static_cast<int>(k);
    return -1;
}

// Runs from every pending target; a run that starts where a segment ends continues that segment.
bool Pass48::takePending()
{
    while (!m_pending.empty()) {
        const long pc = m_labels.address(m_pending.pop());
        if (isVisited(pc))
            continue;
        m_current = segmentEndingAt(pc);
        if (m_current < 0) {
            if (m_segments.size() >= static_cast<std::size_t>(kSegments48))
                return reached(DisasmLimit::Segments);
            m_segments.push_back(Segment{{}, pc, pc, {}, {}});
            m_current = static_cast<int>(m_segments.size()) - 1;
        }
        m_segments[static_cast<std::size_t>(m_current)].text += kSeparator;
        if (!decodeRun(pc))
            return false;
    }
    return true;
}

// Every byte of the range that no run decoded becomes DB lines, appended to the segment that ends
// where the stretch begins.
void Pass48::dataPass()
{
    long i = m_start;
    for (;;) {
        while (i < m_end && isVisited(i))
            ++i;
        if (i >= m_end)
            return;
        if (const int k = segmentEndingAt(i); k >= 0)
            m_current = k;
        Segment &segment = m_segments[static_cast<std::size_t>(m_current)];
        segment.text += kSeparator;
        const long from = i;
        while (i < m_end && !isVisited(i))
            ++i;
        appendDbLines(segment.text, m_image.bytes.data() + from, static_cast<int>(i - from), hexByte);
        segment.end = i;
    }
}

// Links the segments into segment 0 in address order. A segment joins one predecessor only: two
// segments ending at the same address must not both carry its text (and its label definitions).
void Pass48::joinSegments()
{
    for (std::size_t i = m_segments.size() - 1; i >= 1; --i) {
        Segment &next = m_segments[i];
        for (std::size_t k = 0; k < i; ++k) {
            Segment &before = m_segments[k];
            if (before.end != next.start)
                continue;
            before.text += next.text;
            before.end = next.end;
            before.defined.insert(before.defined.end(), next.defined.begin(), next.defined.end());
            before.used.insert(before.used.end(), next.used.begin(), next.used.end());
            next.joined = true;
            break;
        }
    }
}

// Text of the range that the joining could not link to segment 0: a run whose last operand byte
// overlaps the first opcode of a run decoded earlier ends one byte past that run's start, so the
// two never meet. Such text is written after the rest under its own ORG instead of being lost; its
// labels count as defined. Runs below the start address are left out.
QString Pass48::strandedSegments()
{
    QString text;
    Segment &written = m_segments.front();
    for (std::size_t k = 1; k < m_segments.size(); ++k) {
        const Segment &segment = m_segments[k];
        if (segment.joined || segment.start < m_start || segment.start >= m_end)
            continue;
        QString body = segment.text;
        if (body.startsWith(kSeparator))
            body.remove(0, kSeparator.size());
        text += kSeparator + orgLine(segment.start) + kCrLf + body;
        written.defined.insert(written.defined.end(), segment.defined.begin(), segment.defined.end());
        written.used.insert(written.used.end(), segment.used.begin(), segment.used.end());
    }
    return text;
}

// EQU lines for the labels the written text uses but does not define: targets on an operand byte,
// at the range end, below the start, in text that joins nothing, or numbered by this pass beyond
// the range.
QString Pass48::missingDefinitions() const
{
    const Segment &written = m_segments.front();
    const std::set<int> defined(written.defined.begin(), written.defined.end());
    const std::set<int> used(written.used.begin(), written.used.end());
    QString lines;
    for (const int number : used)
        if (!defined.count(number))
            lines += equLine(number, m_labels.address(number)) + kCr;
    return lines;
}

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
QString labelDump(const Labels48 &labels)
{
    QString text;
    for (int i = 1; i <= labels.count(); ++i)
        text += u'L' + vbStr(i) + u'\t' + vbStr(labels.address(i)) + kCrLf;
    return text + kCrLf;
}

PlannedFile textFile(const QString &path, const QString &text)
{
    PlannedFile file = plannedFile(path, encodeText(text));
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
    result.proposedOutputPath = replaceLastThree(job.binPath, QStringLiteral("asm"));
    result.dumpPath = sideFilePath(job.outPath, "err");
    result.outcome.title = disasmText::kDisassemblyCaption;
    return result;
}

long startOf(const Disasm48Job &job)
{
    return job.startText.isEmpty() ? 0 : hexToBin(job.startText);
}

// The most a file may hold: the 4 KB less what lies below where it is loaded.
qint64 sizeLimit(const Disasm48Job &job)
{
    return std::max(kImageLimit48 - (job.partialCode ? startOf(job) : 0L), 0L);
}

Disasm48Result tooLong(Disasm48Result result)
{
    result.status = DisasmStatus::InputTooLong;
    result.outcome.notes.push_back(disasmNote(disasmText::kTooLongFor48, disasmText::kInformationCaption));
    return result;
}

} // namespace

Disasm48Result disassemble48(const Disasm48Job &job)
{
    // A longer file, a device, a pipe or a folder is refused before a byte of it is read.
    const CheckedRead read = readFileChecked(job.binPath, sizeLimit(job));
    if (read.fault == ReadFault::TooLarge)
        return tooLong(started(job));
    if (!read.ok()) {
        Disasm48Result result = started(job);
        result.status = DisasmStatus::Unreadable;
        result.outcome.notes.push_back(disasmNote(readFailureMessage(job.binPath, read.reason).toStdString(),
                                                  disasmText::kDisassemblyCaption));
        return result;
    }
    return disassemble48Image(read.bytes, job);
}

Disasm48Result disassemble48Image(QByteArrayView bytes, const Disasm48Job &job)
{
    Disasm48Result result = started(job);
    if (bytes.size() > sizeLimit(job))
        return tooLong(std::move(result));
    Labels48 labels;
    const long start = startOf(job);
    const long loadAt = job.partialCode ? start : 0;
    // A fresh image per call: no byte of an earlier, longer file can show through.
    auto image = std::make_unique<CodeImage>();
    std::copy(bytes.begin(), bytes.end(), image->bytes.begin() + loadAt);
    const long end = job.endText.isEmpty() ? loadAt + bytes.size() : hexToBin(job.endText);
    if (bytes.isEmpty() || end <= start)
        return failed(std::move(result), labels);

    DisasmLimit limit = DisasmLimit::None;
    if (!labelPass48(*image, static_cast<int>(start), static_cast<int>(end), labels, limit)) {
        if (limit == DisasmLimit::None)
            result.outcome.notes.push_back(
                disasmNote(disasmText::kUndefinedCode, disasmText::kInformationCaption));
        return failed(std::move(result), labels, limit, true);
    }
    Pass48 pass(*image, labels, start, end);
    QString body;
    if (!pass.run(body))
        return failed(std::move(result), labels, pass.limit());
    result.status = DisasmStatus::Completed;
    PlannedFile source = textFile(job.outPath, disassemblyFile(kCredit, body));
    // An existing file of that name may be the user's own source.
    source.askBeforeReplacing = true;
    result.outcome.files.push_back(std::move(source));
    result.outcome.done.push_back(
        disasmNote(disasmText::kDisassemblyDone, disasmText::kDisassemblyCaption, true));
    result.outcome.openOnYes = nativePath(job.outPath);
    return result;
}

} // namespace tw
