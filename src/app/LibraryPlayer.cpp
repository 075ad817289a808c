#include "app/LibraryPlayer.h"

#include "player/Player.h"

// The library's results are not observed: a missing sound is no reason to stop reciting.
void TLibraryPlayer::Init() {
    pvInitMp3(0, 0, 0, 0, 32);
}

void TLibraryPlayer::Play(const char* path) {
    pvPlayMp3(path);
}

void TLibraryPlayer::Free() {
    pvFreeMp3();
}
