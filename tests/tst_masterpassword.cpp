#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "window/mainwindow.h"
#include "window/masterpasswordmanager.h"

#include <QLineEdit>

using namespace TestSupport;

namespace {

const QString CHANGED = "Password changed successfully.";
const QString SECRET = "Grüße aus Zürich";

// Fills current, new and confirm, presses Change and returns what the message box said.
QString Change(QWidget& dialog, const QStringList& fields)
{
    int i = 0;
    for (const char* name : {"lineCurrentPassword", "lineNewPassword", "lineConfirmNewPassword"})
        dialog.findChild<QLineEdit*>(name)->setText(fields.value(i++));
    MessageBoxSeen seen;
    AnswerNextMessageBox(&seen);
    dialog.findChild<QAbstractButton*>("pushChange")->click();
    return seen.text;
}

QString Setting(const char* column)
{
    return QueryValue(QString("SELECT %1 FROM tblSettings").arg(column)).toString();
}

} // namespace

class TestMasterPassword : public QObject
{
    Q_OBJECT

    QString cipher;

    // A fresh start on the same file still decrypts what was stored before.
    void VerifyRestart(KeySetupResult expected)
    {
        BotanAdapter::GetInstance().ForgetKeys();
        QCOMPARE(SetUpKeys(), expected);
        QCOMPARE(BotanAdapter::GetInstance().Decrypt(cipher), SECRET);
    }

private slots:
    void init()
    {
        FreshDataFileWithKeys();
        cipher = BotanAdapter::GetInstance().Encrypt(SECRET);
    }

    void setFromMenuChangeAndRestart()
    {
        const QString iv = Setting("PARAM3");
        AnswerNextMessageBox(nullptr); // tells that no master password is set
        MainWindow window;
        for (bool change : {false, true}) {
            OnNextModal([change](QWidget* dialog) {
                QVERIFY(!dialog->findChild<QLineEdit*>("lineCurrentPassword")->isEnabled());
                if (change)
                    QCOMPARE(Change(*dialog, {"ignored", "abc", "abc"}), CHANGED);
                dialog->findChild<QAbstractButton*>("pushClose")->click();
            });
            window.on_action_Master_Password_triggered();
            QCOMPARE(Utility::GetInstance().settings->value("MasterPassword") == "Y", change);
        }
        QCOMPARE(Setting("PARAM1"), QString("900150983cd24fb0d6963f7d28e17f72"));
        VerifyRestart(KeySetupResult::MasterPassword);

        MasterPasswordManager dialog(nullptr);
        QCOMPARE(Change(dialog, {"abc", "Zürich 1", "Zürich 1"}), CHANGED);
        QCOMPARE(Setting("PARAM1"), Utility::Md5Hex("Zürich 1"));
        QCOMPARE(Setting("PARAM3"), iv);
        VerifyRestart(KeySetupResult::MasterPassword);
    }

    // A refused or failed change leaves the key row, the keys in memory and the stored data alone.
    void refusedChangeKeepsKeys_data()
    {
        QTest::addColumn<QStringList>("fields"); // current, new, confirm, message, sabotage
        QTest::newRow("wrong current") << QStringList{"ab", "", "", "Current password is not correct"};
        QTest::newRow("no new") << QStringList{"abc", "", "x", "Please enter password"};
        QTest::newRow("no confirm") << QStringList{"abc", "x", "", "Please confirm password"};
        QTest::newRow("case differs")
            << QStringList{"abc", "Sec", "sec", "Password does not match with confirm password field"};
        const QStringList failed = {"abc", "new", "new", "Error occurred while updating password."};
        QTest::newRow("key not re-wrapped") << failed + QStringList{"forget keys"};
        QTest::newRow("write refused")
            << failed + QStringList{"CREATE TRIGGER locked BEFORE UPDATE ON tblSettings "
                                    "BEGIN SELECT RAISE(ABORT, 'locked'); END"};
        QTest::newRow("key row gone") << failed + QStringList{"UPDATE tblSettings SET ID = ID + 1"};
    }
    void refusedChangeKeepsKeys()
    {
        QFETCH(QStringList, fields);
        MasterPasswordManager first(nullptr);
        QCOMPARE(Change(first, {"", "abc", "abc"}), CHANGED);
        MasterPasswordManager dialog(nullptr);
        const QString row = Setting("PARAM1 || '/' || PARAM2 || '/' || PARAM3");
        BotanAdapter& adapter = BotanAdapter::GetInstance();
        if (fields.value(4) == "forget keys")
            adapter.ForgetKeys();
        else if (fields.size() > 4)
            QVERIFY(QSqlQuery(CDBManager::GetInstance().GetDataBase()).exec(fields[4]));
        QCOMPARE(Change(dialog, fields), fields[3]);
        QVERIFY(!dialog.changed);
        QCOMPARE(Setting("PARAM1 || '/' || PARAM2 || '/' || PARAM3"), row);
        QVERIFY(adapter.SetCEKE(Setting("PARAM2"), Setting("PARAM3")) && adapter.CanUnwrap());
        VerifyRestart(KeySetupResult::MasterPassword);
    }
};

KESTROVA_TEST_MAIN(TestMasterPassword)
#include "tst_masterpassword.moc"
