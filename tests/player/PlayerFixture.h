// What the player tests share: waiting, looking at the playback, and a fixture with a temporary
// directory for the recordings.
#pragma once

#include "Mp3Maker.h"
#include "player/Player.h"
#include "player/PlayerProbe.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace testplayer {

// Longest a play may take: the program calls the player inside its timer event.
inline constexpr qint64 CallBudgetMs = 100;
// Longest a release may take; a stalled backend would hold it up for a second or more.
inline constexpr qint64 ReleaseBudgetMs = 300;
inline constexpr int MediaTimeoutMs = 8000;

template <typename Pred> bool WaitFor(Pred pred, int timeoutMs = MediaTimeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// Playback has really begun: the recording decoded and reaches the sound server.
inline bool IsPlaying(const TPlaybackProbe& p) {
    return p.current && p.connected && p.position > 0;
}

inline bool WaitUntilPlaying() {
    return WaitFor([] { return IsPlaying(ProbePlayback()); });
}

inline std::string Describe(const TPlaybackProbe& p) {
    return "source " + p.source + (p.connected ? ", connected" : ", no server") +
           (p.undecodable ? ", undecodable" : "") + ", duration " + std::to_string(p.duration) +
           ", position " + std::to_string(p.position) + ", streams opened " +
           std::to_string(p.streamsOpened);
}

// The private sound server every test of this program plays into (see main.cpp); null when
// none could be started.
class NullSink;
NullSink* SharedSink();

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (LameExecutable().isEmpty())
            GTEST_SKIP() << "lame is not installed";
        if (SharedSink() == nullptr)
            GTEST_SKIP() << "no private sound server (pulseaudio, parec)";
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override { pvFreeMp3(); }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    QString Tone(const QString& name, int ms = 2000, double frequency = 440.0) const {
        const QString path = Path(name);
        EXPECT_TRUE(WriteToneMp3(path, ms, frequency)) << path.toStdString();
        return path;
    }

    // Runs pvPlayMp3 and checks it came back within the budget.
    static int TimedPlay(const QString& path) {
        const QByteArray utf8 = path.toUtf8();
        QElapsedTimer t;
        t.start();
        const int rc = pvPlayMp3(utf8.constData());
        EXPECT_LT(t.elapsed(), CallBudgetMs) << "pvPlayMp3 blocked on " << path.toStdString();
        return rc;
    }

    QTemporaryDir dir_;
};

} // namespace testplayer
