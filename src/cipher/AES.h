#pragma once

// Hex text and the enciphered form: an 8-byte little-endian plain length followed by the
// zero-padded content, AES-enciphered block by block (ECB). The routines keep no state.

#include "cipher/ElAES.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Key-size selectors of the deciphering routines; any other value deciphers nothing.
inline constexpr int AESKeySize128 = 0;
inline constexpr int AESKeySize192 = 1;
inline constexpr int AESKeySize256 = 2;

// The cipher key made of a key text: zero bytes, overwritten by as many leading bytes of the
// text as the key holds, so a short text is zero-filled and a long one cut.
template <std::size_t N> std::array<uint8_t, N> AESKeyFromText(std::string_view keyText) {
    std::array<uint8_t, N> key{};
    const std::size_t n = std::min(keyText.size(), N);
    for (std::size_t i = 0; i < n; ++i) {
        key[i] = static_cast<uint8_t>(keyText[i]);
    }
    return key;
}

// The file layer's message, e.g. "Cannot open file "<full name>". <reason>", with the
// reason the system gave for errorNumber.
std::string FileErrorText(const char* what, const std::string& path, int errorNumber);

// Two hex digits per byte, either case; the last character of an odd-length text is one
// digit on its own. Throws EConvertError at the first pair that holds a non-digit.
std::vector<uint8_t> HexTextToBytes(std::string_view text);

// Every deciphered byte of an enciphered form given as hex text, the zero padding of the last
// block included; the stored length is read but not applied.
std::vector<uint8_t> DecipherHexText(std::string_view hexText, std::string_view keyText,
                                     int keySize);

// Writes the plain content of the enciphered file at sourcePath to destPath (replaced if it
// exists), cut to the stored length. No destination is created when the source cannot be
// opened or holds fewer than 8 bytes; a destination that is the source itself is refused as a
// file in use (EFileError). A stored length outside 0 .. the deciphered size is
// clamped to it: the file never grows beyond what was deciphered.
void DecipherFile(const std::string& sourcePath, const std::string& destPath,
                  std::string_view keyText, int keySize);
