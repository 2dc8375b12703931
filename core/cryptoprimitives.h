#ifndef CRYPTOPRIMITIVES_H
#define CRYPTOPRIMITIVES_H

// The Botan calls behind BotanAdapter, with their parameters open so that each
// can be held to published test vectors. Botan types appear here, so only the
// encryption service's source and the tests include this header.

#include <botan/secmem.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace CryptoPrimitives {

using Bytes = Botan::secure_vector<std::uint8_t>;

// PBKDF2 with HMAC-SHA-1 (RFC 2898).
Bytes Pbkdf2Sha1(const std::string& password, const Bytes& salt, std::size_t iterations, std::size_t length);

// KDF2 with SHA-1: SHA-1(secret, 32-bit big-endian counter from 1, salt) blocks, cut to length.
Bytes Kdf2Sha1(const Bytes& secret, const std::string& salt, std::size_t length);

// RFC 3394 AES key wrap; the unwrap throws when the integrity check fails.
Bytes WrapKey(const Bytes& key, const Bytes& kek);
Bytes UnwrapKey(const Bytes& wrapped, const Bytes& kek);

// AES-256/CBC/PKCS7 over the whole buffer, in place. Decryption throws on a
// buffer that is not whole blocks or does not end in valid padding.
void EncryptCbc(const Bytes& key, const Bytes& iv, Bytes& buffer);
void DecryptCbc(const Bytes& key, const Bytes& iv, Bytes& buffer);

} // namespace CryptoPrimitives

#endif // CRYPTOPRIMITIVES_H
