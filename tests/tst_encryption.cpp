#include "datafixtures.h"

#include "core/cryptoprimitives.h"
#include "core/keyrowstore.h"

#include <botan/base64.h>
#include <botan/hash.h>
#include <botan/hex.h>

Q_DECLARE_METATYPE(KeySetupResult)

// Made with Python (hashlib; AES and RFC 3394 from the cryptography package):
// CEK = SHA-256("cek-a") wrapped under the KEK of the empty-text passphrase and
// under that of the master-password digest MD5("correct horse"); the IVs those
// two passphrases derive; a field ciphertext under CEK and the first IV.
const QString DIGEST = "3cb4e732631f47e6eb961f34554b7cde";
const QString KEY_EMPTY = "CE1C67D0D45A9FC9AC6E4EFBAC4519C481C077BC5ACEACC51CA4569240253082F12BDCBDCEC4021B";
const QString KEY_DIGEST = "83F38C19E4FCEB5EBE22D1C1D4A4D47D6A52D2F54C82E7D701F1F754D7154A57CF91DD894C9DE2B1";
const QString IV_EMPTY = "C5F494FDB25630230BF0D97DB5D3E3A5";
const QString IV_DIGEST = "80B63EDB80D5E867C4D2FC33A6C73BBF";
const QString KNOWN_TEXT = QString::fromUtf8("Grüße, 世界 — 🔑");
const QString KNOWN_CIPHER = "88gtc8asllrAjATfKrDkozkfoA/A1X83gp0qDJeSE+g=";

class TestEncryption : public QObject
{
    Q_OBJECT
    BotanAdapter& adapter = BotanAdapter::GetInstance();

    static CryptoPrimitives::Bytes FromHex(const char* hex) { return Botan::hex_decode_locked(hex); }
    static QByteArray Hex(const CryptoPrimitives::Bytes& b) { return Botan::hex_encode(b, false).c_str(); }

    // The key set-up as a new process runs it: nothing of the keys in memory survives.
    static KeySetupResult Restart()
    {
        BotanAdapter::GetInstance().SetPassphraseFromDigest("left over from an earlier file");
        BotanAdapter::GetInstance().ForgetKeys();
        return SetUpKeys();
    }

    // A fresh data file with the given key row (none when wrappedKey is null), set up.
    static KeySetupResult DataFile(const QString& digest, const QString& wrappedKey)
    {
        FreshDataFile();
        if (!wrappedKey.isNull())
            Exec(QString("INSERT INTO tblSettings (PARAM1, PARAM2, PARAM3) VALUES ('%1', '%2', '%3')")
                     .arg(digest, wrappedKey, IV_EMPTY));
        return Restart();
    }

private slots:
    void knownAnswers()
    {
        // RFC 6070, the vector with zero bytes in password and salt.
        QCOMPARE(Hex(CryptoPrimitives::Pbkdf2Sha1({"pass\0word", 9}, FromHex("7361006c74"), 4096, 16)),
                 QByteArray("56fa6aa75548099dcc37d7f03425e0c3"));

        // RFC 3394, 4.6: 256 bits of key data with a 256-bit KEK.
        const auto kek = FromHex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");
        const auto key = FromHex("00112233445566778899AABBCCDDEEFF000102030405060708090A0B0C0D0E0F");
        auto wrapped = CryptoPrimitives::WrapKey(key, kek);
        QCOMPARE(Hex(wrapped), QByteArray("28c9f404c4b810f4cbccb35cfb87f8263f5786e2"
                                          "d80ed326cbc7f0e71a99f43bfb988b9b7a02dd21"));
        wrapped[20] ^= 1;
        QVERIFY_EXCEPTION_THROWN(CryptoPrimitives::UnwrapKey(wrapped, kek), std::exception);

        // KDF2: SHA-1(secret, counter 1, 2 as 32-bit big-endian, salt) with the KEK
        // above as secret, cut to 25 bytes, computed with Python's hashlib.
        QCOMPARE(Hex(CryptoPrimitives::Kdf2Sha1(kek, "fDocx", 25)),
                 QByteArray("1c9773db3418e52b38a27f8caba5afbf606fe565d1427fa871"));

        // NIST SP 800-38A F.2.5 (CBC-AES256); the PKCS#7 block after it is from Python.
        const auto aesKey = FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
        auto buffer = FromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                              "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
        CryptoPrimitives::EncryptCbc(aesKey, FromHex("000102030405060708090a0b0c0d0e0f"), buffer);
        QCOMPARE(Hex(buffer), QByteArray("f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                                         "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b"
                                         "3f461796d6b0d6b2e0c2a72b4d80e644"));

        // Passphrase hash: SHA-1 computed with Python, then decoded as Qt 5 does
        // (checked against it): one U+FFFD per byte that does not start a complete
        // sequence, and a leading byte-order mark dropped.
        QCOMPARE(BotanAdapter::Hash("kestrova-100").toUtf8().toHex(),
                 QByteArray("efbfbd003211da83efbfbdefbfbd2cdcafefbfbd71efbfbd70195e78efbfbdefbfbd"));
        QCOMPARE(BotanAdapter::Hash("bom-21627018").toUtf8().toHex(),
                 QByteArray("ccb4efbfbd2068efbfbd6eefbfbd68efbfbd33efbfbd3f58d589efbfbd"));

        // Locker marker: MD5 over the UTF-8 bytes of name + suffix, computed with Python.
        QCOMPARE(Utility::GetHash("", false), QString("583b9df35ed76716b19d46d54becd274"));
        QCOMPARE(Utility::GetHash("金庫", true), QString("3cb10cf5663bd4a83429480fb8feb920"));
    }

