#pragma once

// A first start's slow work with its progress on the screen: the work runs on a thread of
// its own while the event loop goes on, and a window above the others shows how far it is
// once it has taken longer than a moment.
#include <QCoreApplication>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

// How far the work is: a line saying what is being done, and done of total (total 0: not
// counted). Callable from the work's thread.
using TSetupReport = std::function<void(const QString& text, int done, int total)>;
// The work; false with a message in *error when it failed.
using TSetupWork = std::function<bool(const TSetupReport& report, QString* error)>;

inline constexpr std::chrono::milliseconds kSetupWindowDelay{1000};

// Runs work to its end. The progress window (title "背词", Chinese text, a bar with the
// count) shows when the work has gone on for delay and closes when it ends; a failure is
// then shown in a message box (caption "提示") with *error as its text. Needs a QApplication.
bool RunWithProgressWindow(const TSetupWork& work, std::chrono::milliseconds delay, QString* error);

// A QApplication when the command line asks for --progress-window and there is a screen to
// show it on; else nullptr (the work then reports to the console only).
std::unique_ptr<QCoreApplication> MakeProgressApplication(int& argc, char** argv);
bool CanShowProgressWindow();
