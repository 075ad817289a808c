// The player's own start: from the play call to the first buffer of the recording handed to the
// sound server (a private PulseAudio server with a null sink), the stream idle before, as between
// two words, or still playing the word before.
#include "Mp3Maker.h"
#include "NullSink.h"
#include "player/Player.h"
#include "player/PlayerProbe.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Plays and waits for the first buffer; the figure is the player's own stamp.
double TimeToFirstBuffer(const QByteArray& path) {
    if (pvPlayMp3(path.constData()) != 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        const TPlaybackProbe p = ProbePlayback();
        if (p.firstBufferNs >= 0)
            return static_cast<double>(p.firstBufferNs) * 1e-9;
        if (std::chrono::steady_clock::now() > deadline || p.undecodable)
            return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

void BM_PlayToFirstBuffer(benchmark::State& state) {
    const bool idle = state.range(0) != 0;
    QTemporaryDir dir;
    const QString mp3 = dir.filePath(QStringLiteral("1.mp3"));
    if (!testplayer::WriteToneMp3(mp3, 600, 440.0)) {
        state.SkipWithError("lame is not installed");
        return;
    }
    testplayer::NullSink sink;
    if (!sink.Start()) {
        state.SkipWithError(qPrintable(sink.Failure()));
        return;
    }
    pvInitMp3(0, 0, 0, 0, 32);
    const QByteArray path = mp3.toUtf8();
    TimeToFirstBuffer(path); // the first opens the stream
    std::vector<double> times;
    for (auto _ : state) {
        const double seconds = TimeToFirstBuffer(path);
        if (seconds < 0) {
            state.SkipWithError("no buffer reached the sound server");
            break;
        }
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1000);
        state.PauseTiming();
        // Idle: the word before has ended; busy: it is still being played.
        QThread::msleep(idle ? 700 : 100);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    pvFreeMp3();
    // On a loaded machine a few late wake-ups of the player's thread dominate the mean.
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        state.counters["median_ms"] = times[times.size() / 2];
        state.counters["worst_ms"] = times.back();
    }
}
BENCHMARK(BM_PlayToFirstBuffer)
    ->ArgName("idle")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
