#include "testenvironment.h"
#include "testsupport.h"

#include "lockerfixtures.h"

#include "core/botanadapter.h"
#include "window/addlocker.h"
#include "window/lockermodel.h"
#include "window/lockertypeselection.h"
#include "window/logindialog.h"
#include "window/mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace LockerFixtures;
using TestSupport::QueryValue;

class TestLockers : public QObject
{
    Q_OBJECT

    template <class T = QLineEdit> T* Child(QWidget* w, const char* name) { return w->findChild<T*>(name); }
    void Click(QWidget* dialog, const char* name) { Child<QAbstractButton>(dialog, name)->click(); }
    QString Key(QString id) { return QueryValue("SELECT KEY FROM tblLocker WHERE ID = " + id).toString(); }

    // Fills the editor's fields in form order, presses Add/Update and returns the box's text.
    QString Save(QWidget* editor, const QStringList& texts)
    {
        const char* fields[] = {"lineName", "lineSecretQuestion", "lineSecretAnswer", "linePassword",
                                "lineRepeatPassword"};
        for (int i = 0; i < texts.size(); ++i)
            Child(editor, fields[i])->setText(texts[i]);
        TestSupport::MessageBoxSeen seen;
        TestSupport::AnswerNextMessageBox(&seen);
        Click(editor, "pushAdd");
        return seen.text;
    }

    // Unlocks the locker as the list would; gives how many modal dialogs showed
    // meanwhile (each closed) and whether it opened.
    std::pair<int, bool> Unlock(MainWindow& window, const QString& id, const QString& name)
    {
        int shown = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&shown]() {
            if (QWidget* modal = QApplication::activeModalWidget())
                shown += modal->close();
        });
        timer.start(10);
        const bool open = window.UnlockLocker(Key(id), id, name);
        return {shown, open};
    }

    // Rows sort by type, then name.
    void DeleteRow(MainWindow& window, int row)
    {
        auto* view = window.findChild<QTableView*>("tableView");
        view->setCurrentIndex(view->model()->index(row, LockerNameColumn));
        TestSupport::AnswerNextMessageBox(nullptr, QMessageBox::Yes);
        window.findChild<QAction*>("actionDelete_Locker")->trigger();
    }

