#include "core/entrystore.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QSqlQuery>
#include <QVariant>

#include <vector>

namespace {

enum class Stored
{
    Plain,
    Secret,
    SaveTime, // the local time of the save, never typed
};

struct Column
{
    QString name;
    Stored stored;
};

struct Kind
{
    QString table;
    QString list; // the list's columns and table, up to WHERE
    QString order;
    std::vector<Column> columns; // every column but ID and LOCKER_ID
    QStringList click;           // the columns a click in the list can copy
};

const Kind* KindOf(int type)
{
    static const Kind kinds[] = {
        {"tblId",
         "SELECT ID, name,'','','' from tblId",
         " ORDER BY NAME ASC",
         {{"NAME", Stored::Plain},
          {"URL", Stored::Plain},
          {"USER_NAME", Stored::Secret},
          {"PASSWORD", Stored::Secret},
          {"NOTES", Stored::Secret}},
         {"URL", "USER_NAME", "PASSWORD"}},
        {"tblId2",
         "SELECT ID, name,'','','' from tblId2",
         " ORDER BY NAME ASC",
         {{"NAME", Stored::Plain},
          {"CARD_NUMBER", Stored::Secret},
          {"PIN", Stored::Secret},
          {"ISSUE_DATE", Stored::Plain},
          {"EXPIRY_DATE", Stored::Plain},
          {"CODE", Stored::Secret},
          {"NOTES", Stored::Secret}},
         {"CARD_NUMBER", "PIN", "CODE"}},
        {"tblId3",
         "SELECT ID, name, TIME_STAMP,'','' from tblId3",
         " ORDER BY date(TIME_STAMP) DESC, NAME",
         {{"NAME", Stored::Plain}, {"TIME_STAMP", Stored::SaveTime}, {"NOTES", Stored::Secret}},
         {"NOTES"}},
    };
    return type >= 1 && type <= 3 ? &kinds[type - 1] : nullptr;
}

bool IsSecret(const Kind& kind, const QString& column)
{
    for (const Column& c : kind.columns) {
        if (c.name == column)
            return c.stored == Stored::Secret;
    }
    return false;
}

// The values of the query's current row, which selected `columns`, secrets in clear.
QStringList RowValues(const Kind& kind, const QStringList& columns, const QSqlQuery& query)
{
    QStringList values;
    for (int i = 0; i < columns.size(); ++i) {
        const QString stored = query.value(i).toString();
        values << (IsSecret(kind, columns[i]) ? BotanAdapter::GetInstance().Decrypt(stored) : stored);
    }
    return values;
}

// Runs a statement on the named columns of one row and hands out their values,
// secrets in clear; empty when the row is gone.
QStringList ReadColumns(const Kind& kind, const QStringList& columns, const QString& id)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("SELECT " + columns.join(", ") + " FROM " + kind.table + " WHERE ID = :id");
    query.bindValue(":id", id);
    if (!ExecPrepared(query) || !query.next())
        return QStringList();
    return RowValues(kind, columns, query);
}

// Binds every column of the kind; false when a secret could not be encrypted.
bool BindColumns(QSqlQuery& query, const Kind& kind, const QString& lockerId, const EntryFields& fields)
{
    query.bindValue(":locker_id", lockerId);
    for (const Column& column : kind.columns) {
        QString value = fields.value(column.name);
        if (column.stored == Stored::SaveTime) {
            value = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
        } else if (column.stored == Stored::Secret) {
            value = BotanAdapter::GetInstance().Encrypt(value);
            // Every text, even the empty one, encrypts to something: empty means
            // the keys failed, and nothing may be stored then.
            if (value.isEmpty())
                return false;
        }
        query.bindValue(":" + column.name.toLower(), value);
    }
    return true;
}

// Binds the entry's values and runs the save; false, with why, when either
// fails. A failed statement is logged with its values, which are ciphertext
// wherever they are secret.
bool Save(QSqlQuery& query, const Kind& kind, const QString& lockerId, const EntryFields& fields,
          QString* cause)
{
    if (!BindColumns(query, kind, lockerId, fields))
        return Failed(cause, CDBManager::GetInstance().WhyNotEncrypted());
    if (ExecPrepared(query, cause))
        return true;
    qDebug().noquote() << GetLastExecutedQuery(query);
    return false;
}

