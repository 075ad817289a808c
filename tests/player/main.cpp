#include "NullSink.h"
#include "PlayerFixture.h"
#include "player/Player.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstring>

// Read by LeakSanitizer in sanitized builds. libpulse keeps what it allocated for the connection
// attempt Qt makes to the sound server at start-up; that is neither ours nor growing.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpulse.so\n";
}

// Modes in which the tests run this program as a child. Exit code 0 means the player behaved.

// Without an application object the player refuses to start and stays harmless.
static int RunWithoutApplication(const char* mp3) {
    return pvInitMp3(0, 0, 0, 0, 32) != 0 && pvPlayMp3(mp3) != 0 && pvFreeMp3() != 0 ? 0 : 1;
}

// The application object goes while a recording plays and before pvFreeMp3: the player stops
// with it (no abort at exit), and later calls are refused.
static int RunApplicationEndsFirst(int argc, char** argv, const char* mp3) {
    {
        QCoreApplication app(argc, argv);
        if (pvInitMp3(0, 0, 0, 0, 32) != 0 || pvPlayMp3(mp3) != 0)
            return 1;
        testplayer::WaitFor([] { return false; }, 300);
    }
    return pvPlayMp3(mp3) != 0 && pvFreeMp3() != 0 ? 0 : 1;
}

namespace testplayer {

namespace {
NullSink* Sink = nullptr;
}

NullSink* SharedSink() {
    return Sink;
}

} // namespace testplayer

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--without-application") == 0)
        return RunWithoutApplication(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--application-ends-first") == 0)
        return RunApplicationEndsFirst(argc, argv, argv[2]);
    // Also when started by hand or for test discovery, where CMake's environment is not set.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // One private sound server for the whole run, so that the tests hear what the player plays
    // and no test depends on the machine's own sound.
    testplayer::NullSink sink;
    if (sink.Start())
        testplayer::Sink = &sink;
    else
        qWarning("No private sound server: %s", qPrintable(sink.Failure()));
    const int result = RUN_ALL_TESTS();
    testplayer::Sink = nullptr;
    return result;
}
