#pragma once
// The disassemblers' promises: what a disassembly plans to write is what its status says (a
// completed one its source, asked before replacing, and the question to open it; a failed one only
// files that replace nothing; any other none), and a disassembly reported as complete goes through
// our assembler without an error and gives back the bytes of the range it covered.
#include "Assembly.h"

#include "base/MessageStyle.h"
#include "base/ToolOutcome.h"
#include "common/Hex.h"

#include <QByteArray>
#include <string>

namespace twfuzz
{

// The range boxes as a user types them: four hex digits, or empty.
inline QString rangeText(int address)
{
    return address < 0 ? QString() : tw::hexWord(address);
}

// Checks a disassembly's plan in memory; returns the source a completed one would write.
inline const std::string *plannedSource(const tw::ToolOutcome &plan, bool completed, bool failed,
                                        const std::string &outPath)
{
    const std::string folder = outPath.substr(0, outPath.rfind('/') + 1);
    for (const tw::PlannedFile &file : plan.files) {
        if (file.path.compare(0, folder.size(), folder) != 0 ||
            file.path.find('/', folder.size()) != std::string::npos)
            finding("a planned file outside the output's folder:", QString::fromStdString(file.path));
        if (file.onlyWhereNone == completed || file.askBeforeReplacing != completed)
            finding("a planned file that may replace what it should not:", QString::fromStdString(file.path));
    }
    if (!completed) {
        if ((!failed && !plan.files.empty()) || !plan.done.empty() || !plan.openOnYes.empty())
            finding("an unfinished disassembly plans to write or ask");
        return nullptr;
    }
    if (plan.files.empty() || plan.files.front().path != outPath || plan.openOnYes != outPath ||
        plan.done.size() != 1 || plan.done.back().style != tw::MsgStyle::YesNo + tw::MsgStyle::Exclamation)
        finding("a completed disassembly plans no source or no question");
    return &plan.files.front().bytes;
}

// Reassembles source in memory and compares its code image with image over [from, to). sameByte
// says whether a byte that came back differs only as the disassembler documents (A5H as NOP).
template <typename SameByte>
void expectReassembles(tw::AsmCpu cpu, const std::string &source, const QByteArray &image, int from, int to,
                       SameByte sameByte)
{
    const tw::AssemblyOutcome planned =
        planChecked(cpu, QByteArray(source.data(), static_cast<qsizetype>(source.size())));
    if (!planned.result.completed || planned.result.errorCount != 0)
        finding("a completed disassembly does not assemble:", planned.result.summary());
    QByteArray again = plannedImage(planned);
    if (again.size() < to)
        again.resize(to, '\0');
    for (int address = from; address < to; ++address) {
        const auto original = static_cast<std::uint8_t>(address < image.size() ? image[address] : 0);
        const auto back = static_cast<std::uint8_t>(again[address]);
        if (!sameByte(original, back))
            finding("a byte came back changed at", tw::hexWord(address) + QStringLiteral(": ") +
                                                       tw::hexByte(original) + QStringLiteral(" -> ") +
                                                       tw::hexByte(back));
    }
}

} // namespace twfuzz
