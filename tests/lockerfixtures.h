#pragma once

// Lockers made straight in the data file, for the locker tests.

#include "core/DBManager.h"
#include "core/lockerstore.h"
#include "core/utility.h"

#include <QSqlQuery>
#include <QtTest>

namespace LockerFixtures {

inline QString LockerIdOf(const QString& name)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("SELECT ID FROM tblLocker WHERE NAME = :name");
    query.bindValue(":name", name);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

// A locker with its own password (question "q", answer "a"), or one that uses
// the master password when `password` is empty.
inline QString MakeLocker(const QString& name, const QString& password, int type = 1, bool save = false)
{
    const bool own = !password.isEmpty();
    const LockerFields fields{name, password, own ? "q" : "", own ? "a" : "", {}, !own, save};
    return LockerStore::AddLocker(fields, type) ? LockerIdOf(name) : QString();
}

inline void Exec(const QString& sql)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    QVERIFY2(query.exec(sql), qPrintable(sql));
}

// The digest is hex, safe to put in the statement.
inline void SetMasterPassword(const QString& password)
{
    Exec("UPDATE tblSettings SET PARAM1 = '" + Utility::Md5Hex(password) + "'");
}

} // namespace LockerFixtures
