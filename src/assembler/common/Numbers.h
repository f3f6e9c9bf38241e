#pragma once
// The assembler's number syntax, shared by the MCS-51 and MCS-48 assemblers, and the two things
// every piece of an assembly run reports through: the error list and a failure that ends the run.
#include <QString>
#include <QStringView>
#include <stdexcept>

namespace tw
{

// What the number reader returns for text that is not a number. It is also the value of the
// well-formed 10000H, one above the last code address, so every caller treats it as "no number".
inline constexpr long long NotANumber = 65536;

// Where an assembly run's errors go: one call per error line, the list knows the current line.
class ErrorSink
{
  public:
    virtual ~ErrorSink() = default;
    virtual void record(const QString &message) = 0;
};

// A sink that also knows the source line its errors belong to, for the faults that end a run
// with the line's own message.
class LineErrorSink : public ErrorSink
{
  public:
    virtual long long lineNumber() const = 0;
};

// A failure that ends the whole run (a number too large, a store past the code image, a full
// table). The driver catches it, shows message() and leaves no stale output behind.
class AssemblyFailure : public std::runtime_error
{
  public:
    explicit AssemblyFailure(const QString &message);
    const QString &message() const { return m_message; }

  private:
    QString m_message;
};

// Reads a number: a last character H selects base 16, B base 2, Q base 8 (the suffix is not a
// digit), anything else base 10. Digits are upper case only. Returns NotANumber at the first bad
// digit, and for an empty digit string ("", "H", "#" with nothing after it). A value past the
// 32-bit signed range throws AssemblyFailure.
long long readNumber(QStringView text);

} // namespace tw
