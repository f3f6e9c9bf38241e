#include "HexConverter.h"

#include "HexText.h"
#include "ObjConversion.h"
#include "ToolMessages.h"
#include "base/CodeImage.h"
#include "base/PrivateFolder.h"
#include "base/ScratchFiles.h"
#include "common/CheckedFile.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"
#include "common/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace tw
{

namespace
{

// Far beyond any real conversion; only a hung converter reaches it.
constexpr int kConverterTimeoutMs = 120000;

// The converter's documented exit codes.
constexpr int kExitBadArguments = 2;
constexpr int kExitBeyondFFFF = 3;
constexpr int kExitNoData = 4;
constexpr int kExitNoSrecCat = 127;

const QString &kFailed = ConvText::ConversionFailed;

QString failure(const QString &detail)
{
    return kFailed + QStringLiteral("\r\n") + detail;
}

QString describeExit(int code, const QByteArray &errors, const QString &copyPath, const QString &userPath)
{
    switch (code) {
    case kExitBeyondFFFF:
        return failure(ConvText::AddressBeyondFFFF);
    case kExitNoData:
        return failure(ConvText::noDataText(userPath));
    case kExitNoSrecCat:
        return failure(ConvText::NoSrecCat);
    case kExitBadArguments: // the converter's complaint says which
    default:
        break;
    }
    const QString detail = converterComplaint(errors, copyPath, userPath);
    return detail.isEmpty() ? kFailed : failure(detail);
}

// The name of the converter's private folders in the temporary folder: a sweep removes those of
// ended runs.
constexpr std::string_view kFolderPrefix = "tw-converter-";

// Starts the script in a process group of its own, so that a hung converter, or an interrupted
// caller, ends it with every srec_cat it started: ending the shell alone would leave them writing
// into the folder being removed. A caller killed outright runs no handler; the script then ends
// with it, and an srec_cat already running ends on its own, its folder removed by the next run.
// An interrupt waits until the folder knows the group, so that it cannot leave the script running,
// whichever thread it reaches. The interrupts are also blocked in this thread until then: the
// child, which may share this memory until it starts the shell, inherits that and gives them back
// their default action before it lets them in, so that one reaching it ends it and runs no handler
// of ours there.
void startInOwnGroup(QProcess &process, const QStringList &arguments, PrivateFolder &work)
{
    const InterruptDelay starting;
    sigset_t interrupts, before;
    sigemptyset(&interrupts);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&interrupts, signal);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &before);
    const pid_t caller = ::getpid();
    process.setChildProcessModifier([caller, before] {
        struct sigaction standard = {};
        standard.sa_handler = SIG_DFL;
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction current;
            if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
                ::sigaction(signal, &standard, nullptr);
        }
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != caller)
            ::raise(SIGKILL);
    });
    process.start(QStringLiteral("sh"), arguments);
    work.setWorkers(static_cast<pid_t>(process.processId()));
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

// While this process holds a file in the private folder open, an interrupt waits: a FUSE mount
// keeps a removed file that is still open under a hidden name until it is closed, and the folder
// could not go before the process ends.
QString copyInto(const QString &path, const QByteArray &bytes)
{
    const InterruptDelay writing;
    return replaceFileChecked(path, bytes, WriteSync::Generated);
}

std::optional<QByteArray> readFromFolder(const QString &path)
{
    const InterruptDelay reading;
    return readBinaryFile(path);
}

// Copies the input's bytes into a private folder, runs the script on the copy and reads the target.
ConverterRun runScript(const QString &script, const QString &input, const QByteArray &bytes,
                       const QString &sourceName, const QString &targetName, const QStringList &lastArguments)
{
    ConverterRun run;
    const QString scriptPath = converterScript(script);
    if (scriptPath.isEmpty()) {
        run.problem = failure(ConvText::missingScriptText(script));
        return run;
    }
    PrivateFolder work(QFile::encodeName(QDir::tempPath()).toStdString(), kFolderPrefix);
    if (!work.valid()) {
        run.problem = failure(ConvText::NoTemporaryFolder);
        return run;
    }
    const QString folder = QFile::decodeName(work.path().c_str()) + u'/';
    const QString source = folder + sourceName;
    const QString target = folder + targetName;
    if (const QString reason = copyInto(source, bytes); !reason.isEmpty()) {
        run.problem = failure(writeFailureMessage(source, reason));
        return run;
    }
    QProcess process;
    process.setWorkingDirectory(folder);
    startInOwnGroup(process, QStringList{scriptPath, folder, source, target} + lastArguments, work);
    if (!process.waitForStarted()) {
        work.setWorkers(0);
        run.problem = failure(ConvText::ConverterFailed);
        return run;
    }
    const auto group = static_cast<pid_t>(process.processId());
    const bool finished = process.waitForFinished(kConverterTimeoutMs);
    if (!finished) {
        // The shell is not yet reaped, so its group id cannot have passed to anyone else.
        ::kill(-group, SIGKILL);
        process.waitForFinished();
    }
    work.setWorkers(0);
    if (!finished) {
        run.problem = failure(ConvText::ConverterFailed);
        return run;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        run.problem = describeExit(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                                   process.readAllStandardError(), source, input);
        return run;
    }
    run.bytes = readFromFolder(target);
    if (!run.bytes)
        run.problem = failure(ConvText::ConverterWroteNothing);
    return run;
}

