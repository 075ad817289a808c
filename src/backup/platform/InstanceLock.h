#pragma once

#include <QString>

// The name of the program's single-instance marker, which start-up, the restore and the
// import of an Access database share.
inline const char kInstanceName[] = "Tavelo";

// A single-instance marker such as kInstanceName. Held from a successful Acquire for the life of
// the process; the system releases it however the process ends.
class TInstanceLock {
public:
    TInstanceLock() = default;
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // False when another process holds the marker.
    bool Acquire(const QString& name);
    // Locks the file at path (created when missing) instead of a named marker, for every
    // process that opens it, whoever runs it. False when another process holds it, or when
    // the file can neither be made nor opened (*opened false then).
    bool AcquireFile(const QString& path, bool* opened = nullptr);

private:
    long long handle_ = -1;
    long long fileHandle_ = -1;
};
