// Internal to the player, its tests and its benchmark: a look at the playback.
#pragma once

#include "player/Player.h"

#include <cstdint>
#include <string>

struct TPlaybackProbe {
    bool prepared = false;      // between pvInitMp3 and pvFreeMp3
    bool connected = false;     // a stream to the sound server is open
    bool current = false;       // the newest recording is being played (or waits to be)
    std::string source;         // the path of the newest recording asked for
    bool undecodable = false;   // it held no MP3 audio at all
    int64_t duration = 0;       // ms of it that decoded
    int64_t position = 0;       // ms of it handed to the sound server
    int64_t firstBufferNs = -1; // from its play call to its first buffer handed to the server
    int streamsOpened = 0;      // since pvInitMp3
};

// The current state; call it from the thread that called pvInitMp3.
TAVELO_PLAYER_API TPlaybackProbe ProbePlayback();
