#include "player/Speaker.h"
#include "player/Decoder.h"
#include "player/PlayerProbe.h"
#include "player/Stream.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

// How long releasing the player waits for its thread before leaving the rest to the end of the
// application: the program releases the player as it closes its window.
constexpr auto StopWait = std::chrono::milliseconds(20);
// Written to the server at a time; a new word ends the one before within about this long.
constexpr long ChunksPerSecond = 100;
// The stream is opened ahead in the format of the program's own recordings (espeak-ng and lame
// make 22.05 kHz mono), so that the first word does not wait for the connection; a recording in
// another format opens a stream of its own format once.
constexpr long WarmUpRate = 22050;

struct TRequest {
    std::string recording; // empty: stop only
    std::string source;
    Clock::time_point asked;
};

} // namespace

struct TSpeaker::TShared {
    mutable std::mutex mutex;
    std::condition_variable wake;  // a request, or the end
    std::condition_variable ended; // the thread is done
    // Only the newest request counts: requests that came while the thread was busy are dropped.
    std::optional<TRequest> pending;
    bool quit = false;
    bool finished = false;
    TPlaybackProbe state;

    bool Interrupted() const {
        const std::lock_guard lock(mutex);
        return quit || pending.has_value();
    }
    template <typename F> void Update(F&& f) {
        const std::lock_guard lock(mutex);
        f(state);
    }
};

namespace {

using TShared = TSpeaker::TShared;

void Speak(TShared& s, TStream& stream, const TRequest& r) {
    const TPcm pcm = DecodeMp3(r.recording);
    s.Update([&](TPlaybackProbe& p) {
        p.duration = pcm.Milliseconds();
        p.undecodable = pcm.Empty();
        p.current = !pcm.Empty();
    });
    if (pcm.Empty())
        return;
    const bool open = stream.Open(pcm.rate, pcm.channels);
    s.Update([&](TPlaybackProbe& p) {
        p.connected = open;
        p.streamsOpened = stream.Opened();
    });
    if (!open)
        return; // no sound server: silent, and the next recording tries again
    const size_t chunk = static_cast<size_t>(pcm.rate / ChunksPerSecond * pcm.channels);
    const size_t total = pcm.samples.size();
    for (size_t at = 0; at < total; at += chunk) {
        if (s.Interrupted())
            return;
        const size_t n = std::min(chunk, total - at);
        if (!stream.Write(pcm.samples.data() + at, n)) {
            stream.Close();
            s.Update([](TPlaybackProbe& p) { p.connected = false; });
            return;
        }
        const auto now = Clock::now();
        s.Update([&](TPlaybackProbe& p) {
            if (at == 0)
                p.firstBufferNs =
                    std::chrono::duration_cast<std::chrono::nanoseconds>(now - r.asked).count();
            p.position = static_cast<int64_t>((at + n) / static_cast<size_t>(pcm.channels)) * 1000 /
                         pcm.rate;
        });
    }
}

void Run(const std::shared_ptr<TShared>& s) {
    {
        TStream stream;
        const bool open = stream.Open(WarmUpRate, 1);
        std::unique_lock lock(s->mutex);
        s->state.connected = open;
        s->state.streamsOpened = stream.Opened();
        for (;;) {
            s->wake.wait(lock, [&] { return s->quit || s->pending.has_value(); });
            if (s->quit)
                break;
            const TRequest r = std::move(*s->pending);
            s->pending.reset();
            const TPlaybackProbe before = s->state;
            s->state = TPlaybackProbe{};
            s->state.prepared = true;
            s->state.connected = before.connected;
            s->state.streamsOpened = before.streamsOpened;
            s->state.source = r.source;
            lock.unlock();
            stream.Flush(); // what is left of the recording before
            if (!r.recording.empty())
                Speak(*s, stream, r);
            lock.lock();
        }
    }
    const std::lock_guard lock(s->mutex);
    s->finished = true;
    s->ended.notify_all();
}

struct TStopping {
    std::shared_ptr<TShared> shared;
    std::thread thread;

    TStopping(std::shared_ptr<TShared> s, std::thread t)
        : shared(std::move(s)), thread(std::move(t)) {}
    TStopping(TStopping&&) = default;
    TStopping& operator=(TStopping&&) = default;
    // A process that ends without the application's post routines (exit() from inside the event
    // loop) must not be aborted for a thread still running.
    ~TStopping() {
        if (thread.joinable())
            thread.detach();
    }
};
// Speakers told to stop that had not finished yet; touched from the caller's thread only.
// Never destroyed: when exit() ends the process from inside the event loop (Qt does so when
// the display goes away), a speaker held by another file's global stops after this file's
// globals are gone, and must still find the list.
std::vector<TStopping>& Stopping = *new std::vector<TStopping>;

// Joins the thread if it ends within wait; false when it is still running.
bool JoinWithin(TStopping& t, std::chrono::milliseconds wait) {
    std::unique_lock lock(t.shared->mutex);
    if (!t.shared->ended.wait_for(lock, wait, [&] { return t.shared->finished; }))
        return false;
    lock.unlock();
    t.thread.join();
    return true;
}

} // namespace

TSpeaker::TSpeaker() : shared_(std::make_shared<TShared>()) {
    shared_->state.prepared = true;
    std::thread thread([s = shared_] { Run(s); });
    // Kept until the destructor: joined there, or handed to Stopping.
    Stopping.emplace_back(shared_, std::move(thread));
}

TSpeaker::~TSpeaker() {
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
        shared_->pending.reset();
    }
    shared_->wake.notify_all();
    const auto mine = std::find_if(Stopping.begin(), Stopping.end(),
                                   [&](const TStopping& t) { return t.shared == shared_; });
    if (mine != Stopping.end() && JoinWithin(*mine, StopWait))
        Stopping.erase(mine);
    // Others from before that have finished meanwhile.
    std::erase_if(Stopping, [](TStopping& t) {
        return t.shared->quit && JoinWithin(t, std::chrono::milliseconds(0));
    });
}

void TSpeaker::Play(std::string recording, std::string source, Clock::time_point asked) {
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->pending = TRequest{std::move(recording), std::move(source), asked};
    }
    shared_->wake.notify_one();
}

void TSpeaker::Fill(TPlaybackProbe& probe) const {
    const std::lock_guard lock(shared_->mutex);
    probe = shared_->state;
    if (shared_->pending) {
        // Asked for and not yet taken up: shown as begun.
        probe.source = shared_->pending->source;
        probe.current = !shared_->pending->recording.empty();
        probe.duration = probe.position = 0;
        probe.undecodable = false;
        probe.firstBufferNs = -1;
    }
}

void JoinStoppedSpeakers(unsigned waitMs) {
    for (TStopping& t : Stopping) {
        if (!t.shared->quit)
            continue; // still in use
        if (!JoinWithin(t, std::chrono::milliseconds(waitMs)))
            // A thread stuck inside the sound server's client cannot be stopped safely: leave it
            // to the end of the process; it keeps its shared state alive.
            t.thread.detach();
    }
    std::erase_if(Stopping, [](const TStopping& t) { return !t.thread.joinable(); });
}
