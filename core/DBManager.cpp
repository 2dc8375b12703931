#include "core/DBManager.h"

#include "core/constants.h"
#include "core/filecopy.h"
#include "core/filestate.h"
#include "core/keptfiles.h"
#include "core/utility.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVector>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>

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

// The error number of the system call that SQLite last saw fail on `database`;
// 0 when there is none.
int SystemError(const QSqlDatabase& database)
{
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return 0;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    return connection ? sqlite3_system_errno(connection) : 0;
}

} // namespace

bool InRollbackJournal(const QString& path)
{
    QFile file(path);
    const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(20) : QByteArray();
    return FileState::IsDatabaseHeader(header) && header.at(18) == 1 && header.at(19) == 1;
}

void LogSqlError(const QSqlError& error)
{
    qDebug().noquote() << error.databaseText() + "    " + error.driverText();
}

QString DatabaseUri(const QString& path, const QString& query)
{
    return "file:" + QUrl::toPercentEncoding(FileState::Resolve(path), "/") + "?" + query;
}

QString SqlErrorCause(const QSqlError& error, const QSqlDatabase& database)
{
    // SQLite's primary result code, also of an extended one.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    switch (code) {
    case SQLITE_FULL:
        return FileState::CauseOf(ENOSPC, true);
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN: // what the system said, where SQLite kept it: a size limit, say
        if (const int system = SystemError(database))
            return FileState::CauseOf(system, true);
        return FileState::CauseOf(code == SQLITE_IOERR ? EIO : EACCES, true);
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return FileState::CauseOf(EACCES, true);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Tr("Another program is using it.");
    case SQLITE_CONSTRAINT: // the unique locker name, or an entry's locker
        if (error.databaseText().contains("UNIQUE"))
            return Tr("The name is already in use.");
        if (error.databaseText().contains("FOREIGN KEY"))
            return Tr("Its locker is no longer there.");
        return error.databaseText();
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
        OpenDataBase(ActivePath());
    return *database;
}

QString CDBManager::ActivePath()
{
    const QSettings* settings = Utility::GetInstance().settings;
    return FileState::Join(settings->value(WALLET_DATA_FOLDER_PATH).toString(),
                           settings->value(ACTIVE_WALLET_DB_7_5_0).toString());
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
    if (!FileCopy::CanSettle(there, cause))
        return false;
    FileCopy file;
    if (!file.Fill(there.path, [this](const QString& name, QString* why) { return AddSchema(name, why); })) {
        *cause = file.Cause();
        return false;
    }
    if (!KeptFiles::ClearWay(there.path, cause))
        return false;
    if (!file.Settle(there)) {
        *cause = file.Cause();
        return false;
    }
    return true;
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
    if (!held)
        *cause = failed.isValid() ? SqlErrorCause(failed, *database) : FileState::CauseOf(EACCES, true);
    CloseDataBase();
    return held;
}

bool CDBManager::OnNamedFile()
{
    GetDataBase();
    return !QFileInfo(openPath).fileName().isEmpty();
}

QString CDBManager::WhySaveFailed(const QSqlError& error)
{
    if (!OnNamedFile())
        return NoDataFileText();
    // What stands in the way is named first: the error's words do not say which file it is.
    const QString obstacle = FileState::WhyNotWritable(openPath);
    return obstacle.isEmpty() ? SqlErrorCause(error, GetDataBase()) : obstacle;
}

QString CDBManager::WhyNotEncrypted()
{
    return OnNamedFile() ? Tr("No keys of the data file are in use to encrypt it with.") : NoDataFileText();
}

QString CDBManager::NoDataFileText()
{
    return Tr("No data file is in use.");
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

void ExecQuery(const QString& statement)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    if (!query.exec(statement))
        LogSqlError(query.lastError());
}

bool ExecPrepared(QSqlQuery& query, QString* cause)
{
    if (query.exec())
        return true;
    LogSqlError(query.lastError());
    return cause ? Failed(cause, CDBManager::GetInstance().WhySaveFailed(query.lastError())) : false;
}

bool Failed(QString* cause, const QString& why)
{
    if (cause)
        *cause = why;
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
