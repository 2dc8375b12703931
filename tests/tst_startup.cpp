#include "testenvironment.h"
#include "datafixtures.h"

#include <QSqlDatabase>
#include <QSqlError>

using namespace TestSupport;

namespace {

QString DataFolder()
{
    return QDir::homePath() + "/.kestrova";
}

QString DataFile(const QString& version)
{
    return DataFolder() + "/settings_" + version + ".kvd";
}

// An SQLite file with one locker row named `marker`, as an older version left it.
void MakeOlderDataFile(const QString& version, const QString& marker)
{
    QDir().mkpath(DataFolder());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName(DataFile(version));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("CREATE TABLE tblLocker (ID INTEGER PRIMARY KEY, NAME TEXT)"));
        query.prepare("INSERT INTO tblLocker (NAME) VALUES (:name)");
        query.bindValue(":name", marker);
        QVERIFY(query.exec());
    }
    QSqlDatabase::removeDatabase("fixture");
}

// Empties the settings store and the data folder, without a first start.
void EmptyHome()
{
    CDBManager::GetInstance().CloseDataBase();
    QDir(DataFolder()).removeRecursively();
    Utility::GetInstance().settings->clear();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init() { EmptyHome(); }

    void firstStartCreatesFolderAndSchema()
    {
        RunFirstStart();
        QSettings* settings = Utility::GetInstance().settings;
        QCOMPARE(settings->value(WALLET_DATA_FOLDER_PATH).toString(), DataFolder());
        QCOMPARE(settings->value(ACTIVE_WALLET_DB_7_5_0).toString(), QString("settings_7.5.0.kvd"));
        QVERIFY(!settings->contains("MasterPassword"));
        // Five tables and SQLite's sequence table.
        QCOMPARE(CDBManager::GetInstance().GetDataBase().tables().size(), 6);
    }

    void newestOlderFileWinsAndOlderFilesStay()
    {
        MakeOlderDataFile("4.0.0", "from 4");
        MakeOlderDataFile("6.0.0", "from 6");
        RunFirstStart();
        QCOMPARE(Utility::GetInstance().settings->value("MasterPassword").toString(), QString("Y"));
        QVERIFY(QFile::exists(DataFile("4.0.0")) && QFile::exists(DataFile("6.0.0")));
        // The migrated tables survive the schema statements unchanged.
        QCOMPARE(QueryValue("SELECT group_concat(NAME) FROM tblLocker").toString(), QString("from 6"));
    }

    void currentFileAlreadyThereIsKept()
    {
        RunFirstStart();
        ExecQuery("INSERT INTO tblLocker (NAME, TYPE, KEY, USE_MP) VALUES ('live', 1, 'k', 0)");
        // The settings store is emptied; the data folder and its live file stay.
        CDBManager::GetInstance().CloseDataBase();
        Utility::GetInstance().settings->clear();
        MakeOlderDataFile("7.0.0", "stale");

        RunFirstStart();
        QCOMPARE(QueryValue("SELECT NAME FROM tblLocker").toString(), QString("live"));
        QVERIFY(!Utility::GetInstance().settings->contains("MasterPassword"));
        QVERIFY(QFile::exists(DataFile("7.0.0")));
    }

    void connectionFollowsSettingsAfterClose()
    {
        RunFirstStart();
        CDBManager& manager = CDBManager::GetInstance();
        QSqlDatabase* first = &manager.GetDataBase();
        QCOMPARE(&manager.GetDataBase(), first);
        QVERIFY(first->isOpen());

        manager.CloseDataBase();
        manager.CloseDataBase(); // closing twice is harmless
        Utility::GetInstance().settings->setValue(ACTIVE_WALLET_DB_7_5_0, "other.kvd");
        QCOMPARE(manager.GetDataBase().databaseName(), DataFolder() + "/other.kvd");
        QCOMPARE(QueryValue("PRAGMA foreign_keys").toInt(), 1);

        // A folder that does not exist gives a connection that stays closed.
        manager.CloseDataBase();
        Utility::GetInstance().settings->setValue(WALLET_DATA_FOLDER_PATH, "/nonexistent/folder");
        QVERIFY(!manager.GetDataBase().isOpen());
        QVERIFY(!manager.GetDataBase().isOpen());
    }

    void schemaEnforcesLockersOfEntries()
    {
        RunFirstStart();
        QSqlQuery query(CDBManager::GetInstance().GetDataBase());
        QVERIFY(!query.exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (42, 'n', 'u')"));
        QVERIFY(query.exec("INSERT INTO tblLocker (NAME, TYPE, KEY, USE_MP) VALUES ('a', 1, 'k', 0)"));
        QVERIFY(query.exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (1, 'n', 'u')"));
        QVERIFY(!query.exec("DELETE FROM tblLocker WHERE ID = 1"));

        // A second CreateDatabase leaves tables and rows alone.
        CDBManager::GetInstance().CreateDatabase();
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId").toInt(), 1);
    }

    void lastExecutedQueryWritesInBoundValues()
    {
        RunFirstStart();
        QSqlQuery query(CDBManager::GetInstance().GetDataBase());
        query.prepare("INSERT INTO tblLocker (NAME, NOTES, KEY) VALUES (:name, :notes, ':Name')");
        query.bindValue(":name", "abc");
        query.bindValue(":notes", "x");
        QCOMPARE(GetLastExecutedQuery(query),
                 QString("INSERT INTO tblLocker (NAME, NOTES, KEY) VALUES (abc, x, ':Name')"));
    }
};

KESTROVA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
