#pragma once

// Preparing data in the forms the program reads: the enciphered form (8-byte little-endian
// plain length, then the zero-padded content AES-enciphered block by block) and the stored
// sound file (4-byte little-endian length of the enciphered form, then its zlib stream). The
// program itself only deciphers; recordings and test data are made with these routines.

#include "AESEncrypt.h"
#include "cipher/AES.h"
#include "cipher/SoundFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The enciphered form of `plain` under the key formed from keyText (zero-filled or cut, as the
// deciphering side forms it). Throws std::invalid_argument for a key size other than 0, 1, 2.
std::vector<uint8_t> EncipherBytes(std::span<const uint8_t> plain, std::string_view keyText,
                                   int keySize);

// The enciphered form as hex text, capital letters, two digits per byte.
std::string EncipherToHexText(std::span<const uint8_t> plain, std::string_view keyText,
                              int keySize);
std::string EncipherToHexText(std::string_view plainText, std::string_view keyText, int keySize);

// The bytes of a stored sound file holding `mp3`, enciphered under kAudioKey.
std::vector<uint8_t> PackSound(std::span<const uint8_t> mp3);

// PackSound from one file to another (replaced if it exists). Throws EFileError when the
// source cannot be opened or the destination cannot be created.
void PackSoundFile(const std::string& sourcePath, const std::string& destPath);

// Whether bytes hold an MP3 recording: an MPEG audio frame header (frame sync, a valid
// version, layer, bit rate and sample rate) at the start or after an ID3v2 tag.
bool IsMp3(std::span<const uint8_t> bytes);
