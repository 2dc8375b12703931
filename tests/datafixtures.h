#ifndef DATAFIXTURES_H
#define DATAFIXTURES_H

// Data files and rows that the tests make themselves; no widgets, so the core
// tests can use them too.

#include "testenvironment.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "core/constants.h"
#include "core/firststart.h"
#include "core/keysetup.h"
#include "core/lockerstore.h"
#include "core/utility.h"

#include <QtSql>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

// Named with the namespace by the programs in tools/; the tests use the names plainly.
namespace TestSupport {

inline QSettings* UserSettings()
{
    return Utility::GetInstance().settings;
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The permission bits of the file at `path`, as `ls -l` shows them; -1 when there is none.
inline int FileMode(const QString& path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : -1;
}

inline bool SetFileMode(const QString& path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Closes the connection, empties the settings store and the data folder, and
// runs the first start again: a fresh data file with its five tables.
inline void FreshDataFile()
{
    CDBManager::GetInstance().CloseDataBase();
    QDir(QDir::homePath() + "/.kestrova").removeRecursively();
    UserSettings()->clear();
    Utility::GetInstance().sessionLockerIds.clear();
    RunFirstStart();
}

// A data file with its keys in place, as after a first start of the main window.
inline void FreshDataFileWithKeys()
{
    FreshDataFile();
    QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
}

// Runs `step` as on a disk with room for `bytes` in any one file: a write past
// that fails, instead of ending the program. False when no limit could be set.
template <class Step> bool WithRoomFor(rlim_t bytes, Step step)
{
    rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return false;
    const rlimit before = limit;
    limit.rlim_cur = bytes;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const bool set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (set)
        step();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    return set;
}

// Runs statements on the database at `path` through a connection of its own,
// as another program would. With `cutShort`, the file and its journals are left
// as a kill before the connection closed leaves them: a WAL not yet folded in,
// or the hot journal of a transaction not ended.
inline void ExecOn(const QString& path, const QStringList& statements, bool cutShort = false)
{
    const QStringList files = {path, path + "-wal", path + "-journal"};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other program");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& statement : statements)
            QVERIFY2(db.exec(statement).isActive(), qPrintable(statement));
        for (const QString& file : files)
            QVERIFY(!cutShort || !QFile::exists(file) || QFile::copy(file, file + ".open"));
    }
    QSqlDatabase::removeDatabase("other program");
    for (const QString& file : files) {
        if (!QFile::exists(file + ".open"))
            continue;
        QFile::remove(file); // what closing the connection left of it
        QVERIFY(QFile::rename(file + ".open", file));
    }
}

inline void Exec(const QString& sql)
{
    QVERIFY2(QSqlQuery(CDBManager::GetInstance().GetDataBase()).exec(sql), qPrintable(sql));
}

inline QVariant QueryValue(const QString& sql)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

// A bare locker row made straight in the data file; returns its ID.
inline QString InsertLocker(const QString& name, int type)
{
    Exec(QString("INSERT INTO tblLocker (NAME, TYPE, KEY, NOTES, USE_MP) VALUES ('%1', %2, 'k', '', 0)")
             .arg(name, QString::number(type)));
    return QueryValue("SELECT MAX(ID) FROM tblLocker").toString();
}

// A locker with its own password (question "q", answer "a"), or one that uses
// the master password when `password` is empty. Gives the new locker's ID.
inline QString MakeLocker(const QString& name, const QString& password, int type = 1, bool save = false)
{
    const bool own = !password.isEmpty();
    const LockerFields fields{name, password, own ? "q" : "", own ? "a" : "", {}, !own, save};
    const bool added = LockerStore::AddLocker(fields, type);
    return added ? QueryValue("SELECT MAX(ID) FROM tblLocker").toString() : QString();
}

} // namespace TestSupport

using namespace TestSupport;

#endif // DATAFIXTURES_H
