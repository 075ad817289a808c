#pragma once

// The stored recordings: a 4-byte little-endian length of the enciphered form, then a zlib
// stream that inflates to exactly that many bytes. The enciphered form (see AES.h) is made
// under kAudioKey with a 128-bit key. The program reads this form, the sound-packing tool
// writes it.

#include "cipher/AES.h"

#include <cstddef>

inline constexpr char kAudioKey[] = "5309172846620194";
inline constexpr int kAudioKeySize = AESKeySize128;
inline constexpr std::size_t kSoundLengthBytes = 4;
