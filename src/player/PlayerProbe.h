// Internal to the player and its tests: a look at the playback, taken on the player's thread.
#pragma once

#include "Player.h"

#include <QMediaPlayer>
#include <QUrl>

struct TPlaybackProbe {
    bool prepared = false; // between pvInitMp3 and pvFreeMp3
    int players = 0;       // media players alive: the current one and any not yet released
    bool current = false;  // the fields below describe the current playback
    QUrl source;
    QMediaPlayer::MediaStatus status = QMediaPlayer::NoMedia;
    QMediaPlayer::Error error = QMediaPlayer::NoError;
    qint64 position = 0;
    qint64 duration = 0;
};

// Waits for the player's thread to answer; call it from the thread that called pvInitMp3.
TAVELO_PLAYER_API TPlaybackProbe ProbePlayback();
