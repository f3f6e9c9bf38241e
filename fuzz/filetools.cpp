// The split, merge, compare and restore commands on two images and any parameters, through files
// in the work folder, every question answered with its first button. An image is the input's
// bytes repeated to a chosen length, so that even a short input reaches the split sizes.
#include "FuzzSupport.h"

#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "common/TextFile.h"
#include "conversion/FileCompare.h"
#include "conversion/HexText.h"
#include "conversion/LineRestore.h"
#include "conversion/SplitMerge.h"

#include <QFile>
#include <fuzzer/FuzzedDataProvider.h>

namespace
{

constexpr int kLongestImage = 9000;

QByteArray image(FuzzedDataProvider &input)
{
    // Mostly short images (quick runs), sometimes long enough for every split size.
    const int length = input.ConsumeIntegralInRange(0, input.ConsumeBool() ? kLongestImage : 300);
    const std::string pattern = input.ConsumeRandomLengthString(256);
    QByteArray bytes(length, '\0');
    if (!pattern.empty())
        for (int i = 0; i < length; ++i)
            bytes[i] = pattern[static_cast<std::size_t>(i) % pattern.size()];
    return bytes;
}

void put(const QString &path, const QByteArray &bytes)
{
    twfuzz::writeInput(path, reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()));
}

// The outcome written as the window writes it, every question answered with its first button.
bool written(const tw::ToolOutcome &outcome)
{
    tw::ScriptedPrompter prompter;
    return tw::carryOut(outcome, prompter).result == tw::WriteResult::Written;
}

QString shortText(FuzzedDataProvider &input)
{
    return QString::fromUtf8(input.ConsumeRandomLengthString(6));
}

// A wiring list's texts: mostly line numbers (repeats included), sometimes any text.
QStringList wiringTexts(FuzzedDataProvider &input, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts << (input.ConsumeIntegralInRange(0, 15) == 0
                      ? shortText(input)
                      : QString::number(input.ConsumeIntegralInRange(0, count)));
    if (input.ConsumeBool())
        texts.removeLast();
    return texts;
}

void split(FuzzedDataProvider &input, const QString &first, const QByteArray &a)
{
    const QString size = input.ConsumeBool()
                             ? shortText(input)
                             : QString::fromLatin1(input.PickValueInArray({"1KB", "2KB", "4KB", "8KB"}));
    if (!written(tw::splitImage(first, size)))
        return;
    const QByteArray one = twfuzz::readOutput(tw::splitPartPath(first, 1));
    if (one + twfuzz::readOutput(tw::splitPartPath(first, 2)) != a || one.size() != tw::splitSize(size))
        twfuzz::finding("the split parts are not the image cut at the size", size);
}

void merge(FuzzedDataProvider &input, const QString &first, const QString &second, const QString &output,
           const QByteArray &a, const QByteArray &b)
{
    tw::MergeJob job{
        first, second, output, input.ConsumeBool(), shortText(input), input.ConsumeIntegral<std::uint8_t>()};
    if (input.ConsumeBool())
        job.startText = QString::number(input.ConsumeIntegralInRange(0, 0x2400), 16).toUpper();
    QFile::remove(output);
    const bool merged = written(tw::mergeImages(job));
    if (merged != QFile::exists(output))
        twfuzz::finding("a merge's result and its output file disagree");
    if (merged) {
        const int start = job.byAddress ? tw::readAddressBox(job.startText, false).value_or(-1) : 0;
        if (twfuzz::readOutput(output) != tw::mergedImage(a, b, job.byAddress, start, job.fill))
            twfuzz::finding("the merged file is not the merged image");
    }
}

void compare(const QString &first, const QString &second, const QByteArray &a, const QByteArray &b)
{
    const tw::CompareRun run = tw::compareFiles(first, second);
    const bool reportWritten = written(run.outcome);
    if (reportWritten != (a.size() == b.size()))
        twfuzz::finding("a report for files of different lengths, or none for equal ones");
    int differences = 0;
    const QString report = tw::compareReport(a, b, &differences);
    if (reportWritten && run.differences != differences)
        twfuzz::finding("the report's count is not the differences");
    // The streamed report is the one made in memory, byte for byte.
    if (reportWritten && twfuzz::readOutput(run.reportPath) != tw::encodeText(report))
        twfuzz::finding("the streamed report differs from the report in memory");
    if (report.count(QStringLiteral("H:\t")) != differences)
        twfuzz::finding("not one report line a difference");
}

void restore(FuzzedDataProvider &input, const QString &first, const QString &output, const QByteArray &a)
{
    tw::RestoreJob job;
    job.input = first;
    job.output = output;
    job.dataSwapped = input.ConsumeBool();
    job.addressSwapped = input.ConsumeBool();
    job.dataTexts = wiringTexts(input, 8);
    job.addressTexts = wiringTexts(input, 16);
    QFile::remove(output);
    if (written(tw::restoreFile(job)) && twfuzz::readOutput(output).size() != a.size())
        twfuzz::finding("a restored image of another length");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString first = twfuzz::workPath("first.bin");
    static const QString second = twfuzz::workPath("second.bin");
    static const QString output = twfuzz::workPath("merged.bin");
    FuzzedDataProvider input(data, size);
    const QByteArray a = image(input);
    const QByteArray b = input.ConsumeBool() ? a : image(input);
    put(first, a);
    put(second, b);
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        split(input, first, a);
        break;
    case 1:
        merge(input, first, second, output, a, b);
        break;
    case 2:
        compare(first, second, a, b);
        break;
    default:
        restore(input, first, output, a);
        break;
    }
    return 0;
}
