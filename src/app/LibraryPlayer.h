#pragma once

#include "engine/Player.h"

// The engine's player, forwarded to the player library's C interface.
class TLibraryPlayer : public IPlayer {
public:
    void Init() override;
    void Play(const char* path) override;
    void Free() override;
};
