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
// The tools hand back their outcomes; the window's writer carries them out with the script.
#include "Commands.h"

#include "common/OutcomeWriter.h"
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

// Writes the outcome with the script's answers; 0 when its files are written.
int carry(const tw::ToolOutcome &outcome, tw::ScriptedPrompter &prompter)
{
    return tw::carryOut(outcome, prompter).result == tw::WriteResult::Written ? 0 : 1;
}

int run(const QString &tool, const QStringList &a, tw::ScriptedPrompter &prompter)
{
    const qsizetype n = a.size();
    if ((tool == u"obj2bin" || tool == u"bin2obj") && n == 2)
        return carry((tool == u"obj2bin" ? tw::convertObjToBin : tw::convertBinToObj)(a[0], a[1]), prompter);
    if (tool == u"hex2bin" && n == 4 && a[2].size() == 1 && a[3].size() == 1)
        return carry(tw::convertHexToBin({a[0], a[1], a[2][0], a[3][0]}), prompter);
    if (tool == u"bin2hex" && n == 3)
        return carry(tw::convertBinToHex({a[0], a[1], a[2]}), prompter);
    if (tool == u"split" && n == 2) {
        const int code = carry(tw::splitImage(a[0], a[1]), prompter);
        if (code == 0)
            QTextStream(stdout) << tw::splitSummary(a[0]).replace(QStringLiteral("\r\n\r\n"),
                                                                  QStringLiteral("\n"));
        return code;
    }
    if (tool == u"merge" && (n == 3 || n == 5)) {
        const bool byAddress = n == 5;
        const std::uint8_t fill =
            byAddress && a[4].compare(QStringLiteral("FF"), Qt::CaseInsensitive) == 0 ? 0xFF : 0;
        return carry(tw::mergeImages({a[0], a[1], a[2], byAddress, byAddress ? a[3] : QString(), fill}),
                     prompter);
    }
    if (tool == u"compare" && n == 2) {
        const tw::CompareRun compared = tw::compareFiles(a[0], a[1]);
        const int code = carry(compared.outcome, prompter);
        if (code == 0)
            QTextStream(stdout) << "DIFFERENCES " << compared.differences << "\nREPORT "
                                << compared.reportPath << "\n";
        return code;
    }
    if (tool == u"restore" && n >= 2) {
        tw::RestoreJob job;
        job.input = a[0];
        job.output = a[1];
        if (!restoreOptions(a.mid(2), job))
            return usage();
        return carry(tw::restoreFile(job), prompter);
    }
    if (tool == u"port48" && n == 2)
        return carry(tw::portSourceFile(a[0], a[1]), prompter);
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
