#pragma once
// The MCS-51 decoding pass: from the labels the label pass found, it decodes runs from the start
// address, the vectors and every target, writes the bytes no run reached as DB lines, orders the
// runs for the file and lists the code segments.
#include "base/CodeImage.h"
#include "disassembler/common/DisasmJob.h"
#include "disassembler/common/DisasmLabels.h"
#include "disassembler/mcs51/LabelPass51.h"

#include <string>
#include <vector>

namespace tw
{

// Numbered labels the output can define: with L0 they make the names our assembler takes.
constexpr int kMaxLabels51 = kMaxOutputLabels - 1;
constexpr int kMaxSegments51 = 2049; // segments 0..2048

class Pass51
{
  public:
    // The range is start up to (not including) end.
    Pass51(const CodeImage &image, int start, int end) : m_image(image), m_start(start), m_end(end) {}

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
    struct Segment {
        int start = 0;
        int end = 0;      // exclusive; may pass 0FFFFH when the last instruction does
        std::string text; // ASCII: the lines go straight in as bytes
        bool merged = false;
    };

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

// The segment list as the file holds it: GBK, as every text file the system writes.
std::string segmentListFile(const std::vector<std::string> &lines);

} // namespace tw
