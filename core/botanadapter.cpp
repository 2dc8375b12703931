#include "core/botanadapter.h"

#include "core/keyconstants.h"

#include <QDebug>

#include <botan/base64.h>
#include <botan/cipher_mode.h>
#include <botan/hash.h>
#include <botan/hex.h>
#include <botan/kdf.h>
#include <botan/pbkdf.h>
#include <botan/rfc3394.h>
#include <botan/system_rng.h>

#include <string>

namespace {

constexpr size_t PBKDF2_ITERATIONS = 8192;
constexpr size_t MASTER_SECRET_LENGTH = 48;
constexpr size_t KEK_LENGTH = 32;
constexpr size_t CEK_LENGTH = 32;
constexpr size_t WRAPPED_CEK_LENGTH = 40;
constexpr size_t IV_LENGTH = 16;
const char* const FIELD_CIPHER = "AES-256/CBC/PKCS7";

using Bytes = Botan::secure_vector<uint8_t>;

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

Bytes MasterSecret(const QString& passphrase)
{
    const auto& salt = KeyConstants::PBKDF2_SALT;
    auto pbkdf = Botan::PBKDF::create_or_throw("PBKDF2(SHA-1)");
    return pbkdf->derive_key(MASTER_SECRET_LENGTH, Utf8(passphrase), salt.data(), salt.size(),
                             PBKDF2_ITERATIONS)
        .bits_of();
}

Bytes Kdf2(const Bytes& secret, const char* saltText, size_t length)
{
    auto kdf = Botan::KDF::create_or_throw("KDF2(SHA-1)");
    return kdf->derive_key(length, secret, std::string(saltText));
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
            kek = Kdf2(MasterSecret(passphrase), KeyConstants::KEK_SALT, KEK_LENGTH);
            kekPassphrase = passphrase;
            kekDerived = true;
        }
        return kek;
    }

    Bytes UnwrapCek(const QString& passphrase)
    {
        return Botan::rfc3394_keyunwrap(wrappedCek, Botan::SymmetricKey(KekFor(passphrase)));
    }
};

BotanAdapter::BotanAdapter()
    : QObject(nullptr)
    , passphrase_(Hash(QString()))
    , keys_(std::make_unique<KeyMaterial>())
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
        // depend on this lossy form, so it must never become hex.
        return QString::fromStdString(std::string(digest.begin(), digest.end()));
    } catch (...) {
        return QString();
    }
}

void BotanAdapter::SetPassphraseFromDigest(const QString& masterPasswordDigest)
{
    passphrase_ = Hash(masterPasswordDigest);
}

void BotanAdapter::InitCEKE()
{
    try {
        const Bytes master = MasterSecret(passphrase_);
        keys_->kek = Kdf2(master, KeyConstants::KEK_SALT, KEK_LENGTH);
        keys_->kekPassphrase = passphrase_;
        keys_->kekDerived = true;
        keys_->iv = Kdf2(master, KeyConstants::IV_SALT, IV_LENGTH);
        Botan::System_RNG rng;
        const Bytes cek = rng.random_vec(CEK_LENGTH);
        keys_->wrappedCek = Botan::rfc3394_keywrap(cek, Botan::SymmetricKey(keys_->kek));
    } catch (...) {
        qDebug() << "InitCEKE : exception occurred ";
    }
}

void BotanAdapter::GenerateCEKE(QString& wrappedKeyHex, QString& ivHex)
{
    InitCEKE();
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
        auto cipher = Botan::Cipher_Mode::create_or_throw(FIELD_CIPHER, Botan::ENCRYPTION);
        cipher->set_key(cek);
        cipher->start(keys_->iv);
        const std::string plain = Utf8(text);
        Bytes buffer(plain.begin(), plain.end());
        cipher->finish(buffer);
        return QString::fromStdString(Botan::base64_encode(buffer));
    } catch (...) {
        qDebug() << "Encrypt: Exception occurred";
        return QString();
    }
}

QString BotanAdapter::Decrypt(const QString text)
{
    try {
        const Bytes cek = keys_->UnwrapCek(passphrase_);
        // Whitespace is skipped; any other character outside the alphabet fails.
        Bytes buffer = Botan::base64_decode(Utf8(text), true);
        auto cipher = Botan::Cipher_Mode::create_or_throw(FIELD_CIPHER, Botan::DECRYPTION);
        cipher->set_key(cek);
        cipher->start(keys_->iv);
        cipher->finish(buffer);
        return QString::fromUtf8(reinterpret_cast<const char*>(buffer.data()),
                                 static_cast<int>(buffer.size()));
    } catch (...) {
        qDebug() << "Eception occurred in Decrypt ";
        return QString();
    }
}

QString BotanAdapter::ChangePassword(QString newText)
{
    try {
        const Bytes cek = keys_->UnwrapCek(passphrase_);
        const QString newPassphrase = Hash(newText);
        Bytes rewrapped =
            Botan::rfc3394_keywrap(cek, Botan::SymmetricKey(keys_->KekFor(newPassphrase)));
        keys_->wrappedCek = std::move(rewrapped);
        passphrase_ = newPassphrase;
        return UpperHex(keys_->wrappedCek);
    } catch (...) {
        return QString();
    }
}
