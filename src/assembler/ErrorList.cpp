#include "ErrorList.h"

#include "common/Vb.h"

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
    m_text += vbStr(m_count) + QStringLiteral(u"\t第") + vbStr(m_lineNumber) + QStringLiteral(u"行\t") +
              message + QStringLiteral("\r\n");
}

void ErrorList::clear()
{
    m_count = 0;
    m_text.clear();
}

} // namespace tw
