#pragma once
// The errors one assembly finds, one line each, as they go into the error report.
#include "Numbers.h"
#include "assembler/common/Messages.h"

#include <QString>

namespace tw
{

class ErrorList : public ErrorSink
{
  public:
    // Line: Str(count) TAB "第" Str(line) "行" TAB message; the text keeps every line + CR LF.
    void record(const QString &message) override;
    void clear();

    int count() const { return m_count; }
    const QString &text() const { return m_text; }

    // The current line of the normalised source, set by the driver before each statement.
    long long lineNumber() const { return m_lineNumber; }
    void setLineNumber(long long line) { m_lineNumber = line; }

  private:
    int m_count = 0;
    long long m_lineNumber = 0;
    QString m_text;
};

} // namespace tw
