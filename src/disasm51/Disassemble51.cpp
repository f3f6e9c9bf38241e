#include "disasm51/Disassemble51.h"

#include "base/CodeImage.h"
#include "base/FileAccess.h"
#include "disasm51/Decoder51.h"
#include "disasm51/DisasmText.h"
#include "disasm51/LabelPass51.h"

#include <algorithm>
#include <memory>

namespace tw
{
namespace
{

constexpr int kMaxInputLength = 65536;
// Numbered labels the output can define: with L0 they make the names our assembler takes.
constexpr int kMaxLabels = kMaxOutputLabels - 1;
constexpr int kMaxSegments = 2049; // segments 0..2048

constexpr std::string_view kCredit = ";Source recovered by the Tarnwick MCS-51 disassembler";
constexpr std::string_view kFailureCredit =
    ";Tarnwick MCS-51 disassembler: incomplete, the disassembly failed";

// The segment list's heading, as the window shows it (UTF-8) and as the file holds it (GBK, as
// every text file the system writes): the one line beyond ASCII.
constexpr std::string_view kSegmentHeading = "  程序段地址如下：";
constexpr std::string_view kSegmentHeadingGbk =
    "\x20\x20\xB3\xCC\xD0\xF2\xB6\xCE\xB5\xD8\xD6\xB7\xC8\xE7\xCF\xC2\xA3\xBA";

struct Segment {
    int start = 0;
    int end = 0;      // exclusive; may pass 0FFFFH when the last instruction does
    std::string text; // ASCII: the lines go straight in as bytes
    bool merged = false;
};

void appendSeparatorLine(std::string &out, int address)
{
    out += ";========";
    appendHexWord(out, address);
    out += "H=========\r\n";
}

void appendRunHeader(std::string &out, int address)
{
    appendSeparatorLine(out, address);
    appendOrgLine(out, address);
    out += "\r\n";
}

class Disassembler51
{
  public:
    Disassembler51(const CodeImage &image, int start, int end) : m_image(image), m_start(start), m_end(end) {}

    // Everything between the credit line and "END"; false on a fault, with body() holding what
    // segment 0 had gathered by then.
    bool run(DisasmLabels labels);
    // The texts between the credit line and "END", in the file's order.
    std::vector<const std::string *> body() const;
    // The segment list's lines (the heading in UTF-8), empty until the runs are done.
    const std::vector<std::string> &segmentList() const { return m_segmentList; }
    // The table whose bound ended a failed run.
    DisasmLimit limit() const { return m_limit; }

  private:
    bool decodeRun(int pc);
    bool nextRun();
    bool useTarget(int target, bool addMissing, int &labelIndex);
    bool queue(int index);
    bool reached(DisasmLimit limit)
    {
        m_limit = limit;
        return false;
    }
    bool markDefined(int index);
    void dataPass();
    void defineUnusedLabels();
    void joinSegments();
    int segmentEndingAt(int address) const;

