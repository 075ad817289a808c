#include "player/Player.h"
#include "player/PlayerProbe.h"
#include "player/Speaker.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>

namespace {

// Larger than any pronunciation; a bigger file is refused rather than read into memory.
constexpr qint64 MaxRecordingBytes = 64 * 1024 * 1024;
// At the end of the application, how long to wait for the player's thread before leaving it
// behind.
constexpr unsigned FinalWaitMs = 3000;

// Exists between pvInitMp3 and pvFreeMp3; touched only from the thread that prepared it.
std::unique_ptr<TSpeaker> Speaker;
// That thread, kept apart so that a call from another thread is refused without touching Speaker.
std::atomic<QThread*> Caller{nullptr};

bool FromCaller() {
    return QThread::currentThread() == Caller.load() && Speaker != nullptr;
}

// Called as the application object goes, with or without pvFreeMp3 before: the player's thread
// should not outlive it.
void AtApplicationEnd() {
    Caller = nullptr;
    Speaker.reset();
    JoinStoppedSpeakers(FinalWaitMs);
}

int Init() {
    if (QCoreApplication::instance() == nullptr)
        return 1;
    if (Caller.load() != nullptr)
        return FromCaller() ? 0 : 1;
    Speaker = std::make_unique<TSpeaker>();
    Caller = QThread::currentThread();
    qRemovePostRoutine(AtApplicationEnd);
    qAddPostRoutine(AtApplicationEnd);
    return 0;
}

// Reads the recording whole: pronunciations are small, and the play file may be rewritten as soon
// as the call has returned.
bool ReadRecording(const QFileInfo& file, QByteArray& data) {
    QFile f(file.absoluteFilePath());
    if (file.filePath().isEmpty() || !file.isFile() || file.size() > MaxRecordingBytes ||
        !f.open(QIODevice::ReadOnly))
        return false;
    data = f.readAll();
    return !data.isEmpty();
}

int Play(const char* path) {
    const auto asked = std::chrono::steady_clock::now();
    if (!FromCaller() || path == nullptr)
        return 1;
    const QFileInfo file(QString::fromUtf8(path));
    QByteArray data;
    const bool readable = ReadRecording(file, data);
    // A new play ends the one before, also when there is nothing (or no file) to play.
    Speaker->Play(data.toStdString(), file.absoluteFilePath().toStdString(), asked);
    return readable ? 0 : 2;
}

int Free() {
    if (!FromCaller())
        return 1;
    Caller = nullptr;
    Speaker.reset();
    return 0;
}

// Nothing may unwind into a C caller.
template <typename F> int Guarded(F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return -1;
    }
}

} // namespace

TPlaybackProbe ProbePlayback() {
    TPlaybackProbe probe;
    if (FromCaller())
        Speaker->Fill(probe);
    return probe;
}

extern "C" {

int pvInitMp3(intptr_t /*instance*/, intptr_t /*window*/, int /*a*/, int /*b*/, int /*c*/) {
    return Guarded([] { return Init(); });
}

int pvPlayMp3(const char* path) {
    return Guarded([path] { return Play(path); });
}

int pvFreeMp3(void) {
    return Guarded([] { return Free(); });
}

} // extern "C"
