#include "HexConverter.h"

#include "HexText.h"
#include "ObjConversion.h"
#include "ToolMessages.h"
#include "common/CodeImage.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "common/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace tw
{

namespace
{

// Far beyond any real conversion; only a hung converter reaches it.
constexpr int kConverterTimeoutMs = 120000;

// The converter's documented exit codes.
constexpr int kExitBadArguments = 2;
constexpr int kExitBeyondFFFF = 3;
constexpr int kExitNoSrecCat = 127;

const QString &kFailed = ConvText::ConversionFailed;

QString failure(const QString &detail)
{
    return kFailed + QStringLiteral("\r\n") + detail;
}

QString firstLine(const QByteArray &text)
{
    const QString all = QString::fromLocal8Bit(text).trimmed();
    return all.section(u'\n', 0, 0).trimmed();
}

QString describeExit(int code, const QByteArray &errors)
{
    switch (code) {
    case kExitBeyondFFFF:
        return failure(ConvText::AddressBeyondFFFF);
    case kExitNoSrecCat:
        return failure(ConvText::NoSrecCat);
    default:
        break;
    }
    const QString detail = firstLine(errors);
    return detail.isEmpty() ? kFailed : failure(detail);
}

// Copies the input into a private folder, runs the script on the copy and reads the target.
ConverterRun runScript(const QString &script, const QString &input, const QString &sourceName,
                       const QString &targetName, const QStringList &lastArguments)
{
    ConverterRun run;
    const QString scriptPath = converterScript(script);
    if (scriptPath.isEmpty()) {
        run.problem = failure(ConvText::missingScriptText(script));
        return run;
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        run.problem = failure(ConvText::NoTemporaryFolder);
        return run;
    }
    const QString source = work.filePath(sourceName);
    const QString target = work.filePath(targetName);
    if (!QFile::copy(input, source)) {
        run.problem = failure(ConvText::CannotRead + input);
        return run;
    }
    QProcess process;
    process.setWorkingDirectory(work.path());
    process.start(QStringLiteral("sh"),
                  QStringList{scriptPath, work.path() + u'/', source, target} + lastArguments);
    if (!process.waitForStarted() || !process.waitForFinished(kConverterTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.problem = failure(ConvText::ConverterFailed);
        return run;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        run.problem = describeExit(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                                   process.readAllStandardError());
        return run;
    }
    run.bytes = readBinaryFile(target);
    if (!run.bytes)
        run.problem = failure(ConvText::ConverterWroteNothing);
    return run;
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

// Writes the result, asking first when the output is there already.
bool deliver(Prompter &prompter, const QString &output, const QByteArray &bytes)
{
    if (QFileInfo::exists(output)) {
        const int answer = prompter.message(ConvText::OverwriteQuestion,
                                            MsgStyle::YesNo + MsgStyle::Exclamation, ConvText::InfoTitle);
        if (answer != MsgAnswer::Yes) {
            showNotice(prompter, ConvText::NotOverwritten);
            return false;
        }
    }
    if (!writeToolOutput(prompter, output, bytes))
        return false;
    showNotice(prompter, ConvText::Done);
    return true;
}

bool finish(Prompter &prompter, const ConverterRun &run, const QString &output)
{
    if (!run.bytes) {
        showNotice(prompter, run.problem);
        return false;
    }
    return deliver(prompter, output, *run.bytes);
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
        const std::optional<QByteArray> text = readBinaryFile(job.input);
        run.bytes = text ? straightHexToBin(*text) : std::nullopt;
        if (!run.bytes)
            run.problem = failure(ConvText::NotStraightHex);
        else if (run.bytes->size() > kMaxCodeFileBytes) {
            run.bytes.reset();
            run.problem = failure(ConvText::AddressBeyondFFFF);
        }
        return run;
    }
    if (!QStringLiteral("imtx").contains(job.format)) {
        run.problem = ConvText::unconvertibleFormatText(formatName(job.format));
        return run;
    }
    return runScript(QStringLiteral("hexbin.sh"), job.input, QStringLiteral("ls.hex"),
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
    if (*start + QFileInfo(job.input).size() > kMaxCodeFileBytes) {
        run.problem = failure(ConvText::AddressBeyondFFFF);
        return run;
    }
    return runScript(QStringLiteral("binhex.sh"), job.input, QStringLiteral("ls.bin"),
                     QStringLiteral("ls.hex"), {job.startAddress.toUpper()});
}

bool convertHexToBin(Prompter &prompter, const HexToBinJob &job)
{
    if (refuseOwnInput(prompter, job.output, {job.input}, ConvText::OwnInput))
        return false;
    return finish(prompter, runHexToBin(job), job.output);
}

bool convertBinToHex(Prompter &prompter, const BinToHexJob &job)
{
    if (refuseOwnInput(prompter, job.output, {job.input}, ConvText::OwnInput))
        return false;
    return finish(prompter, runBinToHex(job), job.output);
}

} // namespace tw
