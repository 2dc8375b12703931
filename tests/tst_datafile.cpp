// Backup, restore, share and the choice of the data file, through the Tools
// menu and Qt's own file dialogs.
#include "testsupport.h"

#include "core/datafiles.h"
#include "core/keyrowstore.h"
#include "window/mainwindow.h"

class TestDataFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    static QString Home(const QString& name) { return QDir::homePath() + "/" + name; }
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
    void cleanup() { window.reset(); }

    void backupRestoreAndShare()
    {
        const QString id = MakeLocker("Web", "web pw");
        Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + id + ", 'Mail', 'me')");
        QVERIFY(QDir().mkpath(Home("Backups")));
        // "Backups" selected in the home folder that the chooser shows.
        QString text = Trigger("actionBackup", Home("Backups")).text;
        const QString backup =
            Home("Backups/") + QDir(Home("Backups")).entryList({"Kestrova_Backup_*"}).value(0);
        QCOMPARE(text, "Backup file copied to " + backup);

        MakeLocker("Later", "later pw");
        Exec("DELETE FROM tblId");
        window->OpenLocker(id, "Web", 1);
        window->OpenLocker(id, "Web", 7); // a type without a list closes the open one
        QVERIFY(!window->centralWidget());
        window->OpenLocker(id, "Web", 1);
        QCOMPARE(Trigger("actionRestore", backup).text, "Date restored to file " + backup);
        QCOMPARE(ReadFile(DataFiles::ActivePath()), ReadFile(backup));
        QVERIFY(!QFile::exists(DataFiles::RollbackPath()));
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
        QVERIFY(!window->centralWidget());

        const QString shared = Home("Backups/") + CDBManager::DataFileName();
        QCOMPARE(Trigger("actionShare", Home("Backups")).text, "Date file copied to " + shared);
        text = Trigger("actionShare", Home("Backups")).text;
        QVERIFY2(text.startsWith("Error occurred : <" + shared + "> ") && !text.endsWith("> "),
                 qPrintable(text));
    }

    // Each row damages a copy of the data file, or stands in the restore's way:
    // the data file stays byte for byte, nothing is left beside it, and its keys stay in force.
    void refusedRestoreKeepsTheDataFile_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not a data file") << "junk";
        QTest::newRow("page of tblId zeroed") << "page";
        QTest::newRow("key row damaged") << "key";
        QTest::newRow("no rollback copy") << "rollback";
    }

    void refusedRestoreKeepsTheDataFile()
    {
        QFETCH(QString, damage);
        const QString id = MakeLocker("Web", "web pw");
        const QString backup = Home(damage + ".kestrova");
        QByteArray bytes = ReadFile(DataFiles::ActivePath());
        if (damage == "junk") {
            bytes = "junk";
        } else if (damage == "page") {
            const int page = QueryValue("PRAGMA page_size").toInt();
            const int root = QueryValue("SELECT rootpage FROM sqlite_master WHERE name = 'tblId'").toInt();
            bytes.replace((root - 1) * page, page, QByteArray(page, '\0'));
        } else if (damage == "key") {
            const QByteArray key = KeyRowStore::Read().wrappedKey.toLatin1();
            bytes.replace(key, QByteArray(key).replace(0, 1, key.startsWith('A') ? "B" : "A"));
        } else if (damage == "rollback") {
            QVERIFY(QDir().mkpath(DataFiles::RollbackPath())); // a folder in the way of the copy
        }
        WriteFile(backup, bytes);
        const QByteArray before = ReadFile(DataFiles::ActivePath());
        const QStringList folder = QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden);

        const QString text = Trigger("actionRestore", backup).text;
        QVERIFY2(text.startsWith(damage == "rollback" ? "Nothing was restored: the data file could not be copied to "
                                                      : "Error occurred while restoring to " + backup),
                 qPrintable(text));
        QCOMPARE(ReadFile(DataFiles::ActivePath()), before);
        QCOMPARE(QDir(Home(".kestrova")).entryList(QDir::AllEntries | QDir::Hidden), folder);
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);
    }

    // A restore cut short left the data only in the rollback copy: the next
    // start puts it back, and says so once. A restore without a data file, or
    // of the rollback copy itself, takes no rollback copy and deletes none.
    void restoreCutShort()
    {
        const QString id = MakeLocker("Web", "web pw");
        const QString active = DataFiles::ActivePath(), rollback = DataFiles::RollbackPath();
        const QByteArray data = ReadFile(active);
        for (const QByteArray& left : {QByteArray(), QByteArray("")}) { // the data file missing, then empty
            window.reset();
            CDBManager::GetInstance().CloseDataBase();
            QVERIFY(QFile::rename(active, rollback));
            if (!left.isNull())
                WriteFile(active, left);
            MessageBoxSeen seen;
            AnswerNextMessageBox(&seen);
            Restart();
            QCOMPARE(seen.text, "A restore did not finish. The data file has been put back from the copy kept "
                                "for it:\n" + active);
            QCOMPARE(ReadFile(active), data);
            QVERIFY(!QFile::exists(rollback));
        }
        Restart(); // nothing more to say
        QCOMPARE(LockerStore::CheckLogin(id, "web pw"), LoginCheck::Granted);

        // The rollback copy chosen as the backup: restored, and still there.
        const QString backup = Home("backup.kestrova");
        QVERIFY(QFile::copy(active, backup));
        MakeLocker("Later", "later pw");
        QVERIFY(QFile::copy(backup, rollback));
        QCOMPARE(Trigger("actionRestore", rollback).text, "Date restored to file " + rollback);
        QCOMPARE(ReadFile(active), data);
        QCOMPARE(ReadFile(rollback), data);

        // No data file at all: the backup comes in, and a rollback copy stays untouched.
        QVERIFY(QFile::remove(active));
        WriteFile(rollback, "not ours to delete");
        QCOMPARE(Trigger("actionRestore", backup).text, "Date restored to file " + backup);
        QCOMPARE(ReadFile(active), ReadFile(backup));
        QCOMPARE(ReadFile(rollback), QByteArray("not ours to delete"));
    }

    // Another installation's file, chosen or restored, is read and written under its own keys.
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
        const QString other = Home(file);
        QVERIFY(QFile::copy(DataFiles::ActivePath(), other));
        cleanup();
        init(); // a second installation, under a content key of its own
        Utility::GetInstance().sessionLockerIds << theirs; // unlocked in the file left behind

        QCOMPARE(Trigger(qPrintable(action), other).text, message + other);
        QCOMPARE(LockerStore::CheckLogin(theirs, "their pw"), LoginCheck::Granted);
        QVERIFY(Utility::GetInstance().sessionLockerIds.isEmpty());
        const QString added = MakeLocker("Added", "added pw");
        Restart();
        QCOMPARE(DataFiles::ActivePath() == other, action == "actionData_File");
        QCOMPARE(LockerStore::CheckLogin(added, "added pw"), LoginCheck::Granted);
        QCOMPARE(LockerStore::CheckLogin(theirs, "their pw"), LoginCheck::Granted);
    }

    void foreignFileStaysUntouched_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("random bytes") << QByteArray("no database here ").repeated(300);
        // SQLite reads an empty file as a database without tables.
        QTest::newRow("SQLite without the tables") << QByteArray("");
    }

    void foreignFileStaysUntouched()
    {
        QFETCH(QByteArray, bytes);
        const QString foreign = Home("foreign.kvd");
        WriteFile(foreign, bytes);
        const MessageBoxSeen seen = Trigger("actionData_File", foreign);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY2(seen.text.contains("not a Kestrova data file"), qPrintable(seen.text));
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
