#include "core/botanadapter.h"

#include "core/cryptoprimitives.h"
#include "core/keyconstants.h"

#include <QDebug>
#include <QTextCodec>

#include <botan/base64.h>
#include <botan/hash.h>
#include <botan/hex.h>
#include <botan/system_rng.h>

#include <string>

namespace {

using CryptoPrimitives::Bytes;

constexpr size_t PBKDF2_ITERATIONS = 8192;
constexpr size_t MASTER_SECRET_LENGTH = 48;
constexpr size_t KEK_LENGTH = 32;
constexpr size_t CEK_LENGTH = 32;
constexpr size_t WRAPPED_CEK_LENGTH = 40;
constexpr size_t IV_LENGTH = 16;
constexpr int UTF8_MIB = 106;

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

Bytes MasterSecret(const QString& passphrase)
{
    const auto& salt = KeyConstants::PBKDF2_SALT;
    return CryptoPrimitives::Pbkdf2Sha1(Utf8(passphrase), Bytes(salt.begin(), salt.end()), PBKDF2_ITERATIONS,
                                        MASTER_SECRET_LENGTH);
}

QString UpperHex(const Bytes& bytes)
{
    return QString::fromStdString(Botan::hex_encode(bytes, true));
}

} // namespace

struct BotanAdapter::KeyMaterial
{
    Bytes kek;
    Bytes wrappedCek;
    Bytes iv;
    // The passphrase that kek was derived from: PBKDF2 runs again only when
    // the passphrase changes.
    QString kekPassphrase;
    bool kekDerived = false;

    const Bytes& KekFor(const QString& passphrase)
    {
        if (!kekDerived || kekPassphrase != passphrase) {
            kekDerived = false;
            kek = CryptoPrimitives::Kdf2Sha1(MasterSecret(passphrase), KeyConstants::KEK_SALT, KEK_LENGTH);
            kekPassphrase = passphrase;
            kekDerived = true;
        }
        return kek;
    }

    Bytes UnwrapCek(const QString& passphrase)
    {
        return CryptoPrimitives::UnwrapKey(wrappedCek, KekFor(passphrase));
    }

    // The plain bytes of a field ciphertext; throws when it does not decrypt.
    Bytes DecryptField(const QString& passphrase, const QString& text)
    {
        const Bytes cek = UnwrapCek(passphrase);
        // Whitespace is skipped; any other character outside the alphabet fails.
        Bytes buffer = Botan::base64_decode(Utf8(text), true);
        CryptoPrimitives::DecryptCbc(cek, iv, buffer);
        return buffer;
    }
};

BotanAdapter::BotanAdapter()
    : QObject(nullptr), passphrase_(Hash(QString())), keys_(std::make_unique<KeyMaterial>())
{
    InitCEKE();
}

BotanAdapter::~BotanAdapter() = default;

BotanAdapter& BotanAdapter::GetInstance()
{
    static BotanAdapter instance;
    return instance;
}

QString BotanAdapter::Hash(const QString& text)
{
    try {
        auto sha1 = Botan::HashFunction::create_or_throw("SHA-1");
        const std::string bytes = Utf8(text);
        const auto digest = sha1->process(bytes);
        // The raw digest is decoded as UTF-8 on purpose: stored data files
        // depend on this lossy form (Qt 5's decoder, which also drops a leading
        // byte-order mark), so it must never become hex.
        return QString::fromStdString(std::string(digest.begin(), digest.end()));
    } catch (...) {
        return QString();
    }
}

void BotanAdapter::SetPassphraseFromDigest(const QString& masterPasswordDigest)
{
    passphrase_ = Hash(masterPasswordDigest);
}

