#include "disassembler/Disassemble48.h"

#include "common/CodeImage.h"
#include "common/Hex.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "common/TextFile.h"
#include "common/Vb.h"
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
        : image_(image), labels_(labels), start_(start), end_(end), visited_(kCodeImageSize, false)
    {
    }

    // The body of the output (everything between the credit line and END); false on failure.
    bool run(QString &body);

  private:
    bool decodeRun(long pc);
    bool recordTarget(int target, QString &line, Segment &segment);
    bool takePending();
    void dataPass();
    void joinSegments();
    QString strandedSegments();
    QString missingDefinitions() const;
    int labelsWritten() const;
    int segmentEndingAt(long address) const;
    bool isVisited(long address) const { return visited_[static_cast<std::size_t>(address)]; }

    const CodeImage &image_;
    Labels48 &labels_;
    const long start_;
    const long end_;
    std::vector<bool> visited_;
    std::vector<int> pending_;
    std::vector<Segment> segments_;
    int current_ = 0;
    bool bank_ = false;
};

bool Pass48::run(QString &body)
{
    segments_.push_back(Segment{{}, start_, start_, {}, {}});
    Segment &first = segments_.front();
    for (int i = 0; i <= labels_.count(); ++i) {
        if (labels_.address(i) > end_) {
            first.text += equLine(i, labels_.address(i)) + kCr;
            first.defined.push_back(i);
        }
    }
    first.text += orgLine(start_) + kCr;
    if (start_ == 0) {
        pending_.push_back(1);
        pending_.push_back(2);
    }
    if (!decodeRun(start_) || !takePending())
        return false;
    dataPass();
    joinSegments();
    const QString stranded = strandedSegments();
    if (labelsWritten() > kMaxOutputLabels)
        return false;
    body = missingDefinitions() + segments_.front().text + stranded;
    return true;
}

// Labels the written text names or defines; each of them is defined once.
int Pass48::labelsWritten() const
{
    const Segment &written = segments_.front();
    std::set<int> names(written.defined.begin(), written.defined.end());
    names.insert(written.used.begin(), written.used.end());
    return static_cast<int>(names.size());
}

// Decodes from pc until a jump or return, the range end or a byte decoded before.
bool Pass48::decodeRun(long pc)
{
    while (pc < end_ && !isVisited(pc)) {
        Segment &segment = segments_[static_cast<std::size_t>(current_)];
        visited_[static_cast<std::size_t>(pc)] = true;
        QString line;
        if (const int self = labels_.find(static_cast<int>(pc)); self >= 0) {
            line = labelName(self) + QStringLiteral(": ");
            segment.defined.push_back(self);
        }
        const Instruction48 in = decode48(image_, static_cast<int>(pc), bank_);
        if (in.undefined())
            return false;
        line += lineLead48(in);
        if (in.operandAddress >= 0)
            visited_[static_cast<std::size_t>(in.operandAddress)] = true;
        if (in.immediate())
            line += hexByte(in.operand) + u'H';
        if (in.target >= 0 && !recordTarget(in.target, line, segment))
            return false;
        segment.text += line + kCr;
        pc = in.next;
        if (in.endsRun)
            break;
    }
    segments_[static_cast<std::size_t>(current_)].end = pc;
    return true;
}

// Prints the target's label and queues it for a run. The label pass may have met this transfer
// with the other memory bank selected (it walks in another order), so a target it did not number
// gets a new label here rather than a bare operand.
bool Pass48::recordTarget(int target, QString &line, Segment &segment)
{
    int number = labels_.find(target);
    if (number < 0) {
        if (labels_.count() >= kMaxLabels48)
            return false;
        number = labels_.add(target);
    }
    line += labelName(number);
    segment.used.push_back(number);
    if (pending_.size() >= static_cast<std::size_t>(kPending48))
        return false;
    pending_.push_back(number);
    return true;
}

int Pass48::segmentEndingAt(long address) const
{
    for (std::size_t k = 0; k < segments_.size(); ++k)
        if (segments_[k].end == address)
            return static_cast<int>(k);
    return -1;
}

// Runs from every pending target; a run that starts where a segment ends continues that segment.
bool Pass48::takePending()
{
    while (!pending_.empty()) {
        const long pc = labels_.address(pending_.back());
        pending_.pop_back();
        if (isVisited(pc))
            continue;
        current_ = segmentEndingAt(pc);
        if (current_ < 0) {
            if (segments_.size() >= static_cast<std::size_t>(kSegments48))
                return false;
            segments_.push_back(Segment{{}, pc, pc, {}, {}});
            current_ = static_cast<int>(segments_.size()) - 1;
        }
        segments_[static_cast<std::size_t>(current_)].text += kSeparator;
        if (!decodeRun(pc))
            return false;
    }
    return true;
}

