// AES-128 block decryption over 1 MiB (ours beside OpenSSL's ECB on the same data) and the
// stream and file routines over a 50 KB enciphered recording.

#include "cipher/AES.h"
#include "cipher/ElAES.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>
#include <vector>

#ifdef TAVELO_BENCH_OPENSSL
#include <openssl/evp.h>
#endif

namespace {

const TAESKey128 Key = AESKeyFromText<16>("5309172846620194");

std::vector<uint8_t> RandomBytes(std::size_t n) {
    std::mt19937 random(1);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) {
        b = static_cast<uint8_t>(random());
    }
    return bytes;
}

const std::vector<uint8_t>& Blocks() {
    static const std::vector<uint8_t> data = RandomBytes(1 << 20);
    return data;
}

std::vector<uint8_t> DecryptOurs(const std::vector<uint8_t>& in) {
    static const TAESDecryptionKey128 schedule = ExpandAESKeyForDecryption(Key);
    std::vector<uint8_t> out(in.size());
    for (std::size_t offset = 0; offset < in.size(); offset += 16) {
        TAESBuffer block;
        std::memcpy(block.data(), in.data() + offset, 16);
        const TAESBuffer plain = DecryptAES(block, schedule);
        std::memcpy(out.data() + offset, plain.data(), 16);
    }
    return out;
}

void BM_DecryptAES128(benchmark::State& state) {
    const auto& in = Blocks();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecryptOurs(in));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_DecryptAES128);

#ifdef TAVELO_BENCH_OPENSSL
void BM_OpenSslAes128EcbDecrypt(benchmark::State& state) {
    const auto& in = Blocks();
    std::vector<uint8_t> out(in.size() + 16);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_DecryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, Key.data(), nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    int length = 0;
    for (auto _ : state) {
        EVP_DecryptUpdate(ctx, out.data(), &length, in.data(), static_cast<int>(in.size()));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    EVP_CIPHER_CTX_free(ctx);
    // Both must have deciphered the same bytes for the comparison to mean anything.
    out.resize(in.size());
    if (out != DecryptOurs(in)) {
        state.SkipWithError("OpenSSL and DecryptAES disagree");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_OpenSslAes128EcbDecrypt);
#endif

constexpr std::size_t RecordingSize = 50'000; // 3,125 blocks

void BM_DecipherStreamEcb50KB(benchmark::State& state) {
    const std::vector<uint8_t> data = RandomBytes(RecordingSize);
    std::istringstream source(std::string(data.begin(), data.end()));
    std::ostringstream dest;
    for (auto _ : state) {
        source.clear();
        source.seekg(0);
        dest.str("");
        benchmark::DoNotOptimize(DecipherStreamEcb(source, 0, Key, dest));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(RecordingSize));
}
BENCHMARK(BM_DecipherStreamEcb50KB);

// What the engine does per spoken word: the staging file into a play file.
void BM_DecipherFile50KB(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tavelo-bench-cipher-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string source = (dir / "6.mp3").string();
    const std::string dest = (dir / "1.mp3").string();
    {
        std::vector<uint8_t> form = RandomBytes(8 + RecordingSize);
        for (std::size_t i = 0; i < 8; ++i) {
            form[i] = static_cast<uint8_t>(uint64_t{RecordingSize} >> (8 * i));
        }
        std::ofstream out(source, std::ios::binary);
        out.write(reinterpret_cast<const char*>(form.data()),
                  static_cast<std::streamsize>(form.size()));
    }
    for (auto _ : state) {
        DecipherFile(source, dest, "5309172846620194", AESKeySize128);
    }
    std::filesystem::remove_all(dir);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(RecordingSize));
}
BENCHMARK(BM_DecipherFile50KB);

} // namespace
