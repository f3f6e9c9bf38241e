#include "Symbols.h"

namespace tw
{

bool VariableTable::set(const QString &name, const QString &text)
{
    const int index = indexOf(name);
    if (index < count()) {
        m_entries[index].value = text;
        return true;
    }
    return index < kMaxVariables && add(name, text);
}

} // namespace tw
