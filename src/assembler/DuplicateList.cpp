#include "DuplicateList.h"

#include "assembler/common/Numbers.h"
#include "assembler/common/Messages.h"

namespace tw
{

void DuplicateList::add(const QString &name)
{
    if (count() >= kCapacity)
        throw AssemblyFailure(duplicateLimitMessage());
    m_names.push_back(name);
    ++m_counts[name];
}

void DuplicateList::clear()
{
    m_names.clear();
    m_counts.clear();
}

} // namespace tw
