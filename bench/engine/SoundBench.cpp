// The work of one spoken word: inflate the stored file into the staging file, decipher it
// into a play file.
#include "SoundPack.h"
#include "cipher/AES.h"
#include "engine/Sound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace {

void BM_UnpackAndDecipher(benchmark::State& state) {
    QTemporaryDir dir;
    const QString stored = QDir(dir.path()).filePath(QStringLiteral("word.mp3"));
    const QString staging = QDir(dir.path()).filePath(QStringLiteral("6.mp3"));
    const QString play = QDir(dir.path()).filePath(QStringLiteral("1.mp3"));
    // MP3 data hardly compresses: random bytes are a fair stand-in.
    std::vector<uint8_t> mp3(static_cast<size_t>(state.range(0)));
    std::mt19937 random(42);
    for (auto& b : mp3) {
        b = static_cast<uint8_t>(random());
    }
    const std::vector<uint8_t> packed = PackSound(mp3);
    QFile f(stored);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char*>(packed.data()), static_cast<qint64>(packed.size()));
    f.close();
    for (auto _ : state) {
        UnpackSoundFile(stored, staging);
        DecipherFile(staging.toStdString(), play.toStdString(), kAudioKey, AESKeySize128);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_UnpackAndDecipher)->Arg(50 * 1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
