// The program's command line is read before anything is set up.
#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <vector>

TEST(CommandLine, AnswersRefusesOrGoesOn) {
    struct TCase {
        std::vector<const char*> args;
        bool proceed;
        int exitCode;
        QString dataDir;
    };
    const TCase cases[] = {
        {{}, true, 0, {}},
        {{"--data-dir", "/d"}, true, 0, "/d"},
        {{"--data-dir=/d"}, true, 0, "/d"},
        {{"--help"}, false, 0, {}},
        {{"--data-dir", "/d", "--version"}, false, 0, {}},
        {{"--bogus"}, false, 2, {}},
        {{"stray"}, false, 2, {}},
        {{"--data-dir"}, false, 2, {}},
    };
    for (const TCase& c : cases) {
        std::vector<char*> argv{const_cast<char*>("tavelo")};
        for (const char* a : c.args) {
            argv.push_back(const_cast<char*>(a));
        }
        const TCommandLine got = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        const std::string what = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(got.proceed, c.proceed) << what;
        EXPECT_EQ(got.exitCode, c.exitCode) << what;
        EXPECT_EQ(got.dataDir, c.dataDir) << what;
    }
}

TEST(CommandLine, OnlyAnX11StartWithoutDisplayIsMissingOne) {
    const QByteArray display = qgetenv("DISPLAY"), platform = qgetenv("QT_QPA_PLATFORM");
    struct TCase {
        QByteArray display, platform;
        bool missing;
    };
    const TCase cases[] = {
        {"", "", true},           {"", "xcb", true},      {":1", "", false},
        {"", "offscreen", false}, {"", "wayland", false},
    };
    for (const TCase& c : cases) {
        qputenv("DISPLAY", c.display);
        qputenv("QT_QPA_PLATFORM", c.platform);
        EXPECT_EQ(DisplayMissing(), c.missing) << c.display.data() << "/" << c.platform.data();
    }
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", platform);
}
