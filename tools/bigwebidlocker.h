#ifndef BIGWEBIDLOCKER_H
#define BIGWEBIDLOCKER_H

#include "testsupport.h"

#include "core/botanadapter.h"

// A fresh data file with one web-ID locker named "Big" of `count` entries
// "Entry 1" to "Entry <count>", every secret encrypted; returns the locker's ID.
inline QString MakeBigWebIdLocker(int count)
{
    TestSupport::FreshDataFileWithKeys();
    const QString locker = TestSupport::InsertLocker("Big", 1);
    QSqlQuery fill(CDBManager::GetInstance().GetDataBase());
    fill.prepare("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                 "INSERT INTO tblId (LOCKER_ID, NAME, URL, USER_NAME, PASSWORD, NOTES) "
                 "SELECT ?, 'Entry ' || i, 'https://example.org/' || i, ?, ?, ? FROM n");
    fill.addBindValue(count);
    fill.addBindValue(locker);
    for (int secret = 0; secret < 3; ++secret)
        fill.addBindValue(BotanAdapter::GetInstance().Encrypt("a <secret> &\ntwo lines"));
    if (!fill.exec())
        qFatal("cannot fill the locker");
    return locker;
}

#endif // BIGWEBIDLOCKER_H
