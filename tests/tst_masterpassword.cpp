#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "window/mainwindow.h"
#include "window/masterpasswordmanager.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using namespace TestSupport;

namespace {

// Fills the three fields, presses Change and returns the message box it showed.
MessageBoxSeen Change(MasterPasswordManager& dialog, const QString& current, const QString& newText,
                      const QString& confirm)
{
    dialog.findChild<QLineEdit*>("lineCurrentPassword")->setText(current);
    dialog.findChild<QLineEdit*>("lineNewPassword")->setText(newText);
    dialog.findChild<QLineEdit*>("lineConfirmNewPassword")->setText(confirm);
    MessageBoxSeen seen;
    AnswerNextMessageBox(&seen);
    dialog.findChild<QPushButton*>("pushChange")->click();
    return seen;
}

QString KeyRow()
{
    return QueryValue("SELECT PARAM1 || '/' || PARAM2 || '/' || PARAM3 FROM tblSettings").toString();
}

// True when the passphrase in memory unwraps the key row of the file.
bool MemoryMatchesFile()
{
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    return adapter.SetCEKE(QueryValue("SELECT PARAM2 FROM tblSettings").toString(),
                           QueryValue("SELECT PARAM3 FROM tblSettings").toString()) &&
           adapter.CanUnwrap();
}

// A fresh process: keys dropped and the passphrase back to that of the empty text.
void ForgetEverything()
{
    BotanAdapter::GetInstance().ForgetKeys();
    BotanAdapter::GetInstance().SetPassphraseFromDigest(QString());
}

// A fresh start on the same file, as after restarting the program.
void Restart(KeySetupResult expected = KeySetupResult::MasterPassword)
{
    ForgetEverything();
    QCOMPARE(SetUpKeys(), expected);
}

const QStringList SECRETS = {"", "pin 1234", "Grüße aus Zürich"};

} // namespace

class TestMasterPassword : public QObject
{
    Q_OBJECT

    QStringList ciphers;

    void StoreSecrets()
    {
        ciphers.clear();
        for (const QString& secret : SECRETS)
            ciphers << BotanAdapter::GetInstance().Encrypt(secret);
    }
    void VerifySecrets()
    {
        for (int i = 0; i < SECRETS.size(); ++i)
            QCOMPARE(BotanAdapter::GetInstance().Decrypt(ciphers[i]), SECRETS[i]);
    }

private slots:
    void init()
    {
        ForgetEverything();
        FreshDataFileWithKeys();
        StoreSecrets();
    }

    void setChangeAndRestartKeepSecrets()
    {
        const QString iv = QueryValue("SELECT PARAM3 FROM tblSettings").toString();
        {
            MasterPasswordManager first(nullptr);
            QVERIFY(!first.findChild<QLineEdit*>("lineCurrentPassword")->isEnabled());
            MessageBoxSeen seen = Change(first, "ignored", "abc", "abc");
            QCOMPARE(seen.title, QString("Master Password"));
            QCOMPARE(seen.text, QString("Password changed successfully."));
            QVERIFY(first.changed);
            QCOMPARE(QueryValue("SELECT PARAM1 FROM tblSettings").toString(),
                     QString("900150983cd24fb0d6963f7d28e17f72"));
            // Without a digest at opening, a second change needs no current password either.
            QCOMPARE(Change(first, "", "Zürich 1", "Zürich 1").text,
                     QString("Password changed successfully."));
        }
        QCOMPARE(QueryValue("SELECT PARAM1 FROM tblSettings").toString(),
                 QString(QCryptographicHash::hash(QString("Zürich 1").toUtf8(),
                                                  QCryptographicHash::Md5).toHex()));
        QCOMPARE(QueryValue("SELECT PARAM3 FROM tblSettings").toString(), iv);
        QVERIFY(MemoryMatchesFile());
        VerifySecrets();
        Restart();
        VerifySecrets();

        MasterPasswordManager second(nullptr);
        QVERIFY(second.findChild<QLineEdit*>("lineCurrentPassword")->isEnabled());
        QCOMPARE(Change(second, "Zürich 1", "next", "next").text,
                 QString("Password changed successfully."));
        // The current password is still checked against the digest read at opening.
        QCOMPARE(Change(second, "next", "x", "x").text, QString("Current password is not correct"));
        Restart();
        VerifySecrets();
    }

