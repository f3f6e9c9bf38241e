#pragma once
// Outside programs the Help menu and About box start: a calculator and a system-information
// tool, whichever of the usual ones is installed.
#include <QString>
#include <QStringList>

namespace tw
{

QStringList calculatorPrograms();
QStringList systemInfoPrograms();
// The full path of the first of the programs found on PATH; empty when none is.
QString findFirstProgram(const QStringList &programs);

} // namespace tw
