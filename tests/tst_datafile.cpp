// Backup, restore, share and the choice of the data file, through the Tools
// menu and Qt's own file dialogs.
#include "testsupport.h"

#include "core/datafiles.h"
#include "core/entrystore.h"
#include "core/keyrowstore.h"
#include "window/lockermodel.h"
#include "window/mainwindow.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>

#include <fcntl.h>
#include <unistd.h>

// The system's calls that the copies make, stood in for, so that a test sees
// what no file shows until a power cut, and meets the refusals of other disks.
struct Disk
{
    bool watched = false;        // steps lists the renames and syncs in order
    QString failingRename;       // a rename from here fails, as on a read-only disk
    QString failingSync;         // a sync of a file whose name ends so fails, as on a failing disk
    bool refusesModes = false;   // as FAT sticks and many network mounts
    bool lacksNoReplace = false; // no rename that refuses to replace, as some FUSE mounts
    QStringList steps;
} disk;

QString PathOf(int fd)
{
    return QFileInfo(QString("/proc/self/fd/%1").arg(fd)).symLinkTarget();
}

int Renamed(const char* from, const char* to, unsigned int flags)
{
    if (QFile::decodeName(from) == disk.failingRename) {
        errno = EROFS;
        return -1;
    }
    if (flags && disk.lacksNoReplace) {
        errno = EINVAL;
        return -1;
    }
    if (disk.watched)
        disk.steps << "renamed " + QFile::decodeName(from) + " to " + QFile::decodeName(to);
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, flags));
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    return Renamed(from, to, 0);
}

extern "C" int renameat2(int, const char* from, int, const char* to, unsigned int flags) noexcept
{
    return Renamed(from, to, flags);
}

int Synced(long call, int fd)
{
    if (!disk.failingSync.isEmpty() && PathOf(fd).endsWith(disk.failingSync)) {
        errno = EIO;
        return -1;
    }
    if (disk.watched)
        disk.steps << "synced " + PathOf(fd);
    return static_cast<int>(syscall(call, fd));
}

extern "C" int fsync(int fd)
{
    return Synced(SYS_fsync, fd);
}

extern "C" int fdatasync(int fd)
{
    return Synced(SYS_fdatasync, fd);
}

extern "C" int fchmod(int fd, mode_t mode) noexcept
{
    if (disk.refusesModes) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fchmod, fd, mode));
}

extern "C" int chmod(const char* path, mode_t mode) noexcept
{
    if (disk.refusesModes) {
        errno = EPERM;
        return -1;
    }
    return fchmodat(AT_FDCWD, path, mode, 0);
}

// What becomes of the files in a folder: "moved in NAME" and "deleted NAME".
class FolderWatch
{
public:
    explicit FolderWatch(const QString& folder) : fd(inotify_init1(IN_NONBLOCK))
    {
        inotify_add_watch(fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_DELETE);
    }
    ~FolderWatch() { close(fd); }

    // The events so far of the files named.
    QStringList Events(const QStringList& names) const
    {
        QStringList events;
        alignas(inotify_event) char buffer[1 << 14];
        for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (names.contains(event->name))
                    events << (event->mask & IN_MOVED_TO ? "moved in " : "deleted ") + QString(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return events;
    }

private:
    int fd;
};

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
    // What a start says of a missing data file, with or without the offer of a new one.
    static QString MissingText(const QString& path, bool offer)
    {
        return "The data file is missing or empty:\n" + path + "\n" +
               (offer ? "If it is on a drive that is not connected, choose No and start Kestrova again once it "
                        "is.\nMake a new, empty data file there?"
                      : "No lockers can be shown or saved until it is there again, or another data file is "
                        "selected.");
    }
    // What a start says of a data file that is no regular file.
    static QString NotRegularText(const QString& path)
    {
        return "The data file cannot be opened:\n" + path +
               "\nIt is not a regular file. No lockers can be shown or saved until another data file is "
               "selected.";
    }
    // The type of what is at `path` itself, a link not followed.
    static mode_t TypeAt(const QString& path)
    {
        struct stat status;
        return lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
    }

