// Lockers, the main window that lists them, and the master password they may use.
#include "testsupport.h"

#include "window/addlocker.h"
#include "window/lockermodel.h"
#include "window/logindialog.h"
#include "window/mainwindow.h"
#include "window/masterpasswordmanager.h"

const QStringList LockerLines = {"lineName", "lineSecretQuestion", "lineSecretAnswer", "linePassword",
                                 "lineRepeatPassword"};
const QStringList PasswordLines = {"lineCurrentPassword", "lineNewPassword", "lineConfirmNewPassword"};

QStringList KeyRow()
{
    return QueryValue("SELECT PARAM1 || '/' || PARAM2 || '/' || PARAM3 FROM tblSettings")
        .toString()
        .split('/');
}

class TestLockers : public QObject
{
    Q_OBJECT

    static QString Key(QString id)
    {
        return QueryValue("SELECT KEY FROM tblLocker WHERE ID = " + id).toString();
    }

private slots:
    void init() { FreshDataFileWithKeys(); }
    void cleanup() { FinishTest(); }

    // The key set-up's message at each start, and the locker list in type order with its icons.
    void startUp()
    {
        for (const QString locker : {"Zeta 1", "Alpha 3", "Cards 2", "alpha 1", "Odd 7"}) // name and type
            InsertLocker(locker.section(' ', 0, 0), locker.section(' ', 1).toInt());
        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen);
        auto window = std::make_unique<MainWindow>();
        QVERIFY2(seen.text.startsWith("Master Password is not set"), qPrintable(seen.text));
        QAbstractItemModel* model = Child<QTableView>(window.get(), "tableView")->model();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(ColumnTexts(model, LockerNameColumn),
                 QStringList({"Zeta", "alpha", "Cards", "Alpha", "Odd"}));
        auto icon = [&](int row, int column) {
            return model->index(row, column).data(Qt::DecorationRole).value<QPixmap>().toImage();
        };
        QCOMPARE(icon(0, LockerNameColumn).size(), QSize(40, 40));
        QVERIFY(icon(0, LockerNameColumn) != icon(2, LockerNameColumn));
        QVERIFY(icon(4, LockerNameColumn).isNull());
        QCOMPARE(icon(0, LockerUnlockColumn).size(), QSize(40, 40));

        Exec("UPDATE tblSettings SET PARAM2 = 'not hex'");
        AnswerNextMessageBox(&seen);
        window = std::make_unique<MainWindow>();
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY2(seen.text.contains("damaged"), qPrintable(seen.text));

        // A first start that could not make its data file names none.
        CDBManager::GetInstance().CloseDataBase();
        UserSettings()->setValue(WALLET_DATA_FOLDER_PATH, "/proc/none");
        UserSettings()->remove(ACTIVE_WALLET_DB_7_5_0);
        AnswerNextMessageBox(&seen);
        window = std::make_unique<MainWindow>();
        QVERIFY2(seen.text.startsWith("The data folder cannot be created or written:\n/proc/none\n"),
                 qPrintable(seen.text));

        // One whose older data file could not be carried over names it, and why.
        const QString folder = QDir::homePath() + "/.kestrova", older = folder + "/settings_7.0.0.kvd";
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
        WriteFile(older, QByteArray(4096, 'x'));
        UserSettings()->clear();
        RunFirstStart();
        AnswerNextMessageBox(&seen);
        window = std::make_unique<MainWindow>();
        QVERIFY2(
            seen.text.contains("could not be carried over:\n" + older + "\nIt is not a Kestrova data file."),
            qPrintable(seen.text));

