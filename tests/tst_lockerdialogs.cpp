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
#include <QRadioButton>

using namespace LockerFixtures;
using TestSupport::QueryValue;

namespace {

template <class T>
T* Child(QWidget* dialog, const char* name)
{
    T* child = dialog->findChild<T*>(name);
    if (!child)
        qFatal("no child %s", name);
    return child;
}

void Type(QWidget* dialog, const char* name, const QString& text)
{
    Child<QLineEdit>(dialog, name)->setText(text);
}

// Presses Add/Update and returns the message box that answered it.
TestSupport::MessageBoxSeen Save(QWidget* editor)
{
    TestSupport::MessageBoxSeen seen;
    TestSupport::AnswerNextMessageBox(&seen);
    Child<QPushButton>(editor, "pushAdd")->click();
    return seen;
}

} // namespace

class TestLockerDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::FreshDataFileWithKeys(); }

    void typeSelection_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<int>("type");
        QTest::newRow("ok at once") << "" << true << 1;
        QTest::newRow("bank") << "pushBank" << true << 2;
        QTest::newRow("notes") << "pushNotes" << true << 3;
        QTest::newRow("bank, window closed") << "pushBank" << false << 1;
    }

    void typeSelection()
    {
        QFETCH(QString, picked);
        QFETCH(bool, confirmed);
        QFETCH(int, type);
        LockerTypeSelection selection(nullptr);
        selection.show();
        if (!picked.isEmpty())
            Child<QPushButton>(&selection, qPrintable(picked))->click();
        QVERIFY(selection.isVisible()); // a picture only ticks its radio button
        QCOMPARE(selection.type, 1);
        if (confirmed)
            Child<QPushButton>(&selection, "pushOk")->click();
        else
            selection.close();
        QVERIFY(!selection.isVisible());
        QCOMPARE(selection.type, type);
    }

    void editorChecksInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("repeat");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << "" << "" << "" << "" << ""
                                 << "Please enter alpha numeric name of locker.";
        QTest::newRow("no question") << "n" << "" << "" << "pw" << "pw"
                                     << "Please enter alpha numeric secret question.";
        QTest::newRow("no answer") << "n" << "q" << "" << "" << ""
                                   << "Please enter alpha numeric qecret answer.";
        QTest::newRow("no password") << "n" << "q" << "a" << "" << "" << "Please provide password";
        QTest::newRow("repeat case") << "n" << "q" << "a" << "pw" << "PW"
                                     << "Repeat Password does not match with Password";
    }

    void editorChecksInOrder()
    {
        QFETCH(QString, name);
        QFETCH(QString, question);
        QFETCH(QString, answer);
        QFETCH(QString, password);
        QFETCH(QString, repeat);
        QFETCH(QString, message);
        AddLocker editor(1, nullptr);
        Type(&editor, "lineName", name);
        Type(&editor, "lineSecretQuestion", question);
        Type(&editor, "lineSecretAnswer", answer);
        Type(&editor, "linePassword", password);
        Type(&editor, "lineRepeatPassword", repeat);
        const TestSupport::MessageBoxSeen seen = Save(&editor);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, message);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker").toInt(), 0);
    }

    void editorAddsOnceThenRefusesTheSameName()
    {
        AddLocker editor(2, nullptr);
        QCOMPARE(Child<QLabel>(&editor, "labelType")->text(), QString("TYPE : BANK"));
        Type(&editor, "lineName", "  ");
        Type(&editor, "lineSecretQuestion", "q");
        Type(&editor, "lineSecretAnswer", "a");
        Type(&editor, "linePassword", "pw");
        Type(&editor, "lineRepeatPassword", "pw");
        TestSupport::MessageBoxSeen seen = Save(&editor);
        QCOMPARE(seen.title, QString("Add Locker"));
        QCOMPARE(seen.text, QString("Locker added successfully!"));
        QCOMPARE(LockerIdOf("  ").isEmpty(), false);
        QCOMPARE(QueryValue("SELECT TYPE FROM tblLocker").toInt(), 2);

        seen = Save(&editor);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, QString("Error occurred while adding new locker."));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker").toInt(), 1);
    }

    void editorMasterPasswordLocker()
    {
        AddLocker editor(3, nullptr);
        Type(&editor, "lineName", "notes");
        Type(&editor, "linePassword", "typed before");
        Child<QCheckBox>(&editor, "checkUserMasterPassWord")->setChecked(true);
        QVERIFY(!Child<QWidget>(&editor, "framePassword")->isEnabled());
        QCOMPARE(Save(&editor).text, QString("Locker added successfully!"));
        // The disabled fields are still saved as typed; the empty ones are NULL.
        LockerFields fields;
        QVERIFY(LockerStore::ReadLocker(LockerIdOf("notes"), &fields));
        QCOMPARE(fields.password, QString("typed before"));
        QVERIFY(QueryValue("SELECT SECRET_QUESTION FROM tblLocker").isNull());
        QVERIFY(QueryValue("SELECT SECRET_ANSWER FROM tblLocker").isNull());
        QCOMPARE(QueryValue("SELECT USE_MP FROM tblLocker").toInt(), 1);
        QCOMPARE(LockerStore::ReadMarker(QueryValue("SELECT KEY FROM tblLocker").toString(), "notes"),
                 LockerMarker::AskPassword);
    }

    void editorEditsAndRenames()
    {
        const QString id = MakeLocker("bank", "pw", 2, true);
        AddLocker editor(3, nullptr); // an update never writes the type
        editor.SetEditMode(id);
        QCOMPARE(Child<QPushButton>(&editor, "pushAdd")->text(), QString("Update"));
        QCOMPARE(Child<QLineEdit>(&editor, "lineName")->text(), QString("bank"));
        QCOMPARE(Child<QLineEdit>(&editor, "lineRepeatPassword")->text(), QString("pw"));
        QCOMPARE(Child<QLineEdit>(&editor, "lineSecretAnswer")->text(), QString("a"));
        QVERIFY(Child<QCheckBox>(&editor, "checkRemberPassword")->isChecked());
        QVERIFY(!Child<QCheckBox>(&editor, "checkUserMasterPassWord")->isChecked());

        const QString renamed = QString::fromUtf8("Bänk's 100%");
        Type(&editor, "lineName", renamed);
        const TestSupport::MessageBoxSeen seen = Save(&editor);
        QCOMPARE(seen.title, QString("Update Locker"));
        QCOMPARE(seen.text, QString("Locker updated successfully!"));
        QCOMPARE(LockerIdOf(renamed), id);
        QCOMPARE(LockerStore::ReadMarker(QueryValue("SELECT KEY FROM tblLocker").toString(), renamed),
                 LockerMarker::PasswordSaved);
        QCOMPARE(QueryValue("SELECT TYPE FROM tblLocker").toInt(), 2);

        MakeLocker("taken", "pw");
        Type(&editor, "lineName", "taken");
        QCOMPARE(Save(&editor).text, QString("Error occurred while updating locker."));
    }

    void editorFailsWhenEncryptionFails()
    {
        AddLocker editor(1, nullptr);
        Type(&editor, "lineName", "n");
        Child<QCheckBox>(&editor, "checkUserMasterPassWord")->setChecked(true);
        BotanAdapter::GetInstance().ForgetKeys();
        QCOMPARE(Save(&editor).text, QString("Error occurred while adding new locker."));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblLocker").toInt(), 0);
    }

    void loginCountsFailuresAndClosesAtTheFifth()
    {
        LoginDialog login(MakeLocker("own", "Secret"), nullptr);
        login.show();
        auto* label = Child<QLabel>(&login, "labelPassword");
        QCOMPARE(label->text(), QString("PASSWORD"));
        QVERIFY(Child<QCheckBox>(&login, "checkBox")->isVisible());
        Type(&login, "linePassword", "secret");
        for (int attempt = 1; attempt <= 5; ++attempt) {
            QVERIFY(login.isVisible());
            Child<QPushButton>(&login, "pushLogin")->click();
            QCOMPARE(label->text(), QString("FAILED ATTEMPT (%1)").arg(attempt));
        }
        QVERIFY(!login.isVisible());
        QVERIFY(!login.loggedIn);
    }

    void loginSavesWhatTheBoxesAsk()
    {
        const QString id = MakeLocker("own", "Secret");
        LoginDialog login(id, nullptr);
        login.show();
        Type(&login, "linePassword", "wrong");
        Child<QPushButton>(&login, "pushLogin")->click();
        Type(&login, "linePassword", "Secret");
        Child<QCheckBox>(&login, "checkSavePassword")->setChecked(true);
        Child<QCheckBox>(&login, "checkPasswordPermanent")->setChecked(true);
        Child<QPushButton>(&login, "pushLogin")->click();
        QVERIFY(login.loggedIn);
        QVERIFY(!login.isVisible());
        QVERIFY(Utility::GetInstance().sessionLockerIds.contains(id));
        QCOMPARE(LockerStore::ReadMarker(QueryValue("SELECT KEY FROM tblLocker").toString(), "own"),
                 LockerMarker::PasswordSaved);
    }

    void loginWithMasterPassword()
    {
        LoginDialog login(MakeLocker("mp", QString()), nullptr);
        login.show();
        QCOMPARE(Child<QLabel>(&login, "labelPassword")->text(), QString("ENTER MASTER PASSWORD"));
        QVERIFY(!Child<QCheckBox>(&login, "checkBox")->isVisible());
        Child<QPushButton>(&login, "pushLogin")->click(); // no master password set yet
        QVERIFY(!login.loggedIn);

        SetMasterPassword("master");
        Type(&login, "linePassword", "master");
        Child<QPushButton>(&login, "pushLogin")->click();
        QVERIFY(login.loggedIn);
    }

    void forgotPasswordReveal()
    {
        LoginDialog login(MakeLocker("own", "Secret"), nullptr);
        login.show();
        Child<QCheckBox>(&login, "checkBox")->setChecked(true);
        auto* question = Child<QLabel>(&login, "labelQuestion");
        auto* show = Child<QPushButton>(&login, "pushLogin");
        QCOMPARE(question->text(), QString("Question: q"));
        QCOMPARE(show->text(), QString("Show"));
        QVERIFY(!Child<QLineEdit>(&login, "linePassword")->isVisible());

        Type(&login, "lineAnswer", "A");
        show->click();
        QCOMPARE(question->text(), QString("Question: q"));
        QVERIFY(show->isVisible());

        Type(&login, "lineAnswer", "a");
        show->click();
        QCOMPARE(question->text(), QString("Your password is \nSecret"));
        QVERIFY(!show->isVisible());
        QVERIFY(login.isVisible());
        QVERIFY(!login.loggedIn);
    }
};

KESTROVA_TEST_MAIN(TestLockerDialogs)
#include "tst_lockerdialogs.moc"
