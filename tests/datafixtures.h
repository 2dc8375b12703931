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
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

// The file's pages after SQLite's first 100 bytes overwritten: damaged, not
// to be taken for another kind of file.
inline void Damage(const QString& path)
{
    const QByteArray bytes = ReadFile(path);
    WriteFile(path, bytes.left(100) + QByteArray(bytes.size() - 100, 'x'));
}

// A socket at `path`, bound and let go, as a program that ended leaves it.
inline bool MakeSocket(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    return bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && close(socket) == 0;
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

// Runs `step` under a limit of `bytes` on the size of any one file, which the
// program meets as a write that fails. False when no limit could be set.
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
