#include "core/DBManager.h"

#include "core/constants.h"
#include "core/datafiles.h"
#include "core/filecopy.h"
#include "core/utility.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVector>

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

bool HoldsTables(const QSqlDatabase& database)
{
    // Reads the schema only: a file that is no database gives no tables.
    const QStringList tables = database.tables();
    return std::all_of(SchemaTables().cbegin(), SchemaTables().cend(),
                       [&tables](const QStringList& table) { return tables.contains(table.first()); });
}

QString Tr(const char* text)
{
    return QCoreApplication::translate("CDBManager", text);
}

// Opens the file at `path` on a read-only connection of its own, which never
// makes or changes it, for `use`; the connection goes when `use` returns.
template <class Use> void ReadOnly(const QString& path, Use use)
{
    const QString connection = "READ_ONLY";
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", connection);
        database.setDatabaseName(path);
        database.setConnectOptions("QSQLITE_OPEN_READONLY");
        use(database);
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

void LogSqlError(const QSqlError& error)
{
    qDebug().noquote() << error.databaseText() + "    " + error.driverText();
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
    // path points to. Only a regular file is opened: reading a pipe may never end,
    // and a device is no data file. A clean path, so that "//x" is no URI authority.
    database->setConnectOptions("QSQLITE_OPEN_URI");
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    database->setDatabaseName("file:" + QUrl::toPercentEncoding(clean, "/") + "?mode=rw");
    if (QFileInfo(path).isFile())
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

void CDBManager::CreateDatabase()
{
    QSettings* settings = Utility::GetInstance().settings;
    QString cause;
    // Named only once it holds its tables, so that a first start that could not
    // make them is a first start again.
    if (MakeDataFile(settings->value(WALLET_DATA_FOLDER_PATH).toString() + "/" + DataFileName(), &cause))
        settings->setValue(ACTIVE_WALLET_DB_7_5_0, DataFileName());
    else
        qDebug().noquote() << "No data file made:" << cause;
}

bool CDBManager::MakeDataFile(const QString& path, QString* cause)
{
    const bool missing = FileCopy::NothingAt(path);
    if (missing && !FileCopy::MakeEmpty(path, cause))
        return false;
    OpenDataBase(path);
    CreateTables();
    const bool made = HoldsSchema();
    CloseDataBase();
    if (!made) {
        if (missing)
            QFile::remove(path);
        *cause = Tr("The folder or the file cannot be written.");
    }
    return made;
}

void CDBManager::CreateTables()
{
    for (const char* statement : SCHEMA)
        ExecQuery(statement);
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
    {
        QSqlQuery pragma(GetDataBase());
        if (!pragma.exec("PRAGMA journal_mode = DELETE")) {
            LogSqlError(pragma.lastError());
            return false;
        }
    }
    // The header on disk tells: the change is written as the statement ends,
    // and a failure there is reported to no one.
    QFile file(openPath);
    const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(20) : QByteArray();
    return header.size() == 20 && header.at(18) == 1 && header.at(19) == 1;
}

CDBManager::FileKind CDBManager::Examine(const QString& path)
{
    FileKind kind = FileKind::Damaged;
    // Never a pipe, which a read-only open waits on for a writer, nor a device.
    if (!QFileInfo(path).isFile())
        return kind;
    ReadOnly(path, [&kind](QSqlDatabase& file) {
        if (!file.open())
            return;
        QSqlQuery check(file);
        if (check.exec("PRAGMA quick_check") && check.next() && check.value(0).toString() == "ok")
            kind = HoldsTables(file) ? FileKind::DataFile : FileKind::NotADataFile;
    });
    return kind;
}

bool CDBManager::CarryOver(const QString& source, const QString& target, QString* cause)
{
    if (!FileCopy::CanRead(source, cause))
        return false;
    // Reading a database in WAL mode makes these files beside it when they are
    // missing; those made here go again, so that the source stays as it was.
    QStringList made;
    for (const char* journal : {"-wal", "-shm"}) {
        const QString file = source + journal;
        if (FileCopy::NothingAt(file)) {
            made << file;
        } else if (!FileCopy::CanRead(file, cause)) {
            *cause = Tr("Its journal cannot be read.");
            return false;
        }
    }
    QSqlError error;
    ReadOnly(source, [&](QSqlDatabase& database) {
        if (!database.open()) {
            error = database.lastError();
            return;
        }
        QSqlQuery copy(database);
        copy.prepare("VACUUM INTO ?");
        copy.addBindValue(target);
        if (!copy.exec())
            error = copy.lastError();
    });
    for (const QString& file : made)
        QFile::remove(file);
    if (!error.isValid())
        return true;
    LogSqlError(error);
    const bool full = error.nativeErrorCode() == "13"; // SQLITE_FULL
    *cause = full ? FileCopy::CauseOf(ENOSPC, true) : Tr("It is damaged.");
    return false;
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
