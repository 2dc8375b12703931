#include "core/keysetup.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Makes new keys and stores them in the key row `rowId`, or in a new row when
// there is none. A row that already holds a master-password digest gets its
// content key wrapped under that digest, so that the next start unwraps it.
KeySetupResult GenerateKeys(const QVariant& rowId)
{
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    QString wrappedKey, iv;
    adapter.GenerateCEKE(wrappedKey, iv);

    QSqlQuery store(CDBManager::GetInstance().GetDataBase());
    if (rowId.isValid()) {
        store.prepare("UPDATE tblSettings SET PARAM2 = :param2, PARAM3 = :param3 WHERE ID = :id");
        store.bindValue(":id", rowId);
    } else {
        store.prepare("INSERT INTO tblSettings (PARAM2, PARAM3) VALUES( :param2, :param3 )");
    }
    store.bindValue(":param2", wrappedKey);
    store.bindValue(":param3", iv);
    if (wrappedKey.isEmpty() || !store.exec() || store.numRowsAffected() != 1) {
        qDebug() << "Key row not stored:" << store.lastError().text();
        adapter.ForgetKeys();
        return KeySetupResult::KeysNotStored;
    }
    return KeySetupResult::Generated;
}

} // namespace

KeySetupResult SetUpKeys()
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.exec("SELECT ID, PARAM1, PARAM2, PARAM3 FROM tblSettings");
    QVariant rowId;
    QString digest, wrappedKey, iv;
    if (query.next()) {
        rowId = query.value(0);
        digest = query.value(1).toString();
        wrappedKey = query.value(2).toString();
        iv = query.value(3).toString();
    }

    // The passphrase always comes from this row (the empty digest gives that of
    // the empty text), never from whatever an earlier key set left in memory.
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    adapter.SetPassphraseFromDigest(digest);
    if (wrappedKey.isEmpty())
        return GenerateKeys(rowId);

    if (!adapter.SetCEKE(wrappedKey, iv) || !adapter.CanUnwrap()) {
        adapter.ForgetKeys();
        return KeySetupResult::KeysDamaged;
    }
    return digest.isEmpty() ? KeySetupResult::NoMasterPassword : KeySetupResult::MasterPassword;
}