// The input read as every tool reads one; a fault is the run's problem.
std::optional<QByteArray> readInput(const QString &path, ConverterRun &run)
{
    CheckedRead read = readFileChecked(path, kMaxTextFileBytes);
    if (read.ok())
        return std::move(read.bytes);
    run.problem = readFailureMessage(path, read.reason);
    return std::nullopt;
}

QString formatName(QChar letter)
{
    switch (letter.unicode()) {
    case u'd':
        return QStringLiteral("DMD16 HEX");
    default:
        return QString(letter);
    }
}

// The result, replacing an existing output only when the user agrees; the closing message follows
// either answer.
ToolOutcome deliver(const ConverterRun &run, const QString &input, const QString &output)
{
    if (!run.bytes)
        return refusal(noticeNote(run.problem));
    ToolOutcome outcome = writeThenNotice({plannedFile(output, *run.bytes, true)}, ConvText::Done, {input});
    outcome.declined = {noticeNote(ConvText::NotOverwritten), noticeNote(ConvText::Done)};
    return outcome;
}

} // namespace

QString converterScript(const QString &name)
{
    const QString appFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const QStringList folders = {programFolder(), QDir(appFolder).filePath(QStringLiteral("../data"))};
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(QStringLiteral("converter/") + name);
        if (QFileInfo(path).isFile())
            return QFileInfo(path).absoluteFilePath();
    }
    return QString();
}

std::optional<QByteArray> straightHexToBin(const QByteArray &text)
{
    QByteArray digits;
    digits.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            digits.append(c);
    return objTextToBin(digits);
}

ConverterRun runHexToBin(const HexToBinJob &job)
{
    ConverterRun run;
    if (job.format == u's') {
        const std::optional<QByteArray> text = readInput(job.input, run);
        if (!text)
            return run;
        run.bytes = straightHexToBin(*text);
        if (!run.bytes) {
            run.problem = failure(ConvText::NotStraightHex);
        } else if (run.bytes->isEmpty()) {
            run.bytes.reset();
            run.problem = failure(ConvText::noDataText(job.input));
        } else if (run.bytes->size() > kMaxCodeFileBytes) {
            run.bytes.reset();
            run.problem = failure(ConvText::AddressBeyondFFFF);
        }
        return run;
    }
    if (!QStringLiteral("imtx").contains(job.format)) {
        run.problem = ConvText::unconvertibleFormatText(formatName(job.format));
        return run;
    }
    const std::optional<QByteArray> text = readInput(job.input, run);
    if (!text)
        return run;
    return runScript(QStringLiteral("hexbin.sh"), job.input, *text, QStringLiteral("ls.hex"),
                     QStringLiteral("ls.bin"), {QString(job.format), QString(job.fill)});
}

ConverterRun runBinToHex(const BinToHexJob &job)
{
    ConverterRun run;
    const std::optional<int> start = readAddressBox(job.startAddress, true);
    if (!start) {
        run.problem = ConvText::BadStartAddress;
        return run;
    }
    const std::optional<QByteArray> image = readInput(job.input, run);
    if (!image)
        return run;
    if (*start + image->size() > kMaxCodeFileBytes) {
        run.problem = failure(ConvText::AddressBeyondFFFF);
        return run;
    }
    return runScript(QStringLiteral("binhex.sh"), job.input, *image, QStringLiteral("ls.bin"),
                     QStringLiteral("ls.hex"), {job.startAddress.toUpper()});
}

ToolOutcome convertHexToBin(const HexToBinJob &job)
{
    if (const std::optional<ToolNote> problem = ownInputProblem(job.output, {job.input}, ConvText::OwnInput))
        return refusal(*problem);
    return deliver(runHexToBin(job), job.input, job.output);
}

ToolOutcome convertBinToHex(const BinToHexJob &job)
{
    if (const std::optional<ToolNote> problem = ownInputProblem(job.output, {job.input}, ConvText::OwnInput))
        return refusal(*problem);
    return deliver(runBinToHex(job), job.input, job.output);
}

QString converterComplaint(const QByteArray &errors, const QString &copyPath, const QString &userPath)
{
    // srec_cat wraps a message at 80 columns and indents the rest; a warning ("...: warning: ...")
    // may come before the error that ended the run.
    QStringList messages;
    for (const QString &line : QString::fromLocal8Bit(errors).split(u'\n')) {
        const QString text = line.trimmed();
        if (text.isEmpty())
            continue;
        if (!messages.isEmpty() && !line.isEmpty() && line[0].isSpace())
            messages.last() += u' ' + text;
        else
            messages << text;
    }
    for (const QString &message : messages)
        if (!message.contains(QStringLiteral(": warning: ")))
            return QString(message).replace(copyPath, userPath);
    return QString();
}

} // namespace tw
