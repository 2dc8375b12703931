#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "core/cryptoprimitives.h"

#include <QRegularExpression>

#include <exception>

using CryptoPrimitives::Bytes;

Q_DECLARE_METATYPE(KeySetupResult)

// Lets QCOMPARE show the two results when they differ.
static char* toString(KeySetupResult result)
{
    return QTest::toString(static_cast<int>(result));
}

namespace {

// Made with Python (hashlib; AES and RFC 3394 from the cryptography package):
// CEK = SHA-256("cek-a") wrapped under the KEK of the empty-text passphrase and
// under that of the master-password digest MD5("correct horse"); the IVs those
// two passphrases derive; field ciphertexts under CEK and the first IV.
const QString DIGEST = "3cb4e732631f47e6eb961f34554b7cde";
const QString WRAPPED_EMPTY =
    "CE1C67D0D45A9FC9AC6E4EFBAC4519C481C077BC5ACEACC51CA4569240253082F12BDCBDCEC4021B";
const QString WRAPPED_DIGEST =
    "83F38C19E4FCEB5EBE22D1C1D4A4D47D6A52D2F54C82E7D701F1F754D7154A57CF91DD894C9DE2B1";
const QString IV_EMPTY = "C5F494FDB25630230BF0D97DB5D3E3A5";
const QString IV_DIGEST = "80B63EDB80D5E867C4D2FC33A6C73BBF";
const QString KNOWN_TEXT = QString::fromUtf8("Grüße, 世界 — 🔑");
const QString KNOWN_CIPHER = "88gtc8asllrAjATfKrDkozkfoA/A1X83gp0qDJeSE+g=";

BotanAdapter& Adapter()
{
    return BotanAdapter::GetInstance();
}

Bytes ToBytes(const QByteArray& data)
{
    return Bytes(data.begin(), data.end());
}

QByteArray Hex(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())).toHex();
}

// The key set-up as a new process runs it: nothing of the keys in memory survives.
KeySetupResult Restart()
{
    Adapter().SetPassphraseFromDigest("left over from an earlier file");
    Adapter().ForgetKeys();
    return SetUpKeys();
}

void InsertKeyRow(const QVariant& digest, const QVariant& wrappedKey, const QVariant& iv)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("INSERT INTO tblSettings (PARAM1, PARAM2, PARAM3) VALUES (:p1, :p2, :p3)");
    query.bindValue(":p1", digest);
    query.bindValue(":p2", wrappedKey);
    query.bindValue(":p3", iv);
    QVERIFY(query.exec());
}

// A fresh data file whose key row is the known one, loaded.
void KnownDataFile()
{
    TestSupport::FreshDataFile();
    InsertKeyRow(QVariant(QVariant::String), WRAPPED_EMPTY, IV_EMPTY);
    QCOMPARE(Restart(), KeySetupResult::NoMasterPassword);
}

QVariant KeyRow(const char* column)
{
    return TestSupport::QueryValue(QString("SELECT %1 FROM tblSettings").arg(column));
}

int KeyRowCount()
{
    return TestSupport::QueryValue("SELECT COUNT(*) FROM tblSettings").toInt();
}

bool IsUpperHex(const QString& text, int length)
{
    return QRegularExpression(QString("^[0-9A-F]{%1}$").arg(length)).match(text).hasMatch();
}

} // namespace

