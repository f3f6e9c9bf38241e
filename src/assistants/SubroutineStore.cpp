#include "SubroutineStore.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

namespace tw
{

namespace
{

QString newConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("tw_subroutines_%1").arg(++counter);
}

// Table names come from our own constants; anything else is refused rather than spliced in.
bool isPlainName(const QString &table)
{
    if (table.isEmpty())
        return false;
    for (QChar c : table)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_')
            return false;
    return true;
}

QString errorText(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

} // namespace

SubroutineStore::SubroutineStore() : m_connection(newConnectionName()) {}

SubroutineStore::~SubroutineStore()
{
    close();
}

void SubroutineStore::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool SubroutineStore::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

QString SubroutineStore::openReadOnly(const QString &path, const QString &table)
{
    // SQLite would make an empty file for a missing one; a read-only library must already exist.
    if (!QFileInfo(path).isFile())
        return QStringLiteral("unable to open database file: ") + path;
    return open(path, table, true);
}

QString SubroutineStore::openOrCreate(const QString &path, const QString &table)
{
    const QString error = open(path, table, false);
    if (!error.isEmpty())
        return error;
    const QString created = createTable();
    if (!created.isEmpty())
        close();
    return created;
}

QString SubroutineStore::open(const QString &path, const QString &table, bool readOnly)
{
    close();
    if (!isPlainName(table))
        return QStringLiteral("invalid table name: ") + table;
    m_table = table;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) {
        const QString error = errorText(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        return error;
    }
    db.setDatabaseName(path);
    if (readOnly)
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        const QString error = errorText(db.lastError());
        db = QSqlDatabase();
        close();
        return error;
    }
    return {};
}

QString SubroutineStore::createTable()
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    // The length checks keep the short fields as narrow as the old Text(50) fields were.
    const QString sql = QStringLiteral("CREATE TABLE IF NOT EXISTS %1 ("
                                       "ml VARCHAR(50) CHECK (length(ml) <= 50), "
                                       "cx TEXT, rk TEXT, ck TEXT, "
                                       "zy VARCHAR(50) CHECK (length(zy) <= 50), "
                                       "dz VARCHAR(50) CHECK (length(dz) <= 50))")
                            .arg(m_table);
    if (!query.exec(sql))
        return errorText(query.lastError());
    return {};
}

QString SubroutineStore::readAll(QList<SubroutineRecord> &records) const
{
    records.clear();
    if (!isOpen())
        return QStringLiteral("database not open");
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT ml, cx, rk, ck, zy, dz FROM %1 ORDER BY rowid").arg(m_table)))
        return errorText(query.lastError());
    // A field without a value reads as an empty text.
    while (query.next())
        records.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                        query.value(3).toString(), query.value(4).toString(), query.value(5).toString()});
    if (query.lastError().isValid())
        return errorText(query.lastError());
    return {};
}

QString SubroutineStore::add(const SubroutineRecord &record)
{
    if (!isOpen())
        return QStringLiteral("database not open");
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.prepare(
            QStringLiteral("INSERT INTO %1 (ml, cx, rk, ck, zy, dz) VALUES (?, ?, ?, ?, ?, ?)").arg(m_table)))
        return errorText(query.lastError());
    for (const QString *field :
         {&record.name, &record.code, &record.entry, &record.exit, &record.resources, &record.stack})
        query.addBindValue(*field);
    if (!query.exec())
        return errorText(query.lastError());
    return {};
}

QString SubroutineStore::addAll(const QList<SubroutineRecord> &records)
{
    if (!isOpen())
        return QStringLiteral("database not open");
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return errorText(db.lastError());
    for (const SubroutineRecord &record : records) {
        const QString error = add(record);
        if (!error.isEmpty()) {
            db.rollback();
            return error;
        }
    }
    if (!db.commit())
        return errorText(db.lastError());
    return {};
}

} // namespace tw
