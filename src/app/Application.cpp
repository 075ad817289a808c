#include "app/Application.h"

#include "common/Errors.h"
#include "model/Prompts.h"

#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The signal handler only writes a byte here; the event loop reads it (the self-pipe).
std::array<int, 2> signalPipe = {-1, -1};

extern "C" void OnQuitSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TApplication::~TApplication() {
    if (signalNotifier_ != nullptr) {
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
            std::signal(number, SIG_DFL);
        }
    }
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
    }
    return false;
}

void TApplication::QuitOnSignals(std::function<void()> quit) {
    quit_ = std::move(quit);
    if (signalNotifier_ != nullptr ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe.data()) !=
            0) {
        return;
    }
    signalNotifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(signalNotifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalPipe[1], bytes, sizeof bytes) > 0) {
        }
        if (quit_) {
            quit_();
        }
    });
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        sigaction(number, &action, nullptr);
    }
}
