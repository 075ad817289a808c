#include "MediaThread.h"
#include "PlaybackHost.h"

#include <QtGlobal>

#include <vector>

namespace {

// How long releasing the player waits for its thread before leaving the rest to the end of the
// application: the program releases the player as it closes its window.
constexpr unsigned long StopWaitMs = 20;

// Threads told to stop that had not finished yet; touched from the caller's thread only.
std::vector<std::unique_ptr<QThread>> Stopping;

} // namespace

TMediaThread::TMediaThread() : thread_(std::make_unique<QThread>()), host_(new TPlaybackHost) {
    thread_->setObjectName(QStringLiteral("Player"));
    host_->moveToThread(thread_.get());
    // The host goes with its thread; its destructor ends the current playback there.
    QObject::connect(thread_.get(), &QThread::finished, host_, &QObject::deleteLater);
    thread_->start();
    TPlaybackHost* host = host_;
    QMetaObject::invokeMethod(
        host_, [host] { host->WarmUp(); }, Qt::QueuedConnection);
}

TMediaThread::~TMediaThread() {
    host_->RequestStop(); // drops a recording still waiting to be played
    thread_->quit();
    if (!thread_->wait(StopWaitMs))
        Stopping.push_back(std::move(thread_));
    // Not isFinished(): that is true already while the thread still winds down, and destroying
    // it then waits.
    std::erase_if(Stopping, [](const std::unique_ptr<QThread>& t) { return t->wait(0); });
}

void JoinStoppingThreads(unsigned long waitMs) {
    for (std::unique_ptr<QThread>& t : Stopping) {
        if (!t->wait(waitMs)) {
            // A thread stuck inside the backend cannot be stopped safely, and destroying a
            // running QThread aborts the process: leave it to the end of the process.
            qWarning("Player: the media thread did not stop; leaving it behind");
            (void)t.release();
        }
    }
    Stopping.clear();
}