    const CodeImage &m_image;
    const int m_start;
    const int m_end;
    DisasmLabels m_labels;
    std::vector<bool> m_visited = std::vector<bool>(0x10000, false);
    std::vector<bool> m_labelDone;
    PendingLabels m_pending{kPendingLimit51};
    std::vector<Segment> m_segments;
    // The EQU lines of labels defined nowhere else, which go first, and the order in which the
    // segments follow them: the texts are joined once, into the file.
    std::string m_late;
    std::vector<std::size_t> m_order;
    int m_current = 0;
    int m_dptr = 0;
    std::vector<std::string> m_segmentList;
    DisasmLimit m_limit = DisasmLimit::None;
};

bool Disassembler51::run(DisasmLabels labels)
{
    m_labels = std::move(labels);
    m_labelDone.assign(static_cast<std::size_t>(m_labels.count()) + 1, false);
    m_segments.assign(1, Segment{m_start, m_start, std::string(), false});
    Segment &first = m_segments.front();
    // About twelve characters a code byte.
    first.text.reserve(12 * (m_end - m_start) + 64);
    for (int k = 1; k <= m_labels.count(); ++k)
        if (m_labels.address(k) > m_end) {
            appendEquLine(first.text, k, m_labels.address(k));
            first.text += '\r';
            if (!markDefined(k))
                return false;
        }
    appendOrgLine(first.text, m_start);
    first.text += '\r';
    if (m_start == 0)
        for (int vector = 1; vector <= 6; ++vector)
            if (!queue(vector))
                return false;

    if (!decodeRun(m_start))
        return false;
    while (!m_pending.empty())
        if (!nextRun())
            return false;

    m_segmentList = {std::string(), std::string(), std::string(kSegmentHeading), std::string()};
    for (std::size_t k = 0; k < m_segments.size(); ++k) {
        std::string line = "  " + std::to_string(k) + '\t';
        appendHexWord(line, m_segments[k].start);
        line += '\t';
        appendHexWord(line, std::min(m_segments[k].end, 0xFFFF));
        m_segmentList.push_back(std::move(line));
    }
    dataPass();
    // Every label is defined somewhere in the output, those not met so far by an EQU line.
    if (m_labels.count() > kMaxLabels)
        return reached(DisasmLimit::Labels);
    defineUnusedLabels();
    joinSegments();
    return true;
}

// Decodes from pc until the flow leaves, the range ends or it meets code already decoded.
bool Disassembler51::decodeRun(int pc)
{
    Segment *segment = &m_segments[static_cast<std::size_t>(m_current)];
    const auto &visited = m_visited;
    const int first = pc;
    while (pc < m_end && !visited[static_cast<std::size_t>(pc)] && fitsBelowTop51(m_image, pc)) {
        m_visited[static_cast<std::size_t>(pc)] = true;
        const int own = m_labels.find(pc);
        if (own >= 0 && !markDefined(own))
            return false;
        const Instruction51 instruction = fetch51(m_image, pc, m_dptr);
        const Opcode51 &row = *instruction.row;
        for (int k = 1; k < row.length; ++k)
            m_visited[static_cast<std::size_t>((pc + k) & 0xFFFF)] = true;
        m_dptr = trackedDptr51(row, pc, m_dptr,
                               [this](int address) { return static_cast<int>(m_image[address]); });
        int targetLabel = -1;
        if (instruction.target >= 0 &&
            !useTarget(instruction.target, row.target != Target51::DataPointer, targetLabel))
            return false;
        std::string &text = segment->text;
        if (own >= 0) {
            appendLabelName(text, own);
            text += ": ";
        }
        appendInstructionText51(text, m_image, instruction, targetLabel);
        text += '\r';
        pc += row.length;
        if (row.endsRun)
            break;
    }
    if (pc != first)
        m_visited[static_cast<std::size_t>((pc - 1) & 0xFFFF)] = true;
    segment->end = pc;
    return true;
}

// The label of a target, queued to be decoded. A target the label pass did not register (the
// runs here meet the data pointer in another order) gets a label of its own, so that no
// instruction is written without its operand; JMP @A+DPTR writes no target and adds none.
bool Disassembler51::useTarget(int target, bool addMissing, int &labelIndex)
{
    labelIndex = m_labels.find(target);
    if (labelIndex < 0) {
        if (!addMissing)
            return true;
        if (m_labels.count() >= kMaxLabels)
            return reached(DisasmLimit::Labels);
        labelIndex = m_labels.add(target);
        m_labelDone.push_back(false);
    }
    return queue(labelIndex);
}

// Queues a label's address for a run; one decoded already needs none.
bool Disassembler51::queue(int index)
{
    if (m_visited[static_cast<std::size_t>(m_labels.address(index))] || m_pending.push(index))
        return true;
    return reached(DisasmLimit::PendingTargets);
}

// A label written at a line start or as an EQU line; false past the labels the output can hold.
bool Disassembler51::markDefined(int index)
{
    if (index > kMaxLabels)
        return reached(DisasmLimit::Labels);
    m_labelDone[static_cast<std::size_t>(index)] = true;
    return true;
}

// Starts the next run at the first pending label inside the range and not decoded yet.
bool Disassembler51::nextRun()
{
    while (!m_pending.empty()) {
        const int index = m_pending.pop();
        const int address = m_labels.address(index);
        if (address < m_start || address >= m_end || m_visited[static_cast<std::size_t>(address)] ||
            !fitsBelowTop51(m_image, address))
            continue;
        if (!markDefined(index))
            return false;
        m_current = segmentEndingAt(address);
        if (m_current < 0) {
            if (static_cast<int>(m_segments.size()) >= kMaxSegments)
                return reached(DisasmLimit::Segments);
            m_segments.push_back(Segment{address, address, std::string(), false});
            m_current = static_cast<int>(m_segments.size()) - 1;
        }
        appendRunHeader(m_segments[static_cast<std::size_t>(m_current)].text, address);
        return decodeRun(address);
    }
    return true;
}

int Disassembler51::segmentEndingAt(int address) const
{
    for (std::size_t j = 0; j < m_segments.size(); ++j)
        if (m_segments[j].end == address)
            return static_cast<int>(j);
    return -1;
}

// Bytes no run decoded become DB lines, each stretch behind the segment that ends where it begins.
void Disassembler51::dataPass()
{
    int address = m_start;
    while (address < m_end) {
        if (m_visited[static_cast<std::size_t>(address)]) {
            ++address;
            continue;
        }
        const int gap = address;
        const int owner = segmentEndingAt(gap);
        if (owner >= 0)
            m_current = owner;
        while (address < m_end && !m_visited[static_cast<std::size_t>(address)])
            ++address;
        Segment &segment = m_segments[static_cast<std::size_t>(m_current)];
        appendSeparatorLine(segment.text, gap);
        // Behind a segment that ends elsewhere the bytes need their own origin.
        if (owner < 0) {
            appendOrgLine(segment.text, gap);
            segment.text += "\r\n";
        }
        appendDhexDbLines(segment.text, &m_image.bytes[static_cast<std::size_t>(gap)], address - gap);
        segment.end = address;
    }
}

// Labels used but neither at a line start nor beyond the range: below the start, at the end,
// inside an instruction. They go first, as EQU lines.
void Disassembler51::defineUnusedLabels()
{
    for (int k = 0; k <= m_labels.count(); ++k)
        if (!m_labelDone[static_cast<std::size_t>(k)]) {
            appendEquLine(m_late, k, m_labels.address(k));
            m_late += '\r';
        }
}

// Segments are appended to segment 0 in the order their starts are reached. Runs that overlap
// (an instruction whose operand bytes cover the start of an earlier run) can make a segment end
// before the text joined so far does; the end reached never shrinks, and a segment still left
// over goes last: it opens with its own ORG line, so its bytes land where they belong and the
// labels it defines are not lost.
void Disassembler51::joinSegments()
{
    m_order.assign(1, 0);
    int reached = m_segments.front().end;
    for (std::size_t pass = 1; pass < m_segments.size(); ++pass)
        for (std::size_t k = 1; k < m_segments.size(); ++k) {
            Segment &segment = m_segments[k];
            if (!segment.merged && segment.start <= reached) {
                m_order.push_back(k);
                reached = std::max(reached, segment.end);
                segment.merged = true;
                break;
            }
        }
    for (std::size_t k = 1; k < m_segments.size(); ++k)
        if (!m_segments[k].merged) {
            m_order.push_back(k);
            m_segments[k].merged = true;
        }
}

std::vector<const std::string *> Disassembler51::body() const
{
    std::vector<const std::string *> pieces{&m_late};
    if (m_order.empty() && !m_segments.empty())
        pieces.push_back(&m_segments.front().text);
    for (std::size_t k : m_order)
        pieces.push_back(&m_segments[k].text);
    return pieces;
}

// The output file: credit line, CR LF, the body, "END", CR, and the closing CR LF.
std::string outputText(std::string_view credit, const std::vector<const std::string *> &body = {})
{
    std::size_t size = credit.size() + 8;
    for (const std::string *piece : body)
        size += piece->size();
    std::string text;
    text.reserve(size);
    text.append(credit);
    text += "\r\n";
    for (const std::string *piece : body)
        text += *piece;
    text += "END\r\r\n";
    return text;
}

// The segment list as the file holds it: GBK, as every text file the system writes.
std::string segmentListFile(const std::vector<std::string> &lines)
{
    std::string gbk;
    for (const std::string &line : lines) {
        gbk += line == kSegmentHeading ? kSegmentHeadingGbk : std::string_view(line);
        gbk += "\r\n";
    }
    return gbk;
}

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
Disasm51PlainResult failed(Disasm51PlainResult result, const std::string &outPath,
                           const std::vector<const std::string *> &body = {},
                           const std::vector<std::string> &segmentList = {})
{
    result.status = DisasmStatus::Failed;
    ToolOutcome &outcome = result.outcome;
    outcome.notes.push_back(disasmNote(disasmText::kDisassemblyFailed, disasmText::kDisassemblyCaption));
    outcome.files.push_back(planned(outPath, outputText(kFailureCredit, body), false));
    if (!segmentList.empty())
        outcome.files.push_back(planned(sideFilePath(outPath, "lst"), segmentListFile(segmentList), false));
    return result;
}

Disasm51PlainResult started(const Disasm51PlainJob &job)
{
    Disasm51PlainResult result;
    result.startAddress = job.startText.empty() ? 0 : hexToBin(job.startText);
    result.outcome.title = disasmText::kDisassemblyCaption;
    return result;
}

Disasm51PlainResult tooLong(Disasm51PlainResult result)
{
    result.status = DisasmStatus::InputTooLong;
    result.outcome.notes.push_back(disasmNote(disasmText::kTooLongFor51, disasmText::kInformationCaption));
    return result;
}

} // namespace

Disasm51PlainResult disassemble51(const Disasm51PlainJob &job)
{
    // A longer file, a device, a pipe or a folder is refused before a byte of it is read.
    const PlainRead read = readFilePlain(job.binPath, kMaxInputLength);
    if (read.fault == ReadFault::TooLarge)
        return tooLong(started(job));
    if (!read.ok()) {
        Disasm51PlainResult result = started(job);
        result.status = DisasmStatus::Unreadable;
        result.outcome.notes.push_back(
            disasmNote(readFailureText(job.binPath, read.reason), disasmText::kDisassemblyCaption));
        return result;
    }
    return disassemble51Image(read.bytes, job);
}

Disasm51PlainResult disassemble51Image(std::string_view bytes, const Disasm51PlainJob &job)
{
    Disasm51PlainResult result = started(job);
    if (bytes.size() > static_cast<std::size_t>(kMaxInputLength))
        return tooLong(std::move(result));
    const int start = result.startAddress;
    // The image is cleared first: nothing of an earlier, longer file may show through.
    auto image = std::make_unique<CodeImage>();
    std::copy(bytes.begin(), bytes.end(), image->bytes.begin());
    const int end = job.endText.empty() ? static_cast<int>(bytes.size()) : hexToBin(job.endText);
    result.endAddress = end;
    if (start >= end)
        return failed(std::move(result), job.outPath);

    DisasmLabels labels;
    DisasmLimit limit = DisasmLimit::None;
    if (!collectLabels51(*image, start, end, labels, limit)) {
        result.outcome.notes.push_back(
            limitNote(limit, limit == DisasmLimit::Labels ? kLabelPassMaxLabels : kPendingLimit51));
        return failed(std::move(result), job.outPath);
    }
    auto disassembler = std::make_unique<Disassembler51>(*image, start, end);
    if (!disassembler->run(std::move(labels))) {
        const DisasmLimit reached = disassembler->limit();
        if (reached != DisasmLimit::None)
            result.outcome.notes.push_back(
                limitNote(reached, reached == DisasmLimit::Labels     ? kMaxOutputLabels
                                   : reached == DisasmLimit::Segments ? kMaxSegments
                                                                      : kPendingLimit51));
        // The segment list is there once the runs are done, even when a later step fails.
        return failed(std::move(result), job.outPath, disassembler->body(), disassembler->segmentList());
    }

    result.status = DisasmStatus::Completed;
    ToolOutcome &outcome = result.outcome;
    outcome.files.push_back(planned(job.outPath, outputText(kCredit, disassembler->body()), true));
    outcome.files.push_back(
        planned(sideFilePath(job.outPath, "lst"), segmentListFile(disassembler->segmentList()), true));
    outcome.done.push_back(disasmNote(disasmText::kDisassemblyDone, disasmText::kDisassemblyCaption, true));
    outcome.openOnYes = job.outPath;
    return result;
}

} // namespace tw
