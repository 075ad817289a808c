// Deciphering an enciphered file into another.

#include "DecipherCases.h"
#include "cipher/AES.h"

#include <cstring>

using namespace aes_testing;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Form(int64_t storedLength, int blocks, std::size_t extra = 0) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 8; ++i) {
        bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(storedLength) >> (8 * i)));
    }
    const std::string body = Repeat(Cipher, blocks);
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.resize(bytes.size() + extra, 0x5a);
    return bytes;
}

std::vector<uint8_t> PlainPrefix(std::size_t n) {
    const std::string plain = Repeat(Plain, static_cast<int>(n / 16 + 1)).substr(0, n);
    return {plain.begin(), plain.end()};
}

class DecipherFileTest : public testing::Test {
protected:
    TTempDir Dir;
    const std::string Source = Dir.File("6.mp3");
    const std::string Dest = Dir.File("1.mp3");

    // The error's text, or "" when the call succeeds.
    std::string Run(const std::string& source, const std::string& dest, int keySize = 0) {
        try {
            DecipherFile(source, dest, KeyText, keySize);
            return "";
        } catch (const ETaveloError& e) {
            return e.what();
        }
    }
};

} // namespace

TEST_F(DecipherFileTest, DestinationIsCutToTheStoredLength) {
    struct TCase {
        int64_t Stored;
        int Blocks;
        std::size_t Expected;
    };
    // A length beyond the deciphered bytes keeps them all; a negative one leaves nothing.
    for (const TCase& c : {TCase{5, 1, 5}, TCase{16, 1, 16}, TCase{40, 3, 40}, TCase{0, 1, 0},
                           TCase{17, 1, 16}, TCase{-5, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << "stored " << c.Stored << ", blocks " << c.Blocks);
        WriteBytes(Source, Form(c.Stored, c.Blocks));
        EXPECT_EQ(Run(Source, Dest), "");
        EXPECT_EQ(ReadBytes(Dest), PlainPrefix(c.Expected));
    }
}

TEST_F(DecipherFileTest, ReplacesALongerDestination) {
    WriteBytes(Dest, std::vector<uint8_t>(100, 7));
    WriteBytes(Source, Form(5, 1));
    EXPECT_EQ(Run(Source, Dest), "");
    EXPECT_EQ(ReadBytes(Dest), PlainPrefix(5));
}

TEST_F(DecipherFileTest, UnknownKeySizeLeavesAnEmptyDestination) {
    WriteBytes(Source, Form(5, 1));
    EXPECT_EQ(Run(Source, Dest, 3), "");
    EXPECT_TRUE(fs::exists(Dest));
    EXPECT_EQ(fs::file_size(Dest), 0u);
}

TEST_F(DecipherFileTest, MisalignedContentFailsAfterCreatingAnEmptyDestination) {
    // Only the length: the remaining count 0 means the whole 8-byte file.
    for (const auto& form : {Form(0, 0), Form(5, 1, 3)}) {
        fs::remove(Dest);
        WriteBytes(Source, form);
        EXPECT_EQ(Run(Source, Dest), "Invalid buffer size for decryption");
        EXPECT_TRUE(fs::exists(Dest));
        EXPECT_EQ(fs::file_size(Dest), 0u);
    }
}

TEST_F(DecipherFileTest, SourceShorterThanTheLengthCreatesNoDestination) {
    WriteBytes(Source, {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(Run(Source, Dest), "Stream read error");
    EXPECT_FALSE(fs::exists(Dest));
}

TEST_F(DecipherFileTest, MissingSourceNamesTheFullPathAndCreatesNoDestination) {
    const std::string missing = Dir.File("none.mp3");
    EXPECT_EQ(Run(missing, Dest), "Cannot open file \"" + missing + "\". " + std::strerror(ENOENT));
    EXPECT_FALSE(fs::exists(Dest));

    // A relative name is reported with the working directory in front.
    const fs::path relative = fs::path("no-such-folder") / "x.mp3";
    EXPECT_EQ(Run(relative.string(), Dest), "Cannot open file \"" +
                                                (fs::current_path() / relative).string() + "\". " +
                                                std::strerror(ENOENT));
}

TEST_F(DecipherFileTest, UncreatableDestinationIsAFileError) {
    WriteBytes(Source, Form(5, 1));
    const std::string dest = Dir.File("missing-folder/1.mp3");
    EXPECT_EQ(Run(Source, dest), "Cannot create file \"" + dest + "\". " + std::strerror(ENOENT));
    EXPECT_EQ(Run(Source, Dir.Path.string()),
              "Cannot create file \"" + Dir.Path.string() + "\". " + std::strerror(EISDIR));
}

TEST_F(DecipherFileTest, DestinationThatIsTheSourceIsRefusedAndLeavesItWhole) {
    const std::vector<uint8_t> form = Form(40, 3);
    WriteBytes(Source, form);
    const std::string link = Dir.File("link.mp3");
    fs::create_symlink(Source, link);
    for (const std::string& dest : {Source, link}) {
        EXPECT_EQ(Run(Source, dest),
                  "Cannot create file \"" + dest + "\". " + std::strerror(EBUSY));
    }
    EXPECT_EQ(ReadBytes(Source), form);
}
