#include "disassembler/mcs51/Pass51.h"

#include "disassembler/common/DisasmText.h"
#include "disassembler/mcs51/Decoder51.h"

#include <algorithm>

namespace tw
{
namespace
{

// The segment list's heading, as the window shows it (UTF-8) and as the file holds it (GBK, as
// every text file the system writes): the one line beyond ASCII.
constexpr std::string_view kSegmentHeading = "  程序段地址如下：";
constexpr std::string_view kSegmentHeadingGbk =
    "\x20\x20\xB3\xCC\xD0\xF2\xB6\xCE\xB5\xD8\xD6\xB7\xC8\xE7\xCF\xC2\xA3\xBA";

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

} // namespace

bool Pass51::run(DisasmLabels labels)
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
    if (m_labels.count() > kMaxLabels51)
        return reached(DisasmLimit::Labels);
    defineUnusedLabels();
    joinSegments();
    return true;
}

// Decodes from pc until the flow leaves, the range ends or it meets code already decoded.
bool Pass51::decodeRun(int pc)
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
bool Pass51::useTarget(int target, bool addMissing, int &labelIndex)
{
    labelIndex = m_labels.find(target);
    if (labelIndex < 0) {
        if (!addMissing)
            return true;
        if (m_labels.count() >= kMaxLabels51)
            return reached(DisasmLimit::Labels);
        labelIndex = m_labels.add(target);
        m_labelDone.push_back(false);
    }
    return queue(labelIndex);
}

// Queues a label's address for a run; one decoded already needs none.
bool Pass51::queue(int index)
{
    if (m_visited[static_cast<std::size_t>(m_labels.address(index))] || m_pending.push(index))
        return true;
    return reached(DisasmLimit::PendingTargets);
}

// A label written at a line start or as an EQU line; false past the labels the output can hold.
bool Pass51::markDefined(int index)
{
    if (index > kMaxLabels51)
        return reached(DisasmLimit::Labels);
    m_labelDone[static_cast<std::size_t>(index)] = true;
    return true;
}

// Starts the next run at the first pending label inside the range and not decoded yet.
bool Pass51::nextRun()
{
    while (!m_pending.empty()) {
        const int index = m_pending.pop();
        const int address = m_labels.address(index);
        if (address < m_start || address >= m_end || m_visited[static_cast<std::size_t>(address)] ||
            !fitsBelowTop51(m_image, address))
            continue;
        if (!markDefined(index))
            return false;
        m_current = segmentEndingAt(m_segments, address);
        if (m_current < 0) {
            if (static_cast<int>(m_segments.size()) >= kMaxSegments51)
                return reached(DisasmLimit::Segments);
            m_segments.push_back(Segment{address, address, std::string(), false});
            m_current = static_cast<int>(m_segments.size()) - 1;
        }
        appendRunHeader(m_segments[static_cast<std::size_t>(m_current)].text, address);
        return decodeRun(address);
    }
    return true;
}

// Bytes no run decoded become DB lines, each stretch behind the segment that ends where it begins.
void Pass51::dataPass()
{
    int address = m_start;
    while (address < m_end) {
        if (m_visited[static_cast<std::size_t>(address)]) {
            ++address;
            continue;
        }
        const int gap = address;
        const int owner = segmentEndingAt(m_segments, gap);
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
        appendDbLines(segment.text, &m_image.bytes[static_cast<std::size_t>(gap)], address - gap, appendDhex);
        segment.end = address;
    }
}

// Labels used but neither at a line start nor beyond the range: below the start, at the end,
// inside an instruction. They go first, as EQU lines.
void Pass51::defineUnusedLabels()
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
void Pass51::joinSegments()
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

std::vector<const std::string *> Pass51::body() const
{
    std::vector<const std::string *> pieces{&m_late};
    if (m_order.empty() && !m_segments.empty())
        pieces.push_back(&m_segments.front().text);
    for (std::size_t k : m_order)
        pieces.push_back(&m_segments[k].text);
    return pieces;
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

} // namespace tw
