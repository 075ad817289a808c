#include "BackupFixture.h"
#include "backup/Backup.h"
#include "backup/platform/InstanceLock.h"
#include "store/Channels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

using RestoreTest = BackupTest;

const QDateTime kMorning(QDate(2026, 6, 1), QTime(8, 0));

TEST_F(RestoreTest, RestoreRoundTripsEveryTable) {
    ASSERT_TRUE(TakeBackup(db.Path(), kMorning, true, &copy, &error)) << error.text.toStdString();
    const QStringList before = Snapshot(db.Path());
    ASSERT_GT(before.size(), 1000);

    // A bad day: a learner deleted, progress overwritten, a book gone.
    db.Exec(QStringLiteral("delete from Recite where USER_ID = 101"));
    db.Exec(QStringLiteral("delete from USERS where ID = 101"));
    db.Exec(QStringLiteral("update Recite set ABILITY = 0"));
    db.Exec(QStringLiteral("delete from Book where BOOK_ID = 2"));
    const QStringList bad = Snapshot(db.Path());
    ASSERT_NE(bad, before);

    ASSERT_TRUE(RestoreDatabase(copy, db.Path(), kMorning.addSecs(3600), &safety, &message))
        << message.toStdString();
    EXPECT_EQ(Snapshot(db.Path()), before);
    EXPECT_EQ(Snapshot(safety), bad) << "the database before the restore is kept";
    EXPECT_EQ(QFileInfo(safety).fileName(),
              QStringLiteral("Tavelo-20260601-090000-before-restore.mdb"));
    EXPECT_EQ(Names(db.Dir()).filter(QStringLiteral(".part")), QStringList{});
    EXPECT_TRUE(CheckDatabase(db.Path(), &problems));
}

// What a file must not be to replace the database.
struct TRefusal {
    const char* name;
    std::function<void(const QString& path, const QString& good)> make;
    const char* says;
};

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST_F(RestoreTest, RestoreRefusesUnusableFilesAndLeavesTheDatabaseUntouched) {
    ASSERT_TRUE(TakeBackup(db.Path(), kMorning, true, &copy, &error));
    const QList<TRefusal> refusals = {
        {"missing", [](const QString&, const QString&) {}, "does not exist"},
        {"foreign",
         [](const QString& p, const QString&) {
             Write(p, QByteArray("Standard Jet DB ").repeated(512));
         },
         "not an SQLite database"},
        {"incomplete",
         [](const QString& p, const QString& g) { Write(p, Bytes(g).left(Bytes(g).size() / 2)); },
         "damaged"},
        {"damaged",
         [](const QString& p, const QString& g) {
             QByteArray b = Bytes(g);
             b.replace(b.size() / 2, 4096, QByteArray(4096, '\x5a'));
             Write(p, b);
         },
         "damaged"},
        {"without the tables",
         [](const QString& p, const QString&) {
             TAdoChannel c;
             Write(p, QByteArray());
             ASSERT_TRUE(c.OpenDatabase(p, QString()));
             ASSERT_TRUE(c.Execute(QStringLiteral("create table USERS (ID integer, NAME text)")));
         },
         "lacks USERS.CIPHER, USERS.IsPower, CONFIG"},
        {"without learners",
         [](const QString& p, const QString& g) {
             Write(p, Bytes(g));
             TAdoChannel c;
             ASSERT_TRUE(c.OpenDatabase(p, QString()));
             ASSERT_TRUE(c.Execute(QStringLiteral("delete from USERS where ID >= 100")));
         },
         "no learner"},
    };
    const QByteArray current = Bytes(db.Path());
    for (const TRefusal& r : refusals) {
        SCOPED_TRACE(r.name);
        const QString file = QDir(db.Dir()).filePath(QStringLiteral("candidate.mdb"));
        QFile::remove(file);
        r.make(file, copy);
        message.clear();
        EXPECT_FALSE(RestoreDatabase(file, db.Path(), kMorning.addSecs(60), &safety, &message));
        EXPECT_TRUE(message.contains(QLatin1String(r.says))) << message.toStdString();
        EXPECT_EQ(Bytes(db.Path()), current);
        EXPECT_EQ(ListBackups(BackupFolder(db.Path())).size(), 1) << "no copy taken in vain";
        EXPECT_EQ(Names(db.Dir()).filter(QStringLiteral(".part")), QStringList{});
        EXPECT_FALSE(CheckDatabase(file, &problems));
    }
}

TEST_F(RestoreTest, RestoreRefusesWhileTheProgramRuns) {
    ASSERT_TRUE(TakeBackup(db.Path(), kMorning, true, &copy, &error));
    db.Exec(QStringLiteral("update Recite set ABILITY = 99"));
    const QByteArray current = Bytes(db.Path());
    // The program of this session holds both locks; that of another session, user or
    // environment only the one beside the database (reached here through a link).
    QTemporaryDir elsewhere;
    const QString link = QDir(elsewhere.path()).filePath(QStringLiteral("Tavelo.mdb"));
    ASSERT_TRUE(QFile::link(db.Path(), link));
    for (const bool sameSession : {true, false}) {
        TInstanceLock program;
        ASSERT_TRUE(!sameSession || program.Acquire(QString::fromLatin1(kInstanceName)));
        ASSERT_TRUE(program.AcquireFile(DatabaseLockPath(link)));
        message.clear();
        EXPECT_FALSE(RestoreDatabase(copy, db.Path(), kMorning, &safety, &message));
        EXPECT_TRUE(message.contains(QLatin1String("Tavelo"))) << message.toStdString();
        EXPECT_EQ(Bytes(db.Path()), current);
        EXPECT_TRUE(ListBackups(BackupFolder(db.Path())).size() == 1) << "no copy kept";
    }
    EXPECT_TRUE(RestoreDatabase(copy, db.Path(), kMorning, &safety, &message))
        << message.toStdString();
}

