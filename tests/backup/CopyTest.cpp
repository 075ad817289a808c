#include "BackupFixture.h"
#include "backup/Backup.h"
#include "store/Channels.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using CopyTest = BackupTest;

TEST_F(CopyTest, ACopyTakenWhileAnotherConnectionWritesIsConsistent) {
    // Each transaction of the writer raises every ability by one: a consistent copy holds
    // a single ability value, whatever moment it shows.
    db.Exec(QStringLiteral("update Recite set ABILITY = 0"));
    std::atomic<bool> copying{false};
    std::atomic<bool> done{false};
    std::atomic<int> commitsDuringCopy{0};
    std::thread writer([&] {
        sqlite3* w = nullptr;
        sqlite3_open_v2(db.Path().toUtf8().constData(), &w, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(w, 5000);
        while (!copying) {
            std::this_thread::yield();
        }
        while (!done) {
            if (sqlite3_exec(w, "begin; update Recite set ABILITY = ABILITY + 1; commit", nullptr,
                             nullptr, nullptr) == SQLITE_OK) {
                ++commitsDuringCopy;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        sqlite3_close_v2(w);
    });
    const QString target = QDir(db.Dir()).filePath(QStringLiteral("copy.mdb"));
    TCopyOptions options;
    options.pagesPerStep = 2; // many steps, so the writer gets in between them
    int restarts = 0;
    int lastCopied = 0;
    options.progress = [&](int copied, int) {
        copying = true;
        restarts += copied <= lastCopied ? 1 : 0; // started over
        lastCopied = copied;
        // Every step waits for a commit in between, as with a learner reciting quickly: the
        // copy must finish nevertheless.
        const int seen = commitsDuringCopy;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (commitsDuringCopy == seen && std::chrono::steady_clock::now() < end) {
            std::this_thread::yield();
        }
    };
    const bool ok = CopyDatabase(db.Path(), target, &error, options);
    done = true;
    writer.join();
    ASSERT_TRUE(ok) << error.text.toStdString();
    EXPECT_GE(commitsDuringCopy.load(), 3);
    EXPECT_GE(restarts, 1) << "a write by another connection restarts the copy";

    EXPECT_TRUE(CheckDatabase(target, &problems)) << problems.join(u';').toStdString();
    TAdoChannel copied;
    ASSERT_TRUE(copied.OpenDatabase(target, QString()));
    TAdoQuery* q = copied.OpenQuery(
        QStringLiteral("select count(distinct ABILITY) as N, count(*) as C from Recite"), 1);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->AsInteger(QStringLiteral("N")), 1);
    EXPECT_EQ(q->AsInteger(QStringLiteral("C")), 700);
    EXPECT_EQ(Names(db.Dir()).filter(QStringLiteral(".part")), QStringList{});
}

TEST_F(CopyTest, WritesThroughTheSharedConnectionGoIntoTheCopyWithoutRestartingIt) {
    ASSERT_TRUE(SharableConnection(db.Channel().Handle()));
    std::atomic<int> phase{0}; // 1: the copy is half-way, 2: the program has written
    int restarts = 0;
    int lastCopied = 0;
    TCopyOptions options;
    options.connection = db.Channel().Handle();
    options.pagesPerStep = 2;
    options.progress = [&](int copied, int total) {
        restarts += copied <= lastCopied ? 1 : 0;
        lastCopied = copied;
        if (phase == 0 && copied * 2 >= total) {
            phase = 1;
            while (phase != 2) {
                std::this_thread::yield();
            }
        }
    };
    const QString target = QDir(db.Dir()).filePath(QStringLiteral("copy.mdb"));
    bool ok = false;
    std::thread copier([&] { ok = CopyDatabase(db.Path(), target, &error, options); });
    while (phase != 1) {
        std::this_thread::yield();
    }
    // Pages on both sides of the half-way mark change.
    db.Exec(QStringLiteral("update Recite set ABILITY = 77"));
    db.Exec(QStringLiteral("insert into BookStore(BookID, BookDesc) values(9, 'late')"));
    phase = 2;
    copier.join();
    ASSERT_TRUE(ok) << error.text.toStdString();
    EXPECT_EQ(restarts, 0);
    EXPECT_EQ(Snapshot(target), Snapshot(db.Path()));
    EXPECT_TRUE(CheckDatabase(target, &problems)) << problems.join(u';').toStdString();
}

TEST_F(CopyTest, AnotherProgramHoldingTheFileNeverHoldsUpTheSharedConnection) {
    sqlite3* program = db.Channel().Handle();
    std::atomic<int> phase{0}; // 1: the copy has made a step, 2: the file is held
    TCopyOptions options;
    options.connection = program;
    options.pagesPerStep = 4;
    options.progress = [&](int, int) {
        if (phase == 0) {
            phase = 1;
            while (phase != 2) {
                std::this_thread::yield();
            }
        }
    };
    const QString target = QDir(db.Dir()).filePath(QStringLiteral("copy.mdb"));
    bool ok = false;
    std::thread copier([&] { ok = CopyDatabase(db.Path(), target, &error, options); });
    while (phase != 1) {
        std::this_thread::yield();
    }
    // Half-way, another program takes the write lock and keeps it for a while.
    QProcess other;
    other.start(QStringLiteral("sqlite3"), {db.Path()});
    ASSERT_TRUE(other.waitForStarted());
    other.write("begin exclusive;\nupdate Recite set ABILITY = ABILITY;\n.shell sleep 1.5\n"
                "rollback;\n.quit\n");
    other.waitForBytesWritten();
    other.closeWriteChannel();
    sqlite3* probe = nullptr;
    sqlite3_open_v2(db.Path().toUtf8().constData(), &probe, SQLITE_OPEN_READONLY, nullptr);
    const auto locked = [&] {
        return sqlite3_exec(probe, "select count(*) from sqlite_master", nullptr, nullptr,
                            nullptr) == SQLITE_BUSY;
    };
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!locked() && std::chrono::steady_clock::now() < end) {
        std::this_thread::yield();
    }
    const bool held = locked();
    sqlite3_close_v2(probe);
    phase = 2;
    // Meanwhile the program's statements that need no file get the connection at once.
    double worstMs = 0;
    for (int i = 0; i < 100; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        sqlite3_exec(program, "select 1", nullptr, nullptr, nullptr);
        worstMs = std::max(worstMs, std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - t0)
                                        .count());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    copier.join();
    other.waitForFinished();
    ASSERT_TRUE(held);
    EXPECT_LT(worstMs, 100.0);
    ASSERT_TRUE(ok) << error.text.toStdString();
    EXPECT_EQ(Snapshot(target), Snapshot(db.Path()));
}

TEST_F(CopyTest, AKilledCopyLeavesNothingThatLooksLikeACopy) {
    const QString folder = BackupFolder(db.Path());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TCopyOptions options;
        options.pagesPerStep = 4;
        options.progress = [&](int copied, int total) {
            if (copied * 2 >= total) {
                (void)!write(ready[1], "h", 1);
                pause(); // half-way: wait here to be killed
            }
        };
        TakeBackup(db.Path(), QDateTime(QDate(2026, 5, 1), QTime(8, 0)), true, nullptr, &error,
                   options);
        _exit(0);
    }
    char half = 0;
    ASSERT_EQ(read(ready[0], &half, 1), 1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);

    const QStringList left = Names(folder);
    ASSERT_EQ(left.size(), 1) << "the partial file of the killed copy";
    EXPECT_TRUE(IsPartialCopyName(left.first()));
    EXPECT_FALSE(BackupTime(left.first()).isValid());
    EXPECT_TRUE(ListBackups(folder).isEmpty());

    // The next copy clears what the dead one left.
    ASSERT_TRUE(
        TakeBackup(db.Path(), QDateTime(QDate(2026, 5, 1), QTime(9, 0)), true, &copy, &error));
    EXPECT_EQ(Names(folder), QStringList{QStringLiteral("Tavelo-20260501-090000.mdb")});
    EXPECT_EQ(Snapshot(copy), Snapshot(db.Path()));
}

