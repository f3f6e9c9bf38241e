#include "LineRestore.h"

#include "ToolMessages.h"
#include "base/CodeImage.h"
#include "common/OutcomeWriter.h"

#include <QFileInfo>
#include <optional>

namespace tw
{

namespace
{

// The list texts as line numbers; std::nullopt when one is no whole number below the limit.
template <std::size_t N> std::optional<std::array<int, N>> readWiring(const QStringList &texts, int limit)
{
    std::array<int, N> lines{};
    if (texts.size() != static_cast<qsizetype>(N))
        return std::nullopt;
    for (std::size_t i = 0; i < N; ++i) {
        bool ok = false;
        lines[i] = texts[static_cast<qsizetype>(i)].toInt(&ok);
        if (!ok || lines[i] < 0 || lines[i] >= limit)
            return std::nullopt;
    }
    return lines;
}

bool dataLinesJoined(const QStringList &texts)
{
    for (qsizetype i = 0; i < texts.size(); ++i)
        for (qsizetype j = i + 1; j < texts.size(); ++j)
            if (texts[i] == texts[j])
                return true;
    return false;
}

} // namespace

std::uint8_t busByte(std::uint8_t stored, const DataWiring &dataLines)
{
    int result = 0;
    for (int i = 0; i < 8; ++i)
        if (stored & (1 << i))
            result |= 1 << dataLines[static_cast<std::size_t>(i)];
    return static_cast<std::uint8_t>(result);
}

int busAddress(int stored, const AddressWiring &addressLines)
{
    std::array<int, 16> bits{};
    for (int i = 0; i < 16 && (stored >> i) != 0; ++i)
        bits[static_cast<std::size_t>(addressLines[static_cast<std::size_t>(i)])] = (stored >> i) & 1;
    int result = 0;
    for (int t = 0; t < 16; ++t)
        result |= bits[static_cast<std::size_t>(t)] << t;
    return result;
}

QByteArray restoredImage(const QByteArray &stored, bool dataSwapped, const DataWiring &dataLines,
                         bool addressSwapped, const AddressWiring &addressLines)
{
    QByteArray restored(stored.size(), '\0');
    for (qsizetype k = 0; k < stored.size(); ++k) {
        const int address =
            addressSwapped ? busAddress(static_cast<int>(k), addressLines) : static_cast<int>(k);
        const auto value = static_cast<std::uint8_t>(stored[k]);
        if (address < restored.size())
            restored[address] = static_cast<char>(dataSwapped ? busByte(value, dataLines) : value);
    }
    return restored;
}

ToolOutcome restoreFile(const RestoreJob &job)
{
    if (dataLinesJoined(job.dataTexts))
        return refusal(refusalNote(ConvText::DataLinesJoined));
    const auto dataLines = readWiring<8>(job.dataTexts, 8);
    const auto addressLines = readWiring<16>(job.addressTexts, 16);
    if (!dataLines || !addressLines)
        return refusal(refusalNote(ConvText::BadWiring));
    if (const std::optional<ToolNote> problem = pathsProblem(
            {ConvText::ChooseRestoreInput, ConvText::MissingRestoreInput, ConvText::ChooseRestoreOutput},
            job.input, job.output))
        return refusal(*problem);
    if (QFileInfo(job.input).isFile() && QFileInfo(job.input).size() > kMaxCodeFileBytes)
        return refusal(noticeNote(ConvText::RestoreTooLong));
    if (const std::optional<ToolNote> problem =
            ownInputProblem(job.output, {job.input}, ConvText::RestoreOwnInput))
        return refusal(*problem);
    const ToolInput stored = readToolInput(job.input);
    if (!stored.ok())
        return refusal(*stored.fault);
    return writeThenNotice({plannedFile(job.output, restoredImage(stored.bytes, job.dataSwapped, *dataLines,
                                                                  job.addressSwapped, *addressLines))},
                           ConvText::Done, {job.input});
}

} // namespace tw
