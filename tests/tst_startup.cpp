#include "datafixtures.h"

class TestStartup : public QObject
{
    Q_OBJECT

    static QString DataFolder() { return QDir::homePath() + "/.kestrova"; }
    static QString DataFile(const QString& version) { return DataFolder() + "/settings_" + version + ".kvd"; }

    // An SQLite file with one locker row named `marker`, as an older version left it.
    static void MakeOlderDataFile(const QString& version, const QString& marker)
    {
        QDir().mkpath(DataFolder());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
            db.setDatabaseName(DataFile(version));
            QVERIFY(db.open());
            QVERIFY(db.exec("CREATE TABLE tblLocker (ID INTEGER PRIMARY KEY, NAME TEXT)").isActive());
            QVERIFY(db.exec("INSERT INTO tblLocker (NAME) VALUES ('" + marker + "')").isActive());
        }
        QSqlDatabase::removeDatabase("fixture");
    }

private slots:
    // Empties the settings store and the data folder, without a first start.
    void init()
    {
        CDBManager::GetInstance().CloseDataBase();
        QDir(DataFolder()).removeRecursively();
        QFile::remove(DataFolder()); // a file in the folder's place
        UserSettings()->clear();
    }

    void newestOlderFileWinsAndOlderFilesStay()
    {
        MakeOlderDataFile("4.0.0", "from 4");
        MakeOlderDataFile("6.0.0", "from 6");
        RunFirstStart();
        QCOMPARE(UserSettings()->value("MasterPassword").toString(), QString("Y"));
        QVERIFY(QFile::exists(DataFile("4.0.0")) && QFile::exists(DataFile("6.0.0")));
        // The migrated tables survive the schema statements unchanged.
        QCOMPARE(QueryValue("SELECT group_concat(NAME) FROM tblLocker").toString(), QString("from 6"));
    }

    // A first start makes the folder and the schema; a later one, after the settings
    // store was emptied, keeps that live file even with an older file beside it.
    void firstStartThenCurrentFileKept()
    {
        RunFirstStart();
        QCOMPARE(UserSettings()->value(WALLET_DATA_FOLDER_PATH).toString(), DataFolder());
        QCOMPARE(UserSettings()->value(ACTIVE_WALLET_DB_7_5_0).toString(), QString("settings_7.5.0.kvd"));
        // Five tables and SQLite's sequence table.
        QCOMPARE(CDBManager::GetInstance().GetDataBase().tables().size(), 6);
        Exec("INSERT INTO tblLocker (NAME, TYPE, KEY, USE_MP) VALUES ('live', 1, 'k', 0)");
        CDBManager::GetInstance().CloseDataBase();
        UserSettings()->clear();
        MakeOlderDataFile("7.0.0", "stale");

        RunFirstStart();
        QCOMPARE(QueryValue("SELECT NAME FROM tblLocker").toString(), QString("live"));
        QVERIFY(!UserSettings()->contains("MasterPassword"));
        QVERIFY(QFile::exists(DataFile("7.0.0")));
    }

    // A file where the data folder belongs: no first start yet, and the key
    // set-up blames the folder, not the data file. The next start tries again.
    void dataFolderCannotBeMade()
    {
        WriteFile(DataFolder(), "in the way");
        RunFirstStart();
        QVERIFY(!UserSettings()->contains(ACTIVE_WALLET_DB_7_5_0));
        QCOMPARE(SetUpKeys(), KeySetupResult::NoDataFolder);
        QVERIFY(QFile::remove(DataFolder()));
        CDBManager::GetInstance().CloseDataBase();
        RunFirstStart();
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
    }

    // A start that finds its data file missing or empty, as after a first start
    // into a folder that could not be written, makes it anew; a file that holds
    // anything else stays as it is.
    void missingOrEmptyDataFileIsMadeAnew()
    {
        RunFirstStart();
        for (const QByteArray& left : {QByteArray(), QByteArray(""), QByteArray("not ours")}) {
            CDBManager::GetInstance().CloseDataBase();
            QFile::remove(DataFile("7.5.0"));
            if (!left.isNull())
                WriteFile(DataFile("7.5.0"), left);
            QCOMPARE(SetUpKeys(), left.isEmpty() ? KeySetupResult::Generated : KeySetupResult::NotADataFile);
            if (!left.isEmpty())
                QCOMPARE(ReadFile(DataFile("7.5.0")), left);
        }
    }

    void connectionFollowsSettingsAfterClose()
    {
        RunFirstStart();
        CDBManager& manager = CDBManager::GetInstance();
        QCOMPARE(&manager.GetDataBase(), &manager.GetDataBase()); // one connection, kept open
        QVERIFY(manager.GetDataBase().isOpen());

        manager.CloseDataBase();
        manager.CloseDataBase(); // closing twice is harmless
        UserSettings()->setValue(ACTIVE_WALLET_DB_7_5_0, "other.kvd");
        QCOMPARE(manager.GetDataBase().databaseName(), DataFolder() + "/other.kvd");
        QCOMPARE(QueryValue("PRAGMA foreign_keys").toInt(), 1);

        // A folder that does not exist gives a connection that stays closed.
        manager.CloseDataBase();
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/nonexistent/folder");
        QVERIFY(!manager.GetDataBase().isOpen());
        QVERIFY(!manager.GetDataBase().isOpen());
    }
};

KESTROVA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
