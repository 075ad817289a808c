#pragma once

// The constant tables of AES, computed at compile time from their definitions in FIPS-197
// rather than typed in, so that a single wrong digit cannot hide in 2,000 table entries.
//
// Words hold one state column with row 0 in the lowest byte (the byte order of the block in
// memory), so loading four bytes little-endian gives a column.

#include <array>
#include <cstdint>

namespace aes_tables {

// Multiplication by x in GF(2^8) modulo m(x) = x^8 + x^4 + x^3 + x + 1 (FIPS-197 4.2.1).
constexpr uint8_t XTime(uint8_t a) {
    return static_cast<uint8_t>((a << 1) ^ ((a & 0x80) != 0 ? 0x1b : 0x00));
}

// Multiplication in GF(2^8) (FIPS-197 4.2), by repeated XTime.
constexpr uint8_t Mul(uint8_t a, uint8_t b) {
    uint8_t product = 0;
    while (b != 0) {
        if ((b & 1) != 0) {
            product = static_cast<uint8_t>(product ^ a);
        }
        a = XTime(a);
        b = static_cast<uint8_t>(b >> 1);
    }
    return product;
}

// Multiplicative inverse: a^254 = a^-1 in GF(2^8); 0 maps to 0 as the S-box requires.
constexpr uint8_t Inverse(uint8_t a) {
    uint8_t result = 1;
    uint8_t power = a;
    for (unsigned exponent = 254; exponent != 0; exponent >>= 1) {
        if ((exponent & 1) != 0) {
            result = Mul(result, power);
        }
        power = Mul(power, power);
    }
    return a == 0 ? 0 : result;
}

constexpr uint8_t RotateByte(uint8_t b, unsigned n) {
    return static_cast<uint8_t>((b << n) | (b >> (8 - n)));
}

// FIPS-197 5.1.1: the inverse followed by the affine transformation with c = 0x63.
constexpr std::array<uint8_t, 256> MakeSBox() {
    std::array<uint8_t, 256> box{};
    for (unsigned i = 0; i < 256; ++i) {
        const uint8_t b = Inverse(static_cast<uint8_t>(i));
        box[i] = static_cast<uint8_t>(b ^ RotateByte(b, 1) ^ RotateByte(b, 2) ^ RotateByte(b, 3) ^
                                      RotateByte(b, 4) ^ 0x63);
    }
    return box;
}

inline constexpr std::array<uint8_t, 256> SBox = MakeSBox();

constexpr std::array<uint8_t, 256> MakeInvSBox() {
    std::array<uint8_t, 256> box{};
    for (unsigned i = 0; i < 256; ++i) {
        box[SBox[i]] = static_cast<uint8_t>(i);
    }
    return box;
}

inline constexpr std::array<uint8_t, 256> InvSBox = MakeInvSBox();

// Rcon[i] = x^(i-1), the first byte of the round constant word (FIPS-197 5.2); index 0 unused.
constexpr std::array<uint8_t, 15> MakeRcon() {
    std::array<uint8_t, 15> rcon{};
    uint8_t value = 1;
    for (std::size_t i = 1; i < rcon.size(); ++i) {
        rcon[i] = value;
        value = XTime(value);
    }
    return rcon;
}

inline constexpr std::array<uint8_t, 15> Rcon = MakeRcon();

constexpr uint32_t Column(uint8_t row0, uint8_t row1, uint8_t row2, uint8_t row3) {
    return static_cast<uint32_t>(row0) | static_cast<uint32_t>(row1) << 8 |
           static_cast<uint32_t>(row2) << 16 | static_cast<uint32_t>(row3) << 24;
}

constexpr uint32_t RotateWord(uint32_t w, unsigned n) {
    return (w << n) | (w >> (32 - n));
}

// Inverse round tables (FIPS-197 5.3.5): InvT[r][x] is the column that InvMixColumns makes of
// InvSBox[x] standing alone in row r, so a whole inverse round is four lookups per column.
constexpr std::array<std::array<uint32_t, 256>, 4> MakeInvRoundTables() {
    std::array<std::array<uint32_t, 256>, 4> tables{};
    for (unsigned i = 0; i < 256; ++i) {
        const uint8_t y = InvSBox[i];
        const uint32_t column = Column(Mul(y, 0x0e), Mul(y, 0x09), Mul(y, 0x0d), Mul(y, 0x0b));
        tables[0][i] = column;
        tables[1][i] = RotateWord(column, 8);
        tables[2][i] = RotateWord(column, 16);
        tables[3][i] = RotateWord(column, 24);
    }
    return tables;
}

inline constexpr std::array<std::array<uint32_t, 256>, 4> InvT = MakeInvRoundTables();

constexpr uint8_t ByteOf(uint32_t w, unsigned row) {
    return static_cast<uint8_t>(w >> (8 * row));
}

} // namespace aes_tables
