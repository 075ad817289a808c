#pragma once

// The player library as the engine sees it: prepared once, one call per spoken word,
// released once. Results are not observed.
class IPlayer {
public:
    virtual ~IPlayer() = default;
    virtual void Init() = 0;
    virtual void Play(const char* path) = 0;
    virtual void Free() = 0;
};
