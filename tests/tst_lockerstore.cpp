#include "testenvironment.h"
#include "testsupport.h"

#include "lockerfixtures.h"

#include "core/botanadapter.h"

using namespace LockerFixtures;
using TestSupport::QueryValue;

class TestLockerStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::FreshDataFileWithKeys(); }

    void namesAndSecretsRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("renamed");
        QTest::newRow("quotes") << "O'Brien's \"box\"" << "it's; DROP TABLE tblLocker; --";
        QTest::newRow("percent") << "100% _sure_" << "%%1 %2";
        QTest::newRow("non-ascii") << QString::fromUtf8("Åsa's Schlüssel ключ 鍵")
                                   << QString::fromUtf8("ß'ü");
    }

    void namesAndSecretsRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, renamed);
        LockerFields fields;
        fields.name = name;
        fields.password = name + "'pw%";
        fields.secretQuestion = QString::fromUtf8("Wo? 'ö'");
        fields.secretAnswer = "a'%";
        fields.savePassword = true;
        QVERIFY(LockerStore::AddLocker(fields, 2));
        const QString id = LockerIdOf(name);
        QVERIFY(!id.isEmpty());

        LockerFields read;
        QVERIFY(LockerStore::ReadLocker(id, &read));
        QCOMPARE(read.name, name);
        QCOMPARE(read.password, fields.password);
        QCOMPARE(read.secretQuestion, fields.secretQuestion);
        QCOMPARE(read.secretAnswer, fields.secretAnswer);
        QVERIFY(read.savePassword);
        QCOMPARE(QueryValue("SELECT KEY FROM tblLocker").toString(), Utility::GetHash(name, true));

        // A rename writes the marker of the new name and never the type.
        read.name = renamed;
        read.savePassword = false;
        QVERIFY(LockerStore::UpdateLocker(id, read));
        QCOMPARE(LockerIdOf(renamed), id);
        const QString key = QueryValue("SELECT KEY FROM tblLocker").toString();
        QCOMPARE(LockerStore::ReadMarker(key, renamed), LockerMarker::AskPassword);
        QCOMPARE(LockerStore::ReadMarker(key, name), LockerMarker::Invalid);
        QCOMPARE(QueryValue("SELECT TYPE FROM tblLocker").toInt(), 2);
    }

    void failedWritesChangeNothing()
    {
        const QString id = MakeLocker("kept", "pw");
        QVERIFY(MakeLocker("kept", "other").isEmpty());
        LockerFields fields;
        QVERIFY(LockerStore::ReadLocker(id, &fields));
        QVERIFY(!LockerStore::UpdateLocker("999", fields)); // no such row
        QVERIFY(!LockerStore::ReadLocker("999", &fields));

        const QString before = QueryValue("SELECT PASSWORD || KEY || NOTES FROM tblLocker").toString();
        BotanAdapter::GetInstance().ForgetKeys();
        fields.password = "changed";
        QVERIFY(!LockerStore::UpdateLocker(id, fields));
        QCOMPARE(QueryValue("SELECT PASSWORD || KEY || NOTES FROM tblLocker").toString(), before);
    }

    void deleteIsAllOrNothing()
    {
        const QString gone = MakeLocker("gone", "pw", 1);
        const QString other = MakeLocker("other", "pw", 1);
        for (const QString& id : {gone, gone, other})
            Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + id + ", 'n', 'u')");
        QVERIFY(LockerStore::DeleteLocker(gone, 1));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId WHERE LOCKER_ID = " + gone).toInt(), 0);
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId WHERE LOCKER_ID = " + other).toInt(), 1);
        QVERIFY(LockerIdOf("gone").isEmpty());

        // A stray row in another entry table blocks the locker delete: its own entries stay too.
        Exec("INSERT INTO tblId2 (LOCKER_ID, NAME) VALUES (" + other + ", 'card')");
        QVERIFY(!LockerStore::DeleteLocker(other, 1));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId WHERE LOCKER_ID = " + other).toInt(), 1);
        QCOMPARE(LockerIdOf("other"), other);

        const QString odd = MakeLocker("odd", "pw", 7);
        QVERIFY(LockerStore::DeleteLocker(odd, 7));
        QVERIFY(LockerIdOf("odd").isEmpty());
    }

    void loginChecks()
    {
        const QString own = MakeLocker("own", "Secret 1");
        const QString master = MakeLocker("master", QString());
        QCOMPARE(LockerStore::CheckLogin(own, "Secret 1"), LoginCheck::Granted);
        QCOMPARE(LockerStore::CheckLogin(own, "secret 1"), LoginCheck::Refused);
        QCOMPARE(LockerStore::CheckLogin(own, "Secret 1 "), LoginCheck::Refused);
        QCOMPARE(LockerStore::CheckLogin("999", "Secret 1"), LoginCheck::NoLocker);

        // No master password set: nothing opens a master-password locker.
        QCOMPARE(LockerStore::CheckLogin(master, ""), LoginCheck::Refused);
        SetMasterPassword(QString::fromUtf8("Mäster"));
        QCOMPARE(LockerStore::CheckLogin(master, QString::fromUtf8("Mäster")), LoginCheck::Granted);
        QCOMPARE(LockerStore::CheckLogin(master, "Secret 1"), LoginCheck::Refused);
        QCOMPARE(LockerStore::CheckLogin(own, QString::fromUtf8("Mäster")), LoginCheck::Refused);

        // A password that no longer decrypts never passes for the empty text.
        Exec("UPDATE tblLocker SET PASSWORD = 'not base64!' WHERE ID = " + own);
        QCOMPARE(LockerStore::CheckLogin(own, ""), LoginCheck::Refused);
    }

    void masterPasswordDigest()
    {
        QCOMPARE(Utility::Md5Hex(""), QString("d41d8cd98f00b204e9800998ecf8427e"));
        QCOMPARE(Utility::Md5Hex("abc"), QString("900150983cd24fb0d6963f7d28e17f72"));
        QCOMPARE(Utility::Md5Hex(QString("ab") + QChar(0) + "c"),
                 Utility::Md5Hex("ab"));
    }

    void undecryptableAnswerMatchesNothing()
    {
        const QString id = MakeLocker("r", "pw");
        Exec("UPDATE tblLocker SET SECRET_ANSWER = 'not base64!' WHERE ID = " + id);
        LockerRecovery recovery;
        QVERIFY(LockerStore::ReadRecovery(id, &recovery));
        QCOMPARE(recovery.password, QString("pw"));
        QVERIFY(!recovery.AnswerMatches(""));
    }
};

KESTROVA_TEST_MAIN(TestLockerStore)
#include "tst_lockerstore.moc"
