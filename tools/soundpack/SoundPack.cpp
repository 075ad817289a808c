#include "SoundPack.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace {

constexpr std::size_t BlockSize = sizeof(TAESBuffer);

template <std::size_t KeyBytes>
void AppendBlocks(std::span<const uint8_t> plain, std::string_view keyText,
                  std::vector<uint8_t>& out) {
    const auto schedule = ExpandAESKeyForEncryption(AESKeyFromText<KeyBytes>(keyText));
    for (std::size_t offset = 0; offset < plain.size(); offset += BlockSize) {
        TAESBuffer block{};
        const auto part = plain.subspan(offset, std::min(BlockSize, plain.size() - offset));
        std::copy(part.begin(), part.end(), block.begin());
        const TAESBuffer enciphered = EncryptAES(block, schedule);
        out.insert(out.end(), enciphered.begin(), enciphered.end());
    }
}

void AppendLittleEndian(std::vector<uint8_t>& out, uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

} // namespace

std::vector<uint8_t> EncipherBytes(std::span<const uint8_t> plain, std::string_view keyText,
                                   int keySize) {
    std::vector<uint8_t> out;
    out.reserve(8 + (plain.size() + BlockSize - 1) / BlockSize * BlockSize);
    AppendLittleEndian(out, plain.size(), 8);
    switch (keySize) {
    case AESKeySize128:
        AppendBlocks<16>(plain, keyText, out);
        break;
    case AESKeySize192:
        AppendBlocks<24>(plain, keyText, out);
        break;
    case AESKeySize256:
        AppendBlocks<32>(plain, keyText, out);
        break;
    default:
        throw std::invalid_argument("key size must be 0, 1 or 2");
    }
    return out;
}

std::string EncipherToHexText(std::span<const uint8_t> plain, std::string_view keyText,
                              int keySize) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const uint8_t b : EncipherBytes(plain, keyText, keySize)) {
        hex += Digits[b >> 4];
        hex += Digits[b & 0x0f];
    }
    return hex;
}

std::string EncipherToHexText(std::string_view plainText, std::string_view keyText, int keySize) {
    const std::vector<uint8_t> plain(plainText.begin(), plainText.end());
    return EncipherToHexText(std::span<const uint8_t>(plain), keyText, keySize);
}

std::vector<uint8_t> PackSound(std::span<const uint8_t> mp3) {
    const std::vector<uint8_t> enciphered = EncipherBytes(mp3, kAudioKey, kAudioKeySize);
    // The stored length is a signed 32-bit number.
    if (enciphered.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        throw std::length_error("recording too large for a stored sound file");
    }
    uLongf packedSize = compressBound(static_cast<uLong>(enciphered.size()));
    std::vector<uint8_t> out(kSoundLengthBytes + packedSize);
    const auto length = static_cast<uint32_t>(enciphered.size());
    for (std::size_t i = 0; i < kSoundLengthBytes; ++i) {
        out[i] = static_cast<uint8_t>(length >> (8 * i));
    }
    const int result = compress2(out.data() + kSoundLengthBytes, &packedSize, enciphered.data(),
                                 static_cast<uLong>(enciphered.size()), Z_BEST_COMPRESSION);
    if (result != Z_OK) {
        throw std::runtime_error("zlib compress2 failed with code " + std::to_string(result));
    }
    out.resize(kSoundLengthBytes + packedSize);
    return out;
}

void PackSoundFile(const std::string& sourcePath, const std::string& destPath) {
    std::ifstream source;
    errno = 0;
    source.open(sourcePath, std::ios::binary);
    if (!source.is_open()) {
        throw EFileError(FileErrorText("Cannot open file", sourcePath, errno));
    }
    const std::vector<uint8_t> mp3{std::istreambuf_iterator<char>(source),
                                   std::istreambuf_iterator<char>()};
    if (source.bad()) {
        throw EStreamError("Stream read error");
    }
    const std::vector<uint8_t> packed = PackSound(mp3);

    std::ofstream dest;
    errno = 0;
    dest.open(destPath, std::ios::binary | std::ios::trunc);
    if (!dest.is_open()) {
        throw EFileError(FileErrorText("Cannot create file", destPath, errno));
    }
    dest.write(reinterpret_cast<const char*>(packed.data()),
               static_cast<std::streamsize>(packed.size()));
    dest.close();
    if (dest.fail()) {
        throw EStreamError("Stream write error");
    }
}

bool IsMp3(std::span<const uint8_t> bytes) {
    std::size_t pos = 0;
    if (bytes.size() >= 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3') {
        if (bytes[3] == 0xFF || bytes[4] == 0xFF) {
            return false;
        }
        std::size_t size = 0;
        for (std::size_t i = 6; i < 10; ++i) {
            if (bytes[i] >= 0x80) {
                return false; // sizes in a tag header are "syncsafe": seven bits a byte
            }
            size = (size << 7) | bytes[i];
        }
        const bool footer = (bytes[5] & 0x10) != 0;
        pos = 10 + size + (footer ? 10 : 0);
        // Some encoders pad between the tag and the first frame.
        while (pos < bytes.size() && bytes[pos] == 0) {
            ++pos;
        }
    }
    if (pos + 4 > bytes.size()) {
        return false;
    }
    const uint8_t b1 = bytes[pos + 1];
    const uint8_t b2 = bytes[pos + 2];
    return bytes[pos] == 0xFF && (b1 & 0xE0) == 0xE0 && ((b1 >> 3) & 3) != 1 && // version
           ((b1 >> 1) & 3) != 0 &&                                              // layer
           (b2 >> 4) != 0xF && ((b2 >> 2) & 3) != 3; // bit rate, sample rate
}
