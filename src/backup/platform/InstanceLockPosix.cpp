#include "InstanceLock.h"

#include <QDir>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// A lock file in the user's runtime directory held with flock: the lock goes with the
// process's last descriptor, also after a crash. Close-on-exec, so a browser started by the
// program does not keep it after the program ends.
bool TInstanceLock::Acquire(const QString& name) {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(dir);
    const QByteArray path = QDir(dir).filePath(name + QStringLiteral(".lock")).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return true; // no runtime directory to lock in: do not refuse to start
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

TInstanceLock::~TInstanceLock() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}
