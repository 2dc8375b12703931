#include "testsupport.h"

#include "window/mainwindow.h"
#include "window/masterpasswordmanager.h"

const QStringList PasswordLines = {"lineCurrentPassword", "lineNewPassword", "lineConfirmNewPassword"};

QStringList KeyRow()
{
    return QueryValue("SELECT PARAM1 || '/' || PARAM2 || '/' || PARAM3 FROM tblSettings")
        .toString()
        .split('/');
}

class TestMasterPassword : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { FinishTest(); }

    // Only a change that went through touches the key row, and every key row left
    // behind still opens what was stored before it.
    void changeFromTheMenu_data()
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
    void changeFromTheMenu()
    {
        QFETCH(QStringList, fields);
        FreshDataFileWithKeys();
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

KESTROVA_TEST_MAIN(TestMasterPassword)
#include "tst_masterpassword.moc"