// Restore A, then B, then the day's copies: the database of before A is still there, and the
// passes that were waiting to be written go with the database they were made on.
TEST_F(RestoreTest, EveryRestoreCanBeUndoneWithItsPendingPasses) {
    QString a;
    QString b;
    db.Exec(QStringLiteral("update Recite set ABILITY = 1"));
    ASSERT_TRUE(TakeBackup(db.Path(), kMorning.addDays(-2), true, &a, &error));
    db.Exec(QStringLiteral("update Recite set ABILITY = 2"));
    ASSERT_TRUE(TakeBackup(db.Path(), kMorning.addDays(-1), true, &b, &error));
    db.Exec(QStringLiteral("update Recite set ABILITY = 3"));
    const QStringList real = Snapshot(db.Path());
    const QString pending = PendingPath(db.Path());
    Write(pending, "passes made on the real database\n");

    QString first;
    ASSERT_TRUE(RestoreDatabase(a, db.Path(), kMorning.addSecs(120), &first, &message))
        << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pending)) << "never written into the restored file";
    EXPECT_EQ(Bytes(PendingPathOfCopy(first)), "passes made on the real database\n");
    QString second;
    ASSERT_TRUE(RestoreDatabase(b, db.Path(), kMorning.addSecs(180), &second, &message));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(TakeBackup(db.Path(), kMorning.addSecs(240 + i), true, nullptr, &error));
    }
    ASSERT_TRUE(QFileInfo::exists(first)) << "the copies restores keep are not rotated";
    EXPECT_EQ(Snapshot(first), real);
    const QList<TBackupInfo> list = ListBackups(BackupFolder(db.Path()));
    EXPECT_EQ(std::count_if(list.cbegin(), list.cend(),
                            [](const TBackupInfo& i) { return i.beforeRestore; }),
              2);

    // Undoing the first restore brings the real database and its passes back.
    QString third;
    ASSERT_TRUE(RestoreDatabase(first, db.Path(), kMorning.addSecs(300), &third, &message));
    EXPECT_EQ(Snapshot(db.Path()), real);
    EXPECT_EQ(Bytes(pending), "passes made on the real database\n");
    EXPECT_TRUE(QFileInfo::exists(PendingPathOfCopy(first))) << "the undo copy stays whole";
}

TEST_F(RestoreTest, ADatabaseReachedThroughALinkIsReplacedWhereTheLinkPoints) {
    ASSERT_TRUE(TakeBackup(db.Path(), kMorning, true, &copy, &error));
    const QStringList before = Snapshot(copy);
    QTemporaryDir program;
    const QString link = QDir(program.path()).filePath(QStringLiteral("Tavelo.mdb"));
    ASSERT_TRUE(QFile::link(db.Path(), link));
    db.Exec(QStringLiteral("delete from Recite"));
    ASSERT_TRUE(RestoreDatabase(copy, link, kMorning, &safety, &message)) << message.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Snapshot(db.Path()), before);
}

TEST_F(RestoreTest, ADamagedDatabaseIsKeptAsItWasBeforeItIsReplaced) {
    ASSERT_TRUE(TakeBackup(db.Path(), kMorning, true, &copy, &error));
    const QStringList before = Snapshot(copy);
    const QByteArray garbage = QByteArray("not a database any more ").repeated(100);
    Write(db.Path(), garbage);
    ASSERT_TRUE(RestoreDatabase(copy, db.Path(), kMorning, &safety, &message))
        << message.toStdString();
    EXPECT_EQ(Bytes(safety), garbage);
    EXPECT_EQ(Snapshot(db.Path()), before);
}

TEST_F(RestoreTest, TheCommandsGiveAVerdictAndAnExitCode) {
    const auto admin = [&](const QStringList& args, QString* out) {
        QProcess p;
        p.start(QStringLiteral(TAVELO_ADMIN),
                QStringList{QStringLiteral("--db"), db.Path()} + args);
        p.waitForFinished(60000);
        *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitCode();
    };
    QString out;
    EXPECT_EQ(admin({QStringLiteral("check")}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("ok"))) << out.toStdString();
    EXPECT_EQ(admin({QStringLiteral("backup")}, &out), 0) << out.toStdString();
    EXPECT_EQ(admin({QStringLiteral("list-backups")}, &out), 0);
    EXPECT_TRUE(out.contains(QLatin1String("2 learners"))) << out.toStdString();
    const QString name = ListBackups(BackupFolder(db.Path())).value(0).path;
    EXPECT_TRUE(out.contains(QFileInfo(name).fileName())) << out.toStdString();

    const QString foreign = QDir(db.Dir()).filePath(QStringLiteral("notes.txt"));
    Write(foreign, "just text");
    EXPECT_EQ(admin({QStringLiteral("check"), foreign}, &out), 1);
    EXPECT_TRUE(out.contains(QLatin1String("NOT usable"))) << out.toStdString();
    EXPECT_EQ(admin({QStringLiteral("restore"), foreign}, &out), 1);
    EXPECT_TRUE(out.contains(QLatin1String("unchanged"))) << out.toStdString();
    // A bare name from the list is found in backups/.
    EXPECT_EQ(admin({QStringLiteral("restore"), QFileInfo(name).fileName()}, &out), 0)
        << out.toStdString();
}

} // namespace
