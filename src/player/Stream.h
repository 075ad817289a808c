// One playback stream to the sound server (PulseAudio, or PipeWire's PulseAudio service), with a
// small buffer so that a word is heard as soon as it is written.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

struct pa_simple;

class TStream {
public:
    TStream() = default;
    ~TStream() { Close(); }
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Keeps the open stream when it has this format already; otherwise opens a new one. False
    // when there is no sound server to talk to.
    bool Open(long rate, int channels);
    // Writes interleaved signed 16-bit samples; waits while the server's buffer is full. False
    // when the connection broke.
    bool Write(const int16_t* samples, size_t count);
    // Throws away what the server has not played yet (nothing to do once it has run dry).
    void Flush();
    void Close();
    // Streams opened so far.
    int Opened() const { return opened_; }

private:
    pa_simple* s_ = nullptr;
    long rate_ = 0;
    int channels_ = 0;
    std::chrono::steady_clock::time_point lastWrite_;
    int opened_ = 0;
};