    void knownKeyRow()
    {
        QCOMPARE(DataFile(QString(), KEY_EMPTY), KeySetupResult::NoMasterPassword);
        // One block of padding alone: 24 characters.
        QCOMPARE(adapter.Encrypt(""), QString("wCN3k1LZc9oE+WD09eDIUg=="));
        QCOMPARE(adapter.Decrypt(KNOWN_CIPHER.left(9) + " \r\n\t" + KNOWN_CIPHER.mid(9)), KNOWN_TEXT);
        // Empty, not Base64, cut short, and "x" under the CEK SHA-256("cek-b"), whose
        // padding is invalid under the known key: each fails to the empty text.
        for (const QString& bad : {QString(), QString(KNOWN_CIPHER).replace(10, 1, '*'),
                                   KNOWN_CIPHER.left(40), QString("kwBpbnSthBxIkfI27PexSw==")})
            QCOMPARE(adapter.Decrypt(bad), QString());
        // The key check refuses text whose last UTF-8 sequence is cut off.
        CryptoPrimitives::Bytes cut{'a', 'b', 'c', 0xC3};
        CryptoPrimitives::EncryptCbc(Botan::HashFunction::create_or_throw("SHA-256")->process("cek-a"),
                                     FromHex(qPrintable(IV_EMPTY)), cut);
        QVERIFY(!adapter.Decrypts(QString::fromStdString(Botan::base64_encode(cut))));

        // Same CEK re-wrapped, IV untouched: old ciphertexts stay readable. The
        // "master password" key row below is what the change stores.
        QCOMPARE(adapter.ChangePassword(DIGEST), KEY_DIGEST);
        QCOMPARE(adapter.Encrypt(KNOWN_TEXT), KNOWN_CIPHER);

        // A file that cannot keep new keys encrypts nothing.
        Exec("DELETE FROM tblSettings");
        Exec("PRAGMA query_only = ON");
        QCOMPARE(Restart(), KeySetupResult::KeysNotStored);
        QCOMPARE(adapter.Encrypt(""), QString());
    }

    // A file whose first key row lost its keys while its secrets stayed: no second
    // content key is made, whatever a later row holds.
    void noNewKeyOverStoredSecrets()
    {
        FreshDataFile();
        Exec("INSERT INTO tblLocker (NAME, TYPE, KEY, NOTES, USE_MP) VALUES ('l', 1, 'k', '" + KNOWN_CIPHER +
             "', 0)");
        Exec("INSERT INTO tblSettings (PARAM2) VALUES ('')");
        Exec("INSERT INTO tblSettings (PARAM2, PARAM3) VALUES ('" + KEY_EMPTY + "', '" + IV_EMPTY + "')");
        QCOMPARE(Restart(), KeySetupResult::KeysDamaged);
        QCOMPARE(QueryValue("SELECT GROUP_CONCAT(PARAM2, '/') FROM tblSettings").toString(), "/" + KEY_EMPTY);
    }

    // Keys that unwrap but open none of the stored secrets are another file's,
    // or go with another IV: nothing is encrypted under them. One that opens is enough.
    void keysMustOpenStoredSecrets_data()
    {
        QTest::addColumn<QString>("wrappedKey"); // empty: another installation's
        QTest::addColumn<QString>("iv");
        QTest::addColumn<int>("opening"); // of the eight locker passwords stored
        QTest::addColumn<KeySetupResult>("result");
        QTest::newRow("one secret opens") << KEY_EMPTY << IV_EMPTY << 1 << KeySetupResult::NoMasterPassword;
        QTest::newRow("another installation's key") << "" << IV_EMPTY << 8 << KeySetupResult::KeysDamaged;
        // The known cipher's last block, and so its padding, still decrypts.
        QTest::newRow("IV of zeros") << KEY_EMPTY << QString(32, '0') << 8 << KeySetupResult::KeysDamaged;
    }

