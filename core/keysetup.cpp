#include "core/keysetup.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "core/keyrowstore.h"

#include <QFileInfo>
#include <QSqlDatabase>

#include <algorithm>

namespace {

// Enough stored secrets to tell whether keys belong to the file.
constexpr int SECRETS_TRIED = 8;

// Makes new keys and stores them in the key row, or in a new row when there is
// none. A row that already holds a master-password digest gets its content
// key wrapped under that digest, so that the next start unwraps it.
KeySetupResult GenerateKeys(const QVariant& rowId)
{
    QString wrappedKey, iv;
    BotanAdapter::GetInstance().GenerateCEKE(wrappedKey, iv);
    if (wrappedKey.isEmpty() || !KeyRowStore::StoreKeys(rowId, wrappedKey, iv))
        return KeySetupResult::KeysNotStored;
    return KeySetupResult::Generated;
}

KeySetupResult LoadKeys()
{
    CDBManager& manager = CDBManager::GetInstance();
    if (!manager.HoldsSchema()) {
        // A file that holds anything else is not ours: nothing is read or written.
        if (QFileInfo(manager.GetDataBase().databaseName()).size() > 0)
            return KeySetupResult::NotADataFile;
        // A missing or empty one is a data file still to be made, as at a first
        // start; when that fails, its folder is missing or cannot be written.
        manager.CreateTables();
        if (!manager.HoldsSchema())
            return KeySetupResult::NoDataFolder;
    }
    manager.UseRollbackJournal();

    BotanAdapter& adapter = BotanAdapter::GetInstance();
    const KeyRow row = KeyRowStore::Read();
    // The passphrase always comes from this row (the empty digest gives that of
    // the empty text), never from whatever an earlier key set left in memory.
    adapter.SetPassphraseFromDigest(row.digest);
    QStringList secrets;
    const bool secretsRead = KeyRowStore::ReadSecrets(SECRETS_TRIED, &secrets);
    if (row.wrappedKey.isEmpty()) {
        // Stored secrets are under a content key of their own: a new one would
        // leave them unreadable and mix two keys in one file. Tables that cannot
        // be read count as holding some.
        if (!secretsRead || !secrets.isEmpty())
            return KeySetupResult::KeysDamaged;
        return GenerateKeys(row.id);
    }

    if (!adapter.SetCEKE(row.wrappedKey, row.iv) || !adapter.CanUnwrap())
        return KeySetupResult::KeysDamaged;
    // A key that unwraps may still be another file's, or its IV another's.
    const auto opens = [&adapter](const QString& secret) { return adapter.Decrypts(secret); };
    if (!secrets.isEmpty() && std::none_of(secrets.cbegin(), secrets.cend(), opens))
        return KeySetupResult::KeysDamaged;
    return row.digest.isEmpty() ? KeySetupResult::NoMasterPassword : KeySetupResult::MasterPassword;
}

} // namespace

bool KeysInForce(KeySetupResult result)
{
    return result == KeySetupResult::Generated || result == KeySetupResult::NoMasterPassword ||
           result == KeySetupResult::MasterPassword;
}

int UnreadableSecrets()
{
    QStringList secrets;
    if (!KeyRowStore::ReadSecrets(-1, &secrets))
        return -1;
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    return std::count_if(secrets.cbegin(), secrets.cend(),
                         [&adapter](const QString& secret) { return !adapter.Decrypts(secret); });
}

KeySetupResult SetUpKeys()
{
    const KeySetupResult result = LoadKeys();
    // Nothing may be encrypted under keys that the file does not hold.
    if (!KeysInForce(result))
        BotanAdapter::GetInstance().ForgetKeys();
    return result;
}
