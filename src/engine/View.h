#pragma once

// What the engine asks of the word window. The engine never touches controls itself.
class IReciteView {
public:
    virtual ~IReciteView() = default;
    // Called at the end of every effective state change.
    virtual void ReflectState() = 0;
    // Called after every change of what is to be shown.
    virtual void UpdateDisplay() = 0;
};

// The player library as the engine sees it: prepared once, one call per spoken word,
// released once. Results are not observed.
class IPlayer {
public:
    virtual ~IPlayer() = default;
    virtual void Init() = 0;
    virtual void Play(const char* path) = 0;
    virtual void Free() = 0;
};
