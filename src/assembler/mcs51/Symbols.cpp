#include "Symbols.h"

namespace tw::mcs51
{

bool LabelTable::define(const QString &name, long long value)
{
    if (m_index.contains(name))
        return false;
    m_index.insert(name, count());
    m_entries.append({name, value});
    return true;
}

std::optional<long long> LabelTable::find(const QString &name) const
{
    const auto it = m_index.constFind(name);
    if (it == m_index.cend())
        return std::nullopt;
    return m_entries[*it].value;
}

void LabelTable::clear()
{
    m_entries.clear();
    m_index.clear();
}

bool VariableTable::set(const QString &name, const QString &text)
{
    const auto it = m_index.constFind(name);
    if (it != m_index.cend()) {
        m_entries[*it].text = text;
        return true;
    }
    if (count() >= kMaxVariables)
        return false;
    m_index.insert(name, count());
    m_entries.append({name, text});
    return true;
}

const QString *VariableTable::find(const QString &name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.cend() ? nullptr : &m_entries[*it].text;
}

void VariableTable::clear()
{
    m_entries.clear();
    m_index.clear();
}

} // namespace tw::mcs51
