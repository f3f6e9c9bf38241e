#include "ErrorList.h"

#include "OutputFiles.h"

namespace tw
{

namespace
{
// A report beyond this many lines is no use to anyone and would only grow without end.
constexpr int kMaxErrors = 1000000;
} // namespace

void ErrorList::record(const QString &message)
{
    if (m_count >= kMaxErrors)
        throw AssemblyFailure(errorLimitMessage());
    ++m_count;
    char digits[kVbStrDigits];
    char *const end = digits + kVbStrDigits;
    const char *start = putVbStr(m_count, end);
    m_lines.append(start, end - start);
    m_lines += encoded(QStringLiteral(u"\t第"));
    start = putVbStr(m_lineNumber, end);
    m_lines.append(start, end - start);
    m_lines += encoded(QStringLiteral(u"行\t"));
    m_lines += encoded(message);
    m_lines += "\r\n";
}

void ErrorList::clear()
{
    m_count = 0;
    m_lines.clear();
}

void ErrorList::setEncoding(TextEncoding encoding)
{
    if (encoding != m_encoding)
        m_encoded.clear();
    m_encoding = encoding;
}

const QByteArray &ErrorList::encoded(const QString &text)
{
    for (const auto &[known, bytes] : m_encoded)
        if (known == text)
            return bytes;
    m_encoded.emplace_back(text, encodeOutputText(text, m_encoding));
    return m_encoded.back().second;
}

} // namespace tw
