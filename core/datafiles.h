#ifndef DATAFILES_H
#define DATAFILES_H

#include <QString>

// What a restore did to the active data file.
enum class RestoreResult
{
    Restored,    // the backup is the active data file now
    NotRestored, // the backup could not be put in place: the data file is back as it was
    NoRollback,  // no rollback copy could be made: nothing was deleted
};

// The data file as a whole: copies, restore and the choice of the active file.
// Paths are read from the settings when needed; failures come back as values.
namespace DataFiles {

// Folder + "/" + name of the active data file.
QString ActivePath();
// The copy of the active data file that a restore keeps until the backup is in.
QString RollbackPath();
// A new backup in `folder`, named after the current local time.
QString BackupPath(const QString& folder);
// The shared copy in `folder`, under the active file's own name.
QString SharePath(const QString& folder);

// Copies the active data file to `target`, never over an existing file; the
// empty text on success, else the file error.
QString CopyActiveTo(const QString& target);
// Makes `path` the active data file, for this run and the next.
void Select(const QString& path);
// Puts `backup` in place of the active data file. `error` gets the file error
// when no rollback copy could be made.
RestoreResult Restore(const QString& backup, QString* error);

} // namespace DataFiles

#endif // DATAFILES_H