    // The journal mode in a database file's header: 1 for the rollback journal, 2 for WAL.
    static int JournalMode(const QString& path) { return ReadFile(path).at(18); }

    // Runs statements on `path` through a connection of its own, as another program would.
    static void ExecOn(const QString& path, const QStringList& statements)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other program");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (const QString& statement : statements)
                QVERIFY2(db.exec(statement).isActive(), qPrintable(statement));
        }
        QSqlDatabase::removeDatabase("other program");
    }

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
        const QString active = DataFiles::ActivePath(), name = QFileInfo(active).fileName();
        QVERIFY(SetFileMode(active, 0640));
        const int mode = usual ? 0640 : 0600;
        disk = {true, {}, {}, !usual, !usual, {}};
        // A folder selected in the home folder that the chooser shows.
        QString text = Trigger("actionBackup", folder).text;
        const QString backup = folder + "/" + QDir(folder).entryList(QDir::Files).value(0);
        QVERIFY2(QRegularExpression(R"(/Kestrova_Backup_\d{8}-\d\d-\d\d-\d\d\.kestrova$)")
                     .match(backup)
                     .hasMatch(),
                 qPrintable(backup));
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
        QCOMPARE(Trigger("actionShare", folder).text,
                 "Error occurred : <" + shared + "> A file of that name is already there.");
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
    }

    // Each row damages a copy of the data file, or stands in the restore's way:
    // the data file stays byte for byte, nothing is left beside it, its keys stay
    // in force, and the message says why.
    void refusedRestoreKeepsTheDataFile_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("cause");
        QTest::newRow("not a data file") << "junk" << "It is not a Kestrova data file.";
        QTest::newRow("SQLite in WAL mode, without the tables") << "wal" << "It is not a Kestrova data file.";
        QTest::newRow("named pipe") << "pipe" << "It is not a regular file.";
        QTest::newRow("link to the zero device") << "zero" << "It is not a regular file.";
        QTest::newRow("page of tblId zeroed") << "page" << "It is damaged.";
        QTest::newRow("column missing") << "column" << "Its table tblId has no column PASSWORD.";
        QTest::newRow("key row damaged") << "key" << "Its keys are damaged.";
        QTest::newRow("secrets changed") << "secrets" << "2 stored secrets cannot be read.";
        QTest::newRow("last of many secrets changed") << "last" << "1 stored secret cannot be read.";
        QTest::newRow("copy cannot leave WAL mode")
            << "journal" << "Its copy beside the data file cannot be written.";
        QTest::newRow("named pipe in the rollback copy's place") << "rollback" << "It is not a regular file.";
        QTest::newRow("no room for the rollback copy") << "full" << "There is no room left on the disk.";
        QTest::newRow("earlier rollback copy, folder that cannot be written")
            << "locked" << "The folder or the file cannot be written.";
    }

    void refusedRestoreKeepsTheDataFile()
    {
        QFETCH(QString, damage);
        QFETCH(QString, cause);
        const QString id = MakeLocker("Web", "web pw");
        const QString active = DataFiles::ActivePath(), backup = Home(damage + ".kestrova");
        QByteArray bytes = ReadFile(active);
        if (damage == "junk" || damage == "wal") {
            bytes = damage == "junk" ? "junk" : "";
        } else if (damage == "page") {
            const int page = QueryValue("PRAGMA page_size").toInt();
            const int root = QueryValue("SELECT rootpage FROM sqlite_master WHERE name = 'tblId'").toInt();
            bytes.replace((root - 1) * page, page, QByteArray(page, '\0'));
        } else if (damage == "key") {
            bytes = Changed(bytes, KeyRowStore::Read().wrappedKey.toLatin1());
        } else if (damage == "secrets") { // the question and the answer
            for (const char* column : {"SECRET_QUESTION", "SECRET_ANSWER"})
                bytes = Changed(bytes, QueryValue(QString("SELECT %1 FROM tblLocker").arg(column)).toByteArray());
        } else if (damage == "rollback") {
            QCOMPARE(mkfifo(QFile::encodeName(DataFiles::RollbackPath()).constData(), 0600), 0);
        } else if (damage == "last") { // after the eight that the start tries
            MakeLocker("Two", "two pw");
            QVERIFY(EntryStore::Add(3, MakeLocker("Three", "three pw", 3), {{"NAME", "n"}, {"NOTES", "last"}}));
            bytes = Changed(ReadFile(active), QueryValue("SELECT NOTES FROM tblId3").toByteArray());
        } else if (damage == "full") { // the data file grows past what the disk still takes
            MakeLocker("Long notes", QString(20000, 'n'));
        }
        if (damage == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(backup).constData(), 0600), 0);
        else if (damage == "zero")
            QVERIFY(QFile::link("/dev/zero", backup));
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
        if (damage == "locked") {
            if (NothingIsReadOnly())
                QSKIP("every folder can be written here");
            WriteFile(DataFiles::RollbackPath(), "older data");
            QVERIFY(SetFileMode(Home(".kestrova"), 0500));
        }
        const QByteArray before = ReadFile(active);
        const QStringList folder = QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden);

        QString text;
        const auto restore = [&] { text = Trigger("actionRestore", backup).text; };
        if (damage == "full")
            QVERIFY(WithRoomFor(bytes.size(), restore));
        else
            restore();

        const bool rollback = damage == "rollback" || damage == "full";
        QCOMPARE(text, rollback ? "Nothing was restored: the data file could not be copied to " +
                                      DataFiles::RollbackPath() + ".\n" + cause
                                : "Error occurred while restoring to " + backup + "\n" + cause);
        QCOMPARE(ReadFile(active), before);
        QVERIFY(damage != "rollback" || S_ISFIFO(TypeAt(DataFiles::RollbackPath())));
        QVERIFY(damage != "locked" || ReadFile(DataFiles::RollbackPath()) == "older data");
        QCOMPARE(QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden), folder);
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
    }

    // What a start finds after a restore was cut short. Only a data file that is
    // missing or empty gives way to its rollback copy, and only to one that is a
    // data file; while that copy holds the data, no data file is made. Files the
    // restore left beside it go, and only those.
    void startAfterRestoreCutShort_data()
    {
        QTest::addColumn<QString>("left"); // the data file: "missing", "empty" or "live"
        QTest::addColumn<bool>("tables");  // whether the rollback copy holds every table
        QTest::addColumn<bool>("renames"); // whether the rollback copy can be renamed
        QTest::addColumn<QString>("message");
        const QString active = Home(".kestrova/") + CDBManager::DataFileName();
        const QString putBack =
            "A restore did not finish. The data file has been put back from the copy kept for it:\n" + active;
        QTest::newRow("data file missing") << "missing" << true << true << putBack;
        QTest::newRow("data file empty") << "empty" << true << true << putBack;
        QTest::newRow("rollback copy without a table") << "missing" << false << true << MissingText(active, true);
        QTest::newRow("live data file") << "live" << true << true << "";
        QTest::newRow("rename fails") << "missing" << true << false
                                      << "A restore did not finish, and the copy kept for it could not be put back as "
                                         "the data file. Your data is in:\n" + active +
                                             "_temp\nThe folder or the file cannot be written.";
    }

    void startAfterRestoreCutShort()
    {
        QFETCH(QString, left);
        QFETCH(bool, tables);
        QFETCH(bool, renames);
        QFETCH(QString, message);
        const QString id = MakeLocker("Web", "web pw");
        const QString active = DataFiles::ActivePath(), rollback = DataFiles::RollbackPath();
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        if (left == "live")
            ExecOn(active, {"UPDATE tblLocker SET NAME = 'Newer'"});
        QVERIFY(QFile::copy(active, rollback));
        if (!tables)
            ExecOn(rollback, {"DROP TABLE tblId3"});
        if (left != "live")
            QVERIFY(QFile::remove(active));
        if (left == "empty")
            WriteFile(active, "");
        const QByteArray live = ReadFile(active), copy = ReadFile(rollback);
        const QString name = QFileInfo(active).fileName(), staged = name + "_restore_a1B2c3";
        const QStringList leftovers = {staged, staged + "-wal", staged + "-shm", staged + "-journal",
                                       name + "_temp.Xy9Z8w"};
        const QStringList others = {name + "_restore_a1B2c", name + "_temp.Xy9Z8w7", name + "_temp.Xy9Z8w-wal",
                                    "x" + staged};
        for (const QString& file : leftovers + others)
            WriteFile(Home(".kestrova/") + file, "left");

        disk.watched = true;
        if (!renames)
            disk.failingRename = rollback;
        MessageBoxSeen seen;
        if (!message.isEmpty())
            AnswerNextMessageBox(&seen, message == MissingText(active, true) ? QMessageBox::No : QMessageBox::Ok);
        Restart();
        QCOMPARE(seen.text, message);
        if (message.startsWith("A restore did not finish. ")) {
            QVERIFY(!RenamedAndSynced(active).isEmpty());
            QVERIFY(!QFile::exists(rollback));
            QCOMPARE(ReadFile(active), copy);
            QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
        } else {
            QCOMPARE(ReadFile(rollback), copy);
            QCOMPARE(QFileInfo::exists(active), left == "live");
            QCOMPARE(ReadFile(active), live);
        }
        for (const QString& file : leftovers + others)
            QCOMPARE(QFile::exists(Home(".kestrova/") + file), others.contains(file));
    }

    // A start whose data file is missing says so. Where a new one may be made
    // there, it asks first, and makes one only at Yes; never through a link to a
    // missing file.
    void startWithoutItsDataFile()
    {
        const QString active = DataFiles::ActivePath(), unmounted = Home("unmounted/data.kvd");
        window.reset();
        QVERIFY(QFile::remove(active));
        const QStringList before = QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden);
        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen, QMessageBox::No);
        Restart();
        QCOMPARE(seen.text, MissingText(active, true));
        QCOMPARE(QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden), before);

        AnswerNextMessageBox(nullptr, QMessageBox::Yes);
        Restart();
        QCOMPARE(FileMode(active), 0600);
        QVERIFY(!MakeLocker("New", "new pw").isEmpty());

        for (const QString& target : {unmounted, active}) { // a drive not connected; a link to itself
            window.reset();
            QVERIFY(QFile::remove(active) && QFile::link(target, active));
            AnswerNextMessageBox(&seen);
            Restart();
            QCOMPARE(seen.text, target == active ? NotRegularText(active) : MissingText(active, false));
        }
        QVERIFY(!QFileInfo::exists(Home("unmounted")));
    }

    // A restore of the rollback copy itself keeps it.
    void restoreOfTheRollbackCopy()
    {
        const QString active = DataFiles::ActivePath(), rollback = DataFiles::RollbackPath();
        const QString backup = Home("backup.kestrova");
        QVERIFY(QFile::copy(active, backup));
        MakeLocker("Later", "later pw");
        QVERIFY(QFile::copy(backup, rollback));
        QCOMPARE(Trigger("actionRestore", rollback).text, "Date restored to file " + rollback);
        QCOMPARE(ReadFile(active), ReadFile(backup));
        QCOMPARE(ReadFile(rollback), ReadFile(backup));
    }

    // A rollback copy that an earlier restore left gives way only where it holds
    // what the data file holds. Any other moves aside, and the restore says
    // where, once: it is the only copy of what was saved last.
    void restoreBesideAnEarlierRollbackCopy_data()
    {
        QTest::addColumn<QString>("left");
        QTest::newRow("put-back failed, then the folder came back") << "put-back";
        QTest::newRow("restore cut short after its last rename") << "renamed";
        QTest::newRow("file of another kind, no data file") << "other";
        QTest::newRow("same as the data file") << "same";
    }

    void restoreBesideAnEarlierRollbackCopy()
    {
        QFETCH(QString, left);
        const QString active = DataFiles::ActivePath(), rollback = DataFiles::RollbackPath();
        const QString backup = Home(QTest::currentDataTag() + QString(".kestrova"));
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
        } else {
            QVERIFY(QFile::copy(active, rollback));
        }
        Restart();
        disk.failingRename.clear();
        const QByteArray copy = ReadFile(rollback);

        const QString text = Trigger("actionRestore", backup).text;
        const QStringList kept = QDir(Home(".kestrova")).entryList({"*_kept_*"});
        QCOMPARE(kept.size(), left == "same" ? 0 : 1);
        const QString keptPath = Home(".kestrova/") + kept.value(0);
        QCOMPARE(text, "Date restored to file " + backup +
                           (kept.isEmpty() ? QString()
                                           : "\nA copy of the data file that an earlier restore left, which "
                                             "differs from it, is kept at:\n" + keptPath));
        QVERIFY(kept.isEmpty() || (keptPath.startsWith(active + "_kept_") && keptPath.endsWith(".kestrova")));
        QVERIFY(!QFileInfo::exists(rollback));
        // Once: a later restore, at a later start, keeps it and says no more.
        Restart();
        QCOMPARE(Trigger("actionRestore", backup).text, "Date restored to file " + backup);
        QCOMPARE(ReadFile(active), ReadFile(backup));
        QCOMPARE(QDir(Home(".kestrova")).entryList({"*_kept_*"}), kept);
        QVERIFY(kept.isEmpty() || ReadFile(keptPath) == copy);
    }

    // A pipe, a device or a loop of links where the data file or its rollback
    // copy belongs is never opened, replaced or removed; the user is told.
    void specialFilesStayAsTheyAre_data()
    {
        QTest::addColumn<QString>("special");
        QTest::newRow("data file is a named pipe") << "pipe";
        QTest::newRow("data file links to a device") << "device";
        QTest::newRow("data file links to itself") << "loop";
        QTest::newRow("rollback copy is a named pipe") << "rollback";
    }

    void specialFilesStayAsTheyAre()
    {
        QFETCH(QString, special);
        const QString active = DataFiles::ActivePath(), held = Home(QTest::currentDataTag());
        const QString backup = held + ".kestrova";
        QString path = special == "device" ? Home("null") : active;
        QVERIFY(QFile::copy(active, backup));
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(QFile::rename(active, held));
        const QByteArray native = QFile::encodeName(path);
        if (special == "device" && mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("no device can be made here");
        if (special == "rollback")
            path = DataFiles::RollbackPath();
        if (special == "pipe" || special == "rollback")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (special == "device" || special == "loop")
            QVERIFY(QFile::link(path, active));
        // Beside it, the data as a cut-short restore leaves it, for the start to put back.
        const QString rollback = DataFiles::RollbackPath();
        QVERIFY(special == "rollback" || QFile::rename(held, rollback));
        const mode_t type = TypeAt(path);

        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen, special == "rollback" ? QMessageBox::No : QMessageBox::Ok);
        Restart();
        QCOMPARE(seen.text, special == "rollback" ? MissingText(active, true) : NotRegularText(active));
        QCOMPARE(Trigger("actionRestore", backup).text,
                 special == "rollback" ? "Date restored to file " + backup
                                       : "Error occurred while restoring to " + backup + "\nThe data file " +
                                             active + " cannot be replaced. It is not a regular file.");
        QCOMPARE(TypeAt(path), type);
        QVERIFY(special == "rollback" || ReadFile(rollback) == ReadFile(backup));
    }

    // A data file kept elsewhere behind a link to a link: a restore and a
    // put-back replace the file they link to, and the links stay.
    void dataFileBehindALink()
    {
        const QString id = MakeLocker("Web", "web pw");
        const QString link = DataFiles::ActivePath(), target = Home("Synced/data.kvd");
        const QString backup = Home("link.kestrova"), via = Home("Synced/via.kvd");
        QVERIFY(QFile::copy(link, backup));
        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(QDir().mkpath(Home("Synced")) && QFile::rename(link, target));
        QVERIFY(QFile::link(target, via) && QFile::link(via, link));
        Restart();
        MakeLocker("Later", "later pw");
        QCOMPARE(Trigger("actionRestore", backup).text, "Date restored to file " + backup);
        QCOMPARE(QFileInfo(link).symLinkTarget(), via);
        QCOMPARE(ReadFile(target), ReadFile(backup));
        QCOMPARE(QDir(Home("Synced")).entryList(QDir::Files), (QStringList{"data.kvd", "via.kvd"}));

        window.reset();
        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(QFile::rename(target, target + "_temp")); // a restore cut short, beside the target
        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen);
        Restart();
        QCOMPARE(seen.text,
                 "A restore did not finish. The data file has been put back from the copy kept for it:\n" +
                     link);
        QCOMPARE(QFileInfo(via).symLinkTarget(), target);
        QCOMPARE(ReadFile(target), ReadFile(backup));
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
    }

    // Another installation's file, chosen or restored, is read and written under
    // its own keys, and in the rollback journal even when it came read-only in
    // WAL mode, from another disk. The locker open before goes.
    void otherInstallationsFileUsesItsOwnKeys_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("data file") << "actionData_File" << "other.kvd" << "Data file changed successfully to ";
        QTest::newRow("restore") << "actionRestore" << "other.kestrova" << "Date restored to file ";
    }

    void otherInstallationsFileUsesItsOwnKeys()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, message);
        const QString theirs = MakeLocker("Theirs", "their pw");
        const QString other = (elsewhere.isValid() ? elsewhere.path() : QDir::homePath()) + "/" + file;
        QVERIFY(QFile::copy(DataFiles::ActivePath(), other));
        ExecOn(other, {"PRAGMA journal_mode = WAL"});
        if (action == "actionRestore")
            QVERIFY(SetFileMode(other, 0444));
        window.reset();
        init(); // a second installation, under a content key of its own
        Utility::GetInstance().sessionLockerIds << theirs; // unlocked in the file left behind
        window->OpenLocker(MakeLocker("Mine", "my pw"), "Mine", 1);

        QCOMPARE(Trigger(qPrintable(action), other).text, message + other);
        QVERIFY(!window->centralWidget());
        QCOMPARE(LockerStore::CheckLogin(theirs, "their pw"), LoginCheck::Granted);
        QVERIFY(Utility::GetInstance().sessionLockerIds.isEmpty());
        QCOMPARE(JournalMode(DataFiles::ActivePath()), 1);
        const QString added = MakeLocker("Added", "added pw");
        Restart();
        QCOMPARE(DataFiles::ActivePath() == other, action == "actionData_File");
        QCOMPARE(LockerStore::CheckLogin(added, "added pw"), LoginCheck::Granted);
        QCOMPARE(LockerStore::CheckLogin(theirs, "their pw"), LoginCheck::Granted);
    }

    // A file chosen with Data File that holds something else, or keys that do
    // not open: a warning, no success, and the file stays byte for byte, in a
    // folder that can be written or not.
    void unusableFileStaysUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        QTest::newRow("random bytes") << "random" << "not a Kestrova data file";
        QTest::newRow("SQLite in WAL mode, without the tables") << "sqlite" << "not a Kestrova data file";
        QTest::newRow("data file with damaged keys") << "keys" << "The keys of the data file are damaged.";
    }

    void unusableFileStaysUntouched()
    {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        const QString foreign = Home("Locked/" + kind + ".kvd");
        QVERIFY(QDir().mkpath(Home("Locked")));
        if (kind == "random") {
            WriteFile(foreign, QByteArray("no database here ").repeated(300));
        } else if (kind == "sqlite") {
            ExecOn(foreign, {"PRAGMA journal_mode = WAL", "CREATE TABLE notes (text)"});
        } else {
            WriteFile(foreign, Changed(ReadFile(DataFiles::ActivePath()), KeyRowStore::Read().wrappedKey.toLatin1()));
        }
        const QByteArray bytes = ReadFile(foreign);
        QVERIFY(SetFileMode(Home("Locked"), 0500));
        const MessageBoxSeen seen = Trigger("actionData_File", foreign);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY2(seen.text.contains(warning), qPrintable(seen.text));
        QVERIFY(kind == "keys" || seen.text.contains(foreign));
        QCOMPARE(Child<QTableView>(window.get(), "tableView")->model()->rowCount(), 0);

        MessageBoxSeen atStart; // the same at the next start
        AnswerNextMessageBox(&atStart);
        Restart();
        QCOMPARE(atStart.text, seen.text);
        QCOMPARE(ReadFile(foreign), bytes);
    }
};

KESTROVA_TEST_MAIN(TestDataFile)
#include "tst_datafile.moc"
