#include "core/DBManager.h"

#include "core/constants.h"
#include "core/datafiles.h"
#include "core/filecopy.h"
#include "core/filestate.h"
#include "core/utility.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVector>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString CONNECTION_NAME = "WALLET_DB";

const char* const SCHEMA[] = {
    "CREATE TABLE [tblLocker] ( [ID] INTEGER  PRIMARY KEY AUTOINCREMENT NOT NULL, [NAME] VARCHAR(50)  "
    "UNIQUE NOT NULL, [PASSWORD] VARCHAR(250) NULL, [SECRET_QUESTION] VARCHAR(250) NULL, [SECRET_ANSWER] "
    "VARCHAR(250) NULL, [TYPE] INTEGER NOT NULL, [KEY] VARCHAR(50) NOT NULL, [NOTES] VARCHAR(250) NULL, "
    "[USE_MP] INTEGER NOT NULL)",
    "CREATE TABLE [tblId] ( [ID] INTEGER  PRIMARY KEY AUTOINCREMENT NOT NULL, [LOCKER_ID] INTEGER  NOT "
    "NULL, [NAME] VARCHAR(250)  NOT NULL, [URL] VARCHAR(250)   NULL, [USER_NAME] VARCHAR(250) NOT NULL, "
    "[PASSWORD] VARCHAR(250)  NULL, [NOTES] VARCHAR(250)  NULL, FOREIGN KEY (LOCKER_ID) REFERENCES "
    "tblLocker)",
    "CREATE TABLE [tblId2] ( [ID] INTEGER  PRIMARY KEY AUTOINCREMENT NOT NULL, [LOCKER_ID] INTEGER  NOT "
    "NULL, [NAME] VARCHAR(250)  NOT NULL, [CARD_NUMBER] VARCHAR(250)   NULL, [PIN] VARCHAR(20) NULL, "
    "[ISSUE_DATE] VARCHAR(10)  NULL, [EXPIRY_DATE] VARCHAR(10)  NULL, [CODE] VARCHAR(3), [NOTES] "
    "VARCHAR(250)  NULL, FOREIGN KEY (LOCKER_ID) REFERENCES tblLocker)",
    "CREATE TABLE [tblId3] ( [ID] INTEGER  PRIMARY KEY AUTOINCREMENT NOT NULL, [LOCKER_ID] INTEGER  NOT "
    "NULL, [NAME] VARCHAR(250)  NOT NULL, [TIME_STAMP] DATE  NOT NULL, [NOTES] TEXT  NULL, FOREIGN KEY "
    "(LOCKER_ID) REFERENCES tblLocker)",
    "CREATE TABLE [tblSettings] ( [ID] INTEGER  PRIMARY KEY AUTOINCREMENT NOT NULL, [PARAM1] VARCHAR(300) "
    "NULL, [PARAM2] VARCHAR(300) NULL, [PARAM3] VARCHAR(300) NULL)",
};

// The schema's tables, each with its columns: the first bracketed name of a
// statement is the table's, the others are its columns'.
const QVector<QStringList>& SchemaTables()
{
    static const QVector<QStringList> tables = [] {
        QVector<QStringList> read;
        const QRegularExpression name(R"(\[(\w+)\])");
        for (const char* statement : SCHEMA) {
            QStringList names;
            for (auto match = name.globalMatch(statement); match.hasNext();)
                names << match.next().captured(1);
            read << names;
        }
        return read;
    }();
    return tables;
}

QString Tr(const char* text)
{
    return QCoreApplication::translate("CDBManager", text);
}

// The journal mode that the header of the SQLite file at `path` gives on disk:
// the change is written as the statement ends, and a failure there is reported
// to no one.
bool InRollbackJournal(const QString& path)
{
    QFile file(path);
    const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(20) : QByteArray();
    return header.size() == 20 && header.at(18) == 1 && header.at(19) == 1;
}

} // namespace

void LogSqlError(const QSqlError& error)
{
    qDebug().noquote() << error.databaseText() + "    " + error.driverText();
}

QString DatabaseUri(const QString& path, const QString& query)
{
    return "file:" + QUrl::toPercentEncoding(FileState::Resolve(path), "/") + "?" + query;
}

QString SqlErrorCause(const QSqlError& error)
{
    // SQLite's primary result code, also of an extended one.
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case 13: // SQLITE_FULL
        return FileState::CauseOf(ENOSPC, true);
    case 3:  // SQLITE_PERM
    case 8:  // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
        return FileState::CauseOf(EACCES, true);
    case 10: // SQLITE_IOERR
        return FileState::CauseOf(EIO, true);
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return Tr("Another program is using it.");
    default: // SQLITE_CORRUPT, SQLITE_NOTADB, and what else a file that is no sound database gives
        return FileState::CauseFor(FileState::Damaged);
    }
}

CDBManager& CDBManager::GetInstance()
{
    static CDBManager instance;
    return instance;
}

CDBManager::~CDBManager()
{
    if (database) {
        database->close();
        delete database;
        database = nullptr;
    }
}

QString CDBManager::DataFileName(const QString& version)
{
    return "settings_" + version + ".kvd";
}

QSqlDatabase& CDBManager::GetDataBase()
{
    if (!database)
        OpenDataBase(DataFiles::ActivePath());
    return *database;
}