class TestEncryption : public QObject
{
    Q_OBJECT

private slots:
    void primitivesMatchPublishedVectors()
    {
        struct Pbkdf2Vector
        {
            QByteArray password, salt;
            int iterations;
            QByteArray expected;
        };
        const Pbkdf2Vector rfc6070[] = {
            {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
            {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
            {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
             "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
            {QByteArray("pass\0word", 9), QByteArray("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3"}};
        for (const Pbkdf2Vector& v : rfc6070) {
            const Bytes key = CryptoPrimitives::Pbkdf2Sha1(v.password.toStdString(), ToBytes(v.salt),
                                                           v.iterations, v.expected.size() / 2);
            QCOMPARE(Hex(key), v.expected);
        }

        // KDF2: SHA-1(secret, counter 1, 2, 3 as 32-bit big-endian, salt), cut
        // to 45 bytes, computed with Python's hashlib.
        Bytes secret(48);
        for (size_t i = 0; i < secret.size(); ++i)
            secret[i] = static_cast<uint8_t>(i);
        const QByteArray kdf2 = "e5ac45751da8984aeeddfc94bd5d24bdb526349b8671d1e68811d560ac2fba389d"
                                "5a3f09d793ce6089db67d0be";
        QCOMPARE(Hex(CryptoPrimitives::Kdf2Sha1(secret, "fDocx", 45)), kdf2);
        QCOMPARE(Hex(CryptoPrimitives::Kdf2Sha1(secret, "fDocx", 16)), kdf2.left(32));

        // RFC 3394, 4.6: 256 bits of key data with a 256-bit KEK.
        const Bytes kek =
            ToBytes(QByteArray::fromHex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F"));
        const Bytes key =
            ToBytes(QByteArray::fromHex("00112233445566778899AABBCCDDEEFF000102030405060708090A0B0C0D0E0F"));
        Bytes wrapped = CryptoPrimitives::WrapKey(key, kek);
        QCOMPARE(
            Hex(wrapped),
            QByteArray("28c9f404c4b810f4cbccb35cfb87f8263f5786e2d80ed326cbc7f0e71a99f43bfb988b9b7a02dd21"));
        QCOMPARE(Hex(CryptoPrimitives::UnwrapKey(wrapped, kek)), Hex(key));
        wrapped[20] ^= 1;
        QVERIFY_EXCEPTION_THROWN(CryptoPrimitives::UnwrapKey(wrapped, kek), std::exception);

        // NIST SP 800-38A F.2.5 (CBC-AES256); the PKCS#7 block after it is from Python.
        const Bytes aesKey =
            ToBytes(QByteArray::fromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4"));
        const Bytes iv = ToBytes(QByteArray::fromHex("000102030405060708090a0b0c0d0e0f"));
        const QByteArray plain = "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                                 "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
        Bytes buffer = ToBytes(QByteArray::fromHex(plain));
        CryptoPrimitives::EncryptCbc(aesKey, iv, buffer);
        QCOMPARE(Hex(buffer), QByteArray("f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                                         "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b"
                                         "3f461796d6b0d6b2e0c2a72b4d80e644"));
        CryptoPrimitives::DecryptCbc(aesKey, iv, buffer);
        QCOMPARE(Hex(buffer), plain);
    }

    void passphraseHash_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("utf8");
        // SHA-1 computed with Python, then decoded as Qt 5 does (checked against
        // it): one U+FFFD per byte that does not start a complete sequence, and
        // a leading byte-order mark dropped.
        QTest::newRow("empty text") << QString()
                                    << QByteArray(
                                           "efbfbd39efbfbdefbfbd5e6b4b0d3255efbfbdefbfbdefbfbd6018efbfbdefbf"
                                           "bdefbfbd0709");
        QTest::newRow("zero byte, two-byte sequences, cut sequence at the end")
            << QString("kestrova-100")
            << QByteArray("efbfbd003211da83efbfbdefbfbd2cdcafefbfbd71efbfbd70195e78efbfbdefbfbd");
        QTest::newRow("leading byte-order mark")
            << QString("bom-21627018")
            << QByteArray("ccb4efbfbd2068efbfbd6eefbfbd68efbfbd33efbfbd3f58d589efbfbd");
        QTest::newRow("text hashed as UTF-8")
            << QString::fromUtf8("Grüße, 世界")
            << QByteArray("3e572152efbfbdceb1efbfbd397d30efbfbd1fefbfbd4defbfbdefbfbd3552efbfbd");
    }

    void passphraseHash()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, utf8);
        QCOMPARE(BotanAdapter::Hash(text).toUtf8().toHex(), utf8);
    }

    void knownCiphertexts()
    {
        KnownDataFile();
        const QPair<QString, QString> known[] = {
            {"", "wCN3k1LZc9oE+WD09eDIUg=="},
            {"sixteen bytes!!!", "sqCplbWAlENAfUhxRRf2PSl9qiIkldf1CQFY9QPKaL4="},
            {KNOWN_TEXT, KNOWN_CIPHER}};
        for (const auto& [text, cipher] : known) {
            QCOMPARE(Adapter().Encrypt(text), cipher);
            QCOMPARE(Adapter().Decrypt(cipher), text);
        }
        // Blanks and line breaks inside the Base64 text are skipped.
        QString spread = KNOWN_CIPHER;
        spread.insert(30, "\r\n").insert(20, '\t').insert(8, '\n').insert(4, ' ');
        QCOMPARE(Adapter().Decrypt(spread), KNOWN_TEXT);
    }

    void ciphertextFormat()
    {
        TestSupport::FreshDataFileWithKeys();
        const QRegularExpression base64("^[A-Za-z0-9+/]*={0,2}$");
        for (int n = 0; n <= 48; ++n) {
            const QString text(n, QChar('a'));
            const QString cipher = Adapter().Encrypt(text);
            const int cipherBytes = 16 * (n / 16 + 1);
            QCOMPARE(cipher.size(), 4 * ((cipherBytes + 2) / 3));
            QVERIFY2(base64.match(cipher).hasMatch(), qPrintable(cipher));
            QCOMPARE(Adapter().Encrypt(text), cipher);
            QCOMPARE(Adapter().Decrypt(cipher), text);
        }
        QVERIFY(Adapter().Encrypt("").endsWith("=="));
        // The length counts UTF-8 bytes: 5 × 3 bytes fill one block, 6 × 3 need two.
        QCOMPARE(Adapter().Encrypt(QString(5, QChar(0x91D1))).size(), 24);
        QCOMPARE(Adapter().Encrypt(QString(6, QChar(0x91D1))).size(), 44);

        static const char mixedUtf8[] = "zero\0byte, ünï, 金庫, 🔑\n";
        const QString mixed = QString::fromUtf8(mixedUtf8, sizeof(mixedUtf8) - 1);
        QString longText;
        for (int i = 0; i < 5000; ++i)
            longText += mixed;
        for (const QString& text : {mixed, longText}) {
            const QString cipher = Adapter().Encrypt(text);
            QVERIFY(base64.match(cipher).hasMatch());
            QCOMPARE(Adapter().Decrypt(cipher), text);
        }
    }

    void decryptFailsToEmpty()
    {
        KnownDataFile();
        QString urlSafe = KNOWN_CIPHER;
        const QString invalid[] = {
            QString(), "", " \r\n\t ", "hello world", QString(KNOWN_CIPHER).replace(10, 1, '*'),
            urlSafe.replace('/', '_').replace('+', '-'), QByteArray(20, 'k').toBase64(), // not whole blocks
            KNOWN_CIPHER.left(40),
            // "x" under the CEK SHA-256("cek-b"); under the known key its padding is invalid.
            "kwBpbnSthBxIkfI27PexSw=="};
        for (const QString& cipher : invalid)
            QVERIFY2(Adapter().Decrypt(cipher).isEmpty(), qPrintable(cipher));
    }

    void firstStartGeneratesKeys()
    {
        TestSupport::FreshDataFile();
        // A master password of an earlier file in this process must not reach the new keys.
        Adapter().SetPassphraseFromDigest(DIGEST);
        QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
        QCOMPARE(KeyRowCount(), 1);
        QVERIFY(KeyRow("PARAM1").isNull());
        QVERIFY(IsUpperHex(KeyRow("PARAM2").toString(), 80));
        QCOMPARE(KeyRow("PARAM3").toString(), IV_EMPTY);

        const QString cipher = Adapter().Encrypt(KNOWN_TEXT);
        QVERIFY(!cipher.isEmpty());
        QCOMPARE(Restart(), KeySetupResult::NoMasterPassword);
        QCOMPARE(Adapter().Decrypt(cipher), KNOWN_TEXT);
        QCOMPARE(Restart(), KeySetupResult::NoMasterPassword);
        QCOMPARE(KeyRowCount(), 1);
    }

    void storedKeyRow_data()
    {
        QTest::addColumn<QVariant>("digest");
        QTest::addColumn<QString>("wrappedKey");
        QTest::addColumn<QVariant>("iv");
        QTest::addColumn<KeySetupResult>("result");
        const QVariant none(QVariant::String);
        const QVariant iv(IV_EMPTY);
        const KeySetupResult damaged = KeySetupResult::KeysDamaged;
        QTest::newRow("no master password")
            << none << WRAPPED_EMPTY << iv << KeySetupResult::NoMasterPassword;
        QTest::newRow("master password")
            << QVariant(DIGEST) << WRAPPED_DIGEST << iv << KeySetupResult::MasterPassword;
        QTest::newRow("lower-case hex") << none << WRAPPED_EMPTY.toLower() << QVariant(IV_EMPTY.toLower())
                                        << KeySetupResult::NoMasterPassword;
        QTest::newRow("key not hex") << none << QString(WRAPPED_EMPTY).replace(0, 2, "ZZ") << iv << damaged;
        QTest::newRow("key too short") << none << WRAPPED_EMPTY.left(78) << iv << damaged;
        QTest::newRow("key does not unwrap")
            << none << QString(WRAPPED_EMPTY).replace(40, 1, '0') << iv << damaged;
        QTest::newRow("key not under the digest") << QVariant(DIGEST) << WRAPPED_EMPTY << iv << damaged;
        QTest::newRow("IV not hex") << none << WRAPPED_EMPTY << QVariant(QString(IV_EMPTY).replace(4, 1, 'G'))
                                    << damaged;
        QTest::newRow("IV too short") << none << WRAPPED_EMPTY << QVariant(IV_EMPTY.left(30)) << damaged;
        QTest::newRow("no IV") << none << WRAPPED_EMPTY << none << damaged;
    }

    void storedKeyRow()
    {
        QFETCH(QVariant, digest);
        QFETCH(QString, wrappedKey);
        QFETCH(QVariant, iv);
        QFETCH(KeySetupResult, result);
        TestSupport::FreshDataFile();
        InsertKeyRow(digest, wrappedKey, iv);
        QCOMPARE(Restart(), result);

        if (result == KeySetupResult::KeysDamaged) {
            // Nothing may be stored under keys that the file cannot give back.
            QCOMPARE(Adapter().Encrypt(KNOWN_TEXT), QString());
            QCOMPARE(Adapter().Encrypt(""), QString());
            QCOMPARE(Adapter().Decrypt(KNOWN_CIPHER), QString());
            QCOMPARE(Adapter().ChangePassword(DIGEST), QString());
        } else {
            QCOMPARE(Adapter().Encrypt(KNOWN_TEXT), KNOWN_CIPHER);
            QCOMPARE(Adapter().Decrypt(KNOWN_CIPHER), KNOWN_TEXT);
        }
        // The row stays as it was; damaged keys are never replaced by new ones.
        QCOMPARE(KeyRowCount(), 1);
        QCOMPARE(KeyRow("PARAM2").toString(), wrappedKey);
    }

    void keyRowWithoutKey_data()
    {
        QTest::addColumn<QVariant>("digest");
        QTest::addColumn<QVariant>("wrappedKey");
        QTest::addColumn<QString>("iv");
        QTest::addColumn<KeySetupResult>("restart");
        const QVariant none(QVariant::String);
        QTest::newRow("NULL key") << none << none << IV_EMPTY << KeySetupResult::NoMasterPassword;
        QTest::newRow("empty key") << none << QVariant("") << IV_EMPTY << KeySetupResult::NoMasterPassword;
        QTest::newRow("empty key, master password")
            << QVariant(DIGEST) << QVariant("") << IV_DIGEST << KeySetupResult::MasterPassword;
    }

    void keyRowWithoutKey()
    {
        QFETCH(QVariant, digest);
        QFETCH(QVariant, wrappedKey);
        QFETCH(QString, iv);
        QFETCH(KeySetupResult, restart);
        TestSupport::FreshDataFile();
        InsertKeyRow(digest, wrappedKey, QVariant("stale IV"));
        QCOMPARE(Restart(), KeySetupResult::Generated);
        // The keys go into that row, which is the one the next start reads.
        QCOMPARE(KeyRowCount(), 1);
        QCOMPARE(KeyRow("PARAM1"), digest);
        QVERIFY(IsUpperHex(KeyRow("PARAM2").toString(), 80));
        QCOMPARE(KeyRow("PARAM3").toString(), iv);

        const QString cipher = Adapter().Encrypt(KNOWN_TEXT);
        QCOMPARE(Restart(), restart);
        QCOMPARE(Adapter().Decrypt(cipher), KNOWN_TEXT);
    }

    void changePassword()
    {
        TestSupport::FreshDataFileWithKeys();
        const QString cipher = Adapter().Encrypt(KNOWN_TEXT);
        const QString oldKey = KeyRow("PARAM2").toString();
        const QString iv = KeyRow("PARAM3").toString();

        const QString newKey = Adapter().ChangePassword(DIGEST);
        QVERIFY(IsUpperHex(newKey, 80));
        QVERIFY(newKey != oldKey);
        // Same CEK and IV: old ciphertexts stay valid and equal texts still match.
        QCOMPARE(Adapter().Encrypt(KNOWN_TEXT), cipher);
        QCOMPARE(Adapter().Decrypt(cipher), KNOWN_TEXT);

        QSqlQuery store(CDBManager::GetInstance().GetDataBase());
        store.prepare("UPDATE tblSettings SET PARAM1 = :digest, PARAM2 = :key");
        store.bindValue(":digest", DIGEST);
        store.bindValue(":key", newKey);
        QVERIFY(store.exec());
        QCOMPARE(Restart(), KeySetupResult::MasterPassword);
        QCOMPARE(Adapter().Decrypt(cipher), KNOWN_TEXT);
        QCOMPARE(KeyRow("PARAM3").toString(), iv);

        // A key that does not unwrap makes the change fail, and the passphrase stays.
        QVERIFY(Adapter().SetCEKE(oldKey, iv));
        QCOMPARE(Adapter().ChangePassword("another digest"), QString());
        QVERIFY(Adapter().SetCEKE(newKey, iv));
        QCOMPARE(Adapter().Decrypt(cipher), KNOWN_TEXT);
    }

    void keysNotStored()
    {
        TestSupport::FreshDataFile();
        ExecQuery("DROP TABLE tblSettings");
        QCOMPARE(SetUpKeys(), KeySetupResult::KeysNotStored);
        QCOMPARE(Adapter().Encrypt(KNOWN_TEXT), QString());
        QCOMPARE(Adapter().Encrypt(""), QString());
        QCOMPARE(Adapter().ChangePassword(DIGEST), QString());
    }

    void lockerMarker()
    {
        // MD5 over the UTF-8 bytes of name + suffix, computed with Python.
        QCOMPARE(Utility::GetHash("", true), QString("2a1920a1d8b298e213ebb72d30ea857c"));
        QCOMPARE(Utility::GetHash("", false), QString("583b9df35ed76716b19d46d54becd274"));
        const QString name = QString::fromUtf8("Schließfach 金庫");
        QCOMPARE(Utility::GetHash(name, false), QString("4a917f9a488bf330db05adbfbaebe6bc"));
        QCOMPARE(Utility::GetHash(name, true), QString("d46b22af89021810a29d685ad702310c"));
        const QString bank = Utility::GetHash("Bank", false);
        QCOMPARE(Utility::GetHash("Bank", false), bank);
        QVERIFY(Utility::GetHash("bank", false) != bank);
        QVERIFY(Utility::GetHash("Bank ", false) != bank);
    }
};

KESTROVA_TEST_MAIN(TestEncryption)
#include "tst_encryption.moc"
