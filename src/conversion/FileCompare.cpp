#include "FileCompare.h"

#include "ToolMessages.h"
#include "base/HexDigits.h"
#include "common/CheckedFile.h"
#include "common/OutcomeWriter.h"
#include "common/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tw
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");
const QString &kDone = ConvText::CompareDone;

// Each file is read a piece of this size at a time; the report is handed on in pieces of about
// the same size.
constexpr std::size_t kPieceBytes = 1 << 20;

// One difference line: "01A2H:" TAB "3C" TAB "3D" CR LF. Offsets up to FFFFH take four digits,
// larger ones as many as they need.
void appendLine(std::string &out, std::int64_t offset, std::uint8_t a, std::uint8_t b)
{
    char digits[16];
    int count = 0;
    for (std::int64_t rest = offset; rest != 0 || count < 4; rest >>= 4)
        digits[count++] = hexDigit(static_cast<unsigned>(rest & 0xF));
    while (count > 0)
        out += digits[--count];
    out += "H:\t";
    out += hexDigit(a >> 4);
    out += hexDigit(a);
    out += '\t';
    out += hexDigit(b >> 4);
    out += hexDigit(b);
    out += "\r\n";
}

QString reportHead(int differences)
{
    const QString head = QStringLiteral(u"文件比较报告") + kCrLf;
    if (differences == 0)
        return head + QStringLiteral(u"两文件相同") + kCrLf;
    return head + ConvText::differencesText(differences) + kCrLf + kCrLf + QStringLiteral(u"清单如下：") +
           kCrLf;
}

// Why a pass over both files stopped: a read fault of one of them, or the reason the pass itself
// gave (path empty).
struct PassStop {
    QString path;
    QString reason;
};

const QString kChangedWhileCompared = QStringLiteral(u"文件在比较过程中被改动");

std::optional<PassStop> openInput(CheckedInput &input, const QString &path)
{
    std::string reason;
    if (input.open(nativePath(path), kMaxTextFileBytes, reason) != ReadFault::None)
        return PassStop{path, QString::fromStdString(reason)};
    return std::nullopt;
}

// Reads both files to their end, a piece of each at a time, and hands each pair of pieces to
// each(offset, first, second, count), which returns an empty text to go on or why it stops.
template <typename Each>
std::optional<PassStop> walkBoth(const QString &firstPath, const QString &secondPath, std::int64_t length,
                                 Each &&each)
{
    CheckedInput inputs[2];
    const QString paths[2] = {firstPath, secondPath};
    for (int i = 0; i < 2; ++i) {
        if (std::optional<PassStop> stop = openInput(inputs[i], paths[i]))
            return stop;
        if (inputs[i].size() != length)
            return PassStop{paths[i], kChangedWhileCompared};
    }
    std::vector<char> pieces[2] = {std::vector<char>(kPieceBytes), std::vector<char>(kPieceBytes)};
    for (std::int64_t offset = 0; offset < length;) {
        const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(kPieceBytes, length - offset));
        for (int i = 0; i < 2; ++i) {
            std::string reason;
            const std::int64_t got = inputs[i].read(pieces[i].data(), wanted, reason);
            if (got < 0)
                return PassStop{paths[i], QString::fromStdString(reason)};
            if (got != static_cast<std::int64_t>(wanted))
                return PassStop{paths[i], kChangedWhileCompared};
        }
        if (QString reason = each(offset, pieces[0].data(), pieces[1].data(), wanted); !reason.isEmpty())
            return PassStop{QString(), reason};
        offset += static_cast<std::int64_t>(wanted);
    }
    return std::nullopt;
}

QString stopText(const PassStop &stop)
{
    return stop.path.isEmpty() ? stop.reason : readFailureMessage(stop.path, stop.reason);
}

