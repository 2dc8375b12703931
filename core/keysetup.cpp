#include "core/keysetup.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "core/keyrowstore.h"

namespace {

// Makes new keys and stores them in the key row, or in a new row when there is
// none. A row that already holds a master-password digest gets its content
// key wrapped under that digest, so that the next start unwraps it.
KeySetupResult GenerateKeys(const QVariant& rowId)
{
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    // Stored secrets are under a content key of their own: a new one would
    // leave them unreadable and mix two keys in one file.
    if (KeyRowStore::HoldsCiphertext()) {
        adapter.ForgetKeys();
        return KeySetupResult::KeysDamaged;
    }
    QString wrappedKey, iv;
    adapter.GenerateCEKE(wrappedKey, iv);
    if (wrappedKey.isEmpty() || !KeyRowStore::StoreKeys(rowId, wrappedKey, iv)) {
        adapter.ForgetKeys();
        return KeySetupResult::KeysNotStored;
    }
    return KeySetupResult::Generated;
}

} // namespace

KeySetupResult SetUpKeys()
{
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    // Not a data file: there are no keys to read, and nothing may be written into it.
    if (!CDBManager::GetInstance().HoldsSchema()) {
        adapter.ForgetKeys();
        return KeySetupResult::NotADataFile;
    }
    const KeyRow row = KeyRowStore::Read();
    // The passphrase always comes from this row (the empty digest gives that of
    // the empty text), never from whatever an earlier key set left in memory.
    adapter.SetPassphraseFromDigest(row.digest);
    if (row.wrappedKey.isEmpty())
        return GenerateKeys(row.id);

    if (!adapter.SetCEKE(row.wrappedKey, row.iv) || !adapter.CanUnwrap()) {
        adapter.ForgetKeys();
        return KeySetupResult::KeysDamaged;
    }
    return row.digest.isEmpty() ? KeySetupResult::NoMasterPassword : KeySetupResult::MasterPassword;
}
