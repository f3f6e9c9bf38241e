#pragma once
// The MCS-48 decoding pass: over an image whose labels the label pass has numbered, it decodes
// runs from the start address, the vectors and every target, writes the bytes no run reached as
// DB lines, and joins the runs into one text in address order.
#include "base/CodeImage.h"
#include "disassembler/common/DisasmJob.h"
#include "disassembler/common/DisasmLabels.h"
#include "disassembler/mcs48/LabelPass48.h"

#include <string>
#include <vector>

namespace tw
{

// Limits of the decoding pass.
constexpr int kPending48 = 256;
constexpr int kSegments48 = 256;

class Pass48
{
  public:
    // The range is start up to (not including) end.
    Pass48(const CodeImage &image, Labels48 &labels, long start, long end);

    // The body of the output (everything between the credit line and END); false on failure.
    bool run(std::string &body);
    // The table whose bound ended a failed run; None when an undefined opcode did.
    DisasmLimit limit() const { return m_limit; }

  private:
    struct Segment {
        std::string text;
        long start = 0;
        long end = 0;
        std::vector<int> defined; // labels printed in front of an instruction of this text
        std::vector<int> used;    // labels printed as operands in this text
        bool joined = false;      // appended to an earlier segment
    };

    bool decodeRun(long pc);
    bool recordTarget(int target, std::string &line, Segment &segment);
    bool queue(int number);
    bool reached(DisasmLimit limit)
    {
        m_limit = limit;
        return false;
    }
    bool takePending();
    void dataPass();
    void joinSegments();
    std::string strandedSegments();
    std::string missingDefinitions() const;
    int labelsWritten() const;
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

} // namespace tw
