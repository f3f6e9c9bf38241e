#pragma once
// Porting MCS-48 source to MCS-51, line by line: lines both processors read alike are copied as
// read, 8048 instructions with an 8051 counterpart are replaced, the rest are written as comments
// and listed in an error report (.err, the assembler's report format) beside the output.
#include <QString>
#include <QStringList>

namespace tw
{

class Prompter;

struct PortResult {
    QString ported; // the whole ported file, its last line end included
    QString report; // the whole error report, its last line end included
    int errorCount = 0;
};

// Ports the lines of a source (line ends removed). Reading stops after a line that ends in a tab
// and "END" or "end".
PortResult portSource48(const QStringList &lines);

// The error report's path: the output without its last three characters, plus "err".
QString portReportPath(const QString &output);

struct PortFileOutcome {
    bool written = false; // the ported file and its report are there
    int errorCount = 0;
    bool openOnYes = false; // the summary question was answered Yes
};

// The porting of the Start command once its path checks have passed: the name guards, the run,
// both files and the summary question.
PortFileOutcome portSourceFile(Prompter &prompter, const QString &source, const QString &output);

} // namespace tw
