#include "StartUp.h"
#include "TestDatabase.h"
#include "platform/InstanceLock.h"

#include <QDir>
#include <QFile>
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
