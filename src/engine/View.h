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
