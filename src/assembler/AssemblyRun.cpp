#include "AssemblyRun.h"

#include "assembler/common/Messages.h"
#include "common/CheckedFile.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "source/Tidier.h"

#include <QFileInfo>
#include <vector>

namespace tw
{

QString AssemblyResult::summary() const
{
    if (!completed)
        return failureMessage;
    return errorReportHeading(errorCount).section(QStringLiteral("\r\n"), 0, 0);
}

namespace
{

// Answers every box with OK and keeps its text.
class KeptMessages final : public NoteAnswers
{
  public:
    int answer(const ToolNote &note) override
    {
        texts << noteText(note);
        return MsgAnswer::Ok;
    }
    QStringList texts;
};

} // namespace

AssemblyResult carryOutAssembly(const AssemblyOutcome &planned)
{
    KeptMessages messages;
    const CarriedOut written = carryOut(planned.outcome, messages);
    AssemblyResult result = planned.result;
    for (const std::string &path : written.written)
        result.filesWritten << fromNativePath(path);
    if (written.result == WriteResult::Failed) {
        // The run's own message, when it failed, then the writer's.
        result.completed = false;
        result.failureMessage = messages.texts.join(QStringLiteral("\r\n"));
    }
    return result;
}

QString startCheckMessage(const QString &source, const QString &bin)
{
    if (source.isEmpty())
        return QStringLiteral(u"请选择待汇编的文件！");
    if (const QFileInfo info(source); !info.isFile()) {
        if (!info.exists())
            return QStringLiteral(u"待汇编的文件不存在！");
        // A folder or a device is there, but no source: the message says which, without reading it.
        return sourceReadFailureMessage(source, readFileChecked(source, 0).reason);
    }
    // The assembler takes the sources the editor tidies on saving.
    if (!isTidiedSourcePath(source))
        return QStringLiteral(u"待汇编的文件不是汇编语言源程序！");
    if (bin.isEmpty())
        return QStringLiteral(u"请选择汇编后的文件存放地址！");
    if (runPathsCollide(source, bin))
        return collidingPathsMessage();
    return QString();
}

bool runPathsCollide(const QString &source, const QString &bin)
{
    const OutputPaths out = outputPathsFor(bin);
    std::vector<FileIdentity> seen;
    for (const QString &path : {source, replaceLastThree(source, QStringLiteral("a51")), out.bin, out.listing,
                                out.listingLines, out.errorReport}) {
        FileIdentity identity = fileIdentity(nativePath(path));
        for (const FileIdentity &other : seen)
            if (identity.sameAs(other))
                return true;
        seen.push_back(std::move(identity));
    }
    return false;
}

QString collidingPathsMessage()
{
    return QStringLiteral(u"汇编后的文件不能是源程序，也不能与汇编生成的.a51、.lst、.lt、.err文件同名！");
}

QString binPathForSource(const QString &source)
{
    return replaceLastThree(source, QStringLiteral("bin"));
}

} // namespace tw
