#pragma once
// The checks every run of our assemblers must pass, whatever the source: a failure says why and
// leaves no code image; a completed run gives one of 1 to 65,536 bytes.
#include "FuzzSupport.h"

#include "assembler/AssemblyRun.h"
#include "common/OutcomeWriter.h"

#include <QFile>
#include <algorithm>
#include <optional>

namespace twfuzz
{

// The run carried out through files, for the targets that need the code image on the disk.
inline tw::AssemblyResult assembleChecked(tw::AssembleFunction assemble, const QString &source,
                                          const QString &bin)
{
    QFile::remove(bin);
    const tw::AssemblyResult result = assemble(source, bin, {});
    const qint64 length = QFile(bin).size();
    if (!result.completed) {
        if (result.failureMessage.isEmpty())
            finding("a failed run without a message");
        if (QFile::exists(bin))
            finding("a failed run left a code image");
    } else if (length < 1 || length > 65536) {
        finding("a completed run wrote a code image of", QString::number(length));
    }
    return result;
}

// The bytes a planned file would get, counted as the writer would write them.
inline std::size_t plannedLength(const tw::PlannedFile &file)
{
    if (!file.content)
        return file.bytes.size();
    std::size_t length = 0;
    const std::string fault = file.content([&length](std::string_view piece) {
        length += piece.size();
        return std::string();
    });
    if (!fault.empty())
        finding("a planned file fails with nothing to write to:", QString::fromStdString(fault));
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

// One fuzz input as a source's bytes through plan, in memory: no file is read or written.
inline int fuzzAssembler(tw::PlanFunction plan, const std::uint8_t *data, std::size_t size)
{
    // Names only: nothing is ever made under them.
    static const QString source = QStringLiteral("/nonexistent/prog.asm");
    static const QString bin = QStringLiteral("/nonexistent/prog.bin");
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    expectSoundPlan(plan({source, bin, bytes}, {}));
    return 0;
}

} // namespace twfuzz
