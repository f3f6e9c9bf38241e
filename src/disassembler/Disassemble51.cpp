#include "disassembler/Disassemble51.h"

#include "common/CodeImage.h"
#include "common/Hex.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "common/TextFile.h"
#include "disassembler/Decoder51.h"
#include "disassembler/DisasmText.h"
#include "disassembler/LabelPass51.h"

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

const QString kCredit = QStringLiteral(";Source recovered by the Tarnwick MCS-51 disassembler");
const QString kFailureCredit =
    QStringLiteral(";Tarnwick MCS-51 disassembler: incomplete, the disassembly failed");

struct Segment {
    int start = 0;
    int end = 0; // exclusive; may pass 0FFFFH when the last instruction does
    QString text;
    bool merged = false;
};

QString separatorLine(int address)
{
    return u";========"_qs + hexWord(address) + u"H========="_qs;
}

QString runHeader(int address)
{
    return separatorLine(address) + kCrLf + orgLine(address) + kCrLf;
}

class Disassembler51
{
  public:
    Disassembler51(const CodeImage &image, int start, int end) : image_(image), start_(start), end_(end) {}

    // Everything between the credit line and "END"; false on a fault, with body() holding what
    // segment 0 had gathered by then.
    bool run(const DisasmLabels &labels);
    QString body() const { return segments_.empty() ? QString() : segments_.front().text; }
    QStringList segmentList() const { return segmentList_; }
    // The table whose bound ended a failed run.
    DisasmLimit limit() const { return limit_; }

  private:
    bool decodeRun(int pc);
    bool nextRun();
    bool useTarget(int target, bool addMissing, int &labelIndex);
    bool queue(int index);
    bool reached(DisasmLimit limit)
    {
        limit_ = limit;
        return false;
    }
    bool markDefined(int index);
    void dataPass();
    void defineUnusedLabels();
    void joinSegments();
    int segmentEndingAt(int address) const;

    const CodeImage &image_;
    const int start_;
    const int end_;
    DisasmLabels labels_;
    std::vector<bool> visited_ = std::vector<bool>(0x10000, false);
    std::vector<bool> labelDone_;
    PendingLabels pending_{kPendingLimit51};
    std::vector<Segment> segments_;
    int current_ = 0;
    int dptr_ = 0;
    QStringList segmentList_;
    DisasmLimit limit_ = DisasmLimit::None;
};

bool Disassembler51::run(const DisasmLabels &labels)
{
    labels_ = labels;
    labelDone_.assign(static_cast<std::size_t>(labels_.count()) + 1, false);
    segments_.assign(1, Segment{start_, start_, QString(), false});
    Segment &first = segments_.front();
    for (int k = 1; k <= labels_.count(); ++k)
        if (labels_.address(k) > end_) {
            first.text += equLine(k, labels_.address(k)) + kCr;
            if (!markDefined(k))
                return false;
        }
    first.text += orgLine(start_) + kCr;
    if (start_ == 0)
        for (int vector = 1; vector <= 6; ++vector)
            if (!queue(vector))
                return false;

    if (!decodeRun(start_))
        return false;
    while (!pending_.empty())
        if (!nextRun())
            return false;

    segmentList_ = {QString(), QString(), u"  程序段地址如下："_qs, QString()};
    for (std::size_t k = 0; k < segments_.size(); ++k)
        segmentList_ << u"  "_qs + QString::number(k) + u'\t' + hexWord(segments_[k].start) + u'\t' +
                            hexWord(std::min(segments_[k].end, 0xFFFF));
    dataPass();
    // Every label is defined somewhere in the output, those not met so far by an EQU line.
    if (labels_.count() > kMaxLabels)
        return reached(DisasmLimit::Labels);
    defineUnusedLabels();
    joinSegments();
    return true;
}

