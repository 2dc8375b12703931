#include "testenvironment.h"
#include "testsupport.h"

#include "lockerfixtures.h"

#include "core/botanadapter.h"
#include "window/addlocker.h"
#include "window/lockertypeselection.h"
#include "window/logindialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace LockerFixtures;
using TestSupport::QueryValue;

class TestLockerDialogs : public QObject
{
    Q_OBJECT

    template <class T = QLineEdit> static T* Child(QWidget* dialog, const char* name)
    {
        return dialog->findChild<T*>(name);
    }
    static void Click(QWidget* dialog, const char* name) { Child<QPushButton>(dialog, name)->click(); }
    static QString Key() { return QueryValue("SELECT KEY FROM tblLocker").toString(); }

    // Fills the editor's fields in form order, presses Add/Update and returns the box's text.
    static QString Save(QWidget* editor, const QStringList& texts)
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

private slots:
    void init() { TestSupport::FreshDataFileWithKeys(); }

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
        QTest::newRow("no name") << QStringList() << "Please enter alpha numeric name of locker.";
        QTest::newRow("no question") << QStringList{"n", "", "", "pw", "pw"}
                                     << "Please enter alpha numeric secret question.";
        QTest::newRow("no answer") << QStringList{"n", "q"} << "Please enter alpha numeric qecret answer.";
        QTest::newRow("no password") << QStringList{"n", "q", "a"} << "Please provide password";
        QTest::newRow("repeat case") << QStringList{"n", "q", "a", "pw", "PW"}
                                     << "Repeat Password does not match with Password";
        QTest::newRow("name taken") << QStringList{"taken", "q", "a", "pw", "pw"}
                                    << "Error occurred while adding new locker.";
        QTest::newRow("no keys") << QStringList{"n", "q", "a", "pw", "pw"}
                                 << "Error occurred while adding new locker.";
    }

    void editorRefuses()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        MakeLocker("taken", "pw");
        if (QTest::currentDataTag() == QByteArray("no keys"))
            BotanAdapter::GetInstance().ForgetKeys();
        AddLocker editor(1, nullptr);
        QCOMPARE(Save(&editor, texts), message);
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker").toInt(), 1);
    }

    void editorAddsAndUpdates()
    {
        AddLocker adder(3, nullptr);
        Child<QCheckBox>(&adder, "checkUserMasterPassWord")->setChecked(true);
        QCOMPARE(Save(&adder, {"notes"}), QString("Locker added successfully!"));
        QVERIFY(QueryValue("SELECT PASSWORD IS NULL AND SECRET_QUESTION IS NULL AND SECRET_ANSWER IS NULL"
                           " AND USE_MP = 1 AND TYPE = 3 FROM tblLocker")
                    .toBool());

        const QString id = MakeLocker("bank", "pw", 2, true);
        AddLocker editor(1, nullptr); // an update never writes the type
        editor.SetEditMode(id);
        QCOMPARE(Save(&editor, {"notes"}), QString("Error occurred while updating locker."));
        QCOMPARE(Save(&editor, {"bank 2"}), QString("Locker updated successfully!"));
        QCOMPARE(QueryValue("SELECT NAME || TYPE FROM tblLocker WHERE ID = " + id).toString(), "bank 22");
    }

    void storeRoundTripAndFailures()
    {
        const QString name =
            QString::fromUtf8("O'Brien's \"box\" 100% _sure_; DROP TABLE tblLocker; -- ключ 鍵");
        const LockerFields fields{name,  name + "'pw%", QString::fromUtf8("Wo? 'ö'"), "a'%", "n%",
                                  false, true};
        QVERIFY(LockerStore::AddLocker(fields, 2));
        const QString id = LockerIdOf(name);
        LockerFields read;
        QVERIFY(LockerStore::ReadLocker(id, &read));
        QCOMPARE(QStringList({read.name, read.password, read.secretQuestion, read.secretAnswer, read.notes}),
                 QStringList({name, fields.password, fields.secretQuestion, fields.secretAnswer, "n%"}));
        QCOMPARE(LockerStore::ReadMarker(Key(), name), LockerMarker::PasswordSaved);

        // A stray row in another entry table blocks the delete: the locker's own entries stay too.
        Exec("INSERT INTO tblId2 (LOCKER_ID, NAME) VALUES (" + id + ", 'card')");
        Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + id + ", 'n', 'u')");
        QVERIFY(!LockerStore::DeleteLocker(id, 2));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId2").toInt(), 1);
        QCOMPARE(LockerIdOf(name), id);

        QVERIFY(!LockerStore::UpdateLocker("999", read));
        const QString before = QueryValue("SELECT PASSWORD || KEY || NOTES FROM tblLocker").toString();
        BotanAdapter::GetInstance().ForgetKeys();
        read.password = "changed";
        QVERIFY(!LockerStore::UpdateLocker(id, read));
        QCOMPARE(QueryValue("SELECT PASSWORD || KEY || NOTES FROM tblLocker").toString(), before);
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
        Child<QCheckBox>(&login, "checkSavePassword")->setChecked(true);
        Child<QCheckBox>(&login, "checkPasswordPermanent")->setChecked(true);
        Click(&login, "pushLogin");
        QVERIFY(login.loggedIn);
        QCOMPARE(Utility::GetInstance().sessionLockerIds, QVector<QString>{id});
        QCOMPARE(LockerStore::ReadMarker(Key(), "l"), LockerMarker::PasswordSaved);
    }

    void forgotPassword()
    {
        const QString id = MakeLocker("own", "Secret");
        LoginDialog login(id, nullptr);
        Child<QCheckBox>(&login, "checkBox")->setChecked(true);
        Child(&login, "lineAnswer")->setText("A");
        Click(&login, "pushLogin");
        QCOMPARE(Child<QLabel>(&login, "labelQuestion")->text(), QString("Question: q"));
        Child(&login, "lineAnswer")->setText("a");
        Click(&login, "pushLogin");
        QCOMPARE(Child<QLabel>(&login, "labelQuestion")->text(), QString("Your password is \nSecret"));
        QVERIFY(!login.loggedIn);

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

KESTROVA_TEST_MAIN(TestLockerDialogs)
#include "tst_lockerdialogs.moc"
