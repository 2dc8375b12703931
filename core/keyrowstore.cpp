#include "core/keyrowstore.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Every column that holds field ciphertext.
const char* const HOLDS_CIPHERTEXT =
    "SELECT EXISTS (SELECT 1 FROM tblLocker WHERE LENGTH(PASSWORD) OR LENGTH(SECRET_QUESTION) OR "
    "LENGTH(SECRET_ANSWER) OR LENGTH(NOTES)) OR EXISTS (SELECT 1 FROM tblId WHERE LENGTH(USER_NAME) OR "
    "LENGTH(PASSWORD) OR LENGTH(NOTES)) OR EXISTS (SELECT 1 FROM tblId2 WHERE LENGTH(CARD_NUMBER) OR "
    "LENGTH(PIN) OR LENGTH(CODE) OR LENGTH(NOTES)) OR EXISTS (SELECT 1 FROM tblId3 WHERE LENGTH(NOTES))";

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

bool HoldsCiphertext()
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    // A file whose tables cannot be read counts as holding ciphertext: no new
    // key may be made for what cannot be checked.
    if (!query.exec(HOLDS_CIPHERTEXT) || !query.next()) {
        LogSqlError(query.lastError());
        return true;
    }
    return query.value(0).toBool();
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
