#include "datafixtures.h"

#include "core/datafiles.h"

Q_DECLARE_METATYPE(KeySetupResult)

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

    // Every file and folder under HOME but the settings store, with its size.
    static QStringList Tree()
    {
        QStringList tree;
        QDirIterator it(QDir::homePath(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.contains("/.config"))
                tree << path + " " + QString::number(it.fileInfo().size());
        }
        tree.sort();
        return tree;
    }

private slots:
    // New files get the usual mode unless the program says otherwise.
    void initTestCase() { umask(022); }

    // Empties the settings store and the data folder, without a first start.
    void init()
    {
        CDBManager::GetInstance().CloseDataBase();
        SetFileMode(DataFolder(), 0700);
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
        QCOMPARE(FileMode(DataFile("7.5.0")), 0600);
        // The migrated tables survive the schema statements unchanged.
        QCOMPARE(QueryValue("SELECT group_concat(NAME) FROM tblLocker").toString(), QString("from 6"));
    }

    // A first start makes the folder and the schema, both private to their owner;
    // a later one, after the settings store was emptied, keeps that live file
    // and the folder's mode, even with an older file beside it.
    void firstStartThenCurrentFileKept()
    {
        RunFirstStart();
        QCOMPARE(UserSettings()->value(WALLET_DATA_FOLDER_PATH).toString(), DataFolder());
        QCOMPARE(UserSettings()->value(ACTIVE_WALLET_DB_7_5_0).toString(), QString("settings_7.5.0.kvd"));
        QCOMPARE(FileMode(DataFolder()), 0700);
        QCOMPARE(FileMode(DataFile("7.5.0")), 0600);
        // Five tables and SQLite's sequence table.
        QCOMPARE(CDBManager::GetInstance().GetDataBase().tables().size(), 6);
        Exec("INSERT INTO tblLocker (NAME, TYPE, KEY, USE_MP) VALUES ('live', 1, 'k', 0)");
        CDBManager::GetInstance().CloseDataBase();
        UserSettings()->clear();
        MakeOlderDataFile("7.0.0", "stale");
        QVERIFY(SetFileMode(DataFolder(), 0755));

        RunFirstStart();
        QCOMPARE(QueryValue("SELECT NAME FROM tblLocker").toString(), QString("live"));
        QVERIFY(!UserSettings()->contains("MasterPassword"));
        QVERIFY(QFile::exists(DataFile("7.0.0")));
        QCOMPARE(FileMode(DataFolder()), 0755);
    }

    // Something other than a folder where the data folder belongs, or a folder
    // that cannot be written: nothing is made, no data file is named, and the key
    // set-up blames the folder. Once it is out of the way, the next start makes it all.
    void dataFolderCannotBeMade_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("file") << "file";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("link to a missing folder") << "missing";
        QTest::newRow("link to an empty file") << "link";
        QTest::newRow("folder that cannot be written") << "folder";
    }

    void dataFolderCannotBeMade()
    {
        QFETCH(QString, obstacle);
        const QString elsewhere = QDir::homePath() + "/elsewhere";
        QFile::remove(elsewhere);
        if (obstacle == "file" || obstacle == "empty")
            WriteFile(DataFolder(), obstacle == "file" ? "in the way" : "");
        if (obstacle == "link")
            WriteFile(elsewhere, "");
        if (obstacle == "missing" || obstacle == "link")
            QVERIFY(QFile::link(elsewhere, DataFolder()));
        if (obstacle == "folder") {
            if (NothingIsReadOnly())
                QSKIP("every folder can be written here");
            QVERIFY(QDir().mkdir(DataFolder()));
            QVERIFY(SetFileMode(DataFolder(), 0500));
        }
        const QStringList before = Tree();

        RunFirstStart();
        QVERIFY(!UserSettings()->contains(ACTIVE_WALLET_DB_7_5_0));
        QCOMPARE(SetUpKeys(), KeySetupResult::NoDataFolder);
        QCOMPARE(Tree(), before);

        CDBManager::GetInstance().CloseDataBase();
        init();
        RunFirstStart();
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
    }

    // A later start that finds its data file missing, empty or unreachable makes
    // nothing; it tells whether a new one may be made there, at the user's word.
    void laterStartMakesNoDataFile_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<KeySetupResult>("result");
        QTest::addColumn<bool>("mayMake");
        QTest::newRow("missing") << "missing" << KeySetupResult::NoDataFile << true;
        QTest::newRow("empty") << "empty" << KeySetupResult::NoDataFile << true;
        QTest::newRow("not ours") << "not ours" << KeySetupResult::NotADataFile << false;
        QTest::newRow("link to a missing file") << "link" << KeySetupResult::NoDataFile << false;
        QTest::newRow("link to itself") << "loop" << KeySetupResult::NoDataFile << false;
        QTest::newRow("folder at a relative path") << "relative" << KeySetupResult::NoDataFile << false;
        QTest::newRow("rollback copy holds the data") << "rollback" << KeySetupResult::NoDataFile << false;
    }

    void laterStartMakesNoDataFile()
    {
        QFETCH(QString, left);
        QFETCH(KeySetupResult, result);
        QFETCH(bool, mayMake);
        RunFirstStart();
        CDBManager::GetInstance().CloseDataBase();
        const QString active = DataFile("7.5.0");
        if (left == "rollback")
            QVERIFY(QFile::copy(active, active + "_temp"));
        QVERIFY(QFile::remove(active));
        if (left == "empty" || left == "not ours")
            WriteFile(active, left == "empty" ? "" : "not ours");
        if (left == "link")
            QVERIFY(QFile::link(QDir::homePath() + "/unmounted/data.kvd", active));
        if (left == "loop")
            QVERIFY(QFile::link(active, active));
        if (left == "relative") { // the same folder, as seen from HOME, where this starts
            QVERIFY(QDir::setCurrent(QDir::homePath()));
            UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, ".kestrova");
        }
        const QStringList before = Tree();

        QCOMPARE(SetUpKeys(), result);
        QCOMPARE(DataFiles::CanMakeNew(), mayMake);
        QCOMPARE(Tree(), before);
        if (!mayMake)
            return;
        QCOMPARE(DataFiles::MakeNew(), QString());
        // A file made anew is its owner's alone; one that was there keeps its mode.
        QCOMPARE(FileMode(active), left == "missing" ? 0600 : 0644);
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
    }

    void connectionFollowsSettingsAfterClose()
    {
        RunFirstStart();
        CDBManager& manager = CDBManager::GetInstance();
        QCOMPARE(&manager.GetDataBase(), &manager.GetDataBase()); // one connection, kept open
        QVERIFY(manager.GetDataBase().isOpen());

        manager.CloseDataBase();
        manager.CloseDataBase(); // closing twice is harmless
        QVERIFY(QFile::copy(DataFile("7.5.0"), DataFolder() + "/other.kvd"));
        UserSettings()->setValue(ACTIVE_WALLET_DB_7_5_0, "other.kvd");
        QCOMPARE(QueryValue("PRAGMA foreign_keys").toInt(), 1);
        QCOMPARE(manager.DataBasePath(), DataFolder() + "/other.kvd");

        // A folder that does not exist gives a connection that stays closed.
        manager.CloseDataBase();
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/nonexistent/folder");
        QVERIFY(!manager.GetDataBase().isOpen());
        QVERIFY(!manager.GetDataBase().isOpen());
    }
};

KESTROVA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
