// Backup, restore, share and the choice of the data file, through the Tools
// menu and Qt's own file dialogs.
#include "diskstandins.h"
#include "testsupport.h"

#include "core/datafiles.h"
#include "core/entrystore.h"
#include "core/filecopy.h"
#include "core/filestate.h"
#include "core/keyrowstore.h"
#include "window/lockermodel.h"
#include "window/mainwindow.h"

#include <sys/stat.h>

class TestDataFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QTemporaryDir elsewhere{"/dev/shm/kestrova-XXXXXX"}; // another file system than HOME's, mostly

    static QString Home(const QString& name) { return QDir::homePath() + "/" + name; }
    // `bytes` with the first character of `value` changed wherever it stands.
    static QByteArray Changed(QByteArray bytes, const QByteArray& value)
    {
        return bytes.replace(value, QByteArray(value).replace(0, 1, value.startsWith('A') ? "B" : "A"));
    }
    // The file renamed onto `path`, when a sync of its folder followed at once; else the empty text.
    static QString RenamedAndSynced(const QString& path)
    {
        const QString renamed = " to " + path, folder = "synced " + QFileInfo(path).absolutePath();
        for (int i = 0; i + 1 < disk.steps.size(); ++i) {
            const QString& step = disk.steps[i];
            if (step.startsWith("renamed ") && step.endsWith(renamed) && disk.steps[i + 1] == folder)
                return step.mid(8, step.size() - 8 - renamed.size());
        }
        return QString();
    }
    // Whether the copy that became `path` was on disk before its rename, and the rename after it.
    static bool CopiedDurably(const QString& path)
    {
        const QString copy = RenamedAndSynced(path);
        return !copy.isEmpty() && disk.steps.contains("synced " + copy);
    }
    // The type of what is at `path` itself, a link not followed.
    static mode_t TypeAt(const QString& path)
    {
        struct stat status;
        return lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
    }

    // The journal mode in a database file's header: 1 for the rollback journal, 2 for WAL.
    static int JournalMode(const QString& path) { return ReadFile(path).at(18); }

    // Triggers the action, selects `path` in its file dialog and returns the message box that follows.
    MessageBoxSeen Trigger(const char* action, const QString& path)
    {
        MessageBoxSeen seen;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            AnswerNextMessageBox(&seen);
            // selectFile leaves a focused name field alone, as it would what the user typed.
            Child(dialog, "fileNameEdit")->clearFocus();
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog's own, which checks the choice
        });
        Child<QAction>(window.get(), action)->trigger();
        return seen;
    }

    // A new process: the keys and the connection come from the settings alone.
    void Restart()
    {
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        BotanAdapter::GetInstance().ForgetKeys();
        window = std::make_unique<MainWindow>();
    }

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void init()
    {
        FreshDataFileWithKeys();
        QVERIFY(KeyRowStore::ChangeMasterPassword(Utility::Md5Hex("master"))); // no box at start
        for (const char* notice : {"err_msg_5", "err_msg_6", "err_msg_7"})
            UserSettings()->setValue(notice, 1);
        window = std::make_unique<MainWindow>();
    }
    void cleanup()
    {
        window.reset();
        disk = {};
        SetFileMode(Home("Locked"), 0700);
        SetFileMode(Home(".kestrova"), 0700);
        FinishTest();
    }

    // On a disk as usual, copies keep the data file's mode. A disk that refuses
    // modes and a rename that refuses to replace, as FAT sticks and many network
    // mounts, still takes every copy, each its owner's alone.
    void backupRestoreAndShare_data()
    {
        QTest::addColumn<bool>("usual");
        QTest::newRow("usual disk") << true;
        QTest::newRow("disk without modes") << false;
    }

    void backupRestoreAndShare()
    {
        QFETCH(bool, usual);
        const QString id = MakeLocker("Web", "web pw");
        QVERIFY(EntryStore::Add(1, id, {{"NAME", "Mail"}, {"USER_NAME", "me"}}));
        const QString folder = Home(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        const QString active = CDBManager::ActivePath(), name = QFileInfo(active).fileName();
        QVERIFY(SetFileMode(active, 0640));
        const int mode = usual ? 0640 : 0600;
        disk.watched = true;
        disk.refusesModes = disk.lacksNoReplace = !usual;
        // A folder selected in the home folder that the chooser shows.
        QString text = Trigger("actionBackup", folder).text;
        const QString backup = folder + "/" + QDir(folder).entryList(QDir::Files).value(0);
        const QRegularExpression named(R"(/Kestrova_Backup_\d{8}-\d\d-\d\d-\d\d\.kestrova$)");
        QVERIFY2(backup.contains(named), qPrintable(backup));
        QCOMPARE(text, "Backup file copied to " + backup);
        QVERIFY2(CopiedDurably(backup), qPrintable(disk.steps.join('\n')));
        QCOMPARE(FileMode(backup), mode);
        QCOMPARE(DataFiles::CopyActiveTo(Home("gone/copy")), QString("The folder is not there."));

        MakeLocker("Later", "later pw");
        Exec("DELETE FROM tblId");
        window->OpenLocker(id, "Web", 1);
        window->OpenLocker(id, "Web", 7); // a type without a list closes the open one
        QVERIFY(!window->centralWidget());
        window->OpenLocker(id, "Web", 1);
        // The backup comes in by one rename, made durable, and only then does the rollback copy go.
        const FolderWatch watch(Home(".kestrova"));
        QCOMPARE(Trigger("actionRestore", backup).text, "Date restored to file " + backup);
        QCOMPARE(
            watch.Events({name, name + "_temp"}),
            (QStringList{"moved in " + name + "_temp", "moved in " + name, "deleted " + name + "_temp"}));
        QVERIFY2(CopiedDurably(active), qPrintable(disk.steps.join('\n')));
        QCOMPARE(ReadFile(active), ReadFile(backup));
        QCOMPARE(FileMode(active), mode);
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
        QVERIFY(!window->centralWidget());
        QCOMPARE(ColumnTexts(Child<QTableView>(window.get(), "tableView")->model(), LockerNameColumn),
                 QStringList{"Web"});

        const QString shared = folder + "/" + CDBManager::DataFileName();
        QCOMPARE(Trigger("actionShare", folder).text, "Date file copied to " + shared);
        QVERIFY(CopiedDurably(shared));
        QCOMPARE(FileMode(shared), mode);
        // What copies into this folder that a kill cut short left goes at the next one; the user's stays.
        const QString unfinished = "~kestrova-tmp-a1B2c3";
        const QString earlier = "Kestrova_Backup_20260101-00-00-00.kestrova" + unfinished;
        const QStringList left = {earlier, earlier + "-journal", name + unfinished},
                          users = {"notes" + unfinished, name + unfinished + ".bak"};
        for (const QString& file : left + users)
            WriteFile(folder + "/" + file, "left");
        QCOMPARE(Trigger("actionShare", folder).text,
                 "Error occurred : <" + shared + "> A file of that name is already there.");
        QStringList stays = users + QStringList{QFileInfo(backup).fileName(), name};
        stays.sort();
        QCOMPARE(QDir(folder).entryList(QDir::Files), stays);
    }

    // Each row damages a copy of the data file, or stands in the restore's way:
    // the data file stays byte for byte, nothing is left beside it, its keys stay
    // in force, and the message names the step and the cause.
    void refusedRestoreKeepsTheDataFile_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("cause");
        const QString active = Home(".kestrova/") + CDBManager::DataFileName();
        const QStringList rows[] = {
            {"not a data file", "junk", "It is not a Kestrova data file."},
            {"SQLite in WAL mode, without the tables", "wal", "It is not a Kestrova data file."},
            {"named pipe", "pipe", "It is not a regular file."},
            {"page of the locker names' index zeroed", "page", "It is damaged."},
            {"column missing", "column", "Its table tblId has no column PASSWORD."},
            {"key row damaged", "key", "Its keys are damaged."},
            {"secrets changed", "secrets", "2 stored secrets cannot be read."},
            {"last of many secrets changed", "last", "1 stored secret cannot be read."},
            {"copy cannot leave WAL mode", "journal", "The folder or the file cannot be written."},
            {"no room for the keys of a backup without", "keys", "There is no room left on the disk."},
            {"data file cannot be read", "unreadable",
             "The data file " + active + " cannot be replaced. The file cannot be read."},
            {"link in the rollback copy's place", "rollback", "It is not a regular file."},
            {"no room for the rollback copy", "full", "There is no room left on the disk."},
            {"earlier rollback copy, its kept name taken", "aside", "A file of that name is already there."},
            {"journal beside the data file, its kept name taken", "journal aside",
             active + "-journal\nA file of that name is already there."},
            {"earlier rollback copy, folder that cannot be written", "locked",
             "The folder or the file cannot be written."}};
        for (const QStringList& row : rows)
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2];
    }

    void refusedRestoreKeepsTheDataFile()
    {
        QFETCH(QString, damage);
        QFETCH(QString, cause);
        if ((damage == "unreadable" || damage == "locked") && NothingIsReadOnly())
            QSKIP("every file can be read and written here");
        const QString id = MakeLocker("Web", "web pw");
        const QString active = CDBManager::ActivePath(), backup = Home(damage + ".kestrova");
        const QString rollback = DataFiles::RollbackPath();
        QByteArray bytes = ReadFile(active);
        if (damage == "junk" || damage == "wal") {
            bytes = damage == "junk" ? "junk" : "";
        } else if (damage == "page") {
            const int page = QueryValue("PRAGMA page_size").toInt();
            // Only SQLite's own check reads it: the later checks scan the tables.
            const int root =
                QueryValue("SELECT rootpage FROM sqlite_master WHERE name = 'sqlite_autoindex_tblLocker_1'")
                    .toInt();
            bytes.replace((root - 1) * page, page, QByteArray(page, '\0'));
        } else if (damage == "key") {
            bytes = Changed(bytes, KeyRowStore::Read().wrappedKey.toLatin1());
        } else if (damage == "secrets") { // the question and the answer
            for (const char* column : {"SECRET_QUESTION", "SECRET_ANSWER"})
                bytes =
                    Changed(bytes, QueryValue(QString("SELECT %1 FROM tblLocker").arg(column)).toByteArray());
        } else if (damage ==
                   "rollback") { // to a copy of the data file, which is no file of the program's own
            QVERIFY(QFile::copy(active, Home("copy.kvd")) && QFile::link(Home("copy.kvd"), rollback));
        } else if (damage == "last") { // after the eight that the start tries
            MakeLocker("Two", "two pw");
            QVERIFY(
                EntryStore::Add(3, MakeLocker("Three", "three pw", 3), {{"NAME", "n"}, {"NOTES", "last"}}));
            bytes = Changed(ReadFile(active), QueryValue("SELECT NOTES FROM tblId3").toByteArray());
        } else if (damage == "full") { // the data file grows past what the disk still takes
            MakeLocker("Long notes", QString(20000, 'n'));
        }
        if (damage == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(backup).constData(), 0600), 0);
        else
            WriteFile(backup, bytes);
        if (damage == "column")
            ExecOn(backup, {"ALTER TABLE tblId DROP COLUMN PASSWORD"});
        if (damage == "wal") // a new database
            ExecOn(backup, {"PRAGMA journal_mode = WAL", "CREATE TABLE notes (text)"});
        if (damage == "journal") {
            ExecOn(backup, {"PRAGMA journal_mode = WAL"});
            disk.failingSync = "-journal";
        }
        if (damage == "keys") { // room for the copy, none for the keys that it needs
            ExecOn(backup, {"DELETE FROM tblLocker", "DELETE FROM tblSettings"});
            disk.full = "-journal";
        }
        if (damage.endsWith("aside")) { // the clock went back: kept files of the next seconds are there
            const QString base = damage == "aside" ? active : active + "-journal";
            WriteFile(damage == "aside" ? rollback : base, damage == "aside" ? "older data" : "");
            for (int second = 0; second < 10; ++second)
                WriteFile(base + "_kept_" +
                              QDateTime::currentDateTime().addSecs(second).toString("yyyyMMdd-HH-mm-ss") +
                              (damage == "aside" ? ".kestrova" : ""),
                          "kept");
        }
        if (damage == "locked") {
            WriteFile(rollback, "older data");
            QVERIFY(SetFileMode(Home(".kestrova"), 0500));
        }
        const QByteArray before = ReadFile(active);
        const QStringList folder = QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden);
        QVERIFY(damage != "unreadable" || SetFileMode(active, 0));

        if (damage == "full") { // room for the backup's copy, none for the rollback copy
            disk.full = Home(".kestrova");
            disk.room = bytes.size();
        }
        const QString text = Trigger("actionRestore", backup).text;

        const QString copyStep =
            "Nothing was restored: the data file could not be copied to " + rollback + ".";
        const QMap<QString, QString> steps = {
            {"rollback", copyStep},
            {"full", copyStep},
            {"aside", "Nothing was restored: an earlier restore left a different copy of your data at " +
                          rollback + ", and it could not be moved aside."}};
        QCOMPARE(text, steps.value(damage, "Error occurred while restoring to " + backup) + "\n" + cause);
        if (damage == "unreadable") {
            QVERIFY(SetFileMode(active, 0600));
            Restart();
        }
        QCOMPARE(ReadFile(active), before);
        QVERIFY(damage != "rollback" || TypeAt(rollback) == S_IFLNK);
        QVERIFY((damage != "locked" && damage != "aside") || ReadFile(rollback) == "older data");
        QCOMPARE(QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden), folder);
        QVERIFY(damage != "aside" ||
                ReadFile(Home(".kestrova/") + folder.filter("_kept_").value(0)) == "kept");
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
    }

    // What a start finds after a restore was cut short. Only a data file that is
    // missing or empty gives way to its rollback copy, and only to one that is a
    // data file; while that copy may hold the data, no data file is made, and the
    // start says why it stays. Files that the program left unfinished beside it
    // go, and only those that no run still makes.
    void startAfterRestoreCutShort_data()
    {
        QTest::addColumn<QString>("left"); // the data file: "missing", "empty" or "live"
        QTest::addColumn<QString>("copy"); // the rollback copy: "data", "other", "damaged", "unreadable"
                                           // or "stuck", data that cannot be renamed
        QTest::addColumn<QString>("said"); // how the start's message begins, and how it ends
        const QString putBack = "A restore did not finish. The data file has been put back";
        const QString notPutBack = "A restore did not finish, and";
        QTest::newRow("data file empty") << "empty" << "data" << putBack;
        QTest::newRow("copy of another kind") << "missing" << "other" << "The data file is missing";
        QTest::newRow("copy damaged") << "missing" << "damaged" << notPutBack + "|It is damaged.";
        QTest::newRow("copy cannot be read")
            << "missing" << "unreadable" << notPutBack + "|The file cannot be read.";
        QTest::newRow("live data file") << "live" << "data" << "";
        QTest::newRow("rename fails")
            << "missing" << "stuck" << notPutBack + "|The folder or the file cannot be written.";
    }

    void startAfterRestoreCutShort()
    {
        QFETCH(QString, left);
        QFETCH(QString, copy);
        QFETCH(QString, said);
        if (copy == "unreadable" && NothingIsReadOnly())
            QSKIP("every file can be read here");
        const QString id = MakeLocker("Web", "web pw");
        const QString active = CDBManager::ActivePath(), rollback = DataFiles::RollbackPath();
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        if (left == "live")
            ExecOn(active, {"UPDATE tblLocker SET NAME = 'Newer'"});
        QVERIFY(QFile::copy(active, rollback));
        if (copy == "other")
            ExecOn(rollback, {"DROP TABLE tblLocker"});
        if (copy == "damaged")
            Damage(rollback);
        if (left != "live")
            QVERIFY(QFile::remove(active));
        if (left == "empty")
            WriteFile(active, "");
        const QByteArray live = ReadFile(active), kept = ReadFile(rollback);
        // The program's own unfinished files go; the user's, named as older versions named theirs, stay.
        const QString name = QFileInfo(active).fileName(), unfinished = name + "~kestrova-tmp-a1B2c3";
        const QStringList leftovers = {unfinished, unfinished + "-wal", unfinished + "-shm",
                                       unfinished + "-journal"};
        const QStringList others = {name + "_restore_a1B2c3", name + "_temp.Xy9Z8w", name + "_temp.backup",
                                    name + "~kestrova-tmp-a1B2c", "x" + unfinished, unfinished + ".bak",
                                    name + "~kestrova-tmp-Q1w2E3-journal.bak"};
        for (const QString& file : leftovers + others)
            WriteFile(Home(".kestrova/") + file, "left");
        FileCopy held; // another run's, in the middle of a restore
        QVERIFY(held.Fill(active, [](const QString&, QString*) { return true; }));

        disk.watched = true;
        if (copy == "stuck")
            disk.failingRename = rollback;
        QVERIFY(copy != "unreadable" || SetFileMode(rollback, 0));
        MessageBoxSeen seen;
        if (!said.isEmpty())
            AnswerNextMessageBox(&seen, said.startsWith("The data file") ? QMessageBox::No : QMessageBox::Ok);
        Restart();
        const QString begins = said.section('|', 0, 0);
        QCOMPARE(seen.text.left(begins.size()), begins);
        QVERIFY(!said.contains('|') || seen.text.endsWith(rollback + "\n" + said.section('|', 1)));
        QVERIFY(copy != "unreadable" || SetFileMode(rollback, 0600));
        if (said.startsWith("A restore did not finish. ")) {
            QVERIFY(!RenamedAndSynced(active).isEmpty());
            QVERIFY(!QFile::exists(rollback));
            QCOMPARE(ReadFile(active), kept);
            QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
        } else {
            QCOMPARE(ReadFile(rollback), kept);
            QCOMPARE(QFileInfo::exists(active), left == "live");
            QCOMPARE(ReadFile(active), live);
        }
        for (const QString& file : leftovers + others)
            QCOMPARE(QFile::exists(Home(".kestrova/") + file), others.contains(file));
        QVERIFY(QFile::exists(held.FileName()));
    }

    // A rollback copy that an earlier restore left gives way only where it holds
    // what the data file holds. While the data file holds nothing it stays where
    // the start finds it, whatever step a kill cuts short; else it moves aside.
    // The restore says where it is: it is the only copy of what was saved last.
    void restoreBesideAnEarlierRollbackCopy_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("keptAt"); // what the restore names, after the data file's path
        QTest::newRow("put-back failed, then the folder came back") << "put-back" << "_temp";
        QTest::newRow("restore cut short after its last rename") << "renamed" << "_kept_";
        QTest::newRow("file of another kind, no data file") << "other" << "";
        QTest::newRow("same as the data file") << "same" << "";
        QTest::newRow("same, and restored itself") << "itself" << "";
    }

    void restoreBesideAnEarlierRollbackCopy()
    {
        QFETCH(QString, left);
        QFETCH(QString, keptAt);
        const QString active = CDBManager::ActivePath(), rollback = DataFiles::RollbackPath();
        const QString backup = left == "itself" ? rollback : Home(left + ".kestrova");
        QVERIFY(QFile::copy(active, backup));
        MakeLocker("Newer", "newer pw");
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        if (left == "put-back") { // the data only in the rollback copy, which the start cannot rename
            QVERIFY(QFile::rename(active, rollback));
            disk.failingRename = rollback;
            AnswerNextMessageBox(nullptr);
        } else if (left == "renamed") { // the backup in, the data before it still beside
            QVERIFY(QFile::rename(active, rollback) && QFile::copy(backup, active));
        } else if (left == "other") {
            QVERIFY(QFile::remove(active));
            WriteFile(rollback, "not ours to delete");
            AnswerNextMessageBox(nullptr, QMessageBox::No); // no new data file
        } else if (left == "same") {
            QVERIFY(QFile::copy(active, rollback));
        }
        Restart();
        const QByteArray copy = ReadFile(rollback);
        if (left == "put-back") { // a restore cut short before the backup came in
            disk.failingRename = active + "~";
            QVERIFY(Trigger("actionRestore", backup).text.startsWith("Error occurred while restoring to "));
            QCOMPARE(ReadFile(rollback), copy);
        }
        disk.failingRename.clear();

        // The copy is named in the restore's box, or, where a kill cut that short, by the next start.
        QString told;
        if (left == "renamed") {
            KeySetupResult keys;
            QString cause;
            QCOMPARE(DataFiles::Restore(backup, &keys, &cause), RestoreResult::Restored);
            QVERIFY(ReadFile(UserSettings()->fileName()).contains("_kept_")); // noted on disk at once
            MessageBoxSeen seen;
            AnswerNextMessageBox(&seen);
            Restart();
            told = seen.text;
        } else {
            told = Trigger("actionRestore", backup).text;
            QCOMPARE(told.section('\n', 0, 0), "Date restored to file " + backup);
        }
        const QString named = told.section("It is kept at:\n", 1);
        QVERIFY2(keptAt.isEmpty() ? named.isEmpty() : named.startsWith(active + keptAt), qPrintable(told));
        QVERIFY(named.isEmpty() || ReadFile(named) == copy);
        // A later restore, at a later start, keeps it: the newest data is never lost.
        Restart();
        QCOMPARE(Trigger("actionRestore", backup).text.section('\n', 0, 0),
                 "Date restored to file " + backup);
        QCOMPARE(ReadFile(active), ReadFile(backup));
        const QStringList kept = QDir(Home(".kestrova")).entryList({"*_kept_*", "*_temp"});
        QVERIFY(left == "same" || (kept.size() == 1 && ReadFile(Home(".kestrova/") + kept[0]) == copy));
    }

    // A journal or a WAL that another data file left under the name where a step
    // puts a file, as a save cut short and the file then moved away by hand
    // leave it, is never taken in: it moves aside, whole, and the step's box, or
    // the next start's, names it.
    void anotherFilesJournalMovesAside_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("journal");
        const QStringList rows[] = {{"restore", "-journal"}, {"restore", "-wal"},   {"new", "-wal"},
                                    {"putback", "-journal"}, {"first", "-journal"}, {"carry", "-wal"},
                                    {"share", "-journal"}};
        for (const QStringList& row : rows)
            QTest::newRow(qPrintable(row.join(' '))) << row[0] << row[1];
    }

    void anotherFilesJournalMovesAside()
    {
        QFETCH(QString, step);
        QFETCH(QString, journal);
        MakeLocker("Web", "web pw");
        const QString active = CDBManager::ActivePath(), folder = Home(QTest::currentDataTag());
        const QString backup = folder + "/backup.kestrova";
        const QString at = step == "share" ? DataFiles::SharePath(folder) : active;
        QVERIFY(QDir().mkpath(folder) && QFile::copy(active, backup));
        if (step == "carry")
            QVERIFY(QFile::copy(active, Home(".kestrova/settings_7.0.0.kvd")));
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(at == active || QFile::copy(active, at));
        ExecOn(at, {"INSERT INTO tblLocker (NAME, TYPE, KEY, USE_MP) VALUES ('Theirs', 1, 'k', 0)"});
        ExecOn(at,
               journal == "-wal"
                   ? QStringList{"PRAGMA journal_mode = WAL", "UPDATE tblLocker SET NAME = NAME || ' in WAL'"}
                   : QStringList{"BEGIN", "UPDATE tblLocker SET NAME = hex(randomblob(900))"},
               true);
        const QByteArray left = ReadFile(at + journal);
        QVERIFY(!left.isEmpty() && QFile::remove(at));

        MessageBoxSeen seen;
        if (step == "first" || step == "carry") {
            UserSettings()->remove(ACTIVE_WALLET_DB_7_5_0);
            RunFirstStart();
        }
        if (step == "putback") // as a restore cut short leaves it
            QVERIFY(QFile::copy(backup, DataFiles::RollbackPath()));
        if (step == "restore" || step == "new" || step == "putback") // the start's offer, or its put-back
            AnswerNextMessageBox(nullptr, step == "new"       ? QMessageBox::Yes
                                          : step == "restore" ? QMessageBox::No
                                                              : QMessageBox::Ok);
        if (step != "restore" && step != "share")
            AnswerNextMessageBox(&seen);
        Restart();
        if (step == "restore" || step == "share")
            seen =
                Trigger(step == "share" ? "actionShare" : "actionRestore", step == "share" ? folder : backup);
        const QString kept = seen.text.section("kept at:\n", 1);
        QVERIFY2(kept.startsWith(at + journal + "_kept_"), qPrintable(seen.text));
        QCOMPARE(ReadFile(kept), left);
        CDBManager::GetInstance().OpenDataBase(at);
        QCOMPARE(QueryValue("PRAGMA quick_check").toString(), QString("ok"));
        QCOMPARE(QueryValue("SELECT group_concat(NAME) FROM tblLocker").toString(),
                 step == "new" || step == "first" ? QString() : QString("Web"));
    }

    // A pipe where the data file, its journal or its rollback copy belongs, or
    // a link where its journal belongs, which SQLite would not follow, is never
    // opened, replaced or removed; the user is told, with the file at fault named.
    void specialFilesStayAsTheyAre_data()
    {
        QTest::addColumn<QString>("special");
        QTest::newRow("data file is a named pipe") << "pipe";
        QTest::newRow("its journal is a named pipe") << "journal";
        QTest::newRow("its journal is a link to a file") << "link";
        QTest::newRow("rollback copy is a named pipe") << "rollback";
    }

    void specialFilesStayAsTheyAre()
    {
        QFETCH(QString, special);
        const QString active = CDBManager::ActivePath(), held = Home(QTest::currentDataTag());
        const QString backup = held + ".kestrova";
        QVERIFY(QFile::copy(active, backup));
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        const bool beside = special == "journal" || special == "link";
        const QString path = beside ? active + "-journal" : special == "rollback" ? active + "_temp" : active;
        QVERIFY(beside || QFile::rename(active, held));
        if (special == "link")
            QVERIFY(QFile::link(backup, path));
        else
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // Beside it, the data as a cut-short restore leaves it, for the start to put back.
        const QString rollback = DataFiles::RollbackPath();
        QVERIFY(special == "rollback" || beside || QFile::rename(held, rollback));
        const mode_t type = TypeAt(path);

        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen, special == "rollback" ? QMessageBox::No : QMessageBox::Ok);
        Restart();
        const QString restored = Trigger("actionRestore", backup).text;
        QCOMPARE(TypeAt(path), type);
        if (special == "rollback") {
            QVERIFY(seen.text.startsWith("The data file is missing or empty:\n" + active + "\n") &&
                    seen.text.endsWith("Make a new, empty data file there?"));
            QCOMPARE(restored, "Date restored to file " + backup);
            return;
        }
        const QString cause = (beside ? path + "\n" : QString()) + "It is not a regular file.";
        QVERIFY2(seen.text.startsWith("The data file cannot be opened:\n" + active + "\n" + cause),
                 qPrintable(seen.text));
        QCOMPARE(restored, "Error occurred while restoring to " + backup + "\nThe data file " + active +
                               " cannot be replaced. " + cause);
        QCOMPARE(DataFiles::CopyActiveTo(Home("copy")),
                 "The data file " + active + " cannot be copied. " + cause);
        QVERIFY(beside || ReadFile(rollback) == ReadFile(backup));
    }

    // A data file kept elsewhere, behind a relative link in a data folder that
    // is itself a relative link, to a link beside the file: each is followed from
    // the folder that it really is in. A restore and a put-back replace the file
    // that the links lead to, and the links stay.
    void dataFileBehindALink()
    {
        const QString id = MakeLocker("Web", "web pw");
        const QString link = CDBManager::ActivePath(), real = Home("d2/real"), target = real + "/data.kvd";
        const QString backup = Home("link.kestrova");
        QVERIFY(QFile::copy(link, backup));
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(QDir().mkpath(real) && QFile::rename(Home(".kestrova"), Home("d2/kestrova")) &&
                QFile::link("d2/kestrova", Home(".kestrova")));
        QVERIFY(QFile::rename(link, target) && QFile::link("data.kvd", real + "/via.kvd") &&
                QFile::link("../real/via.kvd", link));
        Restart();
        MakeLocker("Later", "later pw");
        // Chosen again through the links, it loses what a kill left beside the file itself.
        WriteFile(target + "~kestrova-tmp-a1B2c3", "left");
        DataFiles::Select(link);
        QVERIFY(!QFile::exists(target + "~kestrova-tmp-a1B2c3"));
        disk.watched = true;
        QCOMPARE(Trigger("actionRestore", backup).text, "Date restored to file " + backup);
        QVERIFY2(CopiedDurably(target), qPrintable(disk.steps.join('\n')));
        QCOMPARE(ReadFile(target), ReadFile(backup));
        QVERIFY(TypeAt(link) == S_IFLNK && TypeAt(real + "/via.kvd") == S_IFLNK &&
                !QFileInfo::exists(Home("real")));
        QCOMPARE(QDir(real).entryList(QDir::Files), (QStringList{"data.kvd", "via.kvd"}));

        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(QFile::rename(target, target + "_temp")); // a restore cut short, beside the target
        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen);
        Restart();
        QCOMPARE(seen.text,
                 "A restore did not finish. The data file has been put back from the copy kept for it:\n" +
                     link);
        QCOMPARE(ReadFile(target), ReadFile(backup));
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);

        // A copy holds what the WAL beside the file linked to holds, in the
        // rollback journal, and takes the mode of a file kept read-only once that is in.
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        ExecOn(target, {"PRAGMA journal_mode = WAL", "UPDATE tblLocker SET NAME = 'In WAL'"}, true);
        QVERIFY(SetFileMode(target, 0444));
        QCOMPARE(DataFiles::CopyActiveTo(Home("linked.kvd")), QString());
        QVERIFY(JournalMode(Home("linked.kvd")) == 1 && FileMode(Home("linked.kvd")) == 0444);
        CDBManager::GetInstance().OpenDataBase(Home("linked.kvd"));
        QCOMPARE(QueryValue("SELECT NAME FROM tblLocker").toString(), QString("In WAL"));
    }

    // A save that fails says why, naming the file at fault where it is not the
    // data file; where a file or folder cannot be written, the start says so at once.
    void failedSaveSaysWhy_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("cause"); // after the path of what is at fault, where that is named
        QTest::newRow("journal is a link") << "link" << "-journal|It is not a regular file.";
        QTest::newRow("no room left") << "room" << "There is no room left on the disk.";
        QTest::newRow("file size limit") << "limit" << "The file would be larger than the system allows.";
        QTest::newRow("folder that cannot be written")
            << "folder" << "|The folder or the file cannot be written.";
        QTest::newRow("no data file in use") << "none" << "No data file is in use.";
    }

    void failedSaveSaysWhy()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, cause);
        if (obstacle == "folder" && NothingIsReadOnly())
            QSKIP("every folder can be written here");
        const QString active = CDBManager::ActivePath(), real = FileState::Resolve(active);
        const QString folder = QFileInfo(real).path();
        const QString culprit = !cause.contains('|') ? "" : obstacle == "folder" ? folder : real;
        cause = culprit.isEmpty() ? cause : culprit + cause.replace('|', '\n');
        if (obstacle == "link")
            QVERIFY(QFile::link(Home("elsewhere"), real + "-journal"));
        QVERIFY(obstacle != "folder" || SetFileMode(folder, 0500));
        MessageBoxSeen seen;
        if (obstacle == "none") { // a first start that could not carry a damaged older file over
            window.reset();
            CDBManager::GetInstance().CloseDataBase();
            QVERIFY(QFile::rename(real, Home(".kestrova/settings_7.0.0.kvd")));
            Damage(Home(".kestrova/settings_7.0.0.kvd"));
            UserSettings()->remove(ACTIVE_WALLET_DB_7_5_0);
            RunFirstStart();
            AnswerNextMessageBox(&seen);
            Restart();
            QVERIFY2(seen.text.contains("settings_7.0.0.kvd\nIt is damaged.") &&
                         seen.text.endsWith("to start without it, move it out of its folder."),
                     qPrintable(seen.text));
        }
        disk.full = obstacle == "room" ? real : QString();
        const LockerFields locker{"New", "pw", "q", "a", {}, false, false};
        QString said;
        const auto add = [&] { QVERIFY(!LockerStore::AddLocker(locker, 1, &said)); };
        if (obstacle == "limit")
            QVERIFY(WithRoomFor(1024, add));
        else
            add();
        QCOMPARE(said, cause);
        if (obstacle == "folder") {
            AnswerNextMessageBox(&seen);
            Restart();
            QVERIFY2(seen.text.startsWith("The data file cannot be written:\n" + active + "\n" + cause),
                     qPrintable(seen.text));
        }
        if (obstacle != "none")
            return;
        // Nothing to copy or replace: no folder or file is asked for.
        for (const char* action : {"actionBackup", "actionShare", "actionRestore"}) {
            AnswerNextMessageBox(&seen);
            Child<QAction>(window.get(), action)->trigger();
            QCOMPARE(seen.text, cause);
        }
    }

    // Another installation's file, chosen or restored, is read and written under
    // its own keys, with what only its WAL held, and in the rollback journal even
    // when it came read-only in WAL mode, from another disk. The locker open
    // before goes.
    void otherInstallationsFileUsesItsOwnKeys_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("data file") << "actionData_File" << "other.kvd"
                                   << "Data file changed successfully to ";
        QTest::newRow("restore") << "actionRestore" << "other.kestrova" << "Date restored to file ";
    }

    void otherInstallationsFileUsesItsOwnKeys()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, message);
        const QString theirs = MakeLocker("Theirs", "their pw");
        const QString other = (elsewhere.isValid() ? elsewhere.path() : QDir::homePath()) + "/" + file;
        QVERIFY(QFile::copy(CDBManager::ActivePath(), other));
        // What an earlier choice of it that a kill cut short left beside it goes.
        WriteFile(other + "~kestrova-tmp-a1B2c3", "left");
        ExecOn(other,
               {"PRAGMA journal_mode = WAL", "INSERT INTO tblLocker (NAME, TYPE, KEY, USE_MP) VALUES "
                                             "('In WAL', 1, 'k', 0)"},
               true);
        const QByteArray bytes = ReadFile(other), wal = ReadFile(other + "-wal");
        if (action == "actionRestore")
            QVERIFY(SetFileMode(other, 0444));
        window.reset();
        init(); // a second installation, under a content key of its own
        Utility::GetInstance().sessionLockerIds << theirs; // unlocked in the file left behind
        window->OpenLocker(MakeLocker("Mine", "my pw"), "Mine", 1);

        QCOMPARE(Trigger(qPrintable(action), other).text, message + other);
        QCOMPARE(QFile::exists(other + "~kestrova-tmp-a1B2c3"), action == "actionRestore");
        const QAbstractItemModel* lockers = Child<QTableView>(window.get(), "tableView")->model();
        QVERIFY(ColumnTexts(lockers, LockerNameColumn).contains("In WAL"));
        // A backup and its WAL stay as they were.
        QVERIFY(action == "actionData_File" || (ReadFile(other) == bytes && ReadFile(other + "-wal") == wal));
        QVERIFY(!window->centralWidget());
        QCOMPARE(LockerStore::CheckLogin(theirs, "their pw"), LoginCheck::Granted);
        QVERIFY(Utility::GetInstance().sessionLockerIds.isEmpty());
        QCOMPARE(JournalMode(CDBManager::ActivePath()), 1);
        const QString added = MakeLocker("Added", "added pw");
        Restart();
        QCOMPARE(CDBManager::ActivePath() == other, action == "actionData_File");
        QCOMPARE(LockerStore::CheckLogin(added, "added pw"), LoginCheck::Granted);
        QCOMPARE(LockerStore::CheckLogin(theirs, "their pw"), LoginCheck::Granted);
    }

    // A file chosen with Data File that holds something else, keys that do not
    // open, or nothing while its rollback copy holds the data, or that is no
    // regular file: a warning with the true cause, no success, and the file
    // stays as it was, in a folder that cannot be written.
    void unusableFileStaysUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        const QStringList rows[] = {
            {"random bytes", "random", "not a Kestrova data file"},
            {"earlier version's, in WAL mode", "older", "from an earlier version of Kestrova"},
            {"data file with damaged keys", "keys", "The keys of the data file are damaged."},
            {"named pipe", "pipe", "\nIt is not a regular file."},
            {"empty, data in its rollback copy", "rollback", "The data file is missing"}};
        for (const QStringList& row : rows)
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2];
    }

    void unusableFileStaysUntouched()
    {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        const QString foreign = Home("Locked/" + kind + ".kvd");
        QVERIFY(QDir().mkpath(Home("Locked")));
        if (kind == "random") {
            WriteFile(foreign, QByteArray("no database here ").repeated(300));
        } else if (kind == "older") {
            ExecOn(foreign, {"PRAGMA journal_mode = WAL", "CREATE TABLE tblLocker (ID)"});
        } else if (kind == "pipe") {
            QCOMPARE(mkfifo(QFile::encodeName(foreign).constData(), 0600), 0);
        } else if (kind == "rollback") {
            WriteFile(foreign, "");
            QVERIFY(QFile::copy(CDBManager::ActivePath(), foreign + "_temp"));
        } else {
            WriteFile(foreign,
                      Changed(ReadFile(CDBManager::ActivePath()), KeyRowStore::Read().wrappedKey.toLatin1()));
        }
        const QByteArray bytes = kind == "pipe" ? QByteArray() : ReadFile(foreign);
        const mode_t type = TypeAt(foreign);
        QVERIFY(SetFileMode(Home("Locked"), 0500));
        const MessageBoxSeen seen = Trigger("actionData_File", foreign);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY2(seen.text.contains(warning), qPrintable(seen.text));
        QVERIFY(kind == "keys" || seen.text.contains(foreign));
        QCOMPARE(Child<QTableView>(window.get(), "tableView")->model()->rowCount(), 0);

        MessageBoxSeen atStart; // the same at the next start, which puts a rollback copy back
        AnswerNextMessageBox(&atStart);
        Restart();
        QVERIFY(kind == "rollback" ? atStart.text.startsWith("A restore did not finish")
                                   : atStart.text == seen.text);
        QCOMPARE(TypeAt(foreign), type);
        QVERIFY(kind == "pipe" || kind == "rollback" || ReadFile(foreign) == bytes);
    }
};

KESTROVA_TEST_MAIN(TestDataFile)
#include "tst_datafile.moc"
