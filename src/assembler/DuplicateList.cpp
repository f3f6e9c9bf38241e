#include "DuplicateList.h"

#include "Numbers.h"
#include "assembler/common/Messages.h"

namespace tw
{

void DuplicateList::add(const QString &name)
{
    if (count() >= kCapacity)
        throw AssemblyFailure(unrecognisedStatementMessage());
    m_names.push_back(name);
    ++m_counts[name];
}

void DuplicateList::clear()
{
    m_names.clear();
    m_counts.clear();
}

} // namespace tw
