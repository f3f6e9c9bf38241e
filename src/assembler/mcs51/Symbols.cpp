#include "Symbols.h"

namespace tw::mcs51
{

bool LabelTable::define(const QString &name, long long value)
{
    if (!m_index.emplace(name, count()).second)
        return false;
    m_entries.append({name, value});
    return true;
}

std::optional<long long> LabelTable::find(const QString &name) const
{
    const auto it = m_index.find(name);
    if (it == m_index.end())
        return std::nullopt;
    return m_entries[it->second].value;
}

void LabelTable::clear()
{
    m_entries.clear();
    m_index.clear();
}

bool VariableTable::set(const QString &name, const QString &text)
{
    const auto it = m_index.find(name);
    if (it != m_index.end()) {
        m_entries[it->second].text = text;
        return true;
    }
    if (count() >= kMaxVariables)
        return false;
    m_index.emplace(name, count());
    m_entries.append({name, text});
    return true;
}

const QString *VariableTable::find(QStringView name) const
{
    const auto it = m_index.find(name);
    return it == m_index.end() ? nullptr : &m_entries[it->second].text;
}

void VariableTable::clear()
{
    m_entries.clear();
    m_index.clear();
}

} // namespace tw::mcs51
