#pragma once
// The subroutine libraries' store: SQLite files through Qt SQL, one table per library, six text
// fields per routine. Every value reaches the engine as a bound parameter.
#include <QList>
#include <QString>

namespace tw
{

// One routine as the tables hold it: ml, cx, rk, ck, zy, dz.
struct SubroutineRecord {
    QString name;      // ml, at most 50 characters
    QString code;      // cx
    QString entry;     // rk 入口条件
    QString exit;      // ck 出口状态
    QString resources; // zy 占用资源, at most 50 characters
    QString stack;     // dz 堆栈需求, at most 50 characters

    bool operator==(const SubroutineRecord &) const = default;
};

// The longest name, resource and stack text a table takes.
inline constexpr int kShortFieldLength = 50;

// An open connection to one table. Failures return the engine's error text (empty: success).
class SubroutineStore
{
  public:
    SubroutineStore();
    ~SubroutineStore();
    SubroutineStore(const SubroutineStore &) = delete;
    SubroutineStore &operator=(const SubroutineStore &) = delete;

    // Opens an existing file without writing to it; a missing file is an error.
    QString openReadOnly(const QString &path, const QString &table);
    // Opens the file, creating it and the table (fields in the order ml, cx, rk, ck, zy, dz)
    // when they are missing.
    QString openOrCreate(const QString &path, const QString &table);
    void close();
    bool isOpen() const;

    // Every record in the order stored.
    QString readAll(QList<SubroutineRecord> &records) const;
    // Appends one record. Over-long short fields are refused by the table itself too.
    QString add(const SubroutineRecord &record);
    // Adds many records in one transaction (the build of the fixed libraries).
    QString addAll(const QList<SubroutineRecord> &records);

  private:
    QString open(const QString &path, const QString &table, bool readOnly);
    QString createTable();

    QString m_connection;
    QString m_table;
};

} // namespace tw
