// Kept writes: units of statements that must reach the database however long another program
// holds the file, kept in order in memory and in a journal on disk until they do.
#include "store/AdoChannel.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Failures that pass: the file is held by another program, or the disk or the file refuses
// writes for now. Anything else would fail again on every attempt.
bool TransientFailure(int code) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PROTOCOL:
    case SQLITE_NOMEM:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
}

constexpr char kLineEnd = '\n';
constexpr char kStatementSeparator = '\t';

QByteArray JournalLines(const QList<QStringList>& units, qsizetype from) {
    QByteArray bytes;
    for (qsizetype i = from; i < units.size(); ++i) {
        bytes += units[i].join(QLatin1Char(kStatementSeparator)).toUtf8();
        bytes += kLineEnd;
    }
    return bytes;
}

// Never follows a link and never waits for a pipe's other end; only a regular file is used.
int OpenRegular(const QString& path, int flags, bool* created = nullptr) {
    const QByteArray name = QFile::encodeName(path);
    constexpr int kSafe = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(name.constData(), flags | kSafe);
    if (fd < 0 && errno == ENOENT && created != nullptr) {
        fd = ::open(name.constData(), flags | kSafe | O_CREAT | O_EXCL, 0644);
        *created = fd >= 0;
    }
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

// A name made or removed in a folder lasts a power loss only once the folder is flushed.
void SyncFolder(const QString& path) {
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool TAdoChannel::ExecuteKept(const QStringList& unit) {
    kept_ << unit;
    return FlushKept();
}

bool TAdoChannel::FlushKept(int waitMs) {
    if (kept_.isEmpty()) {
        keptFailure_ = SQLITE_OK;
        SyncKeptJournal();
        return true;
    }
    if (db_ == nullptr) {
        keptFailure_ = SQLITE_CANTOPEN;
        SyncKeptJournal();
        return false;
    }
    BeforeWrite();
    WaitForTheFile(waitMs);
    const auto run = [this](const QString& sql) {
        const QByteArray utf8 = sql.toUtf8();
        return sqlite3_exec(db_, utf8.constData(), nullptr, nullptr, nullptr);
    };
    while (!kept_.isEmpty()) {
        // The write lock first: a commit that finds readers waits for them with the lock
        // held, so none can start meanwhile.
        int code = InTransaction() ? SQLITE_ERROR : run(QStringLiteral("begin immediate"));
        qsizetype failedUnit = -1;
        QString failedStatement;
        for (qsizetype u = 0; code == SQLITE_OK && u < kept_.size(); ++u) {
            for (const QString& sql : kept_[u]) {
                code = run(sql);
                if (code != SQLITE_OK) {
                    failedUnit = u;
                    failedStatement = sql;
                    break;
                }
            }
        }
        if (code == SQLITE_OK) {
            code = run(QStringLiteral("commit"));
        }
        if (code == SQLITE_OK) {
            kept_.clear();
            keptFailure_ = SQLITE_OK;
            break;
        }
        keptFailure_ = code;
        if (InTransaction()) {
            run(QStringLiteral("rollback"));
        }
        if (failedUnit >= 0 && !TransientFailure(code)) {
            dropped_ << failedStatement;
            kept_.removeAt(failedUnit);
            journalStale_ = true;
            continue;
        }
        break;
    }
    WaitForTheFile(busyTimeoutMs_);
    SyncKeptJournal();
    return kept_.isEmpty();
}

bool TAdoChannel::KeptFailureIsBusy() const {
    const int primary = keptFailure_ & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QStringList TAdoChannel::TakeDroppedWrites() {
    return std::exchange(dropped_, {});
}

TAdoChannel::TJournalOpening
TAdoChannel::OpenKeptJournal(const QString& path,
                             const std::function<bool(const QString&)>& accept) {
    CloseJournal();
    journalPath_ = path;
    TJournalOpening opening;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        return opening;
    }
    const int fd = info.isSymLink() ? -1 : OpenRegular(path, O_RDONLY);
    if (fd < 0) {
        // A pipe would block the start for ever, a link would write elsewhere: moved aside,
        // so the name is free for the journal.
        opening.setAside = true;
        const QString aside =
            path + QDateTime::currentDateTime().toString(QStringLiteral(".yyyyMMdd-HHmmss")) +
            QStringLiteral(".aside");
        if (QFile::rename(path, aside)) {
            opening.setAsideAs = aside;
        }
        return opening;
    }
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        bytes.append(buffer, n);
    }
    ::close(fd);
    QList<QByteArray> lines = bytes.split(kLineEnd);
    lines.removeLast(); // after the last line end: empty, or a line torn by a power loss
    for (const QByteArray& line : lines) {
        const QStringList unit = QString::fromUtf8(line).split(QLatin1Char(kStatementSeparator));
        if (std::all_of(unit.begin(), unit.end(), accept)) {
            kept_ << unit;
            ++opening.units;
        }
    }
    // What was read is written anew (or removed) by the next flush: nothing torn or refused
    // stays in front of the lines appended later.
    journalStale_ = true;
    journaled_ = 0;
    return opening;
}

bool TAdoChannel::SyncKeptJournal() {
    if (journalPath_.isEmpty()) {
        return kept_.isEmpty();
    }
    if (kept_.isEmpty()) {
        if (journalFd_ >= 0 || journalStale_ || QFileInfo::exists(journalPath_)) {
            CloseJournal();
            if (QFileInfo(journalPath_).isFile() && QFile::remove(journalPath_)) {
                SyncFolder(journalPath_);
            }
        }
        journaled_ = 0;
        journalStale_ = false;
        return true;
    }
    if (!journalStale_ && journalFd_ >= 0 && journaled_ == kept_.size()) {
        return true;
    }
    return !journalStale_ && journalFd_ >= 0 ? AppendToJournal() : WriteJournal();
}

// The usual step while the file is held: the new units are appended and flushed.
bool TAdoChannel::AppendToJournal() {
    const QByteArray bytes = JournalLines(kept_, journaled_);
    if (!WriteAll(journalFd_, bytes) || ::fdatasync(journalFd_) != 0) {
        // Whatever part of it reached the file is overwritten by writing it anew next time.
        CloseJournal();
        journalStale_ = true;
        return false;
    }
    journaled_ = kept_.size();
    return true;
}

// Writes every kept unit under a temporary name and puts it in place: the journal is never
// seen half written.
bool TAdoChannel::WriteJournal() {
    CloseJournal();
    const QString temporary = journalPath_ + QStringLiteral(".new");
    QFile::remove(temporary);
    bool created = false;
    const int fd = OpenRegular(temporary, O_WRONLY | O_APPEND, &created);
    const QByteArray name = QFile::encodeName(temporary);
    if (fd < 0) {
        return false;
    }
    if (!WriteAll(fd, JournalLines(kept_, 0)) || ::fdatasync(fd) != 0 ||
        ::rename(name.constData(), QFile::encodeName(journalPath_).constData()) != 0) {
        ::close(fd);
        ::unlink(name.constData());
        return false;
    }
    SyncFolder(journalPath_);
    journalFd_ = fd; // the descriptor follows the file to its new name
    journaled_ = kept_.size();
    journalStale_ = false;
    return true;
}

void TAdoChannel::CloseJournal() {
    if (journalFd_ >= 0) {
        ::close(journalFd_);
        journalFd_ = -1;
    }
}