TEST_F(CopyTest, OneAutomaticCopyPerDay) {
    const QString folder = BackupFolder(db.Path());
    const QDateTime morning(QDate(2026, 3, 9), QTime(7, 5, 9));
    EXPECT_EQ(BackupIfDue(db.Path(), morning, &copy, &error), TAutoResult::Taken);
    EXPECT_EQ(QFileInfo(copy).fileName(), QStringLiteral("Tavelo-20260309-070509.mdb"));
    EXPECT_EQ(BackupIfDue(db.Path(), morning.addSecs(3600 * 16), &copy, &error),
              TAutoResult::NotDue);
    EXPECT_EQ(BackupIfDue(db.Path(), morning.addDays(1), &copy, &error), TAutoResult::Taken);
    EXPECT_EQ(ListBackups(folder).size(), 2);
    EXPECT_EQ(ListBackups(folder).first().learners, 2);

    // A copy on demand in the same second takes the next name.
    ASSERT_TRUE(TakeBackup(db.Path(), morning.addDays(1), true, &copy, &error));
    EXPECT_EQ(QFileInfo(copy).fileName(), QStringLiteral("Tavelo-20260310-070510.mdb"));
}

// Whatever else backups/ holds, the day's copy is made when no whole copy of the day is there,
// survives its own rotation, and only our own dead temporary files go.
TEST_F(CopyTest, TheDaysCopyIsMadeAndKeptWhateverTheFolderHolds) {
    const QString folder = BackupFolder(db.Path());
    ASSERT_TRUE(QDir().mkpath(folder));
    const QDateTime now(QDate(2026, 5, 10), QTime(9, 0));
    ASSERT_TRUE(TakeBackup(db.Path(), now.addSecs(-3600), false, &copy, &error));
    const QByteArray whole = Bytes(copy);
    QFile::remove(copy);
    const struct {
        QString name;
        QByteArray bytes;
        bool stays;
    } files[] = {
        // Today's date, but no whole copy: an empty file and one cut short.
        {QStringLiteral("Tavelo-20260510-010000.mdb"), QByteArray(), false},
        {QStringLiteral("Tavelo-20260510-020000.mdb"), whole.left(whole.size() / 2), false},
        // Dated later this month and next year: they stay and push no present copy out.
        {QStringLiteral("Tavelo-20260520-080000.mdb"), whole, true},
        {QStringLiteral("Tavelo-20260521-080000.mdb"), whole, true},
        {QStringLiteral("Tavelo-20270101-080000.mdb"), whole, true},
        // Not the pattern as a whole.
        {QStringLiteral("Tavelo-20250101-080000.mdb\n"), whole, true},
        {QStringLiteral("Tavelo-20250101-080000.mdb.old"), whole, true},
        // Other programs' temporary files, named after a process that has ended.
        {QStringLiteral(".notes.txt.999999999.part"), "x", true},
        {QStringLiteral(".Tavelo-20260510-090000.mdb.999999999.0badf00d.part"), "x", true},
        // Copies kept by restores: the newest five and those of the last 30 days stay.
        {QStringLiteral("Tavelo-20260508-080000-before-restore.mdb"), whole, true},
        {QStringLiteral("Tavelo-20260101-080000-before-restore.mdb"), whole, true},
        {QStringLiteral("Tavelo-20251201-080000-before-restore.mdb"), whole, true},
        {QStringLiteral("Tavelo-20251101-080000-before-restore.mdb"), whole, true},
        {QStringLiteral("Tavelo-20251001-080000-before-restore.mdb"), whole, true},
        {QStringLiteral("Tavelo-20250901-080000-before-restore.mdb"), whole, false},
        {QStringLiteral("Tavelo-20250901-080000-before-restore.pending"), "x", false},
    };
    for (const auto& f : files) {
        QFile out(QDir(folder).filePath(f.name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(f.bytes);
    }
    // Twelve days of copies of last month: the rotation keeps ten of them.
    for (int d = 1; d <= 12; ++d) {
        QFile::copy(
            QDir(folder).filePath(QStringLiteral("Tavelo-20260520-080000.mdb")),
            QDir(folder).filePath(BackupFileName(QDateTime(QDate(2026, 4, d), QTime(8, 0)))));
    }
    ASSERT_EQ(BackupIfDue(db.Path(), now, &copy, &error), TAutoResult::Taken)
        << error.text.toStdString();
    EXPECT_TRUE(QFileInfo::exists(copy)) << "the copy named exists after the rotation";
    EXPECT_TRUE(IsCompleteCopy(copy));
    EXPECT_EQ(Snapshot(copy), Snapshot(db.Path()));
    const QStringList left = Names(folder);
    for (const auto& f : files) {
        EXPECT_EQ(left.contains(f.name), f.stays) << f.name.toStdString();
    }
    EXPECT_EQ(left.filter(QStringLiteral("Tavelo-202604")).size(), 9)
        << "nine of April's days beside today's copy";
    EXPECT_EQ(BackupIfDue(db.Path(), now.addSecs(60), &copy, &error), TAutoResult::NotDue);
}

TEST_F(CopyTest, FailuresSayWhy) {
    // A file where the folder should be: the folder cannot be made (also as root).
    QFile blocker(BackupFolder(db.Path()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(BackupIfDue(db.Path(), QDateTime::currentDateTime(), nullptr, &error),
              TAutoResult::Failed);
    EXPECT_EQ(error.fault, TBackupFault::NotWritable);

    const QString other = QDir(db.Dir()).filePath(QStringLiteral("other.mdb"));
    EXPECT_FALSE(CopyDatabase(QDir(db.Dir()).filePath(QStringLiteral("none.mdb")), other, &error));
    EXPECT_EQ(error.fault, TBackupFault::Source);
    EXPECT_FALSE(CopyDatabase(db.Path(), db.Path(), &error));
    EXPECT_EQ(error.fault, TBackupFault::Exists);

    std::atomic<bool> cancel{true};
    TCopyOptions options;
    options.cancel = &cancel;
    EXPECT_FALSE(CopyDatabase(db.Path(), other, &error, options));
    EXPECT_EQ(error.fault, TBackupFault::Cancelled);
    EXPECT_FALSE(QFileInfo::exists(other));
    EXPECT_EQ(Names(db.Dir()).filter(QStringLiteral(".part")), QStringList{});
}

} // namespace
