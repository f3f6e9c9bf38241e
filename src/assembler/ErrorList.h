#pragma once
// The errors one assembly finds, one line each, as they go into the error report.
#include "assembler/common/Numbers.h"
#include "assembler/common/Messages.h"
#include "common/TextFile.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace tw
{

class ErrorList : public LineErrorSink
{
  public:
    // Line: Str(count) TAB "第" Str(line) "行" TAB message; the lines keep every line + CR LF.
    void record(const QString &message) override;
    void clear();

    int count() const { return m_count; }
    // The lines as the report's bytes, in the encoding set for the run.
    const QByteArray &lines() const { return m_lines; }
    // A report may run to a million lines of a dozen texts: each text is encoded once, and the
    // lines are kept as bytes, not built as strings and encoded again at the end.
    void setEncoding(TextEncoding encoding);

    // The current line of the normalised source, set by the driver before each statement.
    long long lineNumber() const override { return m_lineNumber; }
    void setLineNumber(long long line) { m_lineNumber = line; }

  private:
    const QByteArray &encoded(const QString &text);

    int m_count = 0;
    long long m_lineNumber = 0;
    TextEncoding m_encoding = TextEncoding::Gbk;
    QByteArray m_lines;
    std::vector<std::pair<QString, QByteArray>> m_encoded; // the texts met so far, few
};

} // namespace tw
