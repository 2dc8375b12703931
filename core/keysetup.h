#ifndef KEYSETUP_H
#define KEYSETUP_H

class QString;

// What the start-up key set-up found in the data file's key row.
enum class KeySetupResult
{
    Generated,        // no keys yet: new ones were made and stored
    NoMasterPassword, // stored keys loaded under the empty passphrase
    MasterPassword,   // stored keys loaded under the master-password digest
    KeysDamaged,      // the stored keys are unreadable or open none of the stored secrets, or secrets
                      // have no keys: nothing can be encrypted
    KeysNotStored,    // new keys could not be stored: nothing can be encrypted
    NotADataFile,     // a file that holds something other than the tables: nothing was read or written
    OlderDataFile,    // an earlier version's data file, without every table: nothing was read or written
    NoDataFile,       // the data file is missing or empty: nothing was read or written
    CannotOpen,       // the data file is damaged, cannot be read, or is no regular file, or a journal
                      // beside it is not: nothing was read or written
    NoDataFolder,     // no data file is named, as a first start could not make one in its folder
};

// True when the result leaves keys in force that encrypt and decrypt the file's secrets.
bool KeysInForce(KeySetupResult result);

// Reads the first row of tblSettings of the open data file and loads its keys
// into BotanAdapter, or generates and stores new ones when the file has neither
// keys nor secrets. Run at start and whenever another data file comes in.
// `cause` tells why new keys were not stored.
KeySetupResult SetUpKeys(QString* cause = nullptr);

// How many of the open file's stored secrets do not decrypt under the keys in
// force; -1 when they could not be read.
int UnreadableSecrets();

#endif // KEYSETUP_H
