#include "core/keysetup.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "core/filestate.h"
#include "core/keyrowstore.h"
#include "core/sqlitefile.h"

#include <QSqlError>

namespace {

// Enough stored secrets to tell whether keys belong to the file.
constexpr int SECRETS_TRIED = 8;

// Makes new keys and stores them in the key row, or in a new row when there is
// none. A row that already holds a master-password digest gets its content
// key wrapped under that digest, so that the next start unwraps it.
KeySetupResult GenerateKeys(const QVariant& rowId, QString* cause)
{
    QString wrappedKey, iv;
    BotanAdapter::GetInstance().GenerateCEKE(wrappedKey, iv);
    QSqlError error;
    if (wrappedKey.isEmpty() || !KeyRowStore::StoreKeys(rowId, wrappedKey, iv, &error)) {
        if (error.isValid())
            *cause = SqlErrorCause(error, CDBManager::GetInstance().GetDataBase());
        return KeySetupResult::KeysNotStored;
    }
    return KeySetupResult::Generated;
}

KeySetupResult LoadKeys(QString* cause)
{
    CDBManager& manager = CDBManager::GetInstance();
    if (!manager.HoldsSchema()) {
        // Nothing is made here: only a first start, or the user's word, makes a data file.
        if (!manager.OnNamedFile())
            return KeySetupResult::NoDataFolder;
        switch (SqliteFile::Examine(manager.DataBasePath()).kind) {
        case FileState::Nothing:
        case FileState::Empty:
            return KeySetupResult::NoDataFile;
        case FileState::NotADataFile:
            return KeySetupResult::NotADataFile;
        case FileState::OlderDataFile:
            return KeySetupResult::OlderDataFile;
        default:
            return KeySetupResult::CannotOpen;
        }
    }
    manager.UseRollbackJournal();

    BotanAdapter& adapter = BotanAdapter::GetInstance();
    const KeyRow row = KeyRowStore::Read();
    // The passphrase always comes from this row (the empty digest gives that of
    // the empty text), never from whatever an earlier key set left in memory.
    adapter.SetPassphraseFromDigest(row.digest);
    if (row.wrappedKey.isEmpty()) {
        // Stored secrets are under a content key of their own: a new one would
        // leave them unreadable and mix two keys in one file. Tables that cannot
        // be read count as holding some.
        int secrets = 0;
        if (!KeyRowStore::ForEachSecret(1, [&secrets](const QString&) { ++secrets; }) || secrets > 0)
            return KeySetupResult::KeysDamaged;
        return GenerateKeys(row.id, cause);
    }

    if (!adapter.SetCEKE(row.wrappedKey, row.iv) || !adapter.CanUnwrap())
        return KeySetupResult::KeysDamaged;
    // A key that unwraps may still be another file's, or its IV another's.
    int tried = 0, opened = 0;
    KeyRowStore::ForEachSecret(SECRETS_TRIED, [&](const QString& secret) {
        ++tried;
        opened += adapter.Decrypts(secret);
    });
    if (tried > 0 && opened == 0)
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
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    int unreadable = 0;
    // One secret at a time: a backup may hold more than memory.
    const auto count = [&](const QString& secret) { unreadable += !adapter.Decrypts(secret); };
    return KeyRowStore::ForEachSecret(-1, count) ? unreadable : -1;
}

KeySetupResult SetUpKeys(QString* cause)
{
    QString unused;
    const KeySetupResult result = LoadKeys(cause ? cause : &unused);
    // Nothing may be encrypted under keys that the file does not hold.
    if (!KeysInForce(result))
        BotanAdapter::GetInstance().ForgetKeys();
    return result;
}
