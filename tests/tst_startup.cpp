#include "datafixtures.h"

#include "core/datafiles.h"

Q_DECLARE_METATYPE(KeySetupResult)

class TestStartup : public QObject
{
    Q_OBJECT

    static QString DataFolder() { return QDir::homePath() + "/.kestrova"; }
    static QString DataFile(const QString& version) { return DataFolder() + "/settings_" + version + ".kvd"; }

    // An SQLite file with one locker row named `marker`, as an older version left
    // it; in WAL mode, with everything still in its WAL, as a run cut short leaves it.
    static void MakeOlderDataFile(const QString& version, const QString& marker, bool inWal = false)
    {
        QDir().mkpath(DataFolder());
        const QString path = DataFile(version);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(!inWal || db.exec("PRAGMA journal_mode = WAL").isActive());
            QVERIFY(db.exec("CREATE TABLE tblLocker (ID INTEGER PRIMARY KEY, NAME TEXT)").isActive());
            QVERIFY(db.exec("INSERT INTO tblLocker (NAME) VALUES ('" + marker + "')").isActive());
            // Taken while open: closing would fold the WAL into the file.
            for (const QString& file : {path, path + "-wal"})
                QVERIFY(!inWal || QFile::copy(file, file + ".open"));
        }
        QSqlDatabase::removeDatabase("fixture");
        for (const QString& file : {path, path + "-wal"}) {
            if (inWal) {
                QFile::remove(file);
                QVERIFY(QFile::rename(file + ".open", file));
            }
        }
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

    // The newest comes over with what its WAL holds, into a file in the rollback
    // journal that is its owner's alone; the older files stay byte for byte.
    void newestOlderFileWinsAndOlderFilesStay()
    {
        MakeOlderDataFile("4.0.0", "from 4");
        MakeOlderDataFile("6.0.0", "from 6", true);
        const QStringList before = Tree();
        const QByteArray older = ReadFile(DataFile("6.0.0")), wal = ReadFile(DataFile("6.0.0") + "-wal");
        RunFirstStart();
        QCOMPARE(UserSettings()->value("MasterPassword").toString(), QString("Y"));
        QStringList made = before;
        made << DataFile("7.5.0") + " " + QString::number(QFileInfo(DataFile("7.5.0")).size());
        made.sort();
        QCOMPARE(Tree(), made);
        QVERIFY(ReadFile(DataFile("6.0.0")) == older && ReadFile(DataFile("6.0.0") + "-wal") == wal);
        QCOMPARE(FileMode(DataFile("7.5.0")), 0600);
        QCOMPARE(ReadFile(DataFile("7.5.0")).at(18), '\1');
        // The migrated tables survive the schema statements unchanged.
        QCOMPARE(QueryValue("SELECT group_concat(NAME) FROM tblLocker").toString(), QString("from 6"));
    }

