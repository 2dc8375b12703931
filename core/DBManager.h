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
    // never makes a file, and opens only a regular file with nothing of
    // another kind where its journals go.
    void OpenDataBase(const QString& path);
    // Drops the connection so that the next GetDataBase opens the file then named.
    void CloseDataBase();
    // Folder and name of the active data file, as the settings name them, joined.
    static QString ActivePath();
    // The file that the connection is on.
    const QString& DataBasePath() const { return openPath; }
    // Whether the connection is on a file, not on the data folder alone, as
    // after a first start that could not make a data file.
    bool OnNamedFile();
    // At a first start: makes the current data file in the data folder where
    // none is yet, and names it in the settings once it holds the five tables.
    // False, with the cause, when it could not be made.
    bool CreateDatabase(QString* cause);
    // Makes a data file with the five tables at `path`, where nothing is, or in
    // place of an empty file that can be written: in a new file first, which
    // takes the name once it is complete. False, with the cause, when it cannot.
    bool MakeDataFile(const QString& path, QString* cause);
    // Gives the file at `path` whichever of the five tables it lacks. False,
    // with the cause, when it does not hold them afterwards.
    bool AddSchema(const QString& path, QString* cause);
    // True when the open file is an SQLite database that holds the five tables.
    bool HoldsSchema();
    // Finds a column that the program reads or writes and the open file lacks;
    // false when there is none.
    bool LacksColumn(QString* table, QString* column);
    // Puts the open file in SQLite's rollback journal mode, folding a WAL file
    // into it: everything saved is then in the one file that a copy takes.
    // False when the file stays in WAL mode.
    bool UseRollbackJournal();

    // Why a statement that writes the open file failed, in words a user
    // understands: what stands in the way is named where it is not the file.
    QString WhySaveFailed(const QSqlError& error);
    // Why nothing can be encrypted for a save: no keys of the data file are in force.
    QString WhyNotEncrypted();

    // True when `database` holds the five tables; reads the schema only.
    static bool HoldsTables(const QSqlDatabase& database);
    // Why nothing can be read or written where no data file is named, as after
    // a first start that could not make one.
    static QString NoDataFileText();

    // "settings_" + version + ".kvd": the data-file name of a version.
    static QString DataFileName(const QString& version = CURRENT_VERSION);

private:
    CDBManager() = default;
    ~CDBManager();
    Q_DISABLE_COPY(CDBManager)

    QSqlDatabase* database = nullptr;
    QString openPath;
};

// Writes a failed statement's database and driver texts to the debug log.
void LogSqlError(const QSqlError& error);
// The URI that opens the file at `path`, as the system finds it through its
// links, with `query`; "mode=rw" opens it as it stands, never making it. The
// path is the file's own, so that a folder "/" gives no "//", a URI authority.
QString DatabaseUri(const QString& path, const QString& query);
// What a failure on `database` means to the user.
QString SqlErrorCause(const QSqlError& error, const QSqlDatabase& database);
// Whether the header of the SQLite file at `path` gives the rollback journal
// mode on disk: the change is written as the statement ends, and a failure
// there is reported to no one.
bool InRollbackJournal(const QString& path);
// Runs a statement whose result nobody reads; a failure is only logged.
void ExecQuery(const QString& statement);
// Runs a prepared statement; false on failure, which is logged, and `cause`
// then tells why in words a user understands, where it is asked for.
bool ExecPrepared(QSqlQuery& query, QString* cause = nullptr);
// Gives `why` as the cause of a failed step, where one is asked for; false.
bool Failed(QString* cause, const QString& why);
// The statement text with its bound values written in, for the debug log.
QString GetLastExecutedQuery(const QSqlQuery& query);

#endif // DBMANAGER_H