// Every byte of the range that no run decoded becomes DB lines, appended to the segment that ends
// where the stretch begins.
void Pass48::dataPass()
{
    long i = start_;
    for (;;) {
        while (i < end_ && isVisited(i))
            ++i;
        if (i >= end_)
            return;
        if (const int k = segmentEndingAt(i); k >= 0)
            current_ = k;
        Segment &segment = segments_[static_cast<std::size_t>(current_)];
        segment.text += kSeparator;
        const long from = i;
        while (i < end_ && !isVisited(i))
            ++i;
        appendDbLines(segment.text, image_.bytes.data() + from, static_cast<int>(i - from), hexByte);
        segment.end = i;
    }
}

// Links the segments into segment 0 in address order. A segment joins one predecessor only: two
// segments ending at the same address must not both carry its text (and its label definitions).
void Pass48::joinSegments()
{
    for (std::size_t i = segments_.size() - 1; i >= 1; --i) {
        Segment &next = segments_[i];
        for (std::size_t k = 0; k < i; ++k) {
            Segment &before = segments_[k];
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
    Segment &written = segments_.front();
    for (std::size_t k = 1; k < segments_.size(); ++k) {
        const Segment &segment = segments_[k];
        if (segment.joined || segment.start < start_ || segment.start >= end_)
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
    const Segment &written = segments_.front();
    const std::set<int> defined(written.defined.begin(), written.defined.end());
    const std::set<int> used(written.used.begin(), written.used.end());
    QString lines;
    for (const int number : used)
        if (!defined.count(number))
            lines += equLine(number, labels_.address(number)) + kCr;
    return lines;
}

DisasmMessage failureMessage()
{
    return {QStringLiteral("存在有非MCS48操作码，反汇编失败！"), MsgStyle::Exclamation,
            QStringLiteral("反汇编信息")};
}

// The label dump: "L", Str(number), TAB, Str(address) per label, each line and the whole ended by CR LF.
QString labelDump(const Labels48 &labels)
{
    QString text;
    for (int i = 1; i <= labels.count(); ++i)
        text += u'L' + vbStr(i) + u'\t' + vbStr(labels.address(i)) + kCrLf;
    return text + kCrLf;
}

void fail(Disasm48Outcome &outcome, const Labels48 &labels)
{
    outcome.succeeded = false;
    outcome.messages.push_back(failureMessage());
    if (writeTextFile(outcome.dumpPath, labelDump(labels)))
        outcome.filesWritten << outcome.dumpPath;
}

} // namespace

Disasm48Outcome disassemble48(const Disasm48Job &job)
{
    Disasm48Outcome outcome;
    outcome.proposedOutputPath = replaceLastThree(job.binPath, QStringLiteral("asm"));
    outcome.dumpPath = replaceLastThree(job.binPath, QStringLiteral("err"));
    Labels48 labels;

    const long start = job.startText.isEmpty() ? 0 : hexToBin(job.startText);
    const long loadAt = job.partialCode ? start : 0;
    const auto bytes = readBinaryFile(job.binPath);
    if (!bytes) {
        fail(outcome, labels);
        return outcome;
    }
    if (bytes->size() > kImageLimit48 - loadAt) {
        outcome.messages.push_back({QStringLiteral("目标代码长度超出范围，此非48单片机机器码？"),
                                    MsgStyle::Exclamation, QStringLiteral("信息")});
        return outcome;
    }
    // A fresh image per call: no byte of an earlier, longer file can show through.
    auto image = std::make_unique<CodeImage>();
    std::copy(bytes->begin(), bytes->end(), image->bytes.begin() + loadAt);
    const long end = job.endText.isEmpty() ? loadAt + bytes->size() : hexToBin(job.endText);
    if (bytes->isEmpty() || end <= start) {
        fail(outcome, labels);
        return outcome;
    }

    if (!labelPass48(*image, static_cast<int>(start), static_cast<int>(end), labels)) {
        outcome.messages.push_back(
            {QStringLiteral("存在无定义代码！"), MsgStyle::Exclamation, QStringLiteral("信息")});
        fail(outcome, labels);
        return outcome;
    }
    Pass48 pass(*image, labels, start, end);
    QString body;
    if (!pass.run(body) || !writeTextFile(job.outPath, disassemblyFile(kCredit, body))) {
        fail(outcome, labels);
        return outcome;
    }
    outcome.succeeded = true;
    outcome.filesWritten << job.outPath;
    outcome.messages.push_back(
        {QStringLiteral("反汇编完成！") + kCrLf + QStringLiteral("打开汇编语言程序吗？"),
         MsgStyle::YesNo + MsgStyle::Exclamation, QStringLiteral("反汇编信息")});
    outcome.opensOutputOnYes = true;
    return outcome;
}

} // namespace tw
