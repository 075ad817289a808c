// Arbitrary file contents through DecipherFile: each input is written to a source file and
// deciphered into a destination file in a private temporary folder. Errors of the system's own
// kinds are expected; anything else, a crash or a destination of the wrong size is a finding.

#include "cipher/AES.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

struct TFiles {
    TFiles() {
        Dir = std::filesystem::temp_directory_path() /
              ("tavelo-fuzz-cipher-" + std::to_string(getpid()));
        std::filesystem::create_directories(Dir);
        Source = (Dir / "6.mp3").string();
        Dest = (Dir / "1.mp3").string();
    }
    ~TFiles() {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
    std::filesystem::path Dir;
    std::string Source, Dest;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFiles files;
    {
        std::ofstream out(files.Source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::error_code ec;
    std::filesystem::remove(files.Dest, ec);
    try {
        DecipherFile(files.Source, files.Dest, "5309172846620194", AESKeySize128);
    } catch (const EAESError&) {
        return 0;
    } catch (const EStreamError&) {
        return 0;
    }
    if (size < 8) {
        std::abort();
    }
    uint64_t stored = 0;
    for (std::size_t i = 8; i-- > 0;) {
        stored = stored << 8 | data[i];
    }
    const auto expected =
        std::clamp<int64_t>(static_cast<int64_t>(stored), 0, static_cast<int64_t>(size - 8));
    if (std::filesystem::file_size(files.Dest) != static_cast<std::uintmax_t>(expected)) {
        std::abort();
    }
    return 0;
}