QStringList ColumnNames(const Kind& kind)
{
    QStringList names;
    for (const Column& column : kind.columns)
        names << column.name;
    return names;
}

} // namespace

namespace EntryStore {

QString Table(int type)
{
    const Kind* kind = KindOf(type);
    return kind ? kind->table : QString();
}

QStringList SecretColumns(int type)
{
    QStringList columns;
    if (const Kind* kind = KindOf(type)) {
        for (const Column& column : kind->columns) {
            if (column.stored == Stored::Secret)
                columns << column.name;
        }
    }
    return columns;
}

QSqlQuery List(int type, const QString& lockerId, const QString& filter)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    const Kind* kind = KindOf(type);
    if (!kind)
        return query;
    if (filter.isEmpty()) {
        query.prepare(kind->list + " WHERE locker_id = :locker_id" + kind->order);
    } else {
        // Bound as typed: quotes stand for themselves, while "%" and "_" keep
        // their LIKE meaning.
        query.prepare(kind->list + " WHERE  name LIKE '%' || :filter || '%' AND locker_id = :locker_id" +
                      kind->order);
        query.bindValue(":filter", filter);
    }
    query.bindValue(":locker_id", lockerId);
    ExecPrepared(query);
    return query;
}

QStringList ReadClickValues(int type, const QString& id)
{
    const Kind* kind = KindOf(type);
    return kind ? ReadColumns(*kind, kind->click, id) : QStringList();
}

bool Read(int type, const QString& id, EntryFields* fields)
{
    const Kind* kind = KindOf(type);
    if (!kind)
        return false;
    const QStringList names = ColumnNames(*kind);
    const QStringList values = ReadColumns(*kind, names, id);
    if (values.isEmpty())
        return false;
    fields->clear();
    for (int i = 0; i < names.size(); ++i)
        fields->insert(names[i], values[i]);
    return true;
}

bool ReadAll(int type, const QString& lockerId, QVector<QStringList>* rows)
{
    const Kind* kind = KindOf(type);
    if (!kind)
        return false;
    const QStringList names = ColumnNames(*kind);
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.setForwardOnly(true);
    query.prepare("SELECT " + names.join(", ") + " FROM " + kind->table +
                  " WHERE locker_id = :locker_id ORDER BY ID");
    query.bindValue(":locker_id", lockerId);
    if (!ExecPrepared(query))
        return false;
    rows->clear();
    while (query.next())
        rows->append(RowValues(*kind, names, query));
    return true;
}

bool NameTaken(int type, const QString& lockerId, const QString& name)
{
    const Kind* kind = KindOf(type);
    if (!kind)
        return false;
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("SELECT ID FROM " + kind->table + " WHERE name = :name AND locker_id = :locker_id");
    query.bindValue(":name", name);
    query.bindValue(":locker_id", lockerId);
    return ExecPrepared(query) && query.next();
}

bool Add(int type, const QString& lockerId, const EntryFields& fields, QString* cause)
{
    const Kind* kind = KindOf(type);
    if (!kind)
        return false;
    const QStringList names = ColumnNames(*kind);
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("INSERT INTO " + kind->table + " (LOCKER_ID, " + names.join(", ") +
                  ") VALUES (:locker_id, :" + names.join(", :").toLower() + ")");
    return Save(query, *kind, lockerId, fields, cause);
}

bool Update(int type, const QString& id, const QString& lockerId, const EntryFields& fields, QString* cause)
{
    const Kind* kind = KindOf(type);
    if (!kind)
        return false;
    QStringList assignments{"LOCKER_ID = :locker_id"};
    for (const QString& name : ColumnNames(*kind))
        assignments << name + " = :" + name.toLower();
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("UPDATE " + kind->table + " SET " + assignments.join(", ") + " WHERE ID = :id");
    query.bindValue(":id", id);
    if (!Save(query, *kind, lockerId, fields, cause))
        return false;
    // An update of a row that is gone changes nothing, and must not pass for a save.
    return query.numRowsAffected() == 1 ||
           Failed(cause, QCoreApplication::translate("EntryStore", "The entry is no longer there."));
}

bool Delete(int type, const QString& id)
{
    const Kind* kind = KindOf(type);
    if (!kind)
        return false;
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("DELETE FROM " + kind->table + " WHERE ID = :id");
    query.bindValue(":id", id);
    return ExecPrepared(query);
}

} // namespace EntryStore
