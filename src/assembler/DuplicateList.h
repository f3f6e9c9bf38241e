#pragma once
// Labels defined more than once: one entry per re-definition, in source order.
#include <QHash>
#include <QString>
#include <vector>

namespace tw
{

class DuplicateList
{
  public:
    static constexpr int kCapacity = 1024;

    // Throws AssemblyFailure past kCapacity entries.
    void add(const QString &name);
    // How many re-definitions of this name were met.
    int countOf(const QString &name) const { return m_counts.value(name, 0); }
    const std::vector<QString> &names() const { return m_names; }
    int count() const { return static_cast<int>(m_names.size()); }
    void clear();

  private:
    std::vector<QString> m_names;
    QHash<QString, int> m_counts;
};

} // namespace tw