    void checksInOrder_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong current") << "ab" << "" << "" << "Current password is not correct";
        QTest::newRow("no new") << "abc" << "" << "x" << "Please enter password";
        QTest::newRow("no confirm") << "abc" << "x" << "" << "Please confirm password";
        QTest::newRow("case differs") << "abc" << "Secret" << "secret"
                                      << "Password does not match with confirm password field";
    }
    void checksInOrder()
    {
        QFETCH(QString, current);
        QFETCH(QString, newText);
        QFETCH(QString, confirm);
        QFETCH(QString, message);
        {
            MasterPasswordManager first(nullptr);
            Change(first, "", "abc", "abc");
        }
        const QString row = KeyRow();
        MasterPasswordManager dialog(nullptr);
        MessageBoxSeen seen = Change(dialog, current, newText, confirm);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.text, message);
        QVERIFY(!dialog.changed);
        QCOMPARE(KeyRow(), row);
    }

    void failedChangeKeepsKeyRow_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("first password") << "";
        QTest::newRow("change") << "abc";
    }
    void failedChangeKeepsKeyRow()
    {
        QFETCH(QString, before);
        MasterPasswordManager dialog(nullptr);
        if (!before.isEmpty())
            QVERIFY(Change(dialog, "", before, before).text.contains("successfully"));
        const QString row = KeyRow();
        const QString failure = "Error occurred while updating password.";

        // The content key cannot be re-wrapped.
        BotanAdapter::GetInstance().ForgetKeys();
        QCOMPARE(Change(dialog, before, "new one", "new one").text, failure);
        QVERIFY(!dialog.changed);
        QCOMPARE(KeyRow(), row);
        const KeySetupResult start =
            before.isEmpty() ? KeySetupResult::NoMasterPassword : KeySetupResult::MasterPassword;
        Restart(start);
        VerifySecrets();

        // The key row cannot be written: the keys in memory must stay those of the file.
        QVERIFY(QSqlQuery(CDBManager::GetInstance().GetDataBase())
                    .exec("CREATE TRIGGER locked BEFORE UPDATE ON tblSettings "
                          "BEGIN SELECT RAISE(ABORT, 'locked'); END"));
        QCOMPARE(Change(dialog, before, "new one", "new one").text, failure);
        QVERIFY(!dialog.changed);
        QCOMPARE(KeyRow(), row);
        QVERIFY(MemoryMatchesFile());
        VerifySecrets();
        const QString later = BotanAdapter::GetInstance().Encrypt("made after the failure");
        Restart(start);
        VerifySecrets();
        QCOMPARE(BotanAdapter::GetInstance().Decrypt(later), QString("made after the failure"));
    }

    void noKeyRowIsReported()
    {
        QVERIFY(QSqlQuery(CDBManager::GetInstance().GetDataBase()).exec("DELETE FROM tblSettings"));
        MasterPasswordManager dialog(nullptr);
        QCOMPARE(Change(dialog, "", "abc", "abc").text,
                 QString("Error occurred while updating password."));
        QVERIFY(!dialog.changed);
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblSettings").toInt(), 0);
        VerifySecrets();
    }

    void showBoxesRevealTheirField()
    {
        MasterPasswordManager dialog(nullptr);
        const QList<QPair<QString, QString>> pairs = {{"checkBox", "lineCurrentPassword"},
                                                      {"checkBox_2", "lineNewPassword"},
                                                      {"checkBox_3", "lineConfirmNewPassword"}};
        for (const auto& pair : pairs) {
            auto* box = dialog.findChild<QCheckBox*>(pair.first);
            auto* line = dialog.findChild<QLineEdit*>(pair.second);
            box->setChecked(true);
            QCOMPARE(line->echoMode(), QLineEdit::Normal);
            box->setChecked(false);
            QCOMPARE(line->echoMode(), QLineEdit::Password);
        }
    }

    void mainWindowRecordsOnlyAChange()
    {
        FreshDataFile();
        MainWindow window;
        QSettings* settings = Utility::GetInstance().settings;
        settings->setValue("MasterPassword", "N");
        OnNextModal([](QWidget* dialog) {
            QCOMPARE(dialog->parentWidget()->metaObject()->className(), "MainWindow");
            dialog->findChild<QPushButton*>("pushClose")->click();
        });
        window.on_action_Master_Password_triggered();
        QCOMPARE(settings->value("MasterPassword").toString(), QString("N"));

        OnNextModal([](QWidget* dialog) {
            auto* manager = qobject_cast<MasterPasswordManager*>(dialog);
            QVERIFY(manager);
            Change(*manager, "", "abc", "abc");
            manager->findChild<QPushButton*>("pushClose")->click();
        });
        window.on_action_Master_Password_triggered();
        QCOMPARE(settings->value("MasterPassword").toString(), QString("Y"));
    }
};

KESTROVA_TEST_MAIN(TestMasterPassword)
#include "tst_masterpassword.moc"