// The report of files that differ, written as it is read: the head, then the lines of each pair of
// pieces as they come. A file changed since the count makes the write fail instead of writing a
// report whose count and lines disagree.
ContentWriter reportWriter(const QString &first, const QString &second, std::int64_t length, int differences)
{
    return [first, second, length, differences](const PieceSink &put) -> std::string {
        std::string out = encodeText(reportHead(differences), TextEncoding::Gbk).toStdString();
        out.reserve(kPieceBytes + 64);
        int listed = 0;
        const std::optional<PassStop> stop =
            walkBoth(first, second, length,
                     [&](std::int64_t offset, const char *a, const char *b, std::size_t count) -> QString {
                         for (std::size_t k = 0; k < count; ++k) {
                             if (a[k] == b[k])
                                 continue;
                             ++listed;
                             appendLine(out, offset + static_cast<std::int64_t>(k),
                                        static_cast<std::uint8_t>(a[k]), static_cast<std::uint8_t>(b[k]));
                             // Every byte of a piece may differ: its lines are handed on as they
                             // fill a piece of their own.
                             if (out.size() < kPieceBytes)
                                 continue;
                             if (const std::string reason = put(out); !reason.empty())
                                 return QString::fromStdString(reason);
                             out.clear();
                         }
                         return QString();
                     });
        if (stop)
            return stopText(*stop).toStdString();
        if (listed != differences)
            return kChangedWhileCompared.toStdString();
        return put(out + "\r\n");
    };
}

} // namespace

QString compareReport(const QByteArray &first, const QByteArray &second, int *count)
{
    std::string lines;
    int differences = 0;
    const qsizetype length = std::min(first.size(), second.size());
    for (qsizetype k = 0; k < length; ++k) {
        const auto a = static_cast<std::uint8_t>(first[k]);
        const auto b = static_cast<std::uint8_t>(second[k]);
        if (a == b)
            continue;
        ++differences;
        appendLine(lines, k, a, b);
    }
    if (count)
        *count = differences;
    return reportHead(differences) + QString::fromLatin1(lines) + kCrLf;
}

QString compareReportPath(const QString &first)
{
    return QFileInfo(first).absoluteDir().filePath(QStringLiteral("report.txt"));
}

CompareRun compareFiles(const QString &first, const QString &second)
{
    CompareRun run;
    std::optional<ToolNote> problem =
        inputProblem(ConvText::ChooseFirstCompareInput, ConvText::MissingFirstCompareInput, first);
    if (!problem)
        problem =
            inputProblem(ConvText::ChooseSecondCompareInput, ConvText::MissingSecondCompareInput, second);
    // Both must be files the tools can read before their lengths mean anything.
    CheckedInput inputs[2];
    for (int i = 0; i < 2 && !problem; ++i)
        if (const std::optional<PassStop> stop = openInput(inputs[i], i == 0 ? first : second))
            problem = noticeNote(stopText(*stop));
    if (!problem && inputs[0].size() != inputs[1].size())
        problem = noticeNote(kDone + ConvText::LengthsDiffer);
    if (!problem) {
        run.reportPath = compareReportPath(first);
        problem = ownInputProblem(run.reportPath, {first, second}, ConvText::ReportIsInput);
    }
    if (problem) {
        run.outcome = refusal(*problem);
        return run;
    }
    const std::int64_t length = inputs[0].size();
    int differences = 0;
    const std::optional<PassStop> stop =
        walkBoth(first, second, length, [&](std::int64_t, const char *a, const char *b, std::size_t count) {
            for (std::size_t k = 0; k < count; ++k)
                differences += a[k] != b[k] ? 1 : 0;
            return QString();
        });
    if (stop) {
        run.outcome = refusal(noticeNote(stopText(*stop)));
        return run;
    }
    run.differences = differences;
    PlannedFile report;
    report.path = nativePath(run.reportPath);
    // The folder of the first file is the user's: a report.txt there may be one of theirs.
    report.askBeforeReplacing = true;
    if (differences == 0) {
        report.bytes = encodeText(reportHead(0) + kCrLf, TextEncoding::Gbk).toStdString();
        run.outcome = writeThenNotice({report}, kDone + ConvText::FilesEqual, {first, second});
        return run;
    }
    report.content = reportWriter(first, second, length, differences);
    run.outcome.files.push_back(std::move(report));
    run.outcome.inputs = inputPaths({first, second});
    run.outcome.done.push_back(
        toolNote(kDone + ConvText::differencesText(differences) + QStringLiteral(u"\r\n查看报告吗？"),
                 kCheckStyle, ConvText::InfoTitle));
    run.outcome.openOnYes = nativePath(run.reportPath);
    return run;
}

} // namespace tw
