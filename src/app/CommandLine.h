#pragma once

// The program's command line, read before any window or database work: --help and
// --version answer at once, an unknown option is refused with the usage, and a start
// without a display says so in one line instead of letting Qt abort.

#include <QString>

struct TCommandLine {
    bool proceed = false; // false: exitCode is the program's result
    int exitCode = 0;
    QString dataDir; // --data-dir, empty when not given
};

TCommandLine ParseCommandLine(int argc, char** argv);

// Under X11 (the platform the word window needs) without DISPLAY there is nothing to show
// on. An explicit QT_QPA_PLATFORM other than xcb is the user's choice and is kept.
bool DisplayMissing();
