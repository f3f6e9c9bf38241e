#include "Launchers.h"

#include "common/Paths.h"
#include "common/Prompter.h"
#include "workspace/ExternalPrograms.h"
#include "workspace/Messages.h"
#include "workspace/ProductInfo.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>

namespace tw
{

namespace
{

ProgramStarter &starter()
{
    static ProgramStarter current;
    return current;
}

LinkOpener &opener()
{
    static LinkOpener current;
    return current;
}

} // namespace

bool startProgram(const QString &program, const QStringList &arguments)
{
    if (starter())
        return starter()(program, arguments);
    return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

bool openLink(const QUrl &url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

bool openLinkOrSay(const QUrl &url, Prompter &prompter)
{
    if (openLink(url))
        return true;
    prompter.message(linkNotOpenedMessage(url), MsgStyle::Exclamation, kWorkspaceInfoTitle);
    return false;
}

bool startFirstProgramOrSay(const QStringList &programs, const QString &kind, Prompter &prompter)
{
    const QString program = findFirstProgram(programs);
    if (program.isEmpty()) {
        prompter.message(programNotFoundMessage(kind, programs), MsgStyle::Exclamation, kWorkspaceInfoTitle);
        return false;
    }
    if (startProgram(program))
        return true;
    prompter.message(programNotStartedMessage(kind, program), MsgStyle::Exclamation, kWorkspaceInfoTitle);
    return false;
}

QUrl latestVersionUrl()
{
    const QString address = latestVersionAddress();
    if (!address.isEmpty())
        return QUrl(address);
    return QUrl::fromLocalFile(QDir(programFolder()).filePath(QStringLiteral("README.md")));
}

void setProgramStarter(ProgramStarter replacement)
{
    starter() = std::move(replacement);
}

void setLinkOpener(LinkOpener replacement)
{
    opener() = std::move(replacement);
}

} // namespace tw
