// Hex text decoding and deciphering an enciphered form given as hex text.

#include "DecipherCases.h"
#include "cipher/AES.h"

#include <algorithm>
#include <type_traits>

using namespace aes_testing;

static_assert(std::is_base_of_v<ETaveloError, EAESError>,
              "cipher errors reach the application's general error report");

namespace {

// The ciphertext of FIPS-197 C.1 in upper-case hex.
const std::string CipherHex = "69C4E0D86A7B0430D8CDB78070B4C55A";

std::string LengthHex(int64_t length) {
    std::string hex;
    for (int i = 0; i < 8; ++i) {
        static const char* digits = "0123456789ABCDEF";
        const auto b = static_cast<uint8_t>(static_cast<uint64_t>(length) >> (8 * i));
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

} // namespace

TEST(HexTextToBytes, DecodesPairsOfEitherCaseAndALastSingleDigit) {
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
        {"", {}},
        {"00FF7f10", {0x00, 0xff, 0x7f, 0x10}},
        {"abcdef", {0xab, 0xcd, 0xef}},
        {"ABCDEF", {0xab, 0xcd, 0xef}},
        {"0A1", {0x0a, 0x01}},
        {"f", {0x0f}},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(HexTextToBytes(text), bytes) << '"' << text << '"';
    }
}

TEST(HexTextToBytes, NonDigitIsAConversionErrorNamingItsPair) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0G", "'0x0G' is not a valid integer value"},
        {"12 4", "'0x 4' is not a valid integer value"},
        {"-1", "'0x-1' is not a valid integer value"},
        {"00x1", "'0xx1' is not a valid integer value"},
        {"12Z", "'0xZ' is not a valid integer value"},
    };
    for (const auto& [text, message] : cases) {
        ExpectFailure<EConvertError>([&] { HexTextToBytes(text); }, message);
    }
}

TEST(DecipherHexText, ReturnsEveryDecipheredByteWhateverTheStoredLength) {
    for (const int64_t stored : {int64_t{16}, int64_t{5}, int64_t{-1}, int64_t{1000}}) {
        EXPECT_EQ(DecipherHexText(LengthHex(stored) + CipherHex, KeyText, AESKeySize128), Plain);
    }
    const std::string lower = LengthHex(5) + "69c4e0d86a7b0430d8cdb78070b4c55a";
    EXPECT_EQ(DecipherHexText(lower, KeyText, AESKeySize128), Plain);
}

TEST(DecipherHexText, KeyTextIsZeroFilledOrCutToTheKeySize) {
    const std::string text40 = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    // The key written out by hand: the text's first bytes, then zeros.
    const auto byHand = [&](auto key, std::size_t textLength) {
        std::copy_n(text40.begin(), std::min(key.size(), textLength), key.begin());
        const auto schedule = ExpandAESKeyForDecryption(key);
        return EachBlock(Cipher, [&](const TAESBuffer& b) { return DecryptAES(b, schedule); });
    };
    const auto viaHex = [&](int keySize, std::size_t textLength) {
        return DecipherHexText(LengthHex(16) + CipherHex,
                               std::string_view(text40).substr(0, textLength), keySize);
    };
    EXPECT_EQ(viaHex(0, 10), byHand(TAESKey128{}, 10));
    EXPECT_EQ(viaHex(0, 20), byHand(TAESKey128{}, 20));
    EXPECT_EQ(viaHex(0, 0), byHand(TAESKey128{}, 0));
    EXPECT_EQ(viaHex(1, 20), byHand(TAESKey192{}, 20));
    EXPECT_EQ(viaHex(2, 10), byHand(TAESKey256{}, 10));
    EXPECT_EQ(viaHex(2, 40), byHand(TAESKey256{}, 40));
}

TEST(DecipherHexText, UnknownKeySizeDeciphersNothing) {
    for (const int keySize : {-1, 3, 100}) {
        EXPECT_TRUE(DecipherHexText(LengthHex(16) + CipherHex, KeyText, keySize).empty());
    }
}

TEST(DecipherHexText, ShortOrMisalignedFormsFail) {
    // Only the length: the remaining count 0 means the whole 8-byte stream.
    ExpectFailure<EAESError>([] { DecipherHexText(LengthHex(0), KeyText, AESKeySize128); },
                             "Invalid buffer size for decryption");
    ExpectFailure<EAESError>(
        [] { DecipherHexText(LengthHex(20) + CipherHex + "01020304", KeyText, 0); },
        "Invalid buffer size for decryption");
    ExpectFailure<EStreamError>([] { DecipherHexText("01020304050607", KeyText, 0); },
                                "Stream read error");
    ExpectFailure<EStreamError>([] { DecipherHexText("", KeyText, 0); }, "Stream read error");
    ExpectFailure<EConvertError>([] { DecipherHexText(LengthHex(16) + "zz", KeyText, 0); },
                                 "'0xzz' is not a valid integer value");
}
