#pragma once
// "文件比较": two files byte by byte, the differences listed in "report.txt" beside the first file.
#include <QByteArray>
#include <QString>

namespace tw
{

class Prompter;

// The report's text as written (with its closing empty line); count receives the differences.
// Offsets up to FFFFH take four digits, larger ones as many as they need.
QString compareReport(const QByteArray &first, const QByteArray &second, int *count = nullptr);

// Where the report goes: "report.txt" in the folder of the first file.
QString compareReportPath(const QString &first);

struct CompareOutcome {
    bool reportWritten = false;
    int differences = 0;
    QString reportPath;
    bool openReport = false; // the question "查看报告吗？" was answered Yes
};

// The whole command: checks, the length test, the report, the closing message or question.
CompareOutcome compareFiles(Prompter &prompter, const QString &first, const QString &second);

} // namespace tw
