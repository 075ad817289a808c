// The count rules and the errors of the stream routine.

#include "DecipherCases.h"
#include "cipher/ElAES.h"

#include <sstream>

using namespace aes_testing;

namespace {

// The key of FIPS-197 C.1.
const TAESKey128 Key = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

// Reports a size of `claimed` bytes but holds only `data`: a source that ends early.
class TShortSource : public std::streambuf {
public:
    TShortSource(std::string data, std::streamoff claimed)
        : Data(std::move(data)), Claimed(claimed) {
        setg(Data.data(), Data.data(), Data.data() + Data.size());
    }

protected:
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override {
        // Past the real data the position is only remembered.
        const off_type current = Beyond >= 0 ? Beyond : gptr() - eback();
        const off_type base = dir == std::ios::beg ? 0 : dir == std::ios::end ? Claimed : current;
        return seekpos(base + off, std::ios::in);
    }
    pos_type seekpos(pos_type pos, std::ios::openmode) override {
        const auto size = static_cast<off_type>(Data.size());
        Beyond = pos > size ? off_type(pos) : -1;
        setg(Data.data(), Data.data() + std::min<off_type>(pos, size), Data.data() + size);
        return pos;
    }

private:
    std::string Data;
    std::streamoff Claimed;
    off_type Beyond = -1;
};

// Takes at most `capacity` bytes.
class TSmallSink : public std::streambuf {
public:
    explicit TSmallSink(std::size_t capacity) : Capacity(capacity) {}
    std::string Taken;

protected:
    int_type overflow(int_type c) override {
        if (c == traits_type::eof() || Taken.size() >= Capacity) {
            return traits_type::eof();
        }
        Taken.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    std::size_t Capacity;
};

} // namespace

TEST(DecipherStreamEcb, CountIsCutToTheRestOrMeansTheWholeStreamWhenZero) {
    struct TCase {
        std::streamoff Start;
        int64_t Count;
        int Blocks;
    };
    // Three blocks in the source; the routine starts where the stream stands.
    for (const TCase& c : {TCase{16, 16, 1}, TCase{16, 1000, 2}, TCase{32, 0, 3}, TCase{48, 16, 0},
                           TCase{0, -16, 0}}) {
        SCOPED_TRACE(testing::Message() << "start " << c.Start << ", count " << c.Count);
        std::istringstream source(Repeat(Cipher, 3));
        source.seekg(c.Start);
        std::ostringstream dest;
        EXPECT_EQ(DecipherStreamEcb(source, c.Count, Key, dest), 16 * c.Blocks);
        EXPECT_EQ(dest.str(), Repeat(Plain, c.Blocks));
    }
}

TEST(DecipherStreamEcb, AppendsToWhatTheDestinationHolds) {
    std::istringstream source(Repeat(Cipher, 1));
    std::ostringstream dest("head", std::ios::ate);
    DecipherStreamEcb(source, 16, Key, dest);
    EXPECT_EQ(dest.str(), "head" + Repeat(Plain, 1));
}

TEST(DecipherStreamEcb, CountNotAMultipleOf16FailsBeforeWriting) {
    for (const int64_t count : {int64_t{20}, int64_t{0}}) {
        SCOPED_TRACE(testing::Message() << "count " << count);
        std::istringstream source(Repeat(Cipher, 1) + "1234"); // 20 bytes
        std::ostringstream dest;
        ExpectFailure<EAESError>([&] { DecipherStreamEcb(source, count, Key, dest); },
                                 "Invalid buffer size for decryption");
        EXPECT_EQ(dest.str(), "");
    }
}

TEST(DecipherStreamEcb, SourceEndingEarlyIsAReadError) {
    TShortSource buffer(Repeat(Cipher, 1), 32);
    std::istream source(&buffer);
    std::ostringstream dest;
    ExpectFailure<EStreamError>([&] { DecipherStreamEcb(source, 32, Key, dest); },
                                "Stream read error");
    EXPECT_EQ(dest.str(), Repeat(Plain, 1));
}

TEST(DecipherStreamEcb, DestinationTakingLessIsAWriteError) {
    std::istringstream source(Repeat(Cipher, 2));
    TSmallSink sink(20);
    std::ostream dest(&sink);
    ExpectFailure<EStreamError>([&] { DecipherStreamEcb(source, 0, Key, dest); },
                                "Stream write error");
    EXPECT_EQ(sink.Taken.substr(0, 16), Repeat(Plain, 1));
}
