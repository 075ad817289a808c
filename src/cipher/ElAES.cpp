#include "cipher/ElAES.h"

#include "cipher/AESTables.h"

using namespace aes_tables;

namespace {

template <std::size_t KeyBytes>
uint32_t KeyWord(const std::array<uint8_t, KeyBytes>& key, std::size_t i) {
    return Column(key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]);
}

uint32_t SubWord(uint32_t w) {
    return Column(SBox[ByteOf(w, 0)], SBox[ByteOf(w, 1)], SBox[ByteOf(w, 2)], SBox[ByteOf(w, 3)]);
}

// FIPS-197 5.2. RotWord moves byte 1 to byte 0, a right rotation with row 0 in the low byte.
template <std::size_t Rounds, std::size_t KeyBytes>
TAESKeySchedule<Rounds, TAESDirection::Encryption>
ExpandForward(const std::array<uint8_t, KeyBytes>& key) {
    constexpr std::size_t Nk = KeyBytes / 4;
    TAESKeySchedule<Rounds, TAESDirection::Encryption> schedule;
    auto& w = schedule.Words;
    for (std::size_t i = 0; i < Nk; ++i) {
        w[i] = KeyWord(key, i);
    }
    for (std::size_t i = Nk; i < w.size(); ++i) {
        uint32_t temp = w[i - 1];
        if (i % Nk == 0) {
            temp = SubWord(RotateWord(temp, 24)) ^ Rcon[i / Nk];
        } else if (Nk > 6 && i % Nk == 4) {
            temp = SubWord(temp);
        }
        w[i] = w[i - Nk] ^ temp;
    }
    return schedule;
}

// InvMixColumns of one word: the inverse round tables undo the S-box they have built in, so
// feeding them S-box outputs leaves InvMixColumns alone.
uint32_t InvMixColumn(uint32_t w) {
    return InvT[0][SBox[ByteOf(w, 0)]] ^ InvT[1][SBox[ByteOf(w, 1)]] ^ InvT[2][SBox[ByteOf(w, 2)]] ^
           InvT[3][SBox[ByteOf(w, 3)]];
}

// FIPS-197 5.3.5: the round keys in reverse order, InvMixColumns applied to all but the
// first and the last.
template <std::size_t Rounds>
TAESKeySchedule<Rounds, TAESDirection::Decryption>
ExpandInverse(const TAESKeySchedule<Rounds, TAESDirection::Encryption>& forward) {
    TAESKeySchedule<Rounds, TAESDirection::Decryption> schedule;
    for (std::size_t i = 0; i <= Rounds; ++i) {
        const std::size_t round = Rounds - i;
        for (std::size_t c = 0; c < 4; ++c) {
            const uint32_t w = forward.Words[4 * round + c];
            schedule.Words[4 * i + c] = (i == 0 || i == Rounds) ? w : InvMixColumn(w);
        }
    }
    return schedule;
}

// The equivalent inverse cipher. InvShiftRows moves row r of column c - r into column c, so
// the new column c takes row r from old column (c - r) mod 4.
template <std::size_t Rounds>
TAESBuffer Decrypt(const TAESBuffer& in,
                   const TAESKeySchedule<Rounds, TAESDirection::Decryption>& key) {
    const auto& dk = key.Words;
    std::array<uint32_t, 4> s{};
    for (std::size_t c = 0; c < 4; ++c) {
        s[c] = Column(in[4 * c], in[4 * c + 1], in[4 * c + 2], in[4 * c + 3]) ^ dk[c];
    }
    for (std::size_t round = 1; round < Rounds; ++round) {
        std::array<uint32_t, 4> t{};
        for (std::size_t c = 0; c < 4; ++c) {
            t[c] = InvT[0][ByteOf(s[c], 0)] ^ InvT[1][ByteOf(s[(c + 3) & 3], 1)] ^
                   InvT[2][ByteOf(s[(c + 2) & 3], 2)] ^ InvT[3][ByteOf(s[(c + 1) & 3], 3)] ^
                   dk[4 * round + c];
        }
        s = t;
    }
    TAESBuffer out{};
    for (std::size_t c = 0; c < 4; ++c) {
        const uint32_t column =
            Column(InvSBox[ByteOf(s[c], 0)], InvSBox[ByteOf(s[(c + 3) & 3], 1)],
                   InvSBox[ByteOf(s[(c + 2) & 3], 2)], InvSBox[ByteOf(s[(c + 1) & 3], 3)]) ^
            dk[4 * Rounds + c];
        for (unsigned r = 0; r < 4; ++r) {
            out[4 * c + r] = ByteOf(column, r);
        }
    }
    return out;
}

} // namespace

TAESExpandedKey128 ExpandAESKeyForEncryption(const TAESKey128& key) {
    return ExpandForward<10>(key);
}
TAESExpandedKey192 ExpandAESKeyForEncryption(const TAESKey192& key) {
    return ExpandForward<12>(key);
}
TAESExpandedKey256 ExpandAESKeyForEncryption(const TAESKey256& key) {
    return ExpandForward<14>(key);
}

TAESDecryptionKey128 ExpandAESKeyForDecryption(const TAESExpandedKey128& expanded) {
    return ExpandInverse(expanded);
}
TAESDecryptionKey192 ExpandAESKeyForDecryption(const TAESExpandedKey192& expanded) {
    return ExpandInverse(expanded);
}
TAESDecryptionKey256 ExpandAESKeyForDecryption(const TAESExpandedKey256& expanded) {
    return ExpandInverse(expanded);
}

TAESDecryptionKey128 ExpandAESKeyForDecryption(const TAESKey128& key) {
    return ExpandInverse(ExpandForward<10>(key));
}
TAESDecryptionKey192 ExpandAESKeyForDecryption(const TAESKey192& key) {
    return ExpandInverse(ExpandForward<12>(key));
}
TAESDecryptionKey256 ExpandAESKeyForDecryption(const TAESKey256& key) {
    return ExpandInverse(ExpandForward<14>(key));
}

TAESBuffer DecryptAES(const TAESBuffer& block, const TAESDecryptionKey128& key) {
    return Decrypt(block, key);
}
TAESBuffer DecryptAES(const TAESBuffer& block, const TAESDecryptionKey192& key) {
    return Decrypt(block, key);
}
TAESBuffer DecryptAES(const TAESBuffer& block, const TAESDecryptionKey256& key) {
    return Decrypt(block, key);
}
