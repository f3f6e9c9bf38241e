#pragma once
// Starting outside programs and opening links. Tests replace both so that nothing leaves the
// process.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace tw
{

class Prompter;

// Starts a program detached; false when it could not be started.
bool startProgram(const QString &program, const QStringList &arguments = {});
// Asks the desktop to open a link (web page or mail).
bool openLink(const QUrl &url);

// The same, and when nothing could be started or opened, a message that says so: the programs
// looked for, or the address to open by hand.
bool openLinkOrSay(const QUrl &url, Prompter &prompter);
bool startFirstProgramOrSay(const QStringList &programs, const QString &kind, Prompter &prompter);

// The Help menu's latest-version page: the address given at build time, else the README in the
// program folder.
QUrl latestVersionUrl();

using ProgramStarter = std::function<bool(const QString &, const QStringList &)>;
using LinkOpener = std::function<bool(const QUrl &)>;
// Replace the real actions; an empty function puts the real one back.
void setProgramStarter(ProgramStarter starter);
void setLinkOpener(LinkOpener opener);

} // namespace tw