void CDBManager::OpenDataBase(const QString& path)
{
    CloseDataBase();
    openPath = path;
    database = new QSqlDatabase(QSqlDatabase::addDatabase("QSQLITE", CONNECTION_NAME));
    // Opened as it stands, never made: a missing file stays missing, whatever the
    // path points to. Only a regular file, with nothing of another kind where its
    // journals go: SQLite's open of a pipe may never return, and a device is no data file.
    database->setConnectOptions("QSQLITE_OPEN_URI");
    database->setDatabaseName(DatabaseUri(path, "mode=rw"));
    const FileState::Kind kind = FileState::Look(path).kind;
    if (kind == FileState::Empty || kind == FileState::Readable)
        database->open();
    QSqlQuery pragma(*database);
    if (!pragma.exec("PRAGMA foreign_keys = ON"))
        LogSqlError(pragma.lastError());
}

void CDBManager::CloseDataBase()
{
    if (!database)
        return;
    database->close();
    delete database;
    database = nullptr;
    openPath.clear();
    QSqlDatabase::removeDatabase(CONNECTION_NAME);
}

bool CDBManager::CreateDatabase(QString* cause)
{
    QSettings* settings = Utility::GetInstance().settings;
    const QString path = FileState::Join(settings->value(WALLET_DATA_FOLDER_PATH).toString(), DataFileName());
    // Named only once it holds its tables, so that a first start that could not
    // make them is a first start again.
    if (FileState::Look(path).HoldsNothing() && !MakeDataFile(path, cause))
        return false;
    settings->setValue(ACTIVE_WALLET_DB_7_5_0, DataFileName());
    return true;
}

bool CDBManager::MakeDataFile(const QString& path, QString* cause)
{
    const FileState there = FileState::Look(path);
    // Never through a link to a file not there: that is a drive not connected, say.
    if (there.kind != FileState::Empty && (there.kind != FileState::Nothing || there.linked)) {
        *cause = FileState::CauseOf(there.kind == FileState::Nothing ? ENOENT : EEXIST, false);
        return false;
    }
    // An empty file that its owner keeps read-only stays so.
    if (there.kind == FileState::Empty &&
        ::faccessat(AT_FDCWD, QFile::encodeName(there.path).constData(), W_OK, AT_EACCESS) != 0) {
        *cause = FileState::CauseOf(errno, true);
        return false;
    }
    FileCopy file;
    const bool made = file.Fill(there.path, [this](const QString& name, QString* why) {
        return AddSchema(name, why);
    }) && (there.kind == FileState::Empty ? file.Replace(there.path) : file.Place(there.path));
    if (!made)
        *cause = file.Cause();
    return made;
}

bool CDBManager::AddSchema(const QString& path, QString* cause)
{
    OpenDataBase(path);
    // The most telling failure: a table already there says nothing of why another is missing.
    QSqlError failed;
    for (const char* statement : SCHEMA) {
        QSqlQuery query(*database);
        if (query.exec(statement))
            continue;
        LogSqlError(query.lastError());
        if (!failed.isValid() || failed.nativeErrorCode() == "1")
            failed = query.lastError();
    }
    const bool held = HoldsSchema();
    CloseDataBase();
    if (!held)
        *cause = failed.isValid() ? SqlErrorCause(failed) : FileState::CauseOf(EACCES, true);
    return held;
}

bool CDBManager::HoldsSchema()
{
    return HoldsTables(GetDataBase());
}

bool CDBManager::LacksColumn(QString* table, QString* column)
{
    for (const QStringList& columns : SchemaTables()) {
        QSqlQuery info(GetDataBase());
        QStringList present;
        if (info.exec("PRAGMA table_info(" + columns.first() + ")")) {
            while (info.next())
                present << info.value(1).toString();
        }
        for (const QString& name : columns.mid(1)) {
            if (!present.contains(name, Qt::CaseInsensitive)) {
                *table = columns.first();
                *column = name;
                return true;
            }
        }
    }
    return false;
}

bool CDBManager::UseRollbackJournal()
{
    QSqlQuery pragma(GetDataBase());
    if (!pragma.exec("PRAGMA journal_mode = DELETE")) {
        LogSqlError(pragma.lastError());
        return false;
    }
    return InRollbackJournal(openPath);
}

bool CDBManager::HoldsTables(const QSqlDatabase& database)
{
    // Reads the schema only: a file that is no database gives no tables.
    const QStringList tables = database.tables();
    return std::all_of(SchemaTables().cbegin(), SchemaTables().cend(),
                       [&tables](const QStringList& table) { return tables.contains(table.first()); });
}

bool CDBManager::TakeInJournals(const QString& path, QString* cause)
{
    const QString connection = "JOURNALS";
    QSqlError error;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", connection);
        database.setConnectOptions("QSQLITE_OPEN_URI");
        database.setDatabaseName(DatabaseUri(path, "mode=rw"));
        if (!database.open()) {
            error = database.lastError();
        } else {
            QSqlQuery pragma(database);
            if (!pragma.exec("PRAGMA journal_mode = DELETE"))
                error = pragma.lastError();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    // Whatever SQLite left of them belongs to this file alone.
    for (const char* journal : FileState::JOURNALS)
        QFile::remove(path + journal);
    if (error.isValid()) {
        LogSqlError(error);
        *cause = SqlErrorCause(error);
        return false;
    }
    if (!InRollbackJournal(path)) {
        *cause = FileState::CauseOf(EACCES, true);
        return false;
    }
    return true;
}

void ExecQuery(const QString& statement)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    if (!query.exec(statement))
        LogSqlError(query.lastError());
}

bool ExecPrepared(QSqlQuery& query)
{
    if (query.exec())
        return true;
    LogSqlError(query.lastError());
    return false;
}

QString GetLastExecutedQuery(const QSqlQuery& query)
{
    QString text = query.lastQuery();
    const QMap<QString, QVariant> bound = query.boundValues();
    for (auto it = bound.constBegin(); it != bound.constEnd(); ++it)
        text.replace(it.key(), it.value().toString(), Qt::CaseSensitive);
    return text;
}
