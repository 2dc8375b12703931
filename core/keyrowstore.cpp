#include "core/keyrowstore.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Every column that holds field ciphertext: table, then column.
const char* const SECRET_COLUMNS[][2] = {
    {"tblLocker", "PASSWORD"}, {"tblLocker", "SECRET_QUESTION"}, {"tblLocker", "SECRET_ANSWER"},
    {"tblLocker", "NOTES"},    {"tblId", "USER_NAME"},           {"tblId", "PASSWORD"},
    {"tblId", "NOTES"},        {"tblId2", "CARD_NUMBER"},        {"tblId2", "PIN"},
    {"tblId2", "CODE"},        {"tblId2", "NOTES"},              {"tblId3", "NOTES"}};

} // namespace

namespace KeyRowStore {

KeyRow Read()
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    KeyRow row;
    if (query.exec("SELECT ID, PARAM1, PARAM2, PARAM3 FROM tblSettings") && query.next())
        row = {query.value(0), query.value(1).toString(), query.value(2).toString(), query.value(3).toString()};
    return row;
}

QString MasterPasswordDigest()
{
    return Read().digest;
}

bool StoreKeys(const QVariant& id, const QString& wrappedKey, const QString& iv)
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
        return false;
    }
    return true;
}

bool ReadSecrets(int limit, QStringList* secrets)
{
    QStringList selects;
    for (const auto& column : SECRET_COLUMNS)
        selects << QString("SELECT %1 FROM %2 WHERE LENGTH(%1)").arg(column[1], column[0]);
    // One statement that stops at the limit: cheap however many rows the file holds.
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    if (!query.exec(selects.join(" UNION ALL ") + " LIMIT " + QString::number(limit))) {
        LogSqlError(query.lastError());
        return false;
    }
    secrets->clear();
    while (query.next())
        *secrets << query.value(0).toString();
    return true;
}

bool ChangeMasterPassword(const QString& newDigest)
{
    const KeyRow row = Read();
    if (!row.id.isValid())
        return false;
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    // The wrapped key must exist before anything is written: a digest stored
    // without its wrapped key would lose the content key at the next start.
    const QString wrappedKey = adapter.ChangePassword(newDigest);
    if (wrappedKey.isEmpty())
        return false;

    // One statement, so the digest and the wrapped key are stored together or not at all.
    QSqlQuery update(CDBManager::GetInstance().GetDataBase());
    update.prepare("UPDATE tblSettings SET PARAM1 = :param1, PARAM2 = :param2 WHERE ID = :id");
    update.bindValue(":param1", newDigest);
    update.bindValue(":param2", wrappedKey);
    update.bindValue(":id", row.id);
    if (update.exec() && update.numRowsAffected() == 1)
        return true;

    qDebug() << "Master password not stored:" << update.lastError().text();
    // Wrapping is deterministic, so this gives back exactly the key row that
    // the file still holds.
    if (adapter.ChangePassword(row.digest).isEmpty())
        qDebug() << "Keys in memory could not be restored";
    return false;
}

} // namespace KeyRowStore
