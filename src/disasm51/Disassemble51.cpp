#include "disasm51/Disassemble51.h"

#include "base/CodeImage.h"
#include "base/FileAccess.h"
#include "base/MessageStyle.h"
#include "disasm51/Decoder51.h"
#include "disasm51/DisasmText.h"
#include "disasm51/LabelPass51.h"

#include <algorithm>
#include <memory>
#include <span>

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

// A path with its last three characters replaced, counting characters as the window's text does
// (one beyond the 16-bit range counts two): ("a/b.bin", "lst") gives "a/b.lst".
std::string replaceLastThreeCharacters(const std::string &path, std::string_view ending)
{
    std::size_t cut = path.size();
    for (int units = 0; units < 3 && cut > 0;) {
        std::size_t lead = cut - 1;
        while (lead > 0 && (static_cast<unsigned char>(path[lead]) & 0xC0) == 0x80 && cut - lead < 4)
            --lead;
        const auto first = static_cast<unsigned char>(path[lead]);
        if (first < 0xC0 && lead != cut - 1)
            lead = cut - 1; // stray continuation bytes: one character each
        units += first >= 0xF0 && lead + 4 == cut ? 2 : 1;
        cut = lead;
    }
    return path.substr(0, cut) + std::string(ending);
}

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

// A file that cannot be written adds a message naming it and the reason.
bool writeOutput(Disasm51PlainResult &result, const std::string &path,
                 std::span<const std::string_view> pieces)
{
    const std::string reason = replaceFilePlain(path, pieces, WriteSync::Generated);
    if (!reason.empty())
        result.messages.push_back({writeFailureText(path, reason), MsgStyle::Exclamation,
                                   std::string(disasmText::kInformationCaption)});
    return reason.empty();
}

// Writes the output file: credit line, CR LF, the body, "END", CR, and the closing CR LF; the
// pieces go to the file as they are, never joined in memory. Generated files are written again
// by the next run: none waits for the disk.
bool writeOutputFile(Disasm51PlainResult &result, const std::string &path, std::string_view credit,
                     const std::vector<const std::string *> &body = {})
{
    std::vector<std::string_view> pieces{credit, "\r\n"};
    for (const std::string *piece : body)
        pieces.emplace_back(*piece);
    pieces.emplace_back("END\r\r\n");
    return writeOutput(result, path, pieces);
}

void addNote(Disasm51PlainResult &result, std::string_view text, int style, std::string_view title)
{
    result.messages.push_back({std::string(text), style, std::string(title)});
}

Disasm51PlainResult finishFailed(Disasm51PlainResult result, const std::string &outPath,
                                 const std::vector<const std::string *> &body = {})
{
    result.outcome = DisasmOutcome::Failed;
    addNote(result, disasmText::kDisassemblyFailed, MsgStyle::Exclamation, disasmText::kDisassemblyCaption);
    if (writeOutputFile(result, outPath, kFailureCredit, body))
        result.filesWritten.push_back(outPath);
    return result;
}

} // namespace

Disasm51PlainResult disassemble51(const Disasm51PlainJob &job)
{
    Disasm51PlainResult result;
    const int start = job.startText.empty() ? 0 : hexToBin(job.startText);
    result.startAddress = start;
    // A longer file, a device or a folder is refused before a byte of it is read.
    const PlainRead read = readFilePlain(job.binPath, kMaxInputLength);
    if (read.fault == ReadFault::TooLarge) {
        result.outcome = DisasmOutcome::InputTooLong;
        addNote(result, disasmText::kTooLongFor51, MsgStyle::Exclamation, disasmText::kInformationCaption);
        return result;
    }
    if (!read.ok())
        return finishFailed(std::move(result), job.outPath);

    // The image is cleared first: nothing of an earlier, longer file may show through.
    auto image = std::make_unique<CodeImage>();
    std::copy(read.bytes.begin(), read.bytes.end(), image->bytes.begin());
    const int end = job.endText.empty() ? static_cast<int>(read.bytes.size()) : hexToBin(job.endText);
    result.endAddress = end;
    if (start >= end)
        return finishFailed(std::move(result), job.outPath);

    DisasmLabels labels;
    DisasmLimit limit = DisasmLimit::None;
    if (!collectLabels51(*image, start, end, labels, limit)) {
        result.messages.push_back(
            limitNote(limit, limit == DisasmLimit::Labels ? kLabelPassMaxLabels : kPendingLimit51));
        return finishFailed(std::move(result), job.outPath);
    }
    auto disassembler = std::make_unique<Disassembler51>(*image, start, end);
    const bool decoded = disassembler->run(std::move(labels));
    // The segment list is there once the runs are done, even when a later step fails.
    const std::vector<std::string> &listLines = disassembler->segmentList();
    if (!listLines.empty()) {
        const std::string listPath = job.segmentListPath.empty()
                                         ? replaceLastThreeCharacters(job.outPath, "lst")
                                         : job.segmentListPath;
        std::string gbk;
        for (const std::string &line : listLines) {
            result.segmentListText += line;
            result.segmentListText += "\r\n";
            gbk += line == kSegmentHeading ? kSegmentHeadingGbk : std::string_view(line);
            gbk += "\r\n";
        }
        const std::string_view listView(gbk);
        if (!writeOutput(result, listPath, std::span<const std::string_view>(&listView, 1)))
            return finishFailed(std::move(result), job.outPath, disassembler->body());
        result.filesWritten.push_back(listPath);
    }
    if (!decoded) {
        const DisasmLimit reached = disassembler->limit();
        if (reached != DisasmLimit::None)
            result.messages.push_back(limitNote(reached, reached == DisasmLimit::Labels ? kMaxOutputLabels
                                                         : reached == DisasmLimit::Segments
                                                             ? kMaxSegments
                                                             : kPendingLimit51));
        return finishFailed(std::move(result), job.outPath, disassembler->body());
    }

    if (!writeOutputFile(result, job.outPath, kCredit, disassembler->body())) {
        addNote(result, disasmText::kDisassemblyFailed, MsgStyle::Exclamation,
                disasmText::kDisassemblyCaption);
        return result;
    }
    result.filesWritten.push_back(job.outPath);
    result.outcome = DisasmOutcome::Completed;
    result.openPath = job.outPath;
    addNote(result, disasmText::kDisassemblyDone, MsgStyle::YesNo + MsgStyle::Exclamation,
            disasmText::kDisassemblyCaption);
    return result;
}

} // namespace tw
