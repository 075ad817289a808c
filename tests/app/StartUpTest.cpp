#include "app/StartUp.h"
#include "TestDatabase.h"
#include "backup/platform/InstanceLock.h"
#include "store/Channels.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(StartUp, MissingDatabaseNamesTheFileOnly) {
    QTemporaryDir dir;
    TMessage m;
    EXPECT_FALSE(CheckProgramFolder(dir.path(), &m));
    EXPECT_EQ(m.text, QStringLiteral("执行目录下没有Tavelo.mdb文件！"));
    EXPECT_EQ(m.caption, QStringLiteral("提示"));
    EXPECT_EQ(m.buttons, TMsgButtons::Ok);
    EXPECT_EQ(m.icon, TMsgIcon::Warning);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Tavelo.mdb")));
    EXPECT_FALSE(CheckProgramFolder(dir.path(), &m)) << "a folder of that name does not count";
    EXPECT_EQ(m.text, QStringLiteral("执行目录下没有Tavelo.mdb文件！"));
}

TEST(StartUp, ForeignOrIncompleteDatabasesAreRefusedUntouched) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\0\1\0\0Standard Jet DB\0", 20).repeated(100));
    f.close();
    TMessage m;
    EXPECT_FALSE(CheckProgramFolder(dir.path(), &m));
    EXPECT_TRUE(m.text.contains(QStringLiteral("不是本程序可用的数据库"))) << m.text.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 2000);

    TTestDatabase db;
    db.Exec(QStringLiteral("drop table Recite"));
    EXPECT_FALSE(CheckProgramFolder(db.Dir(), &m));
    EXPECT_TRUE(m.text.contains(QStringLiteral("Recite"))) << m.text.toStdString();
}

TEST(StartUp, ADatabaseNeedsALearner) {
    TTestDatabase db;
    db.AddUser(99, QStringLiteral("reserved"));
    TMessage m;
    EXPECT_FALSE(CheckProgramFolder(db.Dir(), &m));
    EXPECT_EQ(m.text, QStringLiteral("数据库中没有学员（用户编号100以上）！"));
    db.AddUser(100, QStringLiteral("甲"));
    EXPECT_TRUE(CheckProgramFolder(db.Dir(), &m));
}

QByteArray Digest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

// A learner with a book large enough to span many pages.
class StartUpFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.AddUser(100, QStringLiteral("甲"));
        db.AddBook(1, QStringLiteral("b"), 3000, 1);
        db.Subscribe(100, 1, 1);
    }
    // Refused with a text containing part, the file unchanged byte for byte.
    void ExpectRefusedUntouched(const char* part) {
        const QByteArray before = Digest(db.Path());
        TMessage m;
        EXPECT_FALSE(CheckProgramFolder(db.Dir(), &m));
        EXPECT_TRUE(m.text.contains(QString::fromUtf8(part))) << m.text.toStdString();
        EXPECT_EQ(m.caption, QStringLiteral("提示"));
        EXPECT_EQ(Digest(db.Path()), before);
    }
    TTestDatabase db;
};

TEST_F(StartUpFileTest, DamagedPagesAreRefusedUntouched) {
    const qint64 size = QFileInfo(db.Path()).size();
    ASSERT_GT(size, 40 * 4096);
    {
        QFile f(db.Path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(size / 2 / 4096 * 4096); // a page in the middle: its b-tree header
        f.write(QByteArray(64, '\x5a'));
    }
    ExpectRefusedUntouched("已损坏");
    ASSERT_TRUE(QFile::resize(db.Path(), size / 2));
    ExpectRefusedUntouched("已损坏");
}

TEST_F(StartUpFileTest, AWriteCutOffByAKilledWriterIsRolledBackAndAccepted) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAdoChannel ch;
        ch.OpenDatabase(db.Path(), QString());
        ch.Execute(QStringLiteral("pragma cache_size = 2")); // spill changed pages to the file
        ch.BeginTransaction();
        ch.Execute(QStringLiteral("update Recite set ABILITY = 77"));
        _exit(0); // no rollback, no commit: the journal stays behind
    }
    waitpid(child, nullptr, 0);
    const QString journal = db.Path() + QStringLiteral("-journal");
    ASSERT_TRUE(QFileInfo::exists(journal));
    TMessage m;
    EXPECT_TRUE(CheckProgramFolder(db.Dir(), &m)) << m.text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where ABILITY = 77")), 0);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite")), 3000);
}

