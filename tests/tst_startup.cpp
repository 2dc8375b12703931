#include "datafixtures.h"
#include "diskstandins.h"

#include "core/datafiles.h"
#include "core/filestate.h"
#include "core/sqlitefile.h"

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
        ExecOn(DataFile(version),
               {inWal ? "PRAGMA journal_mode = WAL" : "PRAGMA journal_mode",
                "CREATE TABLE tblLocker (ID INTEGER PRIMARY KEY, NAME, PASSWORD, SECRET_QUESTION, "
                "SECRET_ANSWER, "
                "TYPE, KEY, NOTES, USE_MP)",
                "INSERT INTO tblLocker (NAME) VALUES ('" + marker + "')"},
               inWal);
    }

    // Every file and folder under HOME but the settings store, with its size.
    static QStringList Tree()
    {
        QStringList tree;
        QDirIterator it(QDir::homePath(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
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
        QDir(QDir::homePath() + "/elsewhere").removeRecursively();
        QFile::remove(DataFolder()); // a file in the folder's place
        UserSettings()->clear();
        disk = {};
    }

    // The newest that holds something comes over with what its WAL holds, into a
    // file in the rollback journal that is its owner's alone; the older files stay
    // byte for byte. What a first start killed part-way left of its own goes.
    void newestOlderFileWinsAndOlderFilesStay()
    {
        MakeOlderDataFile("4.0.0", "from 4");
        MakeOlderDataFile("6.0.0", "from 6", true);
        WriteFile(DataFile("7.0.0"), ""); // newer, but it holds nothing to carry over
        const QStringList before = Tree();
        for (const char* leftover : {"~kestrova-tmp-a1B2c3", "~kestrova-tmp-a1B2c3-journal"})
            WriteFile(DataFile("7.5.0") + leftover, "left");
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
        // The migrated tables survive the schema statements unchanged; its keys are made at start, unasked.
        QCOMPARE(QueryValue("SELECT group_concat(NAME) FROM tblLocker").toString(), QString("from 6"));
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
    }

    // An older file is carried over as it stood before a save that was cut short,
    // with the stored secrets that do not decrypt counted; the older file and its
    // journal stay byte for byte. An empty file under the current name, as a
    // first start killed before its tables leaves, gives way to it.
    void olderFileCarriedOverAsItStood()
    {
        const QString older = DataFile("7.0.0");
        MakeOlderDataFile("7.0.0", "saved");
        WriteFile(DataFile("7.5.0"), "");
        // Saved: many rows, all of one name. Cut short: each of them changed, on pages written back already.
        ExecOn(older,
               {"UPDATE tblLocker SET NOTES = 'no ciphertext'",
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                "INSERT INTO tblLocker (NAME) SELECT 'saved' FROM n",
                "PRAGMA cache_size = 1", "BEGIN", "UPDATE tblLocker SET NAME = hex(randomblob(300))"},
               true);
        const QByteArray file = ReadFile(older), journal = ReadFile(older + "-journal");
        QVERIFY(!journal.isEmpty());
        RunFirstStart();
        QCOMPARE(LastFirstStart().carriedOver, older);
        QCOMPARE(LastFirstStart().unreadableSecrets, 1);
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker WHERE NAME = 'saved'").toInt(), 301);
        QVERIFY(ReadFile(older) == file && ReadFile(older + "-journal") == journal);
    }

    // An older file that cannot be carried over is named with the cause, or the
    // data folder where the fault lies in writing; nothing is made or named in its
    // place, so the next start is a first start again.
    void olderFileThatCannotBeCarriedOver_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>(
            "at"); // what the cause speaks of: the older file, a journal of it, or the folder
        QTest::addColumn<QString>("cause");
        const QString older = DataFile("7.0.0");
        QTest::newRow("file not readable") << "file" << older << "The file cannot be read.";
        QTest::newRow("damaged") << "damaged" << older << "It is damaged.";
        QTest::newRow("column missing") << "column" << older << "Its table tblLocker has no column USE_MP.";
        QTest::newRow("named pipe") << "pipe" << older << "It is not a regular file.";
        QTest::newRow("named pipe as its journal") << "journal" << older + "-journal"
                                                   << "It is not a regular file.";
        QTest::newRow("link to a missing file") << "link" << older << "The file is not there.";
        QTest::newRow("folder that cannot be written")
            << "folder" << DataFolder() << "The folder or the file cannot be written.";
        QTest::newRow("no room left") << "room" << DataFolder() << "There is no room left on the disk.";
    }

    void olderFileThatCannotBeCarriedOver()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, at);
        QFETCH(QString, cause);
        const QString older = DataFile("7.0.0");
        if ((obstacle == "file" || obstacle == "folder") && NothingIsReadOnly())
            QSKIP("every file can be read and written here");
        MakeOlderDataFile("7.0.0", "older", obstacle != "damaged");
        if (obstacle == "damaged")
            Damage(older);
        if (obstacle == "column")
            ExecOn(older, {"ALTER TABLE tblLocker DROP COLUMN USE_MP"});
        if (obstacle == "pipe" || obstacle == "journal")
            QVERIFY((obstacle == "journal" || QFile::remove(older)) && mkfifo(QFile::encodeName(at), 0600) == 0);
        if (obstacle == "link") // to a drive not connected: not skipped for an older file
            QVERIFY(QFile::remove(older) && QFile::link(QDir::homePath() + "/unmounted/x.kvd", older));
        if (obstacle == "file")
            QVERIFY(SetFileMode(at, 0));
        if (obstacle == "folder")
            QVERIFY(SetFileMode(DataFolder(), 0500));
        const QStringList before = Tree();

        disk.full = obstacle == "room" ? DataFolder() : QString();
        RunFirstStart();
        disk = {};
        const bool inFolder = at == DataFolder();
        QCOMPARE(LastFirstStart().olderFile, inFolder ? QString() : older);
        QCOMPARE(LastFirstStart().cause, at == older || inFolder ? cause : at + "\n" + cause);
        QVERIFY(!UserSettings()->contains(ACTIVE_WALLET_DB_7_5_0));
        QVERIFY(!UserSettings()->contains("MasterPassword"));
        QCOMPARE(Tree(), before);
        QCOMPARE(SetUpKeys(), KeySetupResult::NoDataFolder);
    }

    // A file under the current name, left there when the settings store was
    // emptied, say, or the data waiting in its rollback copy, is named as it
    // stands: each start says what it is, or puts the data back, and nothing is
    // written into it or made beside it.
    void firstStartFindsAFileOfAnotherKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<KeySetupResult>("result");
        QTest::newRow("not SQLite") << "junk" << KeySetupResult::NotADataFile;
        QTest::newRow("earlier version's") << "older" << KeySetupResult::OlderDataFile;
        QTest::newRow("named pipe") << "pipe" << KeySetupResult::CannotOpen;
        QTest::newRow("link to a missing file") << "link" << KeySetupResult::NoDataFile;
        QTest::newRow("link to an empty file, the data in its rollback copy")
            << "rollback" << KeySetupResult::NoDataFile;
    }

    void firstStartFindsAFileOfAnotherKind()
    {
        QFETCH(QString, kind);
        QFETCH(KeySetupResult, result);
        const QString current = DataFile("7.5.0"), elsewhere = QDir::homePath() + "/elsewhere/data.kvd";
        MakeOlderDataFile(kind == "older" ? "7.5.0" : "7.0.0", "other");
        if (kind == "junk")
            WriteFile(current, "not a database");
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(current).constData(), 0600), 0);
        if (kind == "link" || kind == "rollback") // the rollback copy lies beside the file linked to
            QVERIFY(QDir().mkpath(QFileInfo(elsewhere).path()) && QFile::link(elsewhere, current));
        QString cause;
        if (kind == "rollback") {
            WriteFile(elsewhere, "");
            QVERIFY(CDBManager::GetInstance().MakeDataFile(elsewhere + "_temp", &cause));
        }
        const QStringList before = Tree();

        RunFirstStart();
        QCOMPARE(CDBManager::ActivePath(), current);
        QCOMPARE(SetUpKeys(), result);
        QCOMPARE(Tree(), before);
        if (kind == "rollback")
            QCOMPARE(DataFiles::RecoverRollback(&cause), RollbackRecovery::PutBack);
        if (kind == "junk" || kind == "older")
            QCOMPARE(DataFiles::CopyActiveTo(DataFolder() + "/copy"), QString());
    }

    // A first start makes the folder and the schema, both private to their owner,
    // the file complete before it takes its name; a later one, after the settings
    // store was emptied, keeps that live file and the folder's mode, even with an
    // older file beside it.
    void firstStartThenCurrentFileKept()
    {
        QVERIFY(QDir().mkdir(DataFolder()) && SetFileMode(DataFolder(), 0700));
        const FolderWatch watch(DataFolder());
        RunFirstStart();
        QCOMPARE(watch.Events({"settings_7.5.0.kvd"}), QStringList{"moved in settings_7.5.0.kvd"});
        QCOMPARE(UserSettings()->value(WALLET_DATA_FOLDER_PATH).toString(), DataFolder());
        QCOMPARE(UserSettings()->value(ACTIVE_WALLET_DB_7_5_0).toString(), QString("settings_7.5.0.kvd"));
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
    // file is named, and the key set-up blames the folder, with the cause. Once
    // it is out of the way, the next start makes it all.
    void dataFolderCannotBeMade_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("cause");
        const QStringList rows[] = {
            {"file", "file", "A file of that name is already there."},
            {"link to a missing folder", "missing", "The folder is not there."},
            {"folder that cannot be written", "folder", "The folder or the file cannot be written."},
            {"no room left", "room", "There is no room left on the disk."},
            {"file size limit", "limit", "The file would be larger than the system allows."}};
        for (const QStringList& row : rows)
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2];
    }

    void dataFolderCannotBeMade()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, cause);
        if (obstacle == "file")
            WriteFile(DataFolder(), "in the way");
        if (obstacle == "missing")
            QVERIFY(QFile::link(QDir::homePath() + "/elsewhere", DataFolder()));
        if (obstacle == "folder") {
            if (NothingIsReadOnly())
                QSKIP("every folder can be written here");
            QVERIFY(QDir().mkdir(DataFolder()));
            QVERIFY(SetFileMode(DataFolder(), 0500));
        }
        const QStringList before = Tree();

        disk.full = obstacle == "room" ? DataFolder() : QString();
        if (obstacle == "limit")
            QVERIFY(WithRoomFor(4096, RunFirstStart));
        else
            RunFirstStart();
        disk = {};
        QCOMPARE(LastFirstStart().cause, cause);
        if (obstacle == "room" || obstacle == "limit") // not even part of a data file is left
            QCOMPARE(QDir(DataFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
        else
            QCOMPARE(Tree(), before);
        QVERIFY(!UserSettings()->contains(ACTIVE_WALLET_DB_7_5_0));
        QCOMPARE(SetUpKeys(), KeySetupResult::NoDataFolder);

        CDBManager::GetInstance().CloseDataBase();
        init();
        RunFirstStart();
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
        QCOMPARE(FileMode(DataFolder()), 0700);
    }

    // A later start that finds its data file missing, empty, unreachable or of
    // another kind makes nothing, and opens no pipe where its journals go; it
    // names the true cause, and tells whether a new one may be made there, at
    // the user's word, and whether that can be done.
    void laterStartMakesNoDataFile_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<KeySetupResult>("result");
        QTest::addColumn<bool>("mayMake");
        QTest::addColumn<QString>("said"); // why it cannot be opened, or what MakeNew() gives
        const QString special = "It is not a regular file.";
        QTest::newRow("missing") << "missing" << KeySetupResult::NoDataFile << true << "";
        QTest::newRow("empty") << "empty" << KeySetupResult::NoDataFile << true << "";
        QTest::newRow("empty, cannot be written") << "read-only" << KeySetupResult::NoDataFile << true
                                                  << "The folder or the file cannot be written.";
        QTest::newRow("not ours") << "not ours" << KeySetupResult::NotADataFile << false << "";
        QTest::newRow("link to a missing file") << "link" << KeySetupResult::NoDataFile << false << "";
        QTest::newRow("named pipe as the WAL of the file it links to")
            << "wal" << KeySetupResult::CannotOpen << false << "elsewhere/data.kvd-wal\n" + special;
        QTest::newRow("folder at a relative path") << "relative" << KeySetupResult::NoDataFile << false << "";
        QTest::newRow("rollback copy holds the data")
            << "rollback" << KeySetupResult::NoDataFile << false << "";
        QTest::newRow("rollback copy is a pipe")
            << "pipe rollback" << KeySetupResult::NoDataFile << true << "";
        QTest::newRow("rollback copy has a pipe as its journal")
            << "rollback journal" << KeySetupResult::NoDataFile << false << "";
    }

    void laterStartMakesNoDataFile()
    {
        QFETCH(QString, left);
        QFETCH(KeySetupResult, result);
        QFETCH(bool, mayMake);
        QFETCH(QString, said);
        if (left == "read-only" && NothingIsReadOnly())
            QSKIP("every file can be read and written here");
        RunFirstStart();
        CDBManager::GetInstance().CloseDataBase();
        const QString active = DataFile("7.5.0"), elsewhere = QDir::homePath() + "/elsewhere/data.kvd";
        if (left.startsWith("rollback"))
            QVERIFY(QFile::copy(active, active + "_temp"));
        if (left == "wal") // kept elsewhere, behind a link relative to the data folder
            QVERIFY(QDir().mkpath(QFileInfo(elsewhere).path()) && QFile::rename(active, elsewhere) &&
                    QFile::link("../elsewhere/data.kvd", active));
        if (left != "wal")
            QVERIFY(QFile::remove(active));
        if (left == "empty" || left == "read-only" || left == "not ours")
            WriteFile(active, left == "not ours" ? "not ours" : "");
        if (left == "read-only")
            QVERIFY(SetFileMode(active, 0444));
        const QMap<QString, QString> pipes = {{"pipe rollback", active + "_temp"},
                                              {"wal", elsewhere + "-wal"},
                                              {"rollback journal", active + "_temp-journal"}};
        if (pipes.contains(left))
            QCOMPARE(mkfifo(QFile::encodeName(pipes[left]).constData(), 0600), 0);
        if (left == "link")
            QVERIFY(QFile::link(QDir::homePath() + "/unmounted/data.kvd", active));
        if (left == "relative") { // the same folder, as seen from HOME, where this starts
            QVERIFY(QDir::setCurrent(QDir::homePath()));
            UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, ".kestrova");
        }
        const QStringList before = Tree();

        QCOMPARE(SetUpKeys(), result);
        const QString reason = SqliteFile::Examine(active).Reason();
        QVERIFY2(result != KeySetupResult::CannotOpen || reason.endsWith(said), qPrintable(reason));
        QVERIFY(!said.endsWith("regular file.") || !CDBManager::GetInstance().GetDataBase().isOpen());
        QCOMPARE(DataFiles::CanMakeNew(), mayMake);
        QCOMPARE(Tree(), before);
        if (!mayMake)
            return;
        const FolderWatch watch(DataFolder());
        QCOMPARE(DataFiles::MakeNew(), said);
        if (!said.isEmpty())
            return;
        // Complete before it takes the name. A file made anew is its owner's
        // alone; one that was there keeps its mode.
        QVERIFY(!watch.Events({"settings_7.5.0.kvd"}).contains("made settings_7.5.0.kvd"));
        QCOMPARE(FileMode(active), left == "empty" ? 0644 : 0600);
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
    }

    // What a look tells of each kind of file, where the data file goes and where
    // each of its journals goes, naming the file at fault, and that it changes
    // nothing: a WAL stays unfolded, a hot journal is rolled back in a copy.
    void whatALookTells_data()
    {
        QTest::addColumn<QString>("what");  // what the row puts there
        QTest::addColumn<QString>("place"); // "" for the file itself, else the journal's ending
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("cause");
        const QString special = "It is not a regular file.", unreadable = "The file cannot be read.";
        const struct
        {
            const char *row, *what, *place;
            FileState::Kind kind;
            QString cause;
        } rows[] = {{"nothing", "nothing", "", FileState::Nothing, "The file is not there."},
                    {"empty", "empty", "", FileState::Empty, ""},
                    {"data file in WAL mode, with its WAL", "data", "-wal", FileState::DataFile, ""},
                    {"data file with a hot journal", "data", "-journal", FileState::DataFile, ""},
                    {"earlier version's", "older", "", FileState::OlderDataFile,
                     "It is from an earlier version of Kestrova."},
                    {"not SQLite", "junk", "", FileState::NotADataFile, "It is not a Kestrova data file."},
                    {"damaged", "damaged", "", FileState::Damaged, "It is damaged."},
                    {"socket", "socket", "", FileState::NotRegular, special},
                    {"cannot be read", "unreadable", "", FileState::Unreadable, unreadable},
                    {"named pipe as its -shm", "pipe", "-shm", FileState::NotRegular, special},
                    {"links in a loop as its journal", "loop", "-journal", FileState::NotRegular, special},
                    {"link to a file as its WAL", "link", "-wal", FileState::NotRegular, special},
                    {"link to nothing as the journal of nothing", "dangling", "-journal",
                     FileState::NotRegular, special},
                    {"-shm that cannot be read, in WAL mode", "unreadable", "-shm", FileState::Unreadable,
                     unreadable},
                    {"hot journal in a folder that cannot be written", "locked", "-journal",
                     FileState::Unreadable, "The folder or the file cannot be written."}};
        for (const auto& row : rows)
            QTest::newRow(row.row) << row.what << row.place << int(row.kind) << row.cause;
    }

    void whatALookTells()
    {
        QFETCH(QString, what);
        QFETCH(QString, place);
        QFETCH(int, kind);
        QFETCH(QString, cause);
        if ((what == "unreadable" || what == "locked") && NothingIsReadOnly())
            QSKIP("every file can be read and written here");
        const QString file = DataFolder() + "/data.kvd", at = file + place;
        QString made;
        QVERIFY(QDir().mkpath(DataFolder()));
        // A data file, where the row puts something beside it.
        if (what == "data" || what == "damaged" || (!place.isEmpty() && what != "dangling"))
            QVERIFY(CDBManager::GetInstance().MakeDataFile(file, &made));
        const QString insert = "INSERT INTO tblLocker (NAME, TYPE, KEY, USE_MP) VALUES ('saved', 1, 'k', 0)";
        if (place == "-wal" && what == "data")
            ExecOn(file, {"PRAGMA journal_mode = WAL", insert}, true);
        if (place == "-journal" && (what == "data" || what == "locked"))
            ExecOn(file, {insert, "BEGIN", "UPDATE tblLocker SET NAME = 'cut short'"}, true);
        if (place == "-shm" && what == "unreadable")
            ExecOn(file, {"PRAGMA journal_mode = WAL"});
        if (what == "empty" || what == "junk" || what == "unreadable")
            WriteFile(at, what == "empty" ? "" : "junk");
        if (what == "unreadable" || what == "locked")
            QVERIFY(SetFileMode(what == "locked" ? DataFolder() : at, what == "locked" ? 0500 : 0));
        if (what == "older")
            ExecOn(file, {"CREATE TABLE tblLocker (ID)"});
        if (what == "damaged")
            Damage(file);
        if (what == "socket")
            QVERIFY(MakeSocket(at));
        if (what == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(at).constData(), 0600), 0);
        if (what == "loop" || what == "link" || what == "dangling")
            QVERIFY(QFile::link(what == "loop" ? at : what == "link" ? file : DataFolder() + "/missing", at));
        const QStringList before = Tree();

        const FileState state = SqliteFile::Examine(file);
        QCOMPARE(int(state.kind), kind);
        const QString culprit = what == "locked" ? DataFolder() : place.isEmpty() ? QString() : at;
        QCOMPARE(state.Reason(), culprit.isEmpty() || cause.isEmpty() ? cause : culprit + "\n" + cause);
        QCOMPARE(Tree(), before);
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

        // A doubled slash, as the folder "/" gives, is no URI authority; nor is it in a name shown.
        manager.CloseDataBase();
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/" + DataFolder());
        QVERIFY(manager.GetDataBase().isOpen());
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/");
        QCOMPARE(CDBManager::ActivePath(), "/other.kvd");

        // A folder that does not exist gives a connection that stays closed.
        manager.CloseDataBase();
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/nonexistent/folder");
        QVERIFY(!manager.GetDataBase().isOpen());
        QVERIFY(!manager.GetDataBase().isOpen());
    }
};

KESTROVA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
