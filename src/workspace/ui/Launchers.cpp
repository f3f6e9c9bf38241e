#include "Launchers.h"

#include <QDesktopServices>
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

void setProgramStarter(ProgramStarter replacement)
{
    starter() = std::move(replacement);
}

void setLinkOpener(LinkOpener replacement)
{
    opener() = std::move(replacement);
}

} // namespace tw
