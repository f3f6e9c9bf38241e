#pragma once
// The MCS-51 assembler's name tables: labels fixed in pass 1, and EQU/BIT variables whose value
// text is substituted into later operands. Both keep definition order for the listing and look
// names up through a hash, never by walking the list.
#include "assembler/common/TextHash.h"

#include <QList>

#include <QString>
#include <algorithm>
#include <array>

namespace tw
{

inline constexpr int kMaxLabels = 2048;
inline constexpr int kMaxVariables = 1024;

// Names with values in definition order, found through a hash of the name.
template <typename Value> class NameTable
{
  public:
    struct Entry {
        QString name;
        Value value;
    };

    const Value *find(QStringView name) const
    {
        if (!mayHold(name))
            return nullptr;
        const auto it = m_index.find(name);
        return it == m_index.end() ? nullptr : &m_entries[it->second].value;
    }
    bool contains(QStringView name) const { return mayHold(name) && m_index.find(name) != m_index.end(); }
    const QList<Entry> &entries() const { return m_entries; }
    int count() const { return static_cast<int>(m_entries.size()); }
    void clear()
    {
        m_entries.clear();
        m_index.clear();
        m_firstUnits.fill(false);
    }

  protected:
    // The entry of name, or the index a new entry gets when none is there.
    int indexOf(const QString &name) const { return valueOr(m_index, name, count()); }
    // Appends name with value unless the name is there already.
    bool add(const QString &name, const Value &value)
    {
        if (!m_index.emplace(name, count()).second)
            return false;
        m_entries.append({name, value});
        m_firstUnits[firstUnit(name)] = true;
        return true;
    }

    QList<Entry> m_entries;
    TextMap<int> m_index;

  private:
    // Every operand token is looked up, most of them numbers and register names: a token whose
    // first character begins no name is turned away before its hash is made.
    static std::size_t firstUnit(QStringView name)
    {
        return name.isEmpty() ? 0 : std::min<std::size_t>(name.front().unicode(), 128);
    }
    bool mayHold(QStringView name) const { return m_firstUnits[firstUnit(name)]; }
    std::array<bool, 129> m_firstUnits{}; // by first character, 128 for any beyond ASCII
};

class LabelTable : public NameTable<long long>
{
  public:
    // Adds a label. A name already there keeps its first value and false is returned (the driver
    // lists it as a duplicate). Capacity is the caller's check (count() against kMaxLabels).
    bool define(const QString &name, long long value) { return add(name, value); }
};

class VariableTable : public NameTable<QString>
{
  public:
    // Sets a variable's value text: a known name is overwritten in place, a new one appended.
    // Returns false, changing nothing, when a new name would exceed kMaxVariables.
    bool set(const QString &name, const QString &text);
};

} // namespace tw
