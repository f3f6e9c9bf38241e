#pragma once
// The checks every run of our assemblers must pass, whatever the source: a failure says why and
// leaves no code image; a completed run gives one of 1 to 65,536 bytes.
#include "FuzzSupport.h"

#include "assembler/AssemblyRun.h"
#include "common/OutcomeWriter.h"

#include <algorithm>
#include <optional>

namespace twfuzz
{

// Hands each piece of a planned file to take, as the writer would write them.
template <typename Take> void forEachPlannedPiece(const tw::PlannedFile &file, Take take)
{
    if (!file.content) {
        take(std::string_view(file.bytes));
        return;
    }
    const std::string fault = file.content([&take](std::string_view piece) {
        take(piece);
        return std::string();
    });
    if (!fault.empty())
        finding("a planned file fails with nothing to write to:", QString::fromStdString(fault));
}

// The number of bytes a planned file would get.
inline std::size_t plannedLength(const tw::PlannedFile &file)
{
    std::size_t length = 0;
    forEachPlannedPiece(file, [&length](std::string_view piece) { length += piece.size(); });
    return length;
}

// The same checks on a run as planned: every planned file is produced, and the code image is the
// one of them named after the code-image path.
inline void expectSoundPlan(const tw::AssemblyOutcome &planned)
{
    const std::string bin = tw::nativePath(planned.result.paths.bin);
    std::optional<std::size_t> image;
    for (const tw::PlannedFile &file : planned.outcome.files) {
        const std::size_t length = plannedLength(file);
        if (file.path == bin)
            image = length;
    }
    if (!planned.result.completed) {
        if (planned.result.failureMessage.isEmpty() || planned.outcome.notes.empty())
            finding("a failed run without a message");
        if (image)
            finding("a failed run plans a code image");
        const std::vector<std::string> &stale = planned.outcome.stale;
        if (!planned.outcome.files.empty() && std::find(stale.begin(), stale.end(), bin) == stale.end())
            finding("a failed run leaves an earlier code image");
    } else if (!image || *image < 1 || *image > 65536) {
        finding("a completed run plans a code image of", QString::number(image ? qint64(*image) : -1));
    }
}

// A source's bytes planned for the CPU, in memory, checked as above: no file is read or written.
inline tw::AssemblyOutcome planChecked(tw::AsmCpu cpu, const QByteArray &source)
{
    // Names only: nothing is ever made under them.
    static const QString sourcePath = QStringLiteral("/nonexistent/prog.asm");
    static const QString binPath = QStringLiteral("/nonexistent/prog.bin");
    tw::AssemblyOutcome planned = tw::planAssembly(cpu, {sourcePath, binPath, source});
    expectSoundPlan(planned);
    return planned;
}

// The code image a completed run plans, as the writer would write it.
inline QByteArray plannedImage(const tw::AssemblyOutcome &planned)
{
    const std::string bin = tw::nativePath(planned.result.paths.bin);
    QByteArray image;
    for (const tw::PlannedFile &file : planned.outcome.files)
        if (file.path == bin)
            forEachPlannedPiece(file, [&image](std::string_view piece) {
                image.append(piece.data(), static_cast<qsizetype>(piece.size()));
            });
    return image;
}

// One fuzz input as a source's bytes.
inline int fuzzAssembler(tw::AsmCpu cpu, const std::uint8_t *data, std::size_t size)
{
    planChecked(cpu, QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    return 0;
}

} // namespace twfuzz