// Makes a file or folder refuse writes for as long as it lives. Root passes permission
// bits, so for root the immutable attribute does it, where the file system has one.
class TWriteProtection {
public:
    explicit TWriteProtection(QString path) : path_(std::move(path)) {
        if (geteuid() == 0) {
            ok_ = !QStandardPaths::findExecutable(QStringLiteral("chattr")).isEmpty() &&
                  QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
        } else {
            const auto perms = QFile::permissions(path_);
            ok_ = QFile::setPermissions(path_, perms & ~(QFile::WriteOwner | QFile::WriteUser |
                                                         QFile::WriteGroup | QFile::WriteOther));
        }
    }
    ~TWriteProtection() {
        if (geteuid() == 0) {
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        } else {
            QFile::setPermissions(path_,
                                  QFile::permissions(path_) | QFile::WriteOwner | QFile::WriteUser);
        }
    }
    TWriteProtection(const TWriteProtection&) = delete;
    TWriteProtection& operator=(const TWriteProtection&) = delete;
    bool Active() const { return ok_; }

private:
    QString path_;
    bool ok_ = false;
};

TEST_F(StartUpFileTest, AReadOnlyFileOrFolderIsRefusedUntouched) {
    const struct {
        QString path;
        const char* part;
    } cases[] = {
        {db.Path(), "是只读的"},
        {db.Dir(), "执行目录不可写入"},
    };
    for (const auto& c : cases) {
        TWriteProtection protect(c.path);
        if (!protect.Active()) {
            GTEST_SKIP() << "cannot write-protect " << c.path.toStdString()
                         << (geteuid() == 0 ? " (root: chattr +i unavailable here)" : "");
        }
        ExpectRefusedUntouched(c.part);
    }
    TMessage m;
    EXPECT_TRUE(CheckProgramFolder(db.Dir(), &m)) << "writable again";
    EXPECT_TRUE(QDir(db.Dir()).entryList({QStringLiteral(".probe*")}, QDir::Hidden).isEmpty());
}

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8()); }
    void TearDown() override { qunsetenv("XDG_RUNTIME_DIR"); }
    QTemporaryDir runtime;
};

TEST_F(InstanceLockTest, OneHolderAtATime) {
    auto first = std::make_unique<TInstanceLock>();
    ASSERT_TRUE(first->Acquire(QStringLiteral("Tavelo")));
    TInstanceLock second;
    EXPECT_FALSE(second.Acquire(QStringLiteral("Tavelo")));
    TInstanceLock other;
    EXPECT_TRUE(other.Acquire(QStringLiteral("Other"))) << "only the same name is refused";
    first.reset();
    TInstanceLock third;
    EXPECT_TRUE(third.Acquire(QStringLiteral("Tavelo"))) << "free once the holder is gone";

    // The lock beside the database, whatever the runtime folder: a second program refuses with
    // a message; a folder where no lock can be made leaves the refusal to the folder's check.
    TMessage refusal;
    auto program = std::make_unique<TInstanceLock>();
    ASSERT_TRUE(LockProgramDatabase(*program, runtime.path(), &refusal));
    qputenv("XDG_RUNTIME_DIR", QByteArray("/nonexistent"));
    TInstanceLock otherSession;
    EXPECT_FALSE(LockProgramDatabase(otherSession, runtime.path(), &refusal));
    EXPECT_TRUE(refusal.text.contains(QStringLiteral("正被另一个程序使用")))
        << refusal.text.toStdString();
    program.reset();
    EXPECT_TRUE(LockProgramDatabase(otherSession, runtime.path(), &refusal));
    EXPECT_TRUE(LockProgramDatabase(otherSession, QStringLiteral("/nonexistent"), &refusal));
}

TEST_F(InstanceLockTest, AKilledHolderLeavesNoLockBehind) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TInstanceLock lock;
        const char ok = lock.Acquire(QStringLiteral("Tavelo")) ? '1' : '0';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, '1');
    TInstanceLock blocked;
    EXPECT_FALSE(blocked.Acquire(QStringLiteral("Tavelo")));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    TInstanceLock after;
    EXPECT_TRUE(after.Acquire(QStringLiteral("Tavelo")));
    close(ready[0]);
    close(ready[1]);
}

} // namespace
