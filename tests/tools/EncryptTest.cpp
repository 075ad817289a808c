// The forward cipher of the sound-pack tool against the NIST AESAVS known answers.

#include "AESEncrypt.h"
#include "AesVectors.h"

using namespace aes_testing;

namespace {

template <std::size_t N>
std::vector<uint8_t> EncryptWith(const std::vector<uint8_t>& key,
                                 const std::vector<uint8_t>& plain) {
    const auto schedule = ExpandAESKeyForEncryption(KeyOf<N>(key));
    return EachBlock(plain, [&](const TAESBuffer& b) { return EncryptAES(b, schedule); });
}

std::vector<uint8_t> Encrypt(const std::vector<uint8_t>& key, const std::vector<uint8_t>& plain) {
    switch (key.size()) {
    case 16:
        return EncryptWith<16>(key, plain);
    case 24:
        return EncryptWith<24>(key, plain);
    default:
        return EncryptWith<32>(key, plain);
    }
}

} // namespace

class NistEncrypt : public testing::TestWithParam<std::string> {};

TEST_P(NistEncrypt, EveryEncryptRecordGivesItsCiphertext) {
    int records = 0;
    for (const TVector& v : ReadVectors(GetParam())) {
        if (v.Decrypt) {
            continue;
        }
        ASSERT_TRUE(v.Key.size() == 16 || v.Key.size() == 24 || v.Key.size() == 32);
        ASSERT_FALSE(v.Plain.empty());
        EXPECT_EQ(Encrypt(v.Key, v.Plain), v.Cipher) << "ENCRYPT COUNT = " << v.Count;
        ++records;
    }
    EXPECT_GT(records, 0);
}

INSTANTIATE_TEST_SUITE_P(AESAVS, NistEncrypt, testing::ValuesIn(VectorFiles()), VectorTestName);
