#include "FileCompare.h"

#include "ToolMessages.h"
#include "common/Hex.h"
#include "common/Prompter.h"
#include "common/TextFile.h"
#include "common/Vb.h"

#include <QDir>
#include <QFileInfo>

namespace tw
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");
const QString &kDone = ConvText::CompareDone;

QString offsetText(qsizetype offset)
{
    if (offset <= 0xFFFF)
        return hexWord(offset);
    return QString::number(offset, 16).toUpper();
}

} // namespace

QString compareReport(const QByteArray &first, const QByteArray &second, int *count)
{
    QString lines;
    int differences = 0;
    const qsizetype length = std::min(first.size(), second.size());
    for (qsizetype k = 0; k < length; ++k) {
        const auto a = static_cast<std::uint8_t>(first[k]);
        const auto b = static_cast<std::uint8_t>(second[k]);
        if (a == b)
            continue;
        ++differences;
        lines += offsetText(k) + QStringLiteral("H:\t") + hexByte(a) + u'\t' + hexByte(b) + kCrLf;
    }
    if (count)
        *count = differences;
    const QString head = QStringLiteral(u"文件比较报告") + kCrLf;
    if (differences == 0)
        return head + QStringLiteral(u"两文件相同") + kCrLf + kCrLf;
    return head + ConvText::differencesText(differences) + kCrLf + kCrLf + QStringLiteral(u"清单如下：") +
           kCrLf + lines + kCrLf;
}

QString compareReportPath(const QString &first)
{
    return QFileInfo(first).absoluteDir().filePath(QStringLiteral("report.txt"));
}

CompareOutcome compareFiles(Prompter &prompter, const QString &first, const QString &second)
{
    CompareOutcome outcome;
    if (!checkInput(prompter, ConvText::ChooseFirstCompareInput, ConvText::MissingFirstCompareInput, first) ||
        !checkInput(prompter, ConvText::ChooseSecondCompareInput, ConvText::MissingSecondCompareInput,
                    second))
        return outcome;
    const std::optional<QByteArray> a = readToolInput(prompter, first);
    const std::optional<QByteArray> b = a ? readToolInput(prompter, second) : std::nullopt;
    if (!b)
        return outcome;
    if (a->size() != b->size()) {
        showNotice(prompter, kDone + ConvText::LengthsDiffer);
        return outcome;
    }
    outcome.reportPath = compareReportPath(first);
    if (refuseOwnInput(prompter, outcome.reportPath, {first, second}, ConvText::ReportIsInput))
        return outcome;
    const QString report = compareReport(*a, *b, &outcome.differences);
    if (!writeTextFile(outcome.reportPath, report, TextEncoding::Gbk, WriteSync::Generated)) {
        showNotice(prompter, ConvText::CannotWrite + kCrLf + outcome.reportPath);
        return outcome;
    }
    outcome.reportWritten = true;
    if (outcome.differences == 0) {
        showNotice(prompter, kDone + ConvText::FilesEqual);
        return outcome;
    }
    const QString question =
        kDone + ConvText::differencesText(outcome.differences) + QStringLiteral(u"\r\n查看报告吗？");
    outcome.openReport = prompter.message(question, MsgStyle::YesNo + MsgStyle::Exclamation,
                                          ConvText::InfoTitle) == MsgAnswer::Yes;
    return outcome;
}

} // namespace tw
