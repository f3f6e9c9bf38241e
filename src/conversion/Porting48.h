#pragma once
// Porting MCS-48 source to MCS-51, line by line: lines both processors read alike are copied as
// read, 8048 instructions with an 8051 counterpart are replaced, the rest are written as comments
// and listed in an error report (.err, the assembler's report format) beside the output.
#include "base/ToolOutcome.h"

#include <QString>
#include <QStringList>

namespace tw
{

struct PortResult {
    QString ported; // the whole ported file, its last line end included
    QString report; // the whole error report, its last line end included
    int errorCount = 0;
};

// Ports the lines of a source (line ends removed). Reading stops after a line that ends in a tab
// and "END" or "end".
PortResult portSource48(const QStringList &lines);

// The error report's path, beside the output in its folder: the output's three-character extension
// replaced by "err", or ".err" added to a name without one.
QString portReportPath(const QString &output);

// The porting of the Start command once its path checks have passed: the name guards, the run,
// both files (written together, or neither; existing ones only with the user's consent) and the
// summary question, whose Yes opens the ported file (openOnYes).
ToolOutcome portSourceFile(const QString &source, const QString &output);

} // namespace tw