        // One that carried over secrets that its keys do not open says how many, after the keys' own warning.
        CDBManager::GetInstance().CloseDataBase();
        QVERIFY(QFile::remove(older));
        ExecOn(older, {"CREATE TABLE tblLocker (ID INTEGER PRIMARY KEY, NAME, PASSWORD, SECRET_QUESTION, "
                       "SECRET_ANSWER, TYPE, KEY, NOTES, USE_MP)",
                       "INSERT INTO tblLocker (NAME, NOTES) VALUES ('old', 'no ciphertext')"});
        RunFirstStart();
        MessageBoxSeen carried;
        AnswerNextMessageBox(&seen);
        AnswerNextMessageBox(&carried);
        window = std::make_unique<MainWindow>();
        const QString both = seen.text + carried.text;
        QVERIFY2(both.contains("over:\n" + older + "\n1 stored secret cannot be read."), qPrintable(both));
    }

    void gateAndDelete()
    {
        const QString saved = MakeLocker("saved", "pw", 1, true);
        const QString ask = MakeLocker("ask", "pw");
        // An entry ID that no locker has: deleting by the wrong column removes nothing.
        Exec("INSERT INTO tblId (ID, LOCKER_ID, NAME, USER_NAME) VALUES (7, " + saved + ", 'n', 'u')");
        AnswerNextMessageBox(nullptr); // no master password yet
        MainWindow window;
        QVERIFY(window.UnlockLocker(Key(saved), saved, "saved"));
        QVERIFY(!window.UnlockLocker(Key(saved), saved, "renamed outside"));
        bool asked = false;
        OnNextModal([&asked](QWidget* login) { asked = login->close(); });
        QVERIFY(!window.UnlockLocker(Key(ask), ask, "ask") && asked);
        Utility::GetInstance().sessionLockerIds = {ask};
        QVERIFY(window.UnlockLocker(Key(ask), ask, "ask"));

        // A rename rewrites the marker for the new name.
        const LockerFields fields{"new 'näme' 5%", "pw", "q", "a", {}, false, true};
        QVERIFY(LockerStore::UpdateLocker(saved, fields));
        QVERIFY(window.UnlockLocker(Key(saved), saved, fields.name));

        // Row 0 is "ask", then the opened one: only deleting that one closes it, with its entries.
        window.show();
        window.OpenLocker(saved, fields.name, 1);
        QWidget* list = window.centralWidget();
        QTRY_VERIFY(list->isVisible());
        QTest::keyClick(Child(list, "lineEdit"), Qt::Key_Escape);
        QVERIFY(list->isVisible()); // the embedded list is no dialog to leave
        auto* view = Child<QTableView>(&window, "tableView");
        ClickCell(view, 1, LockerNameColumn); // the clicked cell stays current, but shows no selection
        QCOMPARE(view->currentIndex(), view->model()->index(1, LockerNameColumn));
        QVERIFY(!view->selectionModel()->hasSelection());
        for (const int left : {1, 0}) {
            view->setCurrentIndex(view->model()->index(0, 0));
            AnswerNextMessageBox(nullptr, QMessageBox::Yes);
            window.on_actionDelete_Locker_triggered();
            QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker").toInt(), left);
            QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId").toInt(), left);
            QCOMPARE(window.centralWidget(), left ? list : nullptr);
        }
    }

    // Each row is tagged with the box's text; a failed save adds why.
    void editorRefuses_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("Please enter alpha numeric name of locker.") << QStringList();
        QTest::newRow("Please enter alpha numeric secret question.") << QStringList{"n", "", "", "p", "p"};
        QTest::newRow("Please enter alpha numeric qecret answer.") << QStringList{"n", "q"};
        QTest::newRow("Please provide password") << QStringList{"n", "q", "a"};
        QTest::newRow("Repeat Password does not match with Password") << QStringList{"n", "q", "a", "p", "P"};
        QTest::newRow("Error occurred while adding new locker.\nThe name is already in use.")
            << QStringList{"taken", "q", "a", "p", "p"};
    }

    void editorRefuses()
    {
        QFETCH(QStringList, texts);
        MakeLocker("taken", "pw");
        AddLocker editor(1, nullptr);
        QCOMPARE(Submit(&editor, "pushAdd", LockerLines, texts), QString(QTest::currentDataTag()));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker").toInt(), 1);
    }

    // Saving through the editor, then the store's own round trip and failures.
    void saving()
    {
        AddLocker adder(3, nullptr);
        Click(&adder, "checkUserMasterPassWord");
        QCOMPARE(Submit(&adder, "pushAdd", LockerLines, {"notes"}), QString("Locker added successfully!"));
        // NULL secrets let COALESCE reach USE_MP.
        const QString mp = "SELECT COALESCE(PASSWORD, SECRET_QUESTION, SECRET_ANSWER, USE_MP) FROM tblLocker";
        AddLocker editor(3, nullptr); // its box unticked until the locker's setting ticks it
        editor.SetEditMode(QueryValue("SELECT ID FROM tblLocker").toString());
        QCOMPARE(Submit(&editor, "pushAdd"), QString("Locker updated successfully!"));
        QCOMPARE(QueryValue(mp).toString(), "1");
        adder.SetEditMode(MakeLocker("bank", "pw", 2, true)); // an update never writes the type
        QCOMPARE(Submit(&adder, "pushAdd", LockerLines, {"bank 2"}), QString("Locker updated successfully!"));
        QCOMPARE(QueryValue("SELECT GROUP_CONCAT(NAME || TYPE) FROM tblLocker").toString(), "notes3,bank 22");

        const QString name = "O'Brien's \"box\" 100% _sure_; DROP TABLE tblLocker; -- ключ 鍵";
        const LockerFields fields{name, name + "'pw%", "Wo? 'ö'", "a'%", "n%", false, true};
        QVERIFY(LockerStore::AddLocker(fields, 2));
        const QString id = QueryValue("SELECT MAX(ID) FROM tblLocker").toString();
        LockerFields read;
        QVERIFY(LockerStore::ReadLocker(id, &read));
        QCOMPARE(QStringList({read.name, read.password, read.secretQuestion, read.secretAnswer, read.notes}),
                 QStringList({name, fields.password, fields.secretQuestion, fields.secretAnswer, "n%"}));

        // A stray row in another entry table blocks the delete: the locker's own entries stay too.
        Exec("INSERT INTO tblId2 (LOCKER_ID, NAME) VALUES (" + id + ", 'card')");
        Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + id + ", 'n', 'u')");
        QVERIFY(!LockerStore::DeleteLocker(id, 2));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId2, tblLocker").toInt(), 3); // every locker stays

        QVERIFY(!LockerStore::UpdateLocker("999", read));
        const QString rows = "SELECT COUNT(*) || GROUP_CONCAT(PASSWORD || KEY || NOTES) FROM tblLocker";
        const QString before = QueryValue(rows).toString();
        BotanAdapter::GetInstance().ForgetKeys();
        QVERIFY(!LockerStore::UpdateLocker(id, read));
        QVERIFY(MakeLocker(name + "2", "pw").isEmpty());
        QCOMPARE(QueryValue(rows).toString(), before);
    }

    void login_data()
    {
        QTest::addColumn<bool>("master");
        QTest::newRow("own password") << false;
        QTest::newRow("master password") << true;
    }

    void login()
    {
        QFETCH(bool, master);
        const QString id = MakeLocker("l", master ? QString() : "Secret");
        if (!master) { // the forgotten password shows for the answer, case and all
            LoginDialog forgot(id, nullptr);
            auto* label = Child<QLabel>(&forgot, "labelQuestion");
            Click(&forgot, "checkBox");
            Child(&forgot, "lineAnswer")->setText("A");
            Click(&forgot, "pushLogin");
            QCOMPARE(label->text(), QString("Question: q"));
            QCOMPARE(label->textFormat(), Qt::PlainText); // stored text is never taken for markup
            Child(&forgot, "lineAnswer")->setText("a");
            Click(&forgot, "pushLogin");
            QCOMPARE(label->text(), QString("Your password is \nSecret"));
        }
        LoginDialog refused(id, nullptr);
        refused.show();
        // First the empty text while no master password is set, then the other kind's password.
        for (int n = 1; n <= 5; ++n) {
            QVERIFY(refused.isVisible());
            Click(&refused, "pushLogin");
            QCOMPARE(Child<QLabel>(&refused, "labelPassword")->text(), QString("FAILED ATTEMPT (%1)").arg(n));
            Exec("UPDATE tblSettings SET PARAM1 = '" + Utility::Md5Hex("master") + "'");
            Child(&refused, "linePassword")->setText(master ? "Secret" : "master");
        }
        QVERIFY(!refused.isVisible() && !refused.loggedIn);

        LoginDialog login(id, nullptr);
        Child(&login, "linePassword")->setText(master ? "master" : "Secret");
        Click(&login, "checkSavePassword");
        Click(&login, "checkPasswordPermanent");
        Click(&login, "pushLogin");
        QVERIFY(login.loggedIn);
        QCOMPARE(Utility::GetInstance().sessionLockerIds, QVector<QString>{id});
        QCOMPARE(LockerStore::ReadMarker(Key(id), "l"), LockerMarker::PasswordSaved);

        // Secrets that no longer decrypt never match the empty text.
        Exec("UPDATE tblLocker SET PASSWORD = 'not base64!', SECRET_ANSWER = 'not base64!'");
        QCOMPARE(LockerStore::CheckLogin(id, ""), LoginCheck::Refused);
        LockerRecovery recovery;
        QVERIFY(LockerStore::ReadRecovery(id, &recovery));
        QVERIFY(!recovery.AnswerMatches(""));
    }

    // Only a change that went through touches the key row, and every key row left
    // behind still opens what was stored before it.
    void masterPasswordFromTheMenu_data()
    {
        QTest::addColumn<QStringList>("fields"); // current, new, confirm, key words of the message, sabotage
        QTest::newRow("changed") << QStringList{"abc", "Zü 1", "Zü 1", "Password changed successfully."};
        QTest::newRow("wrong current") << QStringList{"ab", "", "", "Current password is not correct"};
        QTest::newRow("no new") << QStringList{"abc", "", "x", "Please enter password"};
        QTest::newRow("no confirm") << QStringList{"abc", "x", "", "Please confirm password"};
        QTest::newRow("case") << QStringList{"abc", "A", "a", "Password does not match"};
        // A failure says why, on a line of its own.
        const QStringList failed = {"abc", "new", "new"};
        QTest::newRow("key not re-wrapped")
            << failed + QStringList{"\nNo keys of the data file", "forget keys"};
        QTest::newRow("write refused") << failed + QStringList{"cannot be written", "PRAGMA query_only = ON"};
        QTest::newRow("write ignored")
            << failed + QStringList{"key row of the data file is no longer there",
                                    "CREATE TRIGGER t BEFORE UPDATE ON tblSettings "
                                    "BEGIN SELECT RAISE(IGNORE); END"};
    }
    void masterPasswordFromTheMenu()
    {
        QFETCH(QStringList, fields);
        BotanAdapter& adapter = BotanAdapter::GetInstance();
        const QString cipher = adapter.Encrypt("Grüße aus Zürich");
        const QString locker = MakeLocker("Bank", QString()); // one that uses the master password
        MasterPasswordManager first(nullptr);
        QVERIFY(!Child(&first, "lineCurrentPassword")->isEnabled());
        Submit(&first, "pushChange", PasswordLines, {"ignored", "abc", "abc"});
        const QStringList keys = KeyRow();
        QCOMPARE(keys[0], QString("900150983cd24fb0d6963f7d28e17f72"));

        MainWindow window;  // sets the keys up from the file again
        QStringList before; // the key row after a first change in the same dialog
        OnNextModal([&](QWidget* dialog) {
            Submit(dialog, "pushChange", PasswordLines, {"abc", "mid", "mid"});
            before = KeyRow();
            if (fields.value(4) == "forget keys")
                adapter.ForgetKeys();
            else if (fields.size() > 4)
                Exec(fields[4]);
            // The current password is still checked against the digest read at the start.
            const QString text = Submit(dialog, "pushChange", PasswordLines, fields.mid(0, 3));
            QVERIFY2(text.contains(fields[3]), qPrintable(text));
            Click(dialog, "pushClose");
        });
        window.on_action_Master_Password_triggered();
        const bool changed = QByteArray(QTest::currentDataTag()) == "changed";
        QCOMPARE(UserSettings()->value("MasterPassword").toString(), QString(fields.size() > 4 ? "" : "Y"));
        const QStringList now = KeyRow();
        QCOMPARE(now, (changed ? QStringList{Utility::Md5Hex(fields[1]), now[1], keys[2]} : before));
        QCOMPARE(LockerStore::CheckLogin(locker, changed ? fields[1] : "mid"), LoginCheck::Granted);
        QCOMPARE(LockerStore::CheckLogin(locker, "abc"), LoginCheck::Refused);
        // The keys in memory match the file, and so does a fresh start.
        QVERIFY(adapter.SetCEKE(now[1], now[2]));
        QVERIFY(adapter.CanUnwrap());
        adapter.ForgetKeys();
        QCOMPARE(SetUpKeys(), KeySetupResult::MasterPassword);
        QCOMPARE(adapter.Decrypt(cipher), QString("Grüße aus Zürich"));
    }
};

KESTROVA_TEST_MAIN(TestLockers)
#include "tst_lockers.moc"