bool BotanAdapter::InitCEKE()
{
    try {
        const Bytes master = MasterSecret(passphrase_);
        Bytes kek = CryptoPrimitives::Kdf2Sha1(master, KeyConstants::KEK_SALT, KEK_LENGTH);
        Bytes iv = CryptoPrimitives::Kdf2Sha1(master, KeyConstants::IV_SALT, IV_LENGTH);
        Botan::System_RNG rng;
        Bytes wrapped = CryptoPrimitives::WrapKey(rng.random_vec(CEK_LENGTH), kek);
        // Taken over only when every step worked, so that a failure cannot
        // leave a wrapped key that does not belong to the KEK and IV in force.
        keys_->kek = std::move(kek);
        keys_->kekPassphrase = passphrase_;
        keys_->kekDerived = true;
        keys_->iv = std::move(iv);
        keys_->wrappedCek = std::move(wrapped);
        return true;
    } catch (...) {
        qDebug() << "InitCEKE : exception occurred ";
        return false;
    }
}

void BotanAdapter::GenerateCEKE(QString& wrappedKeyHex, QString& ivHex)
{
    if (!InitCEKE()) {
        wrappedKeyHex.clear();
        ivHex.clear();
        return;
    }
    wrappedKeyHex = UpperHex(keys_->wrappedCek);
    ivHex = UpperHex(keys_->iv);
}

bool BotanAdapter::SetCEKE(const QString& wrappedKeyHex, const QString& ivHex)
{
    try {
        Bytes wrapped = Botan::hex_decode_locked(Utf8(wrappedKeyHex), true);
        Bytes iv = Botan::hex_decode_locked(Utf8(ivHex), true);
        if (wrapped.size() != WRAPPED_CEK_LENGTH || iv.size() != IV_LENGTH)
            return false;
        keys_->wrappedCek = std::move(wrapped);
        keys_->iv = std::move(iv);
        return true;
    } catch (...) {
        return false;
    }
}

void BotanAdapter::ForgetKeys()
{
    keys_->wrappedCek.clear();
    keys_->iv.clear();
    keys_->kek.clear();
    keys_->kekDerived = false;
}

bool BotanAdapter::CanUnwrap()
{
    try {
        return keys_->UnwrapCek(passphrase_).size() == CEK_LENGTH;
    } catch (...) {
        return false;
    }
}

QString BotanAdapter::Encrypt(const QString& text)
{
    try {
        const Bytes cek = keys_->UnwrapCek(passphrase_);
        const std::string plain = Utf8(text);
        Bytes buffer(plain.begin(), plain.end());
        CryptoPrimitives::EncryptCbc(cek, keys_->iv, buffer);
        return QString::fromStdString(Botan::base64_encode(buffer));
    } catch (...) {
        qDebug() << "Encrypt: Exception occurred";
        return QString();
    }
}

QString BotanAdapter::Decrypt(const QString text)
{
    try {
        const Bytes plain = keys_->DecryptField(passphrase_, text);
        return QString::fromUtf8(reinterpret_cast<const char*>(plain.data()), static_cast<int>(plain.size()));
    } catch (...) {
        qDebug() << "Eception occurred in Decrypt ";
        return QString();
    }
}

bool BotanAdapter::Decrypts(const QString& text)
{
    try {
        const Bytes plain = keys_->DecryptField(passphrase_, text);
        // Under a wrong key or IV the padding may still come out valid; the
        // bytes before it then are noise, which is hardly ever UTF-8.
        QTextCodec::ConverterState state;
        QTextCodec::codecForMib(UTF8_MIB)->toUnicode(reinterpret_cast<const char*>(plain.data()),
                                                     static_cast<int>(plain.size()), &state);
        return state.invalidChars == 0 && state.remainingChars == 0;
    } catch (...) {
        return false;
    }
}

QString BotanAdapter::ChangePassword(QString newText)
{
    try {
        const Bytes cek = keys_->UnwrapCek(passphrase_);
        const QString newPassphrase = Hash(newText);
        // An empty passphrase would come from a failed hash, not from the text.
        if (newPassphrase.isEmpty())
            return QString();
        Bytes rewrapped = CryptoPrimitives::WrapKey(cek, keys_->KekFor(newPassphrase));
        keys_->wrappedCek = std::move(rewrapped);
        passphrase_ = newPassphrase;
        return UpperHex(keys_->wrappedCek);
    } catch (...) {
        return QString();
    }
}
