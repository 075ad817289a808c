#include "PlayerFixture.h"

#include <QProcess>

#include <thread>

namespace testplayer {
namespace {

TEST_F(PlayerTest, PlaysInTheDocumentedOrderWithoutBlocking) {
    const QString mp3 = Tone(QStringLiteral("1.mp3"));
    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);
    EXPECT_TRUE(ProbePlayback().prepared);

    EXPECT_EQ(TimedPlay(mp3), 0);
    EXPECT_EQ(ProbePlayback().source, mp3.toStdString());
    EXPECT_TRUE(WaitUntilPlaying()) << Describe(ProbePlayback());
    EXPECT_FALSE(ProbePlayback().undecodable);

    QElapsedTimer t;
    t.start();
    EXPECT_EQ(pvFreeMp3(), 0) << "free while playing";
    EXPECT_LT(t.elapsed(), ReleaseBudgetMs);
    EXPECT_FALSE(ProbePlayback().prepared);
}

TEST_F(PlayerTest, EachNewPlayEndsTheOneBefore) {
    // The rotation of six play files, played faster than any one of them lasts.
    QStringList files;
    for (int i = 0; i < 6; ++i)
        files << Tone(QStringLiteral("%1.mp3").arg(i), 1500, 300.0 + 100.0 * i);
    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);

    for (int round = 0; round < 3; ++round) {
        for (const QString& f : files) {
            EXPECT_EQ(TimedPlay(f), 0);
            QCoreApplication::processEvents();
        }
    }
    EXPECT_EQ(ProbePlayback().source, files.last().toStdString());
    EXPECT_TRUE(WaitUntilPlaying()) << Describe(ProbePlayback());
    // One stream to the server carries every word: a new one per word would start cold.
    EXPECT_EQ(ProbePlayback().streamsOpened, 1) << Describe(ProbePlayback());
}

TEST_F(PlayerTest, UnplayableFilesNeitherBlockNorSpoilTheNextPlay) {
    const QString good = Tone(QStringLiteral("good.mp3"));
    const QString missing = Path(QStringLiteral("missing.mp3"));
    const QString empty = Path(QStringLiteral("empty.mp3"));
    ASSERT_TRUE(WriteNoise(empty, 0));
    const QString noise = Path(QStringLiteral("noise.mp3"));
    ASSERT_TRUE(WriteNoise(noise, 64 * 1024));
    const QString damaged = Tone(QStringLiteral("damaged.mp3"));
    ASSERT_TRUE(Damage(damaged));
    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);

    for (const QString& nothing : {missing, empty, dir_.path()})
        EXPECT_NE(TimedPlay(nothing), 0) << nothing.toStdString();
    EXPECT_NE(pvPlayMp3(""), 0);
    EXPECT_NE(pvPlayMp3(nullptr), 0);
    EXPECT_FALSE(ProbePlayback().current);

    // Both files exist, so the player accepts them. The backend finds no audio at all in the
    // noise; the damaged recording decodes in parts.
    EXPECT_EQ(TimedPlay(noise), 0);
    EXPECT_TRUE(WaitFor([] { return ProbePlayback().undecodable; })) << Describe(ProbePlayback());
    EXPECT_FALSE(IsPlaying(ProbePlayback()));
    // Ending a failed playback is where a player can hang; the next play must not.
    EXPECT_EQ(TimedPlay(good), 0);
    EXPECT_TRUE(WaitUntilPlaying()) << "after the noise: " << Describe(ProbePlayback());

    EXPECT_EQ(TimedPlay(damaged), 0);
    WaitFor([] { return ProbePlayback().duration > 0 || ProbePlayback().undecodable; }, 2000);
    EXPECT_EQ(TimedPlay(good), 0);
    EXPECT_TRUE(WaitUntilPlaying()) << "after the damaged file: " << Describe(ProbePlayback());

    // A missing file ends a good playback too.
    EXPECT_NE(TimedPlay(missing), 0);
    EXPECT_FALSE(ProbePlayback().current);
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(ProbePlayback().position, 0) << "the good recording went on";
}

