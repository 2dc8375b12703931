#pragma once

// Lockers made straight in the data file, for the locker tests.

#include "testsupport.h"

#include "core/lockerstore.h"

namespace LockerFixtures {

// A locker with its own password (question "q", answer "a"), or one that uses
// the master password when `password` is empty. Gives the new locker's ID.
inline QString MakeLocker(const QString& name, const QString& password, int type = 1, bool save = false)
{
    const bool own = !password.isEmpty();
    const LockerFields fields{name, password, own ? "q" : "", own ? "a" : "", {}, !own, save};
    const bool added = LockerStore::AddLocker(fields, type);
    return added ? TestSupport::QueryValue("SELECT MAX(ID) FROM tblLocker").toString() : QString();
}

inline void Exec(const QString& sql)
{
    QVERIFY2(QSqlQuery(CDBManager::GetInstance().GetDataBase()).exec(sql), qPrintable(sql));
}

// The digest is hex, safe to put in the statement.
inline void SetMasterPassword(const QString& password)
{
    Exec("UPDATE tblSettings SET PARAM1 = '" + Utility::Md5Hex(password) + "'");
}

} // namespace LockerFixtures
