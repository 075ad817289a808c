#pragma once

#include <QString>

// The single-instance marker "Tavelo". Held from a successful Acquire for the life of the
// process; the system releases it however the process ends.
class TInstanceLock {
public:
    TInstanceLock() = default;
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // False when another process holds the marker.
    bool Acquire(const QString& name);

private:
    long long handle_ = -1;
};
