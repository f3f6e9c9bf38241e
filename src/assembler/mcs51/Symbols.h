#pragma once
// The MCS-51 assembler's name tables: labels fixed in pass 1, and EQU/BIT variables whose value
// text is substituted into later operands. Both keep definition order for the listing and look
// names up through a hash, never by walking the list.
#include "assembler/mcs51/TextHash.h"

#include <QList>
#include <QString>
#include <optional>

namespace tw::mcs51
{

inline constexpr int kMaxLabels = 2048;
inline constexpr int kMaxVariables = 1024;

class LabelTable
{
  public:
    struct Entry {
        QString name;
        long long value = 0;
    };

    // Adds a label. A name already there keeps its first value and false is returned (the driver
    // lists it as a duplicate). Capacity is the caller's check (count() against kMaxLabels).
    bool define(const QString &name, long long value);
    std::optional<long long> find(const QString &name) const;
    bool contains(const QString &name) const { return m_index.count(name) != 0; }
    const QList<Entry> &entries() const { return m_entries; }
    int count() const { return static_cast<int>(m_entries.size()); }
    void clear();

  private:
    QList<Entry> m_entries;
    TextMap<int> m_index;
};

class VariableTable
{
  public:
    struct Entry {
        QString name;
        QString text;
    };

    // Sets a variable's value text: a known name is overwritten in place, a new one appended.
    // Returns false, changing nothing, when a new name would exceed kMaxVariables.
    bool set(const QString &name, const QString &text);
    const QString *find(QStringView name) const;
    const QList<Entry> &entries() const { return m_entries; }
    int count() const { return static_cast<int>(m_entries.size()); }
    void clear();

  private:
    QList<Entry> m_entries;
    TextMap<int> m_index;
};

} // namespace tw::mcs51
