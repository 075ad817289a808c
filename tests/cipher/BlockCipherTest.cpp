// The inverse cipher against the published vectors: FIPS-197 Appendix C and the NIST AESAVS
// known-answer files, block by block and through the stream routine.

#include "DecipherCases.h"
#include "cipher/ElAES.h"

#include <sstream>

using namespace aes_testing;

namespace {

template <std::size_t N>
void ExpectDeciphersWith(const std::vector<uint8_t>& keyBytes, const std::vector<uint8_t>& cipher,
                         const std::vector<uint8_t>& plain) {
    const auto key = KeyOf<N>(keyBytes);
    const auto schedule = ExpandAESKeyForDecryption(key);
    EXPECT_EQ(EachBlock(cipher, [&](const TAESBuffer& b) { return DecryptAES(b, schedule); }),
              plain);

    std::istringstream source(std::string(cipher.begin(), cipher.end()));
    std::ostringstream dest;
    EXPECT_EQ(DecipherStreamEcb(source, static_cast<int64_t>(cipher.size()), key, dest),
              static_cast<int64_t>(cipher.size()));
    EXPECT_EQ(dest.str(), std::string(plain.begin(), plain.end()));
}

// Block by block and through the stream routine, with the key size the key's length selects.
void ExpectDeciphers(const std::vector<uint8_t>& key, const std::vector<uint8_t>& cipher,
                     const std::vector<uint8_t>& plain) {
    switch (key.size()) {
    case 16:
        return ExpectDeciphersWith<16>(key, cipher, plain);
    case 24:
        return ExpectDeciphersWith<24>(key, cipher, plain);
    case 32:
        return ExpectDeciphersWith<32>(key, cipher, plain);
    default:
        ADD_FAILURE() << "key of " << key.size() << " bytes";
    }
}

} // namespace

TEST(ElAES, Fips197AppendixCDeciphersForEachKeySize) {
    struct TCase {
        const char* Key;
        const char* Cipher;
    };
    for (const TCase& c : {
             TCase{"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
             TCase{"000102030405060708090a0b0c0d0e0f1011121314151617",
                   "dda97ca4864cdfe06eaf70a0ec0d7191"},
             TCase{"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
                   "8ea2b7ca516745bfeafc49904b496089"},
         }) {
        SCOPED_TRACE(c.Key);
        ExpectDeciphers(Hex(c.Key), Hex(c.Cipher), Plain);
    }
}

class NistKnownAnswers : public testing::TestWithParam<std::string> {};

// Every record of a file, from either section, is a key, a plaintext and its ciphertext.
TEST_P(NistKnownAnswers, EveryCiphertextDeciphersToItsPlaintext) {
    const std::vector<TVector> vectors = ReadVectors(GetParam());
    int decryptRecords = 0;
    for (const TVector& v : vectors) {
        SCOPED_TRACE((v.Decrypt ? "DECRYPT COUNT = " : "ENCRYPT COUNT = ") +
                     std::to_string(v.Count));
        ASSERT_FALSE(v.Cipher.empty());
        ASSERT_EQ(v.Cipher.size(), v.Plain.size());
        ExpectDeciphers(v.Key, v.Cipher, v.Plain);
        decryptRecords += v.Decrypt ? 1 : 0;
    }
    EXPECT_GT(decryptRecords, 0);
    EXPECT_EQ(decryptRecords * 2, static_cast<int>(vectors.size()));
}

INSTANTIATE_TEST_SUITE_P(AESAVS, NistKnownAnswers, testing::ValuesIn(VectorFiles()),
                         VectorTestName);
