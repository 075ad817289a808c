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

// A file opened without sharing: no other process opens it while this one lives.
bool TInstanceLock::AcquireFile(const QString& path, bool* opened) {
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    if (opened != nullptr) {
        *opened = file != INVALID_HANDLE_VALUE || error == ERROR_SHARING_VIOLATION;
    }
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    fileHandle_ = reinterpret_cast<long long>(file);
    return true;
}

TInstanceLock::~TInstanceLock() {
    if (fileHandle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(fileHandle_));
    }
}