    // An older file that cannot be read whole is named with the cause; nothing
    // is made or named in its place, so the next start tries again.
    void olderFileThatCannotBeRead_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("cause");
        QTest::newRow("file not readable") << "file" << "The file cannot be read.";
        QTest::newRow("journal not readable") << "journal" << "Its journal cannot be read.";
        QTest::newRow("damaged") << "damaged" << "It is damaged.";
        QTest::newRow("named pipe") << "pipe" << "It is not a regular file.";
        QTest::newRow("link to a missing file") << "link" << "The file is not there.";
        QTest::newRow("folder that cannot be written")
            << "folder" << "The folder or the file cannot be written.";
    }

    void olderFileThatCannotBeRead()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, cause);
        const QString older = DataFile("7.0.0"), unreadable = obstacle == "journal" ? older + "-wal" : older;
        const bool modes = obstacle == "file" || obstacle == "journal" || obstacle == "folder";
        if (modes && NothingIsReadOnly())
            QSKIP("every file can be read and written here");
        MakeOlderDataFile("7.0.0", "older", true);
        if (obstacle == "damaged") // and no WAL, whose pages SQLite would read first
            QVERIFY(QFile::remove(older + "-wal"));
        if (obstacle == "damaged")
            WriteFile(older, QByteArray(4096, 'x'));
        if (obstacle == "pipe")
            QVERIFY(QFile::remove(older) && mkfifo(QFile::encodeName(older).constData(), 0600) == 0);
        if (obstacle == "link") // to a drive not connected: not skipped for an older file
            QVERIFY(QFile::remove(older) && QFile::link(QDir::homePath() + "/unmounted/x.kvd", older));
        if (obstacle == "file" || obstacle == "journal")
            QVERIFY(SetFileMode(unreadable, 0));
        if (obstacle == "folder")
            QVERIFY(SetFileMode(DataFolder(), 0500));
        const QStringList before = Tree();

        RunFirstStart();
        QCOMPARE(LastMigrationFailure().olderFile, older);
        QCOMPARE(LastMigrationFailure().cause, cause);
        QVERIFY(!UserSettings()->contains(ACTIVE_WALLET_DB_7_5_0));
        QVERIFY(!UserSettings()->contains("MasterPassword"));
        QCOMPARE(Tree(), before);
        QCOMPARE(SetUpKeys(), KeySetupResult::NoDataFolder);

        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(SetFileMode(DataFolder(), 0700) && QFile::remove(older));
        QFile::remove(older + "-wal");
        MakeOlderDataFile("7.0.0", "older", true);
        RunFirstStart();
        QVERIFY(LastMigrationFailure().olderFile.isEmpty());
        QCOMPARE(QueryValue("SELECT NAME FROM tblLocker").toString(), QString("older"));
    }

    // A file of another kind under the current name, left there when the settings
    // store was emptied, say, is named as it stands: each start says what it is,
    // the actions work on it, and nothing is written into it.
    void firstStartFindsAFileOfAnotherKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<KeySetupResult>("result");
        QTest::newRow("not SQLite") << "junk" << KeySetupResult::NotADataFile;
        QTest::newRow("SQLite without the tables") << "sqlite" << KeySetupResult::NotADataFile;
        QTest::newRow("named pipe") << "pipe" << KeySetupResult::NotRegularFile;
    }

    void firstStartFindsAFileOfAnotherKind()
    {
        QFETCH(QString, kind);
        QFETCH(KeySetupResult, result);
        const QString current = DataFile("7.5.0");
        MakeOlderDataFile(kind == "sqlite" ? "7.5.0" : "7.0.0", "other");
        if (kind == "junk")
            WriteFile(current, "not a database");
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(current).constData(), 0600), 0);
        const QStringList before = Tree();

        RunFirstStart();
        QCOMPARE(DataFiles::ActivePath(), current);
        QCOMPARE(SetUpKeys(), result);
        QCOMPARE(Tree(), before);
        if (kind != "pipe")
            QCOMPARE(DataFiles::CopyActiveTo(DataFolder() + "/copy"), QString());
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

    // Something other than a folder where the data folder belongs, a folder that
    // cannot be written, or no room left for the tables: nothing is made, no data
    // file is named, and the key set-up blames the folder. Once it is out of the
    // way, the next start makes it all.
    void dataFolderCannotBeMade_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("file") << "file";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("link to a missing folder") << "missing";
        QTest::newRow("link to an empty file") << "link";
        QTest::newRow("folder that cannot be written") << "folder";
        QTest::newRow("no room left") << "room";
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

        if (obstacle == "room") {
            QVERIFY(WithRoomFor(0, RunFirstStart));
            QCOMPARE(QDir(DataFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
        } else {
            RunFirstStart();
            QCOMPARE(Tree(), before);
        }
        QVERIFY(!UserSettings()->contains(ACTIVE_WALLET_DB_7_5_0));
        QCOMPARE(SetUpKeys(), KeySetupResult::NoDataFolder);

        CDBManager::GetInstance().CloseDataBase();
        init();
        RunFirstStart();
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
    }

    // A later start that finds its data file missing, empty, unreachable or of
    // another kind makes nothing, and opens no pipe; it tells whether a new one
    // may be made there, at the user's word, and whether that can be done.
    void laterStartMakesNoDataFile_data()
    {
        const QString written; // made as asked
        QTest::addColumn<QString>("left");
        QTest::addColumn<KeySetupResult>("result");
        QTest::addColumn<bool>("mayMake");
        QTest::addColumn<QString>("made"); // what MakeNew() gives
        QTest::newRow("missing") << "missing" << KeySetupResult::NoDataFile << true << written;
        QTest::newRow("empty") << "empty" << KeySetupResult::NoDataFile << true << written;
        QTest::newRow("empty, cannot be written") << "read-only" << KeySetupResult::NoDataFile << true
                                                  << "The folder or the file cannot be written.";
        QTest::newRow("not ours") << "not ours" << KeySetupResult::NotADataFile << false << written;
        QTest::newRow("link to a missing file") << "link" << KeySetupResult::NoDataFile << false << written;
        QTest::newRow("link to itself") << "loop" << KeySetupResult::NotRegularFile << false << written;
        QTest::newRow("named pipe") << "pipe" << KeySetupResult::NotRegularFile << false << written;
        QTest::newRow("link to a device") << "device" << KeySetupResult::NotRegularFile << false << written;
        QTest::newRow("folder at a relative path")
            << "relative" << KeySetupResult::NoDataFile << false << written;
        QTest::newRow("rollback copy holds the data")
            << "rollback" << KeySetupResult::NoDataFile << false << written;
        QTest::newRow("rollback copy is a pipe")
            << "pipe rollback" << KeySetupResult::NoDataFile << true << written;
    }

    void laterStartMakesNoDataFile()
    {
        QFETCH(QString, left);
        QFETCH(KeySetupResult, result);
        QFETCH(bool, mayMake);
        QFETCH(QString, made);
        if (left == "read-only" && NothingIsReadOnly())
            QSKIP("every file can be written here");
        RunFirstStart();
        CDBManager::GetInstance().CloseDataBase();
        const QString active = DataFile("7.5.0");
        if (left == "rollback")
            QVERIFY(QFile::copy(active, active + "_temp"));
        QVERIFY(QFile::remove(active));
        if (left == "empty" || left == "read-only" || left == "not ours")
            WriteFile(active, left == "not ours" ? "not ours" : "");
        if (left == "read-only")
            QVERIFY(SetFileMode(active, 0444));
        const QByteArray pipe = QFile::encodeName(left == "pipe" ? active : active + "_temp");
        if (left.startsWith("pipe"))
            QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
        if (left == "link")
            QVERIFY(QFile::link(QDir::homePath() + "/unmounted/data.kvd", active));
        if (left == "loop" || left == "device")
            QVERIFY(QFile::link(left == "loop" ? active : "/dev/null", active));
        if (left == "relative") { // the same folder, as seen from HOME, where this starts
            QVERIFY(QDir::setCurrent(QDir::homePath()));
            UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, ".kestrova");
        }
        const QStringList before = Tree();

        QCOMPARE(SetUpKeys(), result);
        const bool opened = CDBManager::GetInstance().GetDataBase().isOpen();
        QVERIFY(result != KeySetupResult::NotRegularFile || !opened);
        QCOMPARE(DataFiles::CanMakeNew(), mayMake);
        QCOMPARE(Tree(), before);
        if (!mayMake)
            return;
        QCOMPARE(DataFiles::MakeNew(), made);
        if (!made.isEmpty())
            return;
        // A file made anew is its owner's alone; one that was there keeps its mode.
        QCOMPARE(FileMode(active), left == "empty" ? 0644 : 0600);
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

        // A doubled slash, as the folder "/" gives, is no URI authority.
        manager.CloseDataBase();
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/" + DataFolder());
        QVERIFY(manager.GetDataBase().isOpen());

        // A folder that does not exist gives a connection that stays closed.
        manager.CloseDataBase();
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/nonexistent/folder");
        QVERIFY(!manager.GetDataBase().isOpen());
        QVERIFY(!manager.GetDataBase().isOpen());
    }
};

KESTROVA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
