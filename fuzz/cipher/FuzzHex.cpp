// Arbitrary text through HexTextToBytes and DecipherHexText. Input: byte 0 selects the key
// size (3 stands for an unknown selector), byte 1 the key text's length, then the key text,
// then the hex text. Errors of the system's own kinds are expected; anything else, a crash
// or a broken invariant is a finding.

#include "SoundPack.h"
#include "cipher/AES.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const int keySize = data[0] % 4;
    const std::size_t keyLength = std::min<std::size_t>(data[1], size - 2);
    const std::string_view keyText(reinterpret_cast<const char*>(data + 2), keyLength);
    const std::string_view hex(reinterpret_cast<const char*>(data + 2 + keyLength),
                               size - 2 - keyLength);

    std::vector<uint8_t> bytes;
    try {
        bytes = HexTextToBytes(hex);
    } catch (const EConvertError&) {
        return 0;
    }
    if (bytes.size() != (hex.size() + 1) / 2) {
        std::abort();
    }

    std::vector<uint8_t> plain;
    try {
        plain = DecipherHexText(hex, keyText, keySize);
    } catch (const EAESError&) {
        return 0;
    } catch (const EStreamError&) {
        return 0;
    }
    if (keySize == 3) {
        if (!plain.empty()) {
            std::abort();
        }
        return 0;
    }
    // ECB both ways: enciphering the plain blocks again must give the input's blocks.
    const std::vector<uint8_t> again = EncipherBytes(plain, keyText, keySize);
    if (bytes.size() < 8 || plain.size() != bytes.size() - 8 ||
        !std::equal(again.begin() + 8, again.end(), bytes.begin() + 8, bytes.end())) {
        std::abort();
    }
    return 0;
}
