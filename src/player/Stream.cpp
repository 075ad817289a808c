#include "player/Stream.h"

#include <pulse/simple.h>

namespace {

// What the server may hold of a recording ahead of playing it. PulseAudio's default is two
// seconds, and a stream that ran dry then waits for a full buffer before it plays again. The size
// does not delay a word's start (the server plays what comes after a dry spell at once, measured
// with a null sink); too small a buffer breaks the sound up whenever the machine is busy (40 ms
// did under a load of 18 on two cores), so it stays generous.
constexpr pa_usec_t TargetLatencyUs = 150000;
// How much must be buffered before playback starts (again): one write.
constexpr pa_usec_t StartUs = 10000;
// After this long without a write the server has played everything (the buffer and the sound
// card's share): a flush, a round trip to the server, would only delay the next word.
constexpr auto DryAfter =
    std::chrono::microseconds(TargetLatencyUs) + std::chrono::milliseconds(100);

} // namespace

bool TStream::Open(long rate, int channels) {
    if (s_ != nullptr && rate == rate_ && channels == channels_)
        return true;
    Close();
    if (rate <= 0 || channels <= 0 || channels > static_cast<int>(PA_CHANNELS_MAX))
        return false;
    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16NE;
    sampleFormat.rate = static_cast<uint32_t>(rate);
    sampleFormat.channels = static_cast<uint8_t>(channels);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(TargetLatencyUs, &sampleFormat));
    attr.prebuf = static_cast<uint32_t>(pa_usec_to_bytes(StartUs, &sampleFormat));
    // The writer blocks until this much is free; a new word is noticed only between writes.
    attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(StartUs, &sampleFormat));
    attr.fragsize = static_cast<uint32_t>(-1);
    int error = 0;
    s_ = pa_simple_new(nullptr, "Tavelo", PA_STREAM_PLAYBACK, nullptr, "pronunciation",
                       &sampleFormat, nullptr, &attr, &error);
    if (s_ == nullptr)
        return false;
    rate_ = rate;
    channels_ = channels;
    lastWrite_ = {};
    ++opened_;
    return true;
}

bool TStream::Write(const int16_t* samples, size_t count) {
    int error = 0;
    if (s_ == nullptr || pa_simple_write(s_, samples, count * sizeof(int16_t), &error) < 0)
        return false;
    lastWrite_ = std::chrono::steady_clock::now();
    return true;
}

void TStream::Flush() {
    if (s_ == nullptr || std::chrono::steady_clock::now() - lastWrite_ > DryAfter)
        return;
    int error = 0;
    if (pa_simple_flush(s_, &error) < 0)
        Close(); // the connection broke: the next recording opens a new one
    lastWrite_ = {};
}

void TStream::Close() {
    if (s_ != nullptr)
        pa_simple_free(s_);
    s_ = nullptr;
    rate_ = 0;
    channels_ = 0;
}
