#pragma once
// Outside programs the Help menu and About box start: a calculator and a system-information
// tool, whichever of the usual ones is installed.
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tw
{

QStringList calculatorPrograms();
QStringList systemInfoPrograms();
// The full path of the first of the programs found on PATH; empty when none is.
QString findFirstProgram(const QStringList &programs);

// What the user is told when no program can be started for a command: what was looked for, or
// the address to open by hand.
QString programNotFoundMessage(const QString &kind, const QStringList &programs);
QString programNotStartedMessage(const QString &kind, const QString &path);
QString linkNotOpenedMessage(const QUrl &url);

} // namespace tw
