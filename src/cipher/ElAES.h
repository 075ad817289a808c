#pragma once

// AES (FIPS-197) block decryption for 128-, 192- and 256-bit keys, and ECB deciphering of
// streams. The program only deciphers; the forward key expansion is here because the
// decryption schedule is derived from it.

#include "common/Errors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>

class EAESError : public ETaveloError {
public:
    using ETaveloError::ETaveloError;
};

using TAESKey128 = std::array<uint8_t, 16>;
using TAESKey192 = std::array<uint8_t, 24>;
using TAESKey256 = std::array<uint8_t, 32>;
using TAESBuffer = std::array<uint8_t, 16>;

enum class TAESDirection { Encryption, Decryption };

// Round keys, one word per state column (row 0 in the low byte). An encryption schedule holds
// w[0..4*Nr+3] of FIPS-197 5.2; a decryption schedule holds the words of the equivalent
// inverse cipher (FIPS-197 5.3.5) in the order that cipher applies them. The direction is
// part of the type so that one cannot be passed where the other is meant.
template <std::size_t Rounds, TAESDirection Direction> struct TAESKeySchedule {
    static constexpr std::size_t RoundCount = Rounds;
    std::array<uint32_t, 4 * (Rounds + 1)> Words{};
};

using TAESExpandedKey128 = TAESKeySchedule<10, TAESDirection::Encryption>;
using TAESExpandedKey192 = TAESKeySchedule<12, TAESDirection::Encryption>;
using TAESExpandedKey256 = TAESKeySchedule<14, TAESDirection::Encryption>;
using TAESDecryptionKey128 = TAESKeySchedule<10, TAESDirection::Decryption>;
using TAESDecryptionKey192 = TAESKeySchedule<12, TAESDirection::Decryption>;
using TAESDecryptionKey256 = TAESKeySchedule<14, TAESDirection::Decryption>;

TAESExpandedKey128 ExpandAESKeyForEncryption(const TAESKey128& key);
TAESExpandedKey192 ExpandAESKeyForEncryption(const TAESKey192& key);
TAESExpandedKey256 ExpandAESKeyForEncryption(const TAESKey256& key);

TAESDecryptionKey128 ExpandAESKeyForDecryption(const TAESExpandedKey128& expanded);
TAESDecryptionKey192 ExpandAESKeyForDecryption(const TAESExpandedKey192& expanded);
TAESDecryptionKey256 ExpandAESKeyForDecryption(const TAESExpandedKey256& expanded);
TAESDecryptionKey128 ExpandAESKeyForDecryption(const TAESKey128& key);
TAESDecryptionKey192 ExpandAESKeyForDecryption(const TAESKey192& key);
TAESDecryptionKey256 ExpandAESKeyForDecryption(const TAESKey256& key);

TAESBuffer DecryptAES(const TAESBuffer& block, const TAESDecryptionKey128& key);
TAESBuffer DecryptAES(const TAESBuffer& block, const TAESDecryptionKey192& key);
TAESBuffer DecryptAES(const TAESBuffer& block, const TAESDecryptionKey256& key);

// Deciphers `count` bytes of `source` from its current position block by block (ECB) and
// appends the plain blocks to `dest`. A count of 0 means the whole source from its start; a
// larger count than what remains is cut to what remains; a negative count deciphers nothing.
// Returns the number of bytes written. Throws EAESError when the count is not a multiple of 16
// (before anything is written) and EStreamError when a block cannot be read or written.
int64_t DecipherStreamEcb(std::istream& source, int64_t count, const TAESKey128& key,
                          std::ostream& dest);
int64_t DecipherStreamEcb(std::istream& source, int64_t count, const TAESKey192& key,
                          std::ostream& dest);
int64_t DecipherStreamEcb(std::istream& source, int64_t count, const TAESKey256& key,
                          std::ostream& dest);
