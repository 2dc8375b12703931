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

const QString CHANGED = "Password changed successfully.";
const QString FAILED = "Error occurred while updating password.";
const QStringList SECRETS = {"", "pin 1234", "Grüße aus Zürich"};

// Fills the three fields, presses Change and returns the message box it showed.
MessageBoxSeen Change(QWidget& dialog, const QString& current, const QString& newText,
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

QString Setting(const char* column)
{
    return QueryValue(QString("SELECT %1 FROM tblSettings").arg(column)).toString();
}

// True when the passphrase in memory unwraps the key row of the file.
bool MemoryMatchesFile()
{
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    return adapter.SetCEKE(Setting("PARAM2"), Setting("PARAM3")) && adapter.CanUnwrap();
}

// As in a new process: no keys, and the passphrase of the empty text.
void ForgetKeysAndPassphrase()
{
    BotanAdapter::GetInstance().ForgetKeys();
    BotanAdapter::GetInstance().SetPassphraseFromDigest(QString());
}

// A fresh start on the same file.
void Restart(KeySetupResult expected = KeySetupResult::MasterPassword)
{
    ForgetKeysAndPassphrase();
    QCOMPARE(SetUpKeys(), expected);
}

} // namespace

class TestMasterPassword : public QObject
{
    Q_OBJECT

    QStringList ciphers;

    void VerifySecrets()
    {
        for (int i = 0; i < SECRETS.size(); ++i)
            QCOMPARE(BotanAdapter::GetInstance().Decrypt(ciphers[i]), SECRETS[i]);
    }

private slots:
    void init()
    {
        ForgetKeysAndPassphrase();
        FreshDataFileWithKeys();
        ciphers.clear();
        for (const QString& secret : SECRETS)
            ciphers << BotanAdapter::GetInstance().Encrypt(secret);
    }

    void setChangeAndRestartKeepSecrets()
    {
        const QString iv = Setting("PARAM3");
        {
            MasterPasswordManager first(nullptr);
            QVERIFY(!first.findChild<QLineEdit*>("lineCurrentPassword")->isEnabled());
            MessageBoxSeen seen = Change(first, "ignored", "abc", "abc");
            QCOMPARE(seen.title, QString("Master Password"));
            QCOMPARE(seen.text, CHANGED);
            QVERIFY(first.changed);
            QCOMPARE(Setting("PARAM1"), QString("900150983cd24fb0d6963f7d28e17f72"));
            // With no digest at opening, a second change needs no current password either.
            QCOMPARE(Change(first, "", "Zürich 1", "Zürich 1").text, CHANGED);
        }
        QCOMPARE(Setting("PARAM1"), QString(QCryptographicHash::hash(
                                        QString("Zürich 1").toUtf8(), QCryptographicHash::Md5)
                                                .toHex()));
        QCOMPARE(Setting("PARAM3"), iv);
        QVERIFY(MemoryMatchesFile());
        VerifySecrets();
        Restart();
        VerifySecrets();

        MasterPasswordManager second(nullptr);
        QVERIFY(second.findChild<QLineEdit*>("lineCurrentPassword")->isEnabled());
        QCOMPARE(Change(second, "Zürich 1", "next", "next").text, CHANGED);
        // The current password is still checked against the digest read at opening.
        QCOMPARE(Change(second, "next", "x", "x").text, QString("Current password is not correct"));
        Restart();
        VerifySecrets();
    }

    void checksInOrder_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong current") << QStringList{"ab", "", ""} << "Current password is not correct";
        QTest::newRow("no new") << QStringList{"abc", "", "x"} << "Please enter password";
        QTest::newRow("no confirm") << QStringList{"abc", "x", ""} << "Please confirm password";
        QTest::newRow("case differs") << QStringList{"abc", "Secret", "secret"}
                                      << "Password does not match with confirm password field";
    }
    void checksInOrder()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        MasterPasswordManager first(nullptr);
        Change(first, "", "abc", "abc");
        const QString digest = Setting("PARAM1");
        MasterPasswordManager dialog(nullptr);
        MessageBoxSeen seen = Change(dialog, fields[0], fields[1], fields[2]);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.text, message);
        QVERIFY(!dialog.changed);
        QCOMPARE(Setting("PARAM1"), digest);
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
            QCOMPARE(Change(dialog, "", before, before).text, CHANGED);
        const QString row = Setting("PARAM1 || '/' || PARAM2 || '/' || PARAM3");
        const KeySetupResult start =
            before.isEmpty() ? KeySetupResult::NoMasterPassword : KeySetupResult::MasterPassword;

        // The content key cannot be re-wrapped.
        BotanAdapter::GetInstance().ForgetKeys();
        QCOMPARE(Change(dialog, before, "new one", "new one").text, FAILED);
        QVERIFY(!dialog.changed);
        QCOMPARE(Setting("PARAM1 || '/' || PARAM2 || '/' || PARAM3"), row);
        Restart(start);

        // The key row cannot be written.
        QVERIFY(QSqlQuery(CDBManager::GetInstance().GetDataBase())
                    .exec("CREATE TRIGGER locked BEFORE UPDATE ON tblSettings "
                          "BEGIN SELECT RAISE(ABORT, 'locked'); END"));
        QCOMPARE(Change(dialog, before, "new one", "new one").text, FAILED);
        QVERIFY(!dialog.changed);
        QCOMPARE(Setting("PARAM1 || '/' || PARAM2 || '/' || PARAM3"), row);
        QVERIFY(MemoryMatchesFile());
        Restart(start);
        VerifySecrets();
    }

    void noKeyRowIsReported()
    {
        QVERIFY(QSqlQuery(CDBManager::GetInstance().GetDataBase()).exec("DELETE FROM tblSettings"));
        MasterPasswordManager dialog(nullptr);
        QCOMPARE(Change(dialog, "", "abc", "abc").text, FAILED);
        QVERIFY(!dialog.changed);
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblSettings").toInt(), 0);
    }

    void showBoxesRevealTheirField()
    {
        MasterPasswordManager dialog(nullptr);
        const char* lines[] = {"lineCurrentPassword", "lineNewPassword", "lineConfirmNewPassword"};
        const char* boxes[] = {"checkBox", "checkBox_2", "checkBox_3"};
        for (int i = 0; i < 3; ++i) {
            dialog.findChild<QCheckBox*>(boxes[i])->setChecked(true);
            QCOMPARE(dialog.findChild<QLineEdit*>(lines[i])->echoMode(), QLineEdit::Normal);
            dialog.findChild<QCheckBox*>(boxes[i])->setChecked(false);
            QCOMPARE(dialog.findChild<QLineEdit*>(lines[i])->echoMode(), QLineEdit::Password);
        }
    }

    void mainWindowRecordsOnlyAChange()
    {
        FreshDataFile();
        MainWindow window;
        QSettings* settings = Utility::GetInstance().settings;
        settings->setValue("MasterPassword", "N");
        for (bool change : {false, true}) {
            OnNextModal([&window, change](QWidget* dialog) {
                QCOMPARE(dialog->parentWidget(), &window);
                if (change)
                    Change(*dialog, "", "abc", "abc");
                dialog->findChild<QPushButton*>("pushClose")->click();
            });
            window.on_action_Master_Password_triggered();
            QCOMPARE(settings->value("MasterPassword").toString(), QString(change ? "Y" : "N"));
        }
    }
};

KESTROVA_TEST_MAIN(TestMasterPassword)
#include "tst_masterpassword.moc"
