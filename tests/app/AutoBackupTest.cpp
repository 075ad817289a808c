#include "app/AutoBackup.h"
#include "ScopedHandler.h"
#include "TestDatabase.h"
#include "model/Prompts.h"
#include "store/Channels.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class AutoBackupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test_app";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }
    void SetUp() override { db.AddUser(100, QStringLiteral("甲")); }

    // Starts a copy if one is due (by start or check), lets it finish and its outcome arrive on
    // this (the GUI) thread.
    static bool Finish(TAutoBackup& b, void (TAutoBackup::*check)()) {
        (b.*check)();
        QElapsedTimer t;
        t.start();
        while (b.Busy() && t.elapsed() < 30000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        return !b.Busy();
    }
    QStringList Copies() const {
        return QDir(BackupFolder(db.Path())).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void Block(bool on) {
        const QString folder = BackupFolder(db.Path());
        if (on) {
            QDir(folder).removeRecursively();
            QFile f(folder);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly)); // a file where the folder should be
        } else {
            QFile::remove(folder);
        }
    }

    TTestDatabase db;
    double now = DayNumberFromDateTime(QDateTime(QDate(2026, 4, 1), QTime(7, 30)));
    QList<TMessage> shown;
    TScopedHandler<TMessageHandler> prompts{[this](const TMessage& m) {
        shown << m;
        return TMsgResult::Ok;
    }};
};

TEST_F(AutoBackupTest, OneCopyAtStartAndOneOnEachNewDay) {
    TAutoBackup backup(db.Path(), [this] { return now; });
    backup.ShareConnection(db.Channel().Handle()); // as the program does
    ASSERT_TRUE(Finish(backup, &TAutoBackup::Start));
    EXPECT_EQ(Copies(), QStringList{QStringLiteral("Tavelo-20260401-073000.mdb")});

    now += 0.5; // the same day
    backup.CheckDay();
    EXPECT_FALSE(backup.Busy());
    // A second start the same day adds none.
    TAutoBackup again(db.Path(), [this] { return now; });
    ASSERT_TRUE(Finish(again, &TAutoBackup::Start));
    EXPECT_EQ(again.LastResult(), TAutoResult::NotDue);

    now += 0.5; // past midnight
    ASSERT_TRUE(Finish(backup, &TAutoBackup::CheckDay));
    EXPECT_EQ(backup.LastResult(), TAutoResult::Taken);
    EXPECT_EQ(Copies().size(), 2);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(AutoBackupTest, AFailureIsReportedOnceAndTheProgramGoesOn) {
    Block(true);
    TAutoBackup backup(db.Path(), [this] { return now; });
    for (int day = 0; day < 3; ++day) {
        ASSERT_TRUE(Finish(backup, &TAutoBackup::CheckDay));
        EXPECT_EQ(backup.LastResult(), TAutoResult::Failed);
        now += 1;
    }
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().caption, QStringLiteral("提示"));
    EXPECT_EQ(shown.first().buttons, TMsgButtons::Ok);
    EXPECT_EQ(shown.first().text, QStringLiteral("数据库自动备份失败（备份文件夹无法写入）：%1\n"
                                                 "学习记录未受影响，程序照常运行。")
                                      .arg(BackupFolder(db.Path())));

    // Once a copy succeeds again, a new failure is reported again.
    Block(false);
    ASSERT_TRUE(Finish(backup, &TAutoBackup::CheckDay));
    EXPECT_EQ(backup.LastResult(), TAutoResult::Taken);
    Block(true);
    now += 1;
    ASSERT_TRUE(Finish(backup, &TAutoBackup::CheckDay));
    EXPECT_EQ(shown.size(), 2);
}

TEST_F(AutoBackupTest, EndingTheProgramDuringACopyLeavesNoPartialFile) {
    db.AddBook(1, QStringLiteral("big"), 20000, 1);
    db.Subscribe(100, 1, 1);
    {
        TAutoBackup backup(db.Path(), [this] { return now; });
        backup.ShareConnection(db.Channel().Handle());
        backup.CheckDay();
        EXPECT_TRUE(backup.Busy());
    }
    for (const QString& name : Copies()) {
        EXPECT_FALSE(IsPartialCopyName(name)) << name.toStdString();
    }
    EXPECT_LE(Copies().size(), 1);
    EXPECT_TRUE(shown.isEmpty()) << "a cancelled copy is no failure to report";
}

} // namespace
