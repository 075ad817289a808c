// MP3 decoding for the player (libmpg123), kept apart from the output.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// A recording decoded whole: interleaved signed 16-bit samples.
struct TPcm {
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;

    bool Empty() const { return samples.empty() || rate <= 0 || channels <= 0; }
    int64_t Frames() const {
        return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0;
    }
    int64_t Milliseconds() const { return rate > 0 ? Frames() * 1000 / rate : 0; }
};

// Decodes an MP3 file held in memory. Whatever cannot be decoded is skipped; a file without any
// decodable frame gives an empty result. Never throws for bad data.
TPcm DecodeMp3(std::string_view mp3);
