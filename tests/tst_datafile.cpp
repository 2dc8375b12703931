// Backup, restore, share and the choice of the data file, through the Tools
// menu and Qt's own file dialogs.
#include "testsupport.h"

#include "core/datafiles.h"
#include "core/keyrowstore.h"
#include "window/mainwindow.h"

Q_DECLARE_METATYPE(RestoreResult)

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

    void failedRestoreKeepsTheDataFile_data()
    {
        QTest::addColumn<QString>("backup");
        QTest::addColumn<bool>("rollbackBlocked");
        QTest::addColumn<RestoreResult>("result");
        QTest::newRow("backup cannot be read") << "missing" << false << RestoreResult::NotRestored;
        QTest::newRow("not a data file") << "junk" << false << RestoreResult::NotRestored;
        QTest::newRow("no rollback copy") << "junk" << true << RestoreResult::NoRollback;
    }

    void failedRestoreKeepsTheDataFile()
    {
        QFETCH(QString, backup);
        QFETCH(bool, rollbackBlocked);
        QFETCH(RestoreResult, result);
        WriteFile(Home("junk"), "junk");
        // A folder in the way, which no delete or copy can replace.
        if (rollbackBlocked)
            QVERIFY(QDir().mkpath(DataFiles::RollbackPath() + "/kept"));
        const QByteArray before = ReadFile(DataFiles::ActivePath());
        QString error;
        QCOMPARE(DataFiles::Restore(Home(backup), &error), result);
        QCOMPARE(ReadFile(DataFiles::ActivePath()), before);
        QCOMPARE(QFileInfo::exists(DataFiles::RollbackPath() + "/kept"), rollbackBlocked);
        QCOMPARE(QFileInfo::exists(DataFiles::RollbackPath()), rollbackBlocked);
        QCOMPARE(error.isEmpty(), !rollbackBlocked);
    }

    void otherInstallationsFileUsesItsOwnKeys()
    {
        const QString theirs = MakeLocker("Theirs", "their pw");
        const QString other = Home("other.kvd");
        QVERIFY(QFile::copy(DataFiles::ActivePath(), other));
        cleanup();
        init(); // a second installation, under a content key of its own
        Utility::GetInstance().sessionLockerIds << theirs; // unlocked in the file left behind

        QCOMPARE(Trigger("actionData_File", other).text, "Data file changed successfully to " + other);
        QCOMPARE(LockerStore::CheckLogin(theirs, "their pw"), LoginCheck::Granted);
        QVERIFY(Utility::GetInstance().sessionLockerIds.isEmpty());
        const QString added = MakeLocker("Added", "added pw");
        Restart();
        QCOMPARE(DataFiles::ActivePath(), other);
        QCOMPARE(LockerStore::CheckLogin(added, "added pw"), LoginCheck::Granted);
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
