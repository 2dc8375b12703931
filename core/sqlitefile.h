#ifndef SQLITEFILE_H
#define SQLITEFILE_H

#include "core/filestate.h"

// What SQLite makes of a file, asked through connections of their own, never
// the shared one.
namespace SqliteFile {

// What the system tells of `path`, and a file that holds something read as a
// database: on a read-only connection, or, with a journal beside it, in a copy
// that took the journal in. The file and its journals stay as they were.
FileState Examine(const QString& path);
// Opens the SQLite file `file`, whose journals beside it are the program's own
// copies, so that SQLite takes in what they hold: a hot journal is rolled back
// and a WAL folded in. The file is left in the rollback journal mode and alone.
// False, with the cause, when that fails.
bool TakeInJournals(const QString& file, QString* cause);

} // namespace SqliteFile

#endif // SQLITEFILE_H
