#ifndef KEYCONSTANTS_H
#define KEYCONSTANTS_H

// Fixed for good: every data file and every locker marker depends on these
// exact values. Changing any of them makes existing data files unreadable.

#include <array>
#include <cstdint>

namespace KeyConstants {

// PBKDF2 salt of the key-encryption key.
constexpr std::array<std::uint8_t, 48> PBKDF2_SALT = {
    0xe0, 0xe8, 0xd1, 0xa4, 0xf2, 0xad, 0x60, 0xef, 0x80, 0x4a, 0xa6, 0x19, 0x95, 0x46, 0x31, 0x39,
    0x57, 0x84, 0x00, 0x4d, 0xc0, 0x60, 0x8a, 0xf2, 0x7a, 0xdb, 0x3d, 0x31, 0x10, 0x9c, 0xe0, 0x2e,
    0x61, 0xb2, 0x46, 0xb3, 0x87, 0x9b, 0xea, 0x80, 0x58, 0x96, 0x90, 0xa0, 0xe7, 0x12, 0xde, 0xb2};

// KDF2 salt texts of the key-encryption key (S1) and of the IV (S2).
constexpr char KEK_SALT[] = "fDocx";
constexpr char IV_SALT[] = "0cau86RsOiSU3wgwwgv";

// Locker marker suffixes: password saved for login, and login needed.
constexpr char MARKER_SAVED_SUFFIX[] = "KieGx4NWEd67Pq2kSN";
constexpr char MARKER_ASK_SUFFIX[] = "jwwugp72ps08bh7fss";

} // namespace KeyConstants

#endif // KEYCONSTANTS_H
