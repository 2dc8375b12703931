#include "core/keyrowstore.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "core/entrystore.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The locker columns that hold field ciphertext; the entry tables' are the entry store's.
const char* const LOCKER_SECRET_COLUMNS[] = {"PASSWORD", "SECRET_QUESTION", "SECRET_ANSWER", "NOTES"};

} // namespace

namespace KeyRowStore {

KeyRow Read()
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    KeyRow row;
    if (query.exec("SELECT ID, PARAM1, PARAM2, PARAM3 FROM tblSettings") && query.next())
        row = {query.value(0), query.value(1).toString(), query.value(2).toString(),
               query.value(3).toString()};
    return row;
}

QString MasterPasswordDigest()
{
    return Read().digest;
}

bool StoreKeys(const QVariant& id, const QString& wrappedKey, const QString& iv, QSqlError* error)
{
    QSqlQuery store(CDBManager::GetInstance().GetDataBase());
    if (id.isValid()) {
        store.prepare("UPDATE tblSettings SET PARAM2 = :param2, PARAM3 = :param3 WHERE ID = :id");
        store.bindValue(":id", id);
    } else {
        store.prepare("INSERT INTO tblSettings (PARAM2, PARAM3) VALUES( :param2, :param3 )");
    }
    store.bindValue(":param2", wrappedKey);
    store.bindValue(":param3", iv);
    if (!store.exec() || store.numRowsAffected() != 1) {
        qDebug() << "Key row not stored:" << store.lastError().text();
        *error = store.lastError();
        return false;
    }
    return true;
}

bool ForEachSecret(int limit, const std::function<void(const QString&)>& take)
{
    QStringList selects;
    const auto select = [&selects](const QString& table, const QString& column) {
        selects << QString("SELECT %1 FROM %2 WHERE LENGTH(%1)").arg(column, table);
    };
    for (const char* column : LOCKER_SECRET_COLUMNS)
        select("tblLocker", column);
    for (int type = 1; type <= 3; ++type) {
        for (const QString& column : EntryStore::SecretColumns(type))
            select(EntryStore::Table(type), column);
    }
    // One statement that stops at the limit: cheap however many rows the file
    // holds. Forward only, so that no row is kept once the next is read.
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.setForwardOnly(true);
    if (!query.exec(selects.join(" UNION ALL ") + " LIMIT " + QString::number(limit))) {
        LogSqlError(query.lastError());
        return false;
    }
    while (query.next())
        take(query.value(0).toString());
    return !query.lastError().isValid();
}

bool ChangeMasterPassword(const QString& newDigest, QString* cause)
{
    const KeyRow row = Read();
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    // The wrapped key must exist before anything is written: a digest stored
    // without its wrapped key would lose the content key at the next start.
    const QString wrappedKey = row.id.isValid() ? adapter.ChangePassword(newDigest) : QString();
    if (wrappedKey.isEmpty())
        return Failed(cause, CDBManager::GetInstance().WhyNotEncrypted());

    // One statement, so the digest and the wrapped key are stored together or not at all.
    QSqlQuery update(CDBManager::GetInstance().GetDataBase());
    update.prepare("UPDATE tblSettings SET PARAM1 = :param1, PARAM2 = :param2 WHERE ID = :id");
    update.bindValue(":param1", newDigest);
    update.bindValue(":param2", wrappedKey);
    update.bindValue(":id", row.id);
    const bool ran = ExecPrepared(update, cause);
    if (ran && update.numRowsAffected() == 1)
        return true;
    if (ran)
        Failed(cause, QCoreApplication::translate("KeyRowStore",
                                                  "The key row of the data file is no longer there."));

    // Wrapping is deterministic, so this gives back exactly the key row that
    // the file still holds.
    if (adapter.ChangePassword(row.digest).isEmpty())
        qDebug() << "Keys in memory could not be restored";
    return false;
}

} // namespace KeyRowStore
