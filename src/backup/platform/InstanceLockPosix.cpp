#include "backup/platform/InstanceLock.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// flock on a descriptor of the file: the lock goes with the process's last descriptor, also
// after a crash. Close-on-exec, so a browser started by the program does not keep it.
int LockFile(const QByteArray& path, mode_t mode, bool* opened) {
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0) {
        // Another user's lock file: a descriptor for reading takes the lock just as well.
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    *opened = fd >= 0;
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

// A lock file in the user's runtime directory.
bool TInstanceLock::Acquire(const QString& name) {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(dir);
    bool opened = false;
    const int fd =
        LockFile(QDir(dir).filePath(name + QStringLiteral(".lock")).toLocal8Bit(), 0600, &opened);
    if (!opened) {
        return true; // no runtime directory to lock in: do not refuse to start
    }
    if (fd < 0) {
        return false;
    }
    handle_ = fd;
    return true;
}

// Readable by all, so that a process of another user can lock it too (only the lock is used,
// never the contents).
bool TInstanceLock::AcquireFile(const QString& path, bool* opened) {
    bool made = false;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const int fd = LockFile(QFile::encodeName(path), 0666 & ~mask, &made);
    if (opened != nullptr) {
        *opened = made;
    }
    if (fd < 0) {
        return false;
    }
    if (fileHandle_ >= 0) {
        ::close(static_cast<int>(fileHandle_));
    }
    fileHandle_ = fd;
    return true;
}

TInstanceLock::~TInstanceLock() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
    if (fileHandle_ >= 0) {
        ::close(static_cast<int>(fileHandle_));
    }
}
