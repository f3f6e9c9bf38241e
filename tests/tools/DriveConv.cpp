// twdrive conv TOOL ARGS...: the conversion window's code-file tools as its Start and restore
// buttons run them. Every message box is printed as "title: text" (line ends as blanks) and
// answered with its first button (Yes, OK); with --no every box is answered No instead.
//   conv obj2bin IN OUT | bin2obj IN OUT
//   conv hex2bin IN OUT FORMAT FILL        FORMAT i m t x s d, FILL 0 (00H) or 1 (FFH)
//   conv bin2hex IN OUT START              START 1-4 hex digits
//   conv split IN SIZE                     SIZE 1KB 2KB 4KB 8KB
//   conv merge A B OUT [ADDR FILL]         by address when ADDR is given; FILL 00 or FF
//   conv compare A B                       prints DIFFERENCES n and the report path
//   conv restore IN OUT [DATA=d0,..,d7] [ADDRESS=a0,..,a15]
//   conv port48 IN OUT
// Exit 0: the tool wrote its result; 1: it refused or failed (see the messages); 2: usage.
#include "Commands.h"

#include "common/ScriptedPrompter.h"
#include "conversion/FileCompare.h"
#include "conversion/HexConverter.h"
#include "conversion/LineRestore.h"
#include "conversion/ObjConversion.h"
#include "conversion/Porting48.h"
#include "conversion/SplitMerge.h"

#include <QTextStream>

namespace
{

int usage()
{
    return twdrive::usageError("conv");
}

void printMessages(const tw::ScriptedPrompter &prompter)
{
    QTextStream out(stdout);
    for (const tw::ScriptedPrompter::Call &call : prompter.calls())
        out << call.title << ": " << QString(call.text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            << "\n";
}

QStringList identity(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QString::number(i);
    return lines;
}

bool restoreOptions(const QStringList &options, tw::RestoreJob &job)
{
    job.dataTexts = identity(8);
    job.addressTexts = identity(16);
    for (const QString &option : options) {
        if (option.startsWith(QStringLiteral("DATA="))) {
            job.dataSwapped = true;
            job.dataTexts = option.mid(5).split(u',');
        } else if (option.startsWith(QStringLiteral("ADDRESS="))) {
            job.addressSwapped = true;
            job.addressTexts = option.mid(8).split(u',');
        } else {
            return false;
        }
    }
    return true;
}

int run(const QString &tool, const QStringList &a, tw::ScriptedPrompter &prompter)
{
    const qsizetype n = a.size();
    if ((tool == u"obj2bin" || tool == u"bin2obj") && n == 2)
        return (tool == u"obj2bin" ? tw::convertObjToBin : tw::convertBinToObj)(prompter, a[0], a[1]) ? 0 : 1;
    if (tool == u"hex2bin" && n == 4 && a[2].size() == 1 && a[3].size() == 1)
        return tw::convertHexToBin(prompter, {a[0], a[1], a[2][0], a[3][0]}) ? 0 : 1;
    if (tool == u"bin2hex" && n == 3)
        return tw::convertBinToHex(prompter, {a[0], a[1], a[2]}) ? 0 : 1;
    if (tool == u"split" && n == 2) {
        const tw::SplitResult result = tw::splitImage(prompter, a[0], a[1]);
        QTextStream(stdout)
            << QString(result.summary).replace(QStringLiteral("\r\n\r\n"), QStringLiteral("\n"));
        return result.written ? 0 : 1;
    }
    if (tool == u"merge" && (n == 3 || n == 5)) {
        const bool byAddress = n == 5;
        const std::uint8_t fill =
            byAddress && a[4].compare(QStringLiteral("FF"), Qt::CaseInsensitive) == 0 ? 0xFF : 0;
        return tw::mergeImages(prompter, {a[0], a[1], a[2], byAddress, byAddress ? a[3] : QString(), fill})
                   ? 0
                   : 1;
    }
    if (tool == u"compare" && n == 2) {
        const tw::CompareOutcome outcome = tw::compareFiles(prompter, a[0], a[1]);
        if (outcome.reportWritten)
            QTextStream(stdout) << "DIFFERENCES " << outcome.differences << "\nREPORT " << outcome.reportPath
                                << "\n";
        return outcome.reportWritten ? 0 : 1;
    }
    if (tool == u"restore" && n >= 2) {
        tw::RestoreJob job;
        job.input = a[0];
        job.output = a[1];
        if (!restoreOptions(a.mid(2), job))
            return usage();
        return tw::restoreFile(prompter, job) ? 0 : 1;
    }
    if (tool == u"port48" && n == 2)
        return tw::portSourceFile(prompter, a[0], a[1]).written ? 0 : 1;
    return usage();
}

int conv(const QStringList &args)
{
    QStringList rest = args;
    const bool answerNo = rest.removeAll(QStringLiteral("--no")) > 0;
    if (rest.isEmpty())
        return usage();
    tw::ScriptedPrompter prompter;
    for (int i = 0; answerNo && i < 8; ++i)
        prompter.answerMessage(tw::MsgAnswer::No);
    const QString tool = rest.takeFirst();
    const int code = run(tool, rest, prompter);
    printMessages(prompter);
    return code;
}

} // namespace

TW_DRIVER_COMMAND("conv", conv);
