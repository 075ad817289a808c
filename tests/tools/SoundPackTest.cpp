// The enciphered form and the stored sound file as the tool writes them, read back by the
// program's deciphering routines.

#include "SoundPack.h"
#include "AesVectors.h"

#include <zlib.h>

#include <random>

using namespace aes_testing;

namespace {

std::vector<uint8_t> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) {
        b = static_cast<uint8_t>(random());
    }
    return bytes;
}

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

uint64_t LittleEndian(const std::vector<uint8_t>& bytes, std::size_t size) {
    uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = value << 8 | bytes.at(i);
    }
    return value;
}

} // namespace

TEST(EncipherBytes, LengthThenZeroPaddedBlocksThatDecipherBack) {
    for (const int keySize : {AESKeySize128, AESKeySize192, AESKeySize256}) {
        for (const std::size_t n : {1u, 15u, 16u, 17u, 100u}) {
            SCOPED_TRACE(testing::Message() << "key size " << keySize << ", " << n << " bytes");
            const std::vector<uint8_t> plain = RandomBytes(n, static_cast<unsigned>(n));
            const std::vector<uint8_t> form = EncipherBytes(plain, "key text", keySize);
            EXPECT_EQ(form.size(), 8 + (n + 15) / 16 * 16);
            EXPECT_EQ(LittleEndian(form, 8), n);

            std::vector<uint8_t> padded = plain;
            padded.resize((n + 15) / 16 * 16, 0);
            const std::string hex = EncipherToHexText(plain, "key text", keySize);
            EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
            EXPECT_EQ(HexTextToBytes(hex), form);
            EXPECT_EQ(DecipherHexText(hex, "key text", keySize), padded);
        }
    }
}

TEST(EncipherBytes, EmptyContentIsTheLengthAloneWhichTheProgramRefuses) {
    const std::vector<uint8_t> form = EncipherBytes({}, "k", AESKeySize128);
    EXPECT_EQ(form, std::vector<uint8_t>(8, 0));
    EXPECT_THROW(DecipherHexText(EncipherToHexText("", "k", 0), "k", 0), EAESError);
}

TEST(EncipherBytes, KeyTextRuleMatchesTheDecipheringSide) {
    // Enciphered under a 10-byte text, deciphered under those bytes and six zeros written out.
    const std::string hex = EncipherToHexText("some plain text", "0123456789", AESKeySize128);
    const std::vector<uint8_t> plain =
        DecipherHexText(hex, std::string("0123456789\0\0\0\0\0\0", 16), AESKeySize128);
    ASSERT_EQ(plain.size(), 16u);
    EXPECT_EQ(std::vector<uint8_t>(plain.begin(), plain.begin() + 15), Bytes("some plain text"));

    // A 20-byte text enciphers like its first 16 bytes at 128 bits, but not at 256.
    EXPECT_EQ(EncipherToHexText("x", "0123456789abcdefWXYZ", 0),
              EncipherToHexText("x", "0123456789abcdef", 0));
    EXPECT_NE(EncipherToHexText("x", "0123456789abcdefWXYZ", 2),
              EncipherToHexText("x", "0123456789abcdef", 2));
    EXPECT_THROW(EncipherBytes({}, "k", 3), std::invalid_argument);
}

TEST(EncipherBytes, FiveByteContentGivesFiveBytesFromAFileAndSixteenFromHex) {
    TTempDir dir;
    WriteBytes(dir.File("6.mp3"), EncipherBytes(Bytes("hello"), kAudioKey, 0));
    DecipherFile(dir.File("6.mp3"), dir.File("1.mp3"), kAudioKey, 0);
    EXPECT_EQ(ReadBytes(dir.File("1.mp3")), Bytes("hello"));

    std::vector<uint8_t> padded = Bytes("hello");
    padded.resize(16, 0);
    EXPECT_EQ(DecipherHexText(EncipherToHexText("hello", kAudioKey, 0), kAudioKey, 0), padded);
}

TEST(PackSound, RecordingSurvivesPackingInflatingAndDeciphering) {
    const std::vector<uint8_t> mp3 = RandomBytes(5000, 42);
    const std::vector<uint8_t> stored = PackSound(mp3);

    // 5,000 plain bytes are 313 blocks after the 8-byte length.
    const auto length = static_cast<uLongf>(LittleEndian(stored, 4));
    ASSERT_EQ(length, 8u + 313u * 16u);
    std::vector<uint8_t> inflated(length);
    uLongf inflatedSize = length;
    ASSERT_EQ(uncompress(inflated.data(), &inflatedSize, stored.data() + 4,
                         static_cast<uLong>(stored.size() - 4)),
              Z_OK);
    ASSERT_EQ(inflatedSize, length);

    TTempDir dir;
    WriteBytes(dir.File("6.mp3"), inflated);
    DecipherFile(dir.File("6.mp3"), dir.File("1.mp3"), kAudioKey, AESKeySize128);
    EXPECT_EQ(ReadBytes(dir.File("1.mp3")), mp3);
}

TEST(PackSoundFile, WritesWhatPackSoundMakesOfTheFile) {
    TTempDir dir;
    const std::vector<uint8_t> mp3 = RandomBytes(777, 7);
    WriteBytes(dir.File("word.raw"), mp3);
    PackSoundFile(dir.File("word.raw"), dir.File("word.mp3"));
    EXPECT_EQ(ReadBytes(dir.File("word.mp3")), PackSound(mp3));

    try {
        PackSoundFile(dir.File("none.raw"), dir.File("none.mp3"));
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + dir.File("none.raw") + "\". No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.mp3")));
}
