#include "player/Decoder.h"

#include <mpg123.h>

#include <memory>
#include <mutex>

namespace {

// More than any pronunciation decodes to (10 minutes of 48 kHz stereo); the rest is not played.
constexpr size_t MaxSamples = 48000 * 2 * 600;

struct HandleDeleter {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

std::unique_ptr<mpg123_handle, HandleDeleter> NewHandle() {
    // Needed before libmpg123 1.27, harmless after.
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int error = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleDeleter> h(mpg123_new(nullptr, &error));
    if (!h)
        return h;
    // Damaged recordings are expected now and then; they must not print on the program's stderr.
    mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Signed 16-bit at the file's own rate and channels: the sound server resamples far better
    // than libmpg123's own resampler.
    mpg123_format_none(h.get());
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(h.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(h.get()) != MPG123_OK)
        h.reset();
    return h;
}

} // namespace

TPcm DecodeMp3(std::string_view mp3) {
    TPcm pcm;
    auto h = NewHandle();
    if (!h || mp3.empty() ||
        mpg123_feed(h.get(), reinterpret_cast<const unsigned char*>(mp3.data()), mp3.size()) !=
            MPG123_OK)
        return pcm;
    int16_t buffer[8192];
    for (;;) {
        size_t done = 0;
        const int rc =
            mpg123_read(h.get(), reinterpret_cast<unsigned char*>(buffer), sizeof buffer, &done);
        if (rc == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(h.get(), &rate, &channels, &encoding);
            // One format per recording: a change in the middle would be played at the wrong
            // speed, so decoding ends there.
            if (pcm.rate != 0 && (rate != pcm.rate || channels != pcm.channels))
                break;
            pcm.rate = rate;
            pcm.channels = channels;
        }
        if (done > 0 && pcm.channels > 0) {
            pcm.samples.insert(pcm.samples.end(), buffer, buffer + done / sizeof(int16_t));
        }
        if ((rc != MPG123_OK && rc != MPG123_NEW_FORMAT) || pcm.samples.size() > MaxSamples)
            break; // the end of the data (NEED_MORE, DONE) or an error
    }
    // Whole frames only.
    if (pcm.channels > 0)
        pcm.samples.resize(pcm.samples.size() - pcm.samples.size() % pcm.channels);
    return pcm;
}
