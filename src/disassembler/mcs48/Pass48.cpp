#include "disassembler/mcs48/Pass48.h"

#include "disassembler/common/DisasmText.h"
#include "disassembler/mcs48/Decoder48.h"

#include <set>

namespace tw
{
namespace
{

constexpr std::string_view kSeparator = ";============================\r\n";

} // namespace

Pass48::Pass48(const CodeImage &image, Labels48 &labels, long start, long end)
    : m_image(image), m_labels(labels), m_start(start), m_end(end), m_visited(kCodeImageSize, false)
{
}

bool Pass48::run(std::string &body)
{
    m_segments.push_back(Segment{{}, m_start, m_start, {}, {}});
    Segment &first = m_segments.front();
    for (int i = 0; i <= m_labels.count(); ++i) {
        if (m_labels.address(i) > m_end) {
            appendEquLine(first.text, i, m_labels.address(i));
            first.text += '\r';
            first.defined.push_back(i);
        }
    }
    appendOrgLine(first.text, static_cast<int>(m_start));
    first.text += '\r';
    if (m_start == 0 && !(queue(1) && queue(2)))
        return false;
    if (!decodeRun(m_start) || !takePending())
        return false;
    dataPass();
    joinSegments();
    const std::string stranded = strandedSegments();
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

// Decodes from pc until a jump or return, the range end or a byte decoded before. A failed run's
// text is never written, so each line goes straight into the segment.
bool Pass48::decodeRun(long pc)
{
    while (pc < m_end && !isVisited(pc)) {
        Segment &segment = m_segments[static_cast<std::size_t>(m_current)];
        std::string &line = segment.text;
        m_visited[static_cast<std::size_t>(pc)] = true;
        if (const int self = m_labels.find(static_cast<int>(pc)); self >= 0) {
            appendLabelName(line, self);
            line += ": ";
            segment.defined.push_back(self);
        }
        const Instruction48 in = decode48(m_image, static_cast<int>(pc), m_bank);
        if (in.undefined())
            return false;
        line += lineLead48(in);
        if (in.operandAddress >= 0)
            m_visited[static_cast<std::size_t>(in.operandAddress)] = true;
        if (operandUse48(*in.row) == Operand48::Immediate) {
            appendHexByte(line, in.operand);
            line += 'H';
        }
        if (in.target >= 0 && !recordTarget(in.target, line, segment))
            return false;
        line += '\r';
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
bool Pass48::recordTarget(int target, std::string &line, Segment &segment)
{
    int number = m_labels.find(target);
    if (number < 0) {
        if (m_labels.count() >= kMaxLabels48)
            return reached(DisasmLimit::Labels);
        number = m_labels.add(target);
    }
    appendLabelName(line, number);
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

// Runs from every pending target; a run that starts where a segment ends continues that segment.
bool Pass48::takePending()
{
    while (!m_pending.empty()) {
        const long pc = m_labels.address(m_pending.pop());
        if (isVisited(pc))
            continue;
        m_current = segmentEndingAt(m_segments, pc);
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
        if (const int k = segmentEndingAt(m_segments, i); k >= 0)
            m_current = k;
        Segment &segment = m_segments[static_cast<std::size_t>(m_current)];
        segment.text += kSeparator;
        const long from = i;
        while (i < m_end && !isVisited(i))
            ++i;
        appendDbLines(segment.text, m_image.bytes.data() + from, static_cast<int>(i - from), appendHexByte);
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
std::string Pass48::strandedSegments()
{
    std::string text;
    Segment &written = m_segments.front();
    for (std::size_t k = 1; k < m_segments.size(); ++k) {
        const Segment &segment = m_segments[k];
        if (segment.joined || segment.start < m_start || segment.start >= m_end)
            continue;
        std::string_view body = segment.text;
        if (body.starts_with(kSeparator))
            body.remove_prefix(kSeparator.size());
        text += kSeparator;
        appendOrgLine(text, static_cast<int>(segment.start));
        text += "\r\n";
        text += body;
        written.defined.insert(written.defined.end(), segment.defined.begin(), segment.defined.end());
        written.used.insert(written.used.end(), segment.used.begin(), segment.used.end());
    }
    return text;
}

// EQU lines for the labels the written text uses but does not define: targets on an operand byte,
// at the range end, below the start, in text that joins nothing, or numbered by this pass beyond
// the range.
std::string Pass48::missingDefinitions() const
{
    const Segment &written = m_segments.front();
    const std::set<int> defined(written.defined.begin(), written.defined.end());
    const std::set<int> used(written.used.begin(), written.used.end());
    std::string lines;
    for (const int number : used)
        if (!defined.count(number)) {
            appendEquLine(lines, number, m_labels.address(number));
            lines += '\r';
        }
    return lines;
}

} // namespace tw
