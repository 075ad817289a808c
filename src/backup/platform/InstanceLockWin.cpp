#include "InstanceLock.h"

#include <windows.h>

// A named mutex, never closed by the program: the name exists exactly while one instance runs.
bool TInstanceLock::Acquire(const QString& name) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(name.utf16()));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        return false;
    }
    handle_ = reinterpret_cast<long long>(mutex);
    return true;
}

TInstanceLock::~TInstanceLock() = default;