private slots:
    void init() { TestSupport::FreshDataFileWithKeys(); }

    void gateOutcomes()
    {
        const QString saved = MakeLocker("saved", "pw", 1, true);
        const QString ask = MakeLocker("ask", "pw");
        TestSupport::AnswerNextMessageBox(nullptr); // no master password yet
        MainWindow window;
        QCOMPARE(Unlock(window, saved, "saved"), std::make_pair(0, true));
        QCOMPARE(Unlock(window, saved, "renamed outside"), std::make_pair(0, false));
        QCOMPARE(Unlock(window, ask, "ask"), std::make_pair(1, false)); // the login dialog was closed
        Utility::GetInstance().sessionLockerIds = {ask};
        QCOMPARE(Unlock(window, ask, "ask"), std::make_pair(0, true));

        // A rename rewrites the marker for the new name.
        const LockerFields fields{"new 'näme' 5%", "pw", "q", "a", {}, false, true};
        QVERIFY(LockerStore::UpdateLocker(saved, fields));
        QCOMPARE(Unlock(window, saved, fields.name), std::make_pair(0, true));
    }

    void deleteClosesOnlyTheOpenedLocker()
    {
        const QString opened = MakeLocker("opened", "pw", 1, true);
        MakeLocker("other", "pw", 2, true);
        Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + opened + ", 'n', 'u')");
        TestSupport::AnswerNextMessageBox(nullptr);
        MainWindow window;
        window.OpenLocker(opened, "opened", 1);
        QWidget* list = window.centralWidget();
        QVERIFY(list);

        DeleteRow(window, 1); // "other"
        QVERIFY(LockerIdOf("other").isEmpty());
        QCOMPARE(window.centralWidget(), list);

        DeleteRow(window, 0); // "opened"
        QVERIFY(LockerIdOf("opened").isEmpty());
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId").toInt(), 0);
        QVERIFY(!window.centralWidget());
    }

    void typeSelection()
    {
        LockerTypeSelection selection(nullptr);
        Click(&selection, "pushNotes");
        Click(&selection, "pushOk");
        QCOMPARE(selection.type, 3);
    }

    void editorRefuses_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* tag, const QStringList& texts, const char* message) {
            QTest::newRow(tag) << texts << QString(message);
        };
        row("no name", {}, "Please enter alpha numeric name of locker.");
        row("no question", {"n", "", "", "pw", "pw"}, "Please enter alpha numeric secret question.");
        row("no answer", {"n", "q"}, "Please enter alpha numeric qecret answer.");
        row("no password", {"n", "q", "a"}, "Please provide password");
        row("repeat case", {"n", "q", "a", "pw", "PW"}, "Repeat Password does not match with Password");
        row("name taken", {"taken", "q", "a", "pw", "pw"}, "Error occurred while adding new locker.");
    }

    void editorRefuses()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        MakeLocker("taken", "pw");
        AddLocker editor(1, nullptr);
        QCOMPARE(Save(&editor, texts), message);
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker").toInt(), 1);
    }

    void editorAddsAndUpdates()
    {
        AddLocker adder(3, nullptr);
        Click(&adder, "checkUserMasterPassWord");
        QCOMPARE(Save(&adder, {"notes"}), QString("Locker added successfully!"));
        const QString nulls = "COALESCE(PASSWORD, SECRET_QUESTION, SECRET_ANSWER) IS NULL AND USE_MP = 1";
        QVERIFY(QueryValue("SELECT " + nulls + " AND TYPE = 3 FROM tblLocker").toBool());

        const QString id = MakeLocker("bank", "pw", 2, true);
        AddLocker editor(1, nullptr); // an update never writes the type
        editor.SetEditMode(id);
        QCOMPARE(Save(&editor, {"notes"}), QString("Error occurred while updating locker."));
        QCOMPARE(Save(&editor, {"bank 2"}), QString("Locker updated successfully!"));
        QCOMPARE(QueryValue("SELECT NAME || TYPE FROM tblLocker WHERE ID = " + id).toString(), "bank 22");
    }

    void storeRoundTripAndFailures()
    {
        const QString name = "O'Brien's \"box\" 100% _sure_; DROP TABLE tblLocker; -- ключ 鍵";
        const LockerFields fields{name, name + "'pw%", "Wo? 'ö'", "a'%", "n%", false, true};
        QVERIFY(LockerStore::AddLocker(fields, 2));
        const QString id = LockerIdOf(name);
        LockerFields read;
        QVERIFY(LockerStore::ReadLocker(id, &read));
        QCOMPARE(QStringList({read.name, read.password, read.secretQuestion, read.secretAnswer, read.notes}),
                 QStringList({name, fields.password, fields.secretQuestion, fields.secretAnswer, "n%"}));

        // A stray row in another entry table blocks the delete: the locker's own entries stay too.
        Exec("INSERT INTO tblId2 (LOCKER_ID, NAME) VALUES (" + id + ", 'card')");
        Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + id + ", 'n', 'u')");
        QVERIFY(!LockerStore::DeleteLocker(id, 2));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId2").toInt(), 1);
        QCOMPARE(LockerIdOf(name), id);

        QVERIFY(!LockerStore::UpdateLocker("999", read));
        const QString rows = "SELECT COUNT(*) || GROUP_CONCAT(PASSWORD || KEY || NOTES) FROM tblLocker";
        const QString before = QueryValue(rows).toString();
        BotanAdapter::GetInstance().ForgetKeys();
        read.password = "changed";
        QVERIFY(!LockerStore::UpdateLocker(id, read));
        QVERIFY(MakeLocker("new", "pw").isEmpty());
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
        LoginDialog refused(id, nullptr);
        refused.show();
        // First the empty text while no master password is set, then the other kind's password.
        for (int attempt = 1; attempt <= 5; ++attempt) {
            QVERIFY(refused.isVisible());
            Click(&refused, "pushLogin");
            QCOMPARE(Child<QLabel>(&refused, "labelPassword")->text(),
                     QString("FAILED ATTEMPT (%1)").arg(attempt));
            SetMasterPassword("master");
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
    }

    void forgotPassword()
    {
        const QString id = MakeLocker("own", "Secret");
        LoginDialog login(id, nullptr);
        Click(&login, "checkBox");
        Child(&login, "lineAnswer")->setText("A");
        Click(&login, "pushLogin");
        QCOMPARE(Child<QLabel>(&login, "labelQuestion")->text(), QString("Question: q"));
        Child(&login, "lineAnswer")->setText("a");
        Click(&login, "pushLogin");
        QCOMPARE(Child<QLabel>(&login, "labelQuestion")->text(), QString("Your password is \nSecret"));

        // Secrets that no longer decrypt never match the empty text.
        Exec("UPDATE tblLocker SET PASSWORD = 'not base64!', SECRET_ANSWER = 'not base64!'");
        QCOMPARE(LockerStore::CheckLogin(id, ""), LoginCheck::Refused);
        LockerRecovery recovery;
        QVERIFY(LockerStore::ReadRecovery(id, &recovery) && !recovery.AnswerMatches(""));
    }

    void masterPasswordDigest()
    {
        QCOMPARE(Utility::Md5Hex(""), QString("d41d8cd98f00b204e9800998ecf8427e"));
        QCOMPARE(Utility::Md5Hex("abc"), QString("900150983cd24fb0d6963f7d28e17f72"));
        QCOMPARE(Utility::Md5Hex(QString("ab") + QChar(0) + "c"), Utility::Md5Hex("ab"));
    }
};

KESTROVA_TEST_MAIN(TestLockers)
#include "tst_lockers.moc"
