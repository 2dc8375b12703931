#include "core/sqlitefile.h"

#include "core/DBManager.h"
#include "core/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cerrno>

namespace {

// What SQLite reads of the file of `state` on `database`.
FileState Read(const FileState& state, QSqlDatabase& database)
{
    const QString& path = state.path;
    if (!database.open())
        return state.With(FileState::Unreadable, path, SqlErrorCause(database.lastError(), database));
    QSqlQuery check(database);
    if (!check.exec("PRAGMA quick_check")) {
        const QString cause = SqlErrorCause(check.lastError(), database);
        const bool damaged = cause == FileState::CauseFor(FileState::Damaged);
        return state.With(damaged ? FileState::Damaged : FileState::Unreadable, path, cause);
    }
    // Anything but one row "ok" lists damage.
    if (!check.next() || check.value(0).toString() != "ok")
        return state.With(FileState::Damaged, path, FileState::CauseFor(FileState::Damaged));
    if (!CDBManager::HoldsTables(database)) {
        const FileState::Kind kind =
            database.tables().contains("tblLocker") ? FileState::OlderDataFile : FileState::NotADataFile;
        return state.With(kind, path, FileState::CauseFor(kind));
    }
    FileState read = state;
    read.kind = FileState::DataFile;
    return read;
}

// What SQLite reads of the regular file at `path`, through a read-only
// connection. Without a journal beside it, the file holds all there is, and is
// read as it stands, which makes nothing beside it, even in a folder that
// cannot be written. Else reading a database in WAL mode makes its -wal and
// -shm when they are missing; those go again, so that the file stays as it was.
FileState ReadAsDatabase(const FileState& state)
{
    const QString& path = state.path;
    QStringList made;
    for (const char* journal : {"-wal", "-shm"}) {
        if (FileState::NothingAt(path + journal))
            made << path + journal;
    }
    const QString connection = "EXAMINE";
    FileState read = state;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", connection);
        database.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
        database.setDatabaseName(
            DatabaseUri(path, state.journals.isEmpty() ? "mode=ro&immutable=1" : "mode=ro"));
        read = Read(state, database);
    }
    QSqlDatabase::removeDatabase(connection);
    for (const QString& file : made)
        QFile::remove(file);
    return read;
}

} // namespace

namespace SqliteFile {

FileState Examine(const QString& path)
{
    const FileState state = FileState::Look(path);
    if (state.kind != FileState::Readable)
        return state;
    if (!FileState::IsDatabaseHeader(state.header))
        return state.With(FileState::NotADataFile, state.path, FileState::CauseFor(FileState::NotADataFile));
    if (!state.journals.contains(state.path + "-journal"))
        return ReadAsDatabase(state);
    // Only a connection that writes rolls a hot journal back: what SQLite will
    // read is seen in a copy that took it in, beside the file, which stays as it was.
    FileCopy copy;
    if (!copy.Make(state.path, state.path, FileCopy::Source::Database, FileCopy::Mode::OwnerOnly,
                   TakeInJournals)) {
        // Where no copy can be written, SQLite cannot roll the journal back either.
        const bool damaged = copy.Cause() == FileState::CauseFor(FileState::Damaged);
        return state.With(damaged ? FileState::Damaged : FileState::Unreadable,
                          copy.SourceAtFault() ? state.path : QFileInfo(state.path).absolutePath(),
                          copy.Cause());
    }
    const FileState seen = Examine(copy.FileName());
    return state.With(seen.kind, state.path, seen.cause);
}

bool TakeInJournals(const QString& file, QString* cause)
{
    const QString connection = "JOURNALS";
    QString failed;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", connection);
        database.setConnectOptions("QSQLITE_OPEN_URI");
        database.setDatabaseName(DatabaseUri(file, "mode=rw"));
        QSqlError error;
        if (!database.open()) {
            error = database.lastError();
        } else {
            QSqlQuery pragma(database);
            if (!pragma.exec("PRAGMA journal_mode = DELETE"))
                error = pragma.lastError();
        }
        if (error.isValid()) {
            LogSqlError(error);
            failed = SqlErrorCause(error, database);
        }
    }
    QSqlDatabase::removeDatabase(connection);
    // Whatever SQLite left of them belongs to this file alone.
    for (const char* journal : FileState::JOURNALS)
        QFile::remove(file + journal);
    if (failed.isEmpty() && !InRollbackJournal(file))
        failed = FileState::CauseOf(EACCES, true);
    *cause = failed;
    return failed.isEmpty();
}

} // namespace SqliteFile
