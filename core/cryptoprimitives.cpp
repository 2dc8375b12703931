#include "core/cryptoprimitives.h"

#include <botan/cipher_mode.h>
#include <botan/kdf.h>
#include <botan/pbkdf.h>
#include <botan/rfc3394.h>

namespace {

const char* const FIELD_CIPHER = "AES-256/CBC/PKCS7";

void RunCbc(Botan::Cipher_Dir direction, const CryptoPrimitives::Bytes& key,
            const CryptoPrimitives::Bytes& iv, CryptoPrimitives::Bytes& buffer)
{
    auto cipher = Botan::Cipher_Mode::create_or_throw(FIELD_CIPHER, direction);
    cipher->set_key(key);
    cipher->start(iv);
    cipher->finish(buffer);
}

} // namespace

namespace CryptoPrimitives {

Bytes Pbkdf2Sha1(const std::string& password, const Bytes& salt, std::size_t iterations, std::size_t length)
{
    auto pbkdf = Botan::PBKDF::create_or_throw("PBKDF2(SHA-1)");
    return pbkdf->derive_key(length, password, salt.data(), salt.size(), iterations).bits_of();
}

Bytes Kdf2Sha1(const Bytes& secret, const std::string& salt, std::size_t length)
{
    auto kdf = Botan::KDF::create_or_throw("KDF2(SHA-1)");
    return kdf->derive_key(length, secret, salt);
}

Bytes WrapKey(const Bytes& key, const Bytes& kek)
{
    return Botan::rfc3394_keywrap(key, Botan::SymmetricKey(kek));
}

Bytes UnwrapKey(const Bytes& wrapped, const Bytes& kek)
{
    return Botan::rfc3394_keyunwrap(wrapped, Botan::SymmetricKey(kek));
}

void EncryptCbc(const Bytes& key, const Bytes& iv, Bytes& buffer)
{
    RunCbc(Botan::ENCRYPTION, key, iv, buffer);
}

void DecryptCbc(const Bytes& key, const Bytes& iv, Bytes& buffer)
{
    RunCbc(Botan::DECRYPTION, key, iv, buffer);
}

} // namespace CryptoPrimitives
