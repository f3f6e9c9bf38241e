#pragma once
// "文件比较": two files byte by byte, the differences listed in "report.txt" beside the first file.
// The files are read in pieces, twice (once to count, once to list), so two large files that
// differ everywhere are compared in little memory.
#include "base/ToolOutcome.h"

#include <QByteArray>
#include <QString>

namespace tw
{

// The report's text as written (with its closing empty line); count receives the differences.
// Offsets up to FFFFH take four digits, larger ones as many as they need.
QString compareReport(const QByteArray &first, const QByteArray &second, int *count = nullptr);

// Where the report goes: "report.txt" in the folder of the first file.
QString compareReportPath(const QString &first);

struct CompareRun {
    ToolOutcome outcome; // the report, streamed by its content writer, and the closing question
    int differences = 0;
    QString reportPath;
};

// The whole command: checks, the length test, the report (an existing "report.txt" replaced only
// with the user's consent), the closing message or question (Yes opens the report:
// outcome.openOnYes).
CompareRun compareFiles(const QString &first, const QString &second);

} // namespace tw