    void keysMustOpenStoredSecrets()
    {
        QFETCH(QString, wrappedKey);
        QFETCH(QString, iv);
        QFETCH(int, opening);
        QFETCH(KeySetupResult, result);
        if (wrappedKey.isEmpty()) {
            adapter.SetPassphraseFromDigest(QString());
            QString ignored;
            adapter.GenerateCEKE(wrappedKey, ignored);
        }
        FreshDataFile();
        Exec(QString("INSERT INTO tblSettings (PARAM2, PARAM3) VALUES ('%1', '%2')").arg(wrappedKey, iv));
        for (int i = 0; i < 8; ++i) // "x" under another key first, whose padding fails under the known one
            Exec(QString("INSERT INTO tblLocker (NAME, PASSWORD, TYPE, KEY, USE_MP) VALUES ('%1', '%2', 1, 'k', 0)")
                     .arg(i)
                     .arg(i < 8 - opening ? "kwBpbnSthBxIkfI27PexSw==" : KNOWN_CIPHER));
        QCOMPARE(Restart(), result);
        QCOMPARE(adapter.Encrypt("x").isEmpty(), result == KeySetupResult::KeysDamaged);
    }

    // A backup may hold more secrets than memory: the check reads them one at a time.
    void unreadableSecretsReadOneAtATime()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the sanitizer holds freed memory back");
#endif
        FreshDataFileWithKeys();
        const QString locker = InsertLocker("Notes", 3);
        QSqlQuery insert(CDBManager::GetInstance().GetDataBase());
        insert.prepare("INSERT INTO tblId3 (LOCKER_ID, NAME, TIME_STAMP, NOTES) VALUES (?, 'n', 't', ?)");
        insert.addBindValue(locker);
        insert.addBindValue(adapter.Encrypt(QString(1 << 20, 'n'))); // 1.4 MB of text
        for (int note = 0; note < 32; ++note)
            QVERIFY(insert.exec());
        Exec("UPDATE tblId3 SET NOTES = '*' || NOTES WHERE ID = 32");
        const auto peak = [] {
            rusage usage;
            getrusage(RUSAGE_SELF, &usage);
            return usage.ru_maxrss / 1024; // MB
        };
        const long before = peak();
        QCOMPARE(UnreadableSecrets(), 1);
        // All of them at once would take 90 MB.
        QVERIFY2(peak() - before < 30, qPrintable(QString("%1 MB more").arg(peak() - before)));
    }

    // A read error met part-way through the secrets counts as unreadable, not as none left.
    void unreadableSecretsStopAtDamage()
    {
        FreshDataFileWithKeys();
        QVERIFY(!MakeLocker("Web", "web pw").isEmpty());
        const int page = QueryValue("PRAGMA page_size").toInt();
        const int root = QueryValue("SELECT rootpage FROM sqlite_master WHERE name = 'tblId3'").toInt();
        CDBManager& manager = CDBManager::GetInstance();
        const QString path = manager.DataBasePath();
        manager.CloseDataBase();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(qint64(root - 1) * page));
        QVERIFY(file.write(QByteArray(page, '\0')) == page);
        file.close();
        int read = 0;
        QVERIFY(!KeyRowStore::ForEachSecret(-1, [&read](const QString&) { ++read; }));
        QVERIFY(read > 0);
        QCOMPARE(UnreadableSecrets(), -1);
    }

    void keySetup_data()
    {
        // The result of the set-up on the next start; keys are generated where the row has none.
        QTest::addColumn<QString>("digest");
        QTest::addColumn<QString>("wrappedKey");
        QTest::addColumn<KeySetupResult>("result");
        QTest::newRow("no key row") << QString() << QString() << KeySetupResult::NoMasterPassword;
        QTest::newRow("master password") << DIGEST << KEY_DIGEST << KeySetupResult::MasterPassword;
        QTest::newRow("key not hex") << QString() << "ZZ" + KEY_EMPTY.mid(2) << KeySetupResult::KeysDamaged;
        QTest::newRow("key does not unwrap") << QString() << KEY_DIGEST << KeySetupResult::KeysDamaged;
        QTest::newRow("empty key") << QString() << QString("") << KeySetupResult::NoMasterPassword;
        QTest::newRow("empty key and digest") << DIGEST << QString("") << KeySetupResult::MasterPassword;
    }

    void keySetup()
    {
        QFETCH(QString, digest);
        QFETCH(QString, wrappedKey);
        QFETCH(KeySetupResult, result);
        const bool generated = wrappedKey.isEmpty();
        QCOMPARE(DataFile(digest, wrappedKey), generated ? KeySetupResult::Generated : result);
        // Keys the file cannot give back are kept as they are, and nothing is stored under them.
        QCOMPARE(QueryValue("SELECT PARAM2 FROM tblSettings") == wrappedKey, !generated);
        const QString cipher = adapter.Encrypt(KNOWN_TEXT);
        // Still one key row: new keys go into it, under the passphrase its digest gives.
        QCOMPARE(QueryValue("SELECT group_concat(PARAM3) FROM tblSettings").toString(),
                 generated && !digest.isNull() ? IV_DIGEST : IV_EMPTY);
        QCOMPARE(Restart(), result);
        // A damaged row encrypts nothing; generated keys are random.
        QCOMPARE(cipher == (result == KeySetupResult::KeysDamaged ? QString() : KNOWN_CIPHER), !generated);
        QCOMPARE(adapter.Decrypt(cipher), result == KeySetupResult::KeysDamaged ? QString() : KNOWN_TEXT);
    }
};

KESTROVA_TEST_MAIN(TestEncryption)
#include "tst_encryption.moc"