TEST_F(PlayerTest, ReplayingARewrittenPathPlaysTheNewContents) {
    const QString path = Tone(QStringLiteral("3.mp3"), 1000);
    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);
    const auto duration = [] { return ProbePlayback().duration; };

    EXPECT_EQ(TimedPlay(path), 0);
    ASSERT_TRUE(WaitUntilPlaying());
    ASSERT_TRUE(WaitFor([&] { return duration() > 0; }));
    EXPECT_NEAR(static_cast<double>(duration()), 1000.0, 300.0);

    // The same play file, rewritten with a recording three times as long, while still playing.
    ASSERT_TRUE(WriteToneMp3(path, 3000, 660.0));
    EXPECT_EQ(TimedPlay(path), 0);
    ASSERT_TRUE(WaitUntilPlaying());
    EXPECT_TRUE(WaitFor([&] { return duration() > 2000; }))
        << "duration " << duration() << ": the old contents were played";
    EXPECT_NEAR(static_cast<double>(duration()), 3000.0, 300.0);
}

TEST_F(PlayerTest, CallsOutsideItsLifetimeAreHarmless) {
    const QString mp3 = Tone(QStringLiteral("1.mp3"));
    EXPECT_NE(TimedPlay(mp3), 0) << "play before init";
    EXPECT_NE(pvFreeMp3(), 0) << "free before init";
    EXPECT_FALSE(ProbePlayback().prepared);

    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);
    EXPECT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0) << "a second init keeps the player";
    EXPECT_EQ(TimedPlay(mp3), 0);
    std::thread([&] {
        EXPECT_NE(pvInitMp3(0, 0, 0, 0, 32), 0);
        EXPECT_NE(pvPlayMp3(mp3.toUtf8().constData()), 0);
        EXPECT_NE(pvFreeMp3(), 0);
    }).join();
    EXPECT_TRUE(WaitUntilPlaying()) << "a call from another thread disturbed the playback";
    EXPECT_EQ(pvFreeMp3(), 0);

    EXPECT_NE(TimedPlay(mp3), 0) << "play after free";
    EXPECT_NE(pvFreeMp3(), 0) << "free after free";
    EXPECT_FALSE(ProbePlayback().prepared);

    // A later init prepares a fresh player.
    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);
    EXPECT_EQ(TimedPlay(mp3), 0);
    EXPECT_TRUE(WaitUntilPlaying());
}

TEST_F(PlayerTest, ReleasingWhileARecordingLoadsDoesNotWait) {
    // Stopping a recording still being loaded holds the media thread up for a while.
    const QString mp3 = Tone(QStringLiteral("1.mp3"));
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);
        EXPECT_EQ(TimedPlay(mp3), 0);
        // From at once to well into the loading.
        QThread::msleep(static_cast<unsigned long>(i * 4));
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(pvFreeMp3(), 0);
        EXPECT_LT(t.elapsed(), ReleaseBudgetMs) << "round " << i;
    }
    // A player prepared while earlier threads still wind down plays as usual.
    ASSERT_EQ(pvInitMp3(0, 0, 0, 0, 32), 0);
    EXPECT_EQ(TimedPlay(mp3), 0);
    EXPECT_TRUE(WaitUntilPlaying()) << Describe(ProbePlayback());
}

// Runs this test program again in one of the modes of main.cpp; true when the child reports
// that the player behaved.
bool ChildBehaves(const char* mode, const QString& mp3) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode), mp3});
    return child.waitForFinished(15000) && child.exitStatus() == QProcess::NormalExit &&
           child.exitCode() == 0;
}

TEST_F(PlayerTest, RefusesToStartWithoutAnApplicationObject) {
    EXPECT_TRUE(ChildBehaves("--without-application", Tone(QStringLiteral("1.mp3"))));
}

TEST_F(PlayerTest, ApplicationMayEndBeforeTheFree) {
    EXPECT_TRUE(ChildBehaves("--application-ends-first", Tone(QStringLiteral("1.mp3"))));
}

} // namespace
} // namespace testplayer
