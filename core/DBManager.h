#ifndef DBMANAGER_H
#define DBMANAGER_H

#include "core/constants.h"

#include <QString>

class QSqlDatabase;
class QSqlError;
class QSqlQuery;

// Holds the program's one database connection on the active data file.
class CDBManager
{
public:
    static CDBManager& GetInstance();

    // The shared connection, opened on first use on the data file that the
    // settings name. A connection whose open failed stays closed until
    // CloseDataBase drops it.
    QSqlDatabase& GetDataBase();
    // Opens the shared connection on another file until CloseDataBase, so that
    // a file can be checked before it becomes the data file. The connection
    // never makes a file: only MakeDataFile does.
    void OpenDataBase(const QString& path);
    // Drops the connection so that the next GetDataBase opens the file then named.
    void CloseDataBase();
    // The file that the connection is on.
    const QString& DataBasePath() const { return openPath; }
    // At a first start: makes the current data file in the data folder, and
    // names it in the settings once it holds the five tables.
    void CreateDatabase();
    // Gives the file at `path` the five tables, making it first, readable and
    // writable by its owner alone, when it is missing. False, with the cause,
    // when it does not hold them afterwards; a file made here then goes again.
    bool MakeDataFile(const QString& path, QString* cause);
    // True when the open file is an SQLite database that holds the five tables.
    bool HoldsSchema();
    // Finds a column that the program reads or writes and the open file lacks;
    // false when there is none.
    bool LacksColumn(QString* table, QString* column);
    // Puts the open file in SQLite's rollback journal mode, folding a WAL file
    // into it: everything saved is then in the one file that a copy takes.
    // False when the file stays in WAL mode.
    bool UseRollbackJournal();

    // What a file is to the program, read on a connection of its own that
    // never creates or changes it.
    enum class FileKind
    {
        DataFile,     // a sound SQLite file that holds the five tables
        Damaged,      // not a sound SQLite file
        NotADataFile, // a sound SQLite file without the tables
    };
    // Anything but a regular file is Damaged, and never opened.
    static FileKind Examine(const QString& path);
    static bool IsDataFile(const QString& path) { return Examine(path) == FileKind::DataFile; }

    // Copies what SQLite reads of the database at `source`, what its WAL holds
    // included, into the empty file `target`, in the rollback journal mode;
    // `source` is only read. False, with the cause, when it cannot be read whole.
    static bool CarryOver(const QString& source, const QString& target, QString* cause);

    // "settings_" + version + ".kvd": the data-file name of a version.
    static QString DataFileName(const QString& version = CURRENT_VERSION);

private:
    CDBManager() = default;
    ~CDBManager();
    Q_DISABLE_COPY(CDBManager)

    void CreateTables();

    QSqlDatabase* database = nullptr;
    QString openPath;
};

// Writes a failed statement's database and driver texts to the debug log.
void LogSqlError(const QSqlError& error);
// Runs a statement whose result nobody reads; a failure is only logged.
void ExecQuery(const QString& statement);
// Runs a prepared statement; false on failure, which is logged.
bool ExecPrepared(QSqlQuery& query);
// The statement text with its bound values written in, for the debug log.
QString GetLastExecutedQuery(const QSqlQuery& query);

#endif // DBMANAGER_H
