#include "NullSink.h"
#include "PlayerFixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace testplayer {
namespace {

constexpr qsizetype WindowSamples = NullSink::Rate / 20; // 50 ms

// Zero crossings per second over the loud part, halved: the tone's frequency.
double ToneFrequency(const QByteArray& pcm, qsizetype first, qsizetype count) {
    int crossings = 0;
    for (qsizetype i = first + 1; i < first + count; ++i)
        crossings += (SampleAt(pcm, i - 1) < 0) != (SampleAt(pcm, i) < 0) ? 1 : 0;
    return crossings / 2.0 / (static_cast<double>(count) / NullSink::Rate);
}

TEST_F(PlayerTest, SoundReachesTheAudioDevice) {
    const QString mp3 = Tone(QStringLiteral("1.mp3"), 1000, 440.0);
    NullSink& sink = *SharedSink();

    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);
    sink.TakeRecording(); // what the tests before played
    WaitFor([] { return false; }, 200);
    const QByteArray before = sink.TakeRecording();
    EXPECT_LT(Rms(before, 0, before.size() / 2), 50.0) << "the sink is not silent before play";

    ASSERT_EQ(pvPlayMp3(mp3.toUtf8().constData()), 0);
    ASSERT_TRUE(WaitFor([] {
        const TPlaybackProbe p = ProbePlayback();
        return p.duration > 0 && p.position >= p.duration;
    })) << Describe(ProbePlayback());
    WaitFor([] { return false; }, 300); // the recorder's latency
    const QByteArray pcm = sink.TakeRecording();

    // The tone is a sine of amplitude 0.5: its windows stand far above silence. Frequencies are
    // taken per window, and their median, so that a dropout in the recording does not count.
    std::vector<double> frequencies;
    for (qsizetype w = 0; (w + 1) * WindowSamples * 2 <= pcm.size(); ++w) {
        if (Rms(pcm, w * WindowSamples, WindowSamples) > 4000.0)
            frequencies.push_back(ToneFrequency(pcm, w * WindowSamples, WindowSamples));
    }
    ASSERT_FALSE(frequencies.empty())
        << "only silence was recorded (" << pcm.size() / 2 << " samples)";
    EXPECT_NEAR(static_cast<double>(frequencies.size()) * 50.0, 1000.0, 200.0) << "ms of sound";
    std::nth_element(frequencies.begin(), frequencies.begin() + frequencies.size() / 2,
                     frequencies.end());
    EXPECT_NEAR(frequencies[frequencies.size() / 2], 440.0, 20.0) << "median frequency";
}

} // namespace
} // namespace testplayer
