#pragma once

// Reading the NIST AESAVS known-answer files (*.rsp) and small file helpers for the cipher
// and sound-pack tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace aes_testing {

// Independent of the code under test on purpose: parses the files' lower-case hex.
inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(
            static_cast<uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

struct TVector {
    int Count = -1;
    bool Decrypt = false;
    std::vector<uint8_t> Key, Plain, Cipher;
};

// All records of one file, the [ENCRYPT] and the [DECRYPT] section alike.
inline std::vector<TVector> ReadVectors(const std::string& fileName) {
    std::ifstream in(std::filesystem::path(TAVELO_AES_VECTORS_DIR) / fileName);
    EXPECT_TRUE(in.is_open()) << "missing " << fileName << " in " << TAVELO_AES_VECTORS_DIR;
    std::vector<TVector> vectors;
    bool decrypt = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "[ENCRYPT]" || line == "[DECRYPT]") {
            decrypt = line == "[DECRYPT]";
            continue;
        }
        const auto eq = line.find(" = ");
        if (eq == std::string::npos) {
            continue;
        }
        const std::string name = line.substr(0, eq);
        const std::string value = line.substr(eq + 3);
        if (name == "COUNT") {
            vectors.push_back({std::stoi(value), decrypt, {}, {}, {}});
        } else if (!vectors.empty() && name == "KEY") {
            vectors.back().Key = Hex(value);
        } else if (!vectors.empty() && name == "PLAINTEXT") {
            vectors.back().Plain = Hex(value);
        } else if (!vectors.empty() && name == "CIPHERTEXT") {
            vectors.back().Cipher = Hex(value);
        }
    }
    return vectors;
}

// The fifteen ECB files: five kinds of test for each key size.
inline std::vector<std::string> VectorFiles() {
    std::vector<std::string> files;
    for (const char* kind : {"GFSbox", "KeySbox", "VarKey", "VarTxt", "MMT"}) {
        for (const char* bits : {"128", "192", "256"}) {
            files.push_back(std::string("ECB") + kind + bits + ".rsp");
        }
    }
    return files;
}

// The key of N bytes held in `bytes`.
template <std::size_t N> std::array<uint8_t, N> KeyOf(const std::vector<uint8_t>& bytes) {
    std::array<uint8_t, N> key{};
    std::copy_n(bytes.begin(), std::min(N, bytes.size()), key.begin());
    return key;
}

// `cipher` (one 16-byte block to another) applied to every whole block of `data`.
template <class F> std::vector<uint8_t> EachBlock(const std::vector<uint8_t>& data, F cipher) {
    std::vector<uint8_t> out;
    for (std::size_t offset = 0; offset + 16 <= data.size(); offset += 16) {
        std::array<uint8_t, 16> block{};
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(offset), 16, block.begin());
        const auto result = cipher(block);
        out.insert(out.end(), result.begin(), result.end());
    }
    return out;
}

inline std::string VectorTestName(const testing::TestParamInfo<std::string>& info) {
    return info.param.substr(0, info.param.find('.'));
}

// A folder of its own under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir() {
        static std::atomic<int> counter{0};
        Path = std::filesystem::temp_directory_path() /
               ("tavelo-cipher-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(Path);
        std::filesystem::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::string File(const std::string& name) const { return (Path / name).string(); }

    std::filesystem::path Path;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace aes_testing
