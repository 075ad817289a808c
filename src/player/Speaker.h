// The sound output of the player: a thread of its own that decodes each recording and writes it
// to one stream to the sound server, kept open between recordings.
#pragma once

#include <chrono>
#include <memory>
#include <string>

struct TPlaybackProbe;

class TSpeaker {
public:
    TSpeaker();
    // Ends the current playback and the thread. A thread held up inside the sound server's client
    // library is left to finish on its own and joined by JoinStoppedSpeakers.
    ~TSpeaker();
    TSpeaker(const TSpeaker&) = delete;
    TSpeaker& operator=(const TSpeaker&) = delete;

    // Ends the current playback and starts the MP3 recording given whole in memory; asked is when
    // the play was asked for (the start-up figure of the probe counts from there). An empty
    // recording only ends the current playback. Returns at once.
    void Play(std::string recording, std::string source,
              std::chrono::steady_clock::time_point asked = std::chrono::steady_clock::now());
    void Fill(TPlaybackProbe& probe) const;

    struct TShared;

private:
    std::shared_ptr<TShared> shared_;
};

// Waits for speakers still stopping, up to waitMs each, and leaves behind any that are stuck.
void JoinStoppedSpeakers(unsigned waitMs);
