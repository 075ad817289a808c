#pragma once

// Shared by the deciphering tests: the example block of FIPS-197 C.1 and a failure check.

#include "AesVectors.h"

#include <functional>

namespace aes_testing {

// FIPS-197 C.1 with the key 00 01 .. 0f, whose bytes are the key text.
inline const std::string KeyText =
    std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f", 16);
inline const std::vector<uint8_t> Cipher = Hex("69c4e0d86a7b0430d8cdb78070b4c55a");
inline const std::vector<uint8_t> Plain = Hex("00112233445566778899aabbccddeeff");

// The block `times` over, as a string of bytes.
inline std::string Repeat(const std::vector<uint8_t>& block, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) {
        s.append(block.begin(), block.end());
    }
    return s;
}

template <class TError>
void ExpectFailure(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error, expected " << message;
    } catch (const TError& e) {
        EXPECT_EQ(e.what(), message);
    }
}

} // namespace aes_testing