// Decodes from pc until the flow leaves, the range ends or it meets code already decoded.
bool Disassembler51::decodeRun(int pc)
{
    Segment *segment = &segments_[static_cast<std::size_t>(current_)];
    const auto &visited = visited_;
    const int first = pc;
    while (pc < end_ && !visited[static_cast<std::size_t>(pc)] && fitsBelowTop51(image_, pc)) {
        visited_[static_cast<std::size_t>(pc)] = true;
        QString line;
        const int own = labels_.find(pc);
        if (own >= 0) {
            if (!markDefined(own))
                return false;
            line = labelName(own) + u": "_qs;
        }
        const Instruction51 instruction = fetch51(image_, pc, dptr_);
        const Opcode51 &row = *instruction.row;
        for (int k = 1; k < row.length; ++k)
            visited_[static_cast<std::size_t>((pc + k) & 0xFFFF)] = true;
        dptr_ =
            trackedDptr51(row, pc, dptr_, [this](int address) { return static_cast<int>(image_[address]); });
        int targetLabel = -1;
        if (instruction.target >= 0 &&
            !useTarget(instruction.target, row.target != Target51::DataPointer, targetLabel))
            return false;
        segment->text += line + instructionText51(image_, instruction, targetLabel) + kCr;
        pc += row.length;
        if (row.endsRun)
            break;
    }
    if (pc != first)
        visited_[static_cast<std::size_t>((pc - 1) & 0xFFFF)] = true;
    segment->end = pc;
    return true;
}

// The label of a target, queued to be decoded. A target the label pass did not register (the
// runs here meet the data pointer in another order) gets a label of its own, so that no
// instruction is written without its operand; JMP @A+DPTR writes no target and adds none.
bool Disassembler51::useTarget(int target, bool addMissing, int &labelIndex)
{
    labelIndex = labels_.find(target);
    if (labelIndex < 0) {
        if (!addMissing)
            return true;
        if (labels_.count() >= kMaxLabels)
            return reached(DisasmLimit::Labels);
        labelIndex = labels_.add(target);
        labelDone_.push_back(false);
    }
    return queue(labelIndex);
}

// Queues a label's address for a run; one decoded already needs none.
bool Disassembler51::queue(int index)
{
    if (visited_[static_cast<std::size_t>(labels_.address(index))] || pending_.push(index))
        return true;
    return reached(DisasmLimit::PendingTargets);
}

// A label written at a line start or as an EQU line; false past the labels the output can hold.
bool Disassembler51::markDefined(int index)
{
    if (index > kMaxLabels)
        return reached(DisasmLimit::Labels);
    labelDone_[static_cast<std::size_t>(index)] = true;
    return true;
}

// Starts the next run at the first pending label inside the range and not decoded yet.
bool Disassembler51::nextRun()
{
    while (!pending_.empty()) {
        const int index = pending_.pop();
        const int address = labels_.address(index);
        if (address < start_ || address >= end_ || visited_[static_cast<std::size_t>(address)] ||
            !fitsBelowTop51(image_, address))
            continue;
        if (!markDefined(index))
            return false;
        current_ = segmentEndingAt(address);
        if (current_ < 0) {
            if (static_cast<int>(segments_.size()) >= kMaxSegments)
                return reached(DisasmLimit::Segments);
            segments_.push_back(Segment{address, address, QString(), false});
            current_ = static_cast<int>(segments_.size()) - 1;
        }
        segments_[static_cast<std::size_t>(current_)].text += runHeader(address);
        return decodeRun(address);
    }
    return true;
}

int Disassembler51::segmentEndingAt(int address) const
{
    for (std::size_t j = 0; j < segments_.size(); ++j)
        if (segments_[j].end == address)
            return static_cast<int>(j);
    return -1;
}

// Bytes no run decoded become DB lines, each stretch behind the segment that ends where it begins.
void Disassembler51::dataPass()
{
    int address = start_;
    while (address < end_) {
        if (visited_[static_cast<std::size_t>(address)]) {
            ++address;
            continue;
        }
        const int gap = address;
        const int owner = segmentEndingAt(gap);
        if (owner >= 0)
            current_ = owner;
        while (address < end_ && !visited_[static_cast<std::size_t>(address)])
            ++address;
        Segment &segment = segments_[static_cast<std::size_t>(current_)];
        segment.text += separatorLine(gap) + kCrLf;
        // Behind a segment that ends elsewhere the bytes need their own origin.
        if (owner < 0)
            segment.text += orgLine(gap) + kCrLf;
        appendDbLines(segment.text, &image_.bytes[static_cast<std::size_t>(gap)], address - gap, dhex);
        segment.end = address;
    }
}

// Labels used but neither at a line start nor beyond the range: below the start, at the end,
// inside an instruction. They go first, as EQU lines.
void Disassembler51::defineUnusedLabels()
{
    QString late;
    for (int k = 0; k <= labels_.count(); ++k)
        if (!labelDone_[static_cast<std::size_t>(k)])
            late += equLine(k, labels_.address(k)) + kCr;
    segments_.front().text.prepend(late);
}

