#include "AESEncrypt.h"

#include "cipher/AESTables.h"

#include <span>

using namespace aes_tables;

namespace {

// state[r][c] = in[r + 4c] (FIPS-197 3.4).
using TState = std::array<std::array<uint8_t, 4>, 4>;

// One function for every key length, taking the round's own four words: a copy per schedule
// type has the same body for all three lengths, and GCC's identical-code folding then merges
// them into the 128-bit one, whose 44-word array type its bounds check applies to the longer
// schedules' reads (GCC 14 -Warray-bounds reports index 48 and 56).
void AddRoundKey(TState& s, std::span<const uint32_t, 4> words) {
    for (std::size_t c = 0; c < 4; ++c) {
        const uint32_t w = words[c];
        for (unsigned r = 0; r < 4; ++r) {
            s[r][c] = static_cast<uint8_t>(s[r][c] ^ ByteOf(w, r));
        }
    }
}

void SubBytes(TState& s) {
    for (auto& row : s) {
        for (auto& b : row) {
            b = SBox[b];
        }
    }
}

// Row r moves r places to the left.
void ShiftRows(TState& s) {
    for (std::size_t r = 1; r < 4; ++r) {
        const auto row = s[r];
        for (std::size_t c = 0; c < 4; ++c) {
            s[r][c] = row[(c + r) % 4];
        }
    }
}

void MixColumns(TState& s) {
    for (std::size_t c = 0; c < 4; ++c) {
        const uint8_t a0 = s[0][c], a1 = s[1][c], a2 = s[2][c], a3 = s[3][c];
        s[0][c] = static_cast<uint8_t>(Mul(a0, 2) ^ Mul(a1, 3) ^ a2 ^ a3);
        s[1][c] = static_cast<uint8_t>(a0 ^ Mul(a1, 2) ^ Mul(a2, 3) ^ a3);
        s[2][c] = static_cast<uint8_t>(a0 ^ a1 ^ Mul(a2, 2) ^ Mul(a3, 3));
        s[3][c] = static_cast<uint8_t>(Mul(a0, 3) ^ a1 ^ a2 ^ Mul(a3, 2));
    }
}

template <std::size_t Rounds>
std::span<const uint32_t, 4>
RoundWords(const TAESKeySchedule<Rounds, TAESDirection::Encryption>& key, std::size_t round) {
    return std::span<const uint32_t, 4 * (Rounds + 1)>(key.Words)
        .subspan(4 * round)
        .template first<4>();
}

template <std::size_t Rounds>
TAESBuffer Encrypt(const TAESBuffer& in,
                   const TAESKeySchedule<Rounds, TAESDirection::Encryption>& key) {
    TState s{};
    for (std::size_t i = 0; i < in.size(); ++i) {
        s[i % 4][i / 4] = in[i];
    }
    AddRoundKey(s, RoundWords(key, 0));
    for (std::size_t round = 1; round < Rounds; ++round) {
        SubBytes(s);
        ShiftRows(s);
        MixColumns(s);
        AddRoundKey(s, RoundWords(key, round));
    }
    SubBytes(s);
    ShiftRows(s);
    AddRoundKey(s, RoundWords(key, Rounds));
    TAESBuffer out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = s[i % 4][i / 4];
    }
    return out;
}

} // namespace

TAESBuffer EncryptAES(const TAESBuffer& block, const TAESExpandedKey128& key) {
    return Encrypt(block, key);
}
TAESBuffer EncryptAES(const TAESBuffer& block, const TAESExpandedKey192& key) {
    return Encrypt(block, key);
}
TAESBuffer EncryptAES(const TAESBuffer& block, const TAESExpandedKey256& key) {
    return Encrypt(block, key);
}
