#pragma once

#include <QThread>

#include <memory>

class TPlaybackHost;

// The thread the media backend runs on, with the host that owns the players there. The backend
// stalls now and then (a stop after a failed load waits a second, and so does a stop while a
// recording is still being loaded, since the data is fed through the same event loop); on a
// thread of its own that may delay a word's sound, but never the caller.
class TMediaThread {
public:
    TMediaThread();
    // Stops the thread. If the backend holds it up, the thread is left to finish on its own and
    // joined by JoinStoppingThreads.
    ~TMediaThread();
    TMediaThread(const TMediaThread&) = delete;
    TMediaThread& operator=(const TMediaThread&) = delete;

    // To be used from the thread that created this one: its Request functions post to the media
    // thread.
    TPlaybackHost& Host() const { return *host_; }

private:
    std::unique_ptr<QThread> thread_;
    TPlaybackHost* host_; // lives on thread_, deleted there when it finishes
};

// Waits for threads still stopping, up to waitMs each, and leaves behind any that are stuck.
void JoinStoppingThreads(unsigned long waitMs);