// Segments are appended to segment 0 in the order their starts are reached. Runs that overlap
// (an instruction whose operand bytes cover the start of an earlier run) can make a segment end
// before the text joined so far does; the end reached never shrinks, and a segment still left
// over goes last: it opens with its own ORG line, so its bytes land where they belong and the
// labels it defines are not lost.
void Disassembler51::joinSegments()
{
    Segment &first = segments_.front();
    for (std::size_t pass = 1; pass < segments_.size(); ++pass)
        for (std::size_t k = 1; k < segments_.size(); ++k) {
            Segment &segment = segments_[k];
            if (!segment.merged && segment.start <= first.end) {
                first.text += segment.text;
                first.end = std::max(first.end, segment.end);
                segment.merged = true;
                break;
            }
        }
    for (std::size_t k = 1; k < segments_.size(); ++k)
        if (!segments_[k].merged) {
            first.text += segments_[k].text;
            segments_[k].merged = true;
        }
}

Disasm51Result finishFailed(Disasm51Result result, const QString &outPath, const QString &body)
{
    result.outcome = DisasmOutcome::Failed;
    result.messages.push_back({u"反汇编失败！"_qs, MsgStyle::Exclamation, u"反汇编信息"_qs});
    result.sourceText = disassemblyFile(kFailureCredit, body);
    if (writeTextFile(outPath, result.sourceText))
        result.filesWritten << outPath;
    return result;
}

} // namespace

Disasm51Result disassemble51(const Disasm51Job &job)
{
    Disasm51Result result;
    const int start = job.startText.isEmpty() ? 0 : hexToBin(job.startText);
    result.startAddress = start;
    const std::optional<QByteArray> bytes = readBinaryFile(job.binPath);
    if (bytes && bytes->size() > kMaxInputLength) {
        result.outcome = DisasmOutcome::InputTooLong;
        result.messages.push_back(
            {u"目标代码长度超出范围，此非51单片机机器码？"_qs, MsgStyle::Exclamation, u"信息"_qs});
        return result;
    }
    if (!bytes)
        return finishFailed(std::move(result), job.outPath, QString());

    // The image is cleared first: nothing of an earlier, longer file may show through.
    auto image = std::make_unique<CodeImage>();
    std::copy(bytes->begin(), bytes->end(), image->bytes.begin());
    const int end = job.endText.isEmpty() ? static_cast<int>(bytes->size()) : hexToBin(job.endText);
    result.endAddress = end;
    if (start >= end)
        return finishFailed(std::move(result), job.outPath, QString());

    DisasmLabels labels;
    DisasmLimit limit = DisasmLimit::None;
    if (!collectLabels51(*image, start, end, labels, limit)) {
        result.messages.push_back(
            limitMessage(limit, limit == DisasmLimit::Labels ? kLabelPassMaxLabels : kPendingLimit51));
        return finishFailed(std::move(result), job.outPath, QString());
    }
    auto disassembler = std::make_unique<Disassembler51>(*image, start, end);
    const bool decoded = disassembler->run(labels);
    // The segment list is there once the runs are done, even when a later step fails.
    const QStringList listLines = disassembler->segmentList();
    if (!listLines.isEmpty()) {
        const QString listPath =
            job.segmentListPath.isEmpty() ? replaceLastThree(job.outPath, u"lst"_qs) : job.segmentListPath;
        for (const QString &line : listLines)
            result.segmentListText += line + kCrLf;
        if (!writeLines(listPath, listLines))
            return finishFailed(std::move(result), job.outPath, disassembler->body());
        result.filesWritten << listPath;
    }
    if (!decoded) {
        const DisasmLimit reached = disassembler->limit();
        if (reached != DisasmLimit::None)
            result.messages.push_back(limitMessage(reached, reached == DisasmLimit::Labels ? kMaxOutputLabels
                                                            : reached == DisasmLimit::Segments
                                                                ? kMaxSegments
                                                                : kPendingLimit51));
        return finishFailed(std::move(result), job.outPath, disassembler->body());
    }

    result.sourceText = disassemblyFile(kCredit, disassembler->body());
    if (!writeTextFile(job.outPath, result.sourceText)) {
        result.messages.push_back({u"反汇编失败！"_qs, MsgStyle::Exclamation, u"反汇编信息"_qs});
        return result;
    }
    result.filesWritten << job.outPath;
    result.outcome = DisasmOutcome::Completed;
    result.openPath = job.outPath;
    result.messages.push_back({u"反汇编完成！\r\n打开汇编语言程序吗？"_qs,
                               MsgStyle::YesNo + MsgStyle::Exclamation, u"反汇编信息"_qs});
    return result;
}

} // namespace tw
