#ifndef DATAFILES_H
#define DATAFILES_H

#include "core/keysetup.h"

#include <QString>

// What a restore did to the active data file.
enum class RestoreResult
{
    Restored,            // the backup is the active data file now, its keys in force
    NotRestored,         // the backup is no sound data file, or could not be put in place: nothing changed
    EarlierCopyNotMoved, // an earlier rollback copy that differs could not be moved aside: nothing changed
    NoRollback,          // no rollback copy of the data file could be made: nothing changed
};

// What the start found of a restore that was cut short.
enum class RollbackRecovery
{
    None,       // nothing to do
    PutBack,    // the data file was missing or empty: its rollback copy is the data file again
    NotPutBack, // the same, but the rollback copy could not be checked or renamed: the data is still in it
};

// The data file as a whole: copies, restore and the choice of the active file.
// Paths are read from the settings when needed; failures come back as values,
// with their cause in words a user understands.
namespace DataFiles {

// What the check of a copy found before it may become the data file.
struct CopyCheck
{
    QString cause;             // why it may not, or the empty text
    bool copyAtFault = false;  // the cause lies in writing the copy, not in what it holds
    int unreadableSecrets = 0; // stored secrets that its keys do not open
    KeySetupResult keys = KeySetupResult::NoDataFile;
};

// The copy of the active data file that a restore keeps until the backup is in;
// beside the file itself when the active path is a link to it.
QString RollbackPath();
// A new backup in `folder`, named after the current local time.
QString BackupPath(const QString& folder);
// The shared copy in `folder`, under the active file's own name.
QString SharePath(const QString& folder);

// Whether a data file is named: none is after a first start that could not make one.
bool InUse();
// Copies the active data file, with what its journals hold, to `target`, never
// over an existing file and never beside journals that another file left there,
// which are kept aside; the empty text on success, else the cause.
QString CopyActiveTo(const QString& target);
// Makes `path` the active data file, for this run and the next.
void Select(const QString& path);
// Whether a new, empty data file may be made in place of the active one, which
// is missing or empty: its folder is a folder at an absolute path, no link
// there points to a missing file, and no rollback copy beside it may hold the data.
bool CanMakeNew();
// Makes the active data file with its five tables when it is missing or empty;
// the empty text on success, else the cause.
QString MakeNew();
// Checks a copy that the program made, before it becomes the data file: a
// sound SQLite file with every table and column, whose keys it holds or takes,
// and the secrets that they open. Its keys are in force afterwards; new ones
// are stored in it only with `keepKeys`.
CopyCheck CheckCopy(const QString& copy, bool keepKeys);
// "1 stored secret cannot be read." and the like.
QString UnreadableSecretsText(int count);
// Puts `backup` in place of the active data file once it has been checked: a
// regular, sound SQLite file with every table and column, and keys that open
// every stored secret. The data file, or the file that it links to, is at every
// moment the old one or the new one. The keys in force afterwards are those of
// the file then active, `keys` the result of their set-up. An earlier rollback
// copy that may hold other data is kept, and so are journals that another file
// left beside the data file: each is noted among the kept files.
RestoreResult Restore(const QString& backup, KeySetupResult* keys, QString* cause);
// Whether the rollback copy beside the data file `dataFile` may hold data found
// nowhere else: a data file, or one that cannot be checked.
bool RollbackWaits(const QString& dataFile);
// Run at start before the data file is first opened: a restore cut short may
// have left the data only in the rollback copy, and unfinished files beside it
// that nothing reads. `cause` tells why a NotPutBack failed; the rollback copy
// is then tried again at the next start, as no data file is made meanwhile.
RollbackRecovery RecoverRollback(QString* cause);

} // namespace DataFiles

#endif // DATAFILES_H
