#include "OtherProgram.h"
#include "TestDatabase.h"
#include "common/Errors.h"
#include "store/Channels.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.Exec(QStringLiteral("create table T (A integer, B text)"));
        db.Exec(QStringLiteral("insert into T values (1, 'one'), (2, 'two'), (3, 'three')"));
    }
    TTestDatabase db;
    TAdoChannel& ch = db.Channel();
};

TEST_F(ChannelTest, SlotsAreCreatedOneAtATime) {
    const QString sql = QStringLiteral("select * from T");
    EXPECT_EQ(ch.OpenQuery(sql, 0), nullptr);
    EXPECT_EQ(ch.OpenQuery(sql, 2), nullptr) << "no slot exists yet";
    TAdoQuery* one = ch.OpenQuery(sql, 1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(ch.OpenQuery(sql, 3), nullptr);
    TAdoQuery* two = ch.OpenQuery(sql, 2);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    EXPECT_EQ(ch.SlotCount(), 2);
    EXPECT_EQ(ch.OpenQuery(sql, -1), nullptr);
}

TEST_F(ChannelTest, ReopeningASlotReplacesItsRows) {
    TAdoQuery* first = ch.OpenQuery(QStringLiteral("select A from T order by A"), 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->AsInteger(QStringLiteral("A")), 1);
    TAdoQuery* second = ch.OpenQuery(QStringLiteral("select B from T where A = 3"), 1);
    ASSERT_EQ(first, second) << "slot 1 is one object, reused";
    EXPECT_FALSE(second->HasField(QStringLiteral("A")));
    EXPECT_EQ(second->AsString(QStringLiteral("b")), QStringLiteral("three"));
    EXPECT_EQ(second->RecordCount(), 1);
}

TEST_F(ChannelTest, NamedQueryIgnoresCaseAndKeepsItsRowsWhileSlotsAreReused) {
    TAdoQuery* print =
        ch.OpenNamedQuery(QStringLiteral("Print"), QStringLiteral("select A from T order by A"));
    ASSERT_NE(print, nullptr);
    TAdoQuery* again = ch.OpenNamedQuery(QStringLiteral("PRINT"),
                                         QStringLiteral("select A from T order by A desc"));
    EXPECT_EQ(print, again);
    ch.OpenQuery(QStringLiteral("select B from T"), 1);
    ch.Execute(QStringLiteral("delete from T"));
    ASSERT_EQ(print->RecordCount(), 3);
    QList<int> seen;
    for (print->First(); !print->Eof(); print->Next()) {
        seen << print->AsInteger(QStringLiteral("A"));
    }
    EXPECT_EQ(seen, (QList<int>{3, 2, 1}));
}

TEST_F(ChannelTest, ResultSetKeepsItsRowsWhenTheTableChangesUnderneath) {
    TAdoQuery* q = ch.OpenQuery(QStringLiteral("select A from T order by A"), 1);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->AsInteger(QStringLiteral("A")), 1);
    ASSERT_TRUE(ch.Execute(QStringLiteral("delete from T where A >= 2")));
    q->Next();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->AsInteger(QStringLiteral("A")), 2) << "rows read as of the open";
    EXPECT_EQ(q->RecordCount(), 3);
}

TEST_F(ChannelTest, FailingStatementInAListTransactionUndoesTheWholeList) {
    const QStringList list = {
        QStringLiteral("insert into T values (10, 'a')"),
        QStringLiteral("update T set B = 'changed' where A = 1"),
        QStringLiteral("insert into NoSuchTable values (1)"),
        QStringLiteral("insert into T values (11, 'never')"),
    };
    EXPECT_FALSE(ch.ExecuteListInTransaction(list));
    EXPECT_EQ(db.Count(QStringLiteral("from T")), 3);
    EXPECT_EQ(db.Scalar(QStringLiteral("select B from T where A = 1")).toString(),
              QStringLiteral("one"));
    EXPECT_FALSE(ch.InTransaction());
    EXPECT_TRUE(ch.ExecuteListInTransaction(list.mid(0, 2)));
    EXPECT_EQ(db.Count(QStringLiteral("from T")), 4);
}

TEST_F(ChannelTest, ErrorsComeBackAsFalseAndLeaveTheConnectionUsable) {
    EXPECT_FALSE(ch.Execute(QStringLiteral("this is not sql")));
    EXPECT_FALSE(ch.ExecuteInTransaction(QStringLiteral("insert into Nowhere values (1)")));
    EXPECT_EQ(ch.OpenQuery(QStringLiteral("select * from Nowhere"), 1), nullptr);
    EXPECT_EQ(ch.OpenNamedQuery(QStringLiteral("x"), QStringLiteral("select")), nullptr);
    EXPECT_TRUE(ch.Execute(QStringLiteral("insert into T values (4, 'four')")));
    EXPECT_TRUE(ch.ExecuteList({}));
    EXPECT_EQ(db.Count(QStringLiteral("from T")), 4);
}

TEST_F(ChannelTest, TransactionControlErrorsAreRaised) {
    EXPECT_THROW(ch.Commit(), EDatabaseError);
    ch.BeginTransaction();
    EXPECT_THROW(ch.BeginTransaction(), EDatabaseError) << "transactions never nest";
    ch.Rollback();
    TAdoChannel unconnected;
    EXPECT_FALSE(unconnected.Execute(QStringLiteral("select 1")));
    EXPECT_EQ(unconnected.OpenQuery(QStringLiteral("select 1"), 1), nullptr);
    EXPECT_THROW(unconnected.ExecuteInTransaction(QStringLiteral("select 1")), EDatabaseError);
}

// Another program holds the file: nothing here may leave a transaction open behind it.
TEST_F(ChannelTest, ACommitRefusedWhileAnotherProgramReadsEndsTheTransaction) {
    ch.SetBusyTimeout(30);
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Read());
    ch.BeginTransaction();
    ASSERT_TRUE(ch.Execute(QStringLiteral("update T set A = 10 where A = 1")));
    EXPECT_THROW(ch.Commit(), EDatabaseError);
    EXPECT_FALSE(ch.InTransaction());
    EXPECT_NO_THROW(ch.Rollback()) << "nothing is left to undo";
    other.LetGo();
    EXPECT_TRUE(ch.ExecuteInTransaction(QStringLiteral("update T set A = 20 where A = 2")));
    EXPECT_EQ(db.Count(QStringLiteral("from T where A in (10, 20)")), 1);
}

TEST_F(ChannelTest, KeptWritesWaitBrieflyAndReachTheFileInOrderOnceItIsFree) {
    TOtherProgram other(db.Path());
    for (auto hold : {&TOtherProgram::Read, &TOtherProgram::Write}) {
        ASSERT_TRUE((other.*hold)());
        QElapsedTimer waited;
        waited.start();
        EXPECT_FALSE(ch.ExecuteKept(QStringLiteral("update T set B = 'x' where A = 1")));
        EXPECT_FALSE(ch.ExecuteKept(QStringLiteral("update T set B = 'y' where A = 1")));
        EXPECT_LT(waited.elapsed(), 4 * TAdoChannel::kKeptWaitMs + 200);
        EXPECT_TRUE(ch.KeptFailureIsBusy());
        EXPECT_FALSE(ch.InTransaction());
        EXPECT_EQ(ch.KeptWrites().size(), 2);
        other.LetGo();
        EXPECT_TRUE(ch.FlushKept());
        EXPECT_TRUE(ch.KeptWrites().isEmpty());
        EXPECT_EQ(db.Scalar(QStringLiteral("select B from T where A = 1")).toString(), "y");
        ch.Execute(QStringLiteral("update T set B = 'one' where A = 1"));
    }
}

TEST_F(ChannelTest, AKeptWriteRefusedForGoodIsDroppedAndHoldsNothingBack) {
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Write());
    ch.Keep(QStringLiteral("update T set B = 'p' where A = 2"));
    ch.Keep(QStringLiteral("update NoSuchTable set A = 1"));
    EXPECT_FALSE(ch.ExecuteKept(QStringLiteral("update T set B = 'q' where A = 3")));
    other.LetGo();
    EXPECT_TRUE(ch.FlushKept());
    EXPECT_EQ(ch.TakeDroppedWrites(), QStringList{QStringLiteral("update NoSuchTable set A = 1")});
    EXPECT_EQ(db.Count(QStringLiteral("from T where B in ('p', 'q')")), 2);
}

// Units kept while the file is held are in the journal before the call returns, in order,
// and the journal is gone once they are in the database.
TEST_F(ChannelTest, KeptUnitsAreInTheJournalAtOnceAndLeaveItWithTheFile) {
    const QString journal = QDir(db.Dir()).filePath(QStringLiteral("kept"));
    ch.OpenKeptJournal(journal, [](const QString&) { return true; });
    const auto lines = [&journal] {
        QFile f(journal);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Write());
    EXPECT_FALSE(ch.ExecuteKept(QStringLiteral("update T set B = 'x' where A = 1")));
    EXPECT_EQ(lines(), "update T set B = 'x' where A = 1\n");
    EXPECT_FALSE(ch.ExecuteKept(QStringList{QStringLiteral("update T set B = 'y' where A = 1"),
                                            QStringLiteral("delete from T where A = 2")}));
    EXPECT_EQ(lines(), "update T set B = 'x' where A = 1\n"
                       "update T set B = 'y' where A = 1\tdelete from T where A = 2\n");
    EXPECT_TRUE(ch.KeptJournalComplete());
    other.LetGo();
    EXPECT_TRUE(ch.FlushKept());
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(db.Scalar(QStringLiteral("select group_concat(B) from T")).toString(), "y,three");
}

// What a journal left behind holds at the next start: only whole lines whose every statement
// is accepted; and a journal that is not a regular file is moved aside unread.
TEST_F(ChannelTest, AJournalLeftBehindIsReadBackOrSetAside) {
    const auto accept = [](const QString& sql) { return sql.startsWith(QLatin1String("update")); };
    struct Case {
        const char* name;
        QByteArray content;      // of a regular file
        const char* kind;        // "file", "fifo" or "link"
        QList<QStringList> kept; // read back
    };
    const QString u1 = QStringLiteral("update T set B = 'a' where A = 1");
    const QString u2 = QStringLiteral("update T set B = 'b' where A = 2");
    const Case cases[] = {
        {"lines", (u1 + "\n" + u2 + "\n").toUtf8(), "file", {{u1}, {u2}}},
        {"torn last line", (u1 + "\n" + u2.left(20)).toUtf8(), "file", {{u1}}},
        {"refused statement", (u1 + "\tdelete from T\n" + u2 + "\n").toUtf8(), "file", {{u2}}},
        {"unit", (u1 + "\t" + u2 + "\n").toUtf8(), "file", {{u1, u2}}},
        {"pipe", {}, "fifo", {}},
        {"link", {}, "link", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString journal = QDir(dir.path()).filePath(QStringLiteral("kept"));
        if (qstrcmp(c.kind, "fifo") == 0) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(journal).constData(), 0600), 0);
        } else if (qstrcmp(c.kind, "link") == 0) {
            ASSERT_TRUE(QFile::link(db.Path(), journal));
        } else {
            QFile f(journal);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.content);
        }
        TAdoChannel reader;
        const auto opening = reader.OpenKeptJournal(journal, accept);
        EXPECT_EQ(reader.KeptWrites(), c.kept);
        EXPECT_EQ(opening.units, c.kept.size());
        const bool aside = qstrcmp(c.kind, "file") != 0;
        EXPECT_EQ(opening.setAside, aside);
        EXPECT_EQ(QFileInfo(opening.setAsideAs).exists() ||
                      QFileInfo(opening.setAsideAs).isSymLink(),
                  aside);
        EXPECT_EQ(QFileInfo(journal).exists(), !aside) << "the name is free for a new journal";
    }
}

TEST_F(ChannelTest, TransactionGuardRollsBackUnlessCommitted) {
    {
        TTransaction t(ch);
        ch.Execute(QStringLiteral("delete from T"));
    }
    EXPECT_EQ(db.Count(QStringLiteral("from T")), 3);
    {
        TTransaction t(ch);
        ch.Execute(QStringLiteral("delete from T"));
        t.Commit();
    }
    EXPECT_EQ(db.Count(QStringLiteral("from T")), 0);
}

TEST(ChannelConnect, RefusesWhatIsNotAnSQLiteDatabase) {
    TTestDatabase db;
    const QString dir = db.Dir();
    TAdoChannel ch;
    EXPECT_TRUE(ch.OpenDatabase(db.Path(), QString()));
    EXPECT_FALSE(ch.OpenDatabase(db.Path(), QStringLiteral("secret"))) << "no database passwords";
    EXPECT_FALSE(ch.OpenDatabase(dir + QStringLiteral("/missing.mdb"), QString()));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/missing.mdb"))) << "never created";
    EXPECT_FALSE(ch.OpenDatabase(dir, QString())) << "a folder is not a database";

    const QString foreign = dir + QStringLiteral("/foreign.mdb");
    QFile f(foreign);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray junk = QByteArray("Standard Jet DB\0", 16).repeated(256);
    f.write(junk);
    f.close();
    EXPECT_FALSE(ch.OpenDatabase(foreign, QString()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk) << "a foreign file is left untouched";

    EXPECT_TRUE(ch.Connect(
        QStringLiteral("Provider=x;Data Source=%1;Jet OLEDB:Database Password=;").arg(db.Path())));
    EXPECT_FALSE(ch.Connect(QStringLiteral("Provider=x")));
}

TEST(ChannelConnect, FolderNamesWithSemicolonsAndQuotes) {
    QTemporaryDir parent;
    const QString dir = parent.path() + QStringLiteral("/a;b \"c\" ");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/Tavelo.mdb");
    ASSERT_TRUE(CreateDatabaseFile(path));
    TAdoChannel ch;
    EXPECT_TRUE(ch.OpenDatabase(path, QString()));
    EXPECT_EQ(ch.DatabasePath(), path);
    EXPECT_FALSE(ch.OpenDatabase(path, QStringLiteral("x;y")));
}

TEST(ChannelConnect, WaitsForAnotherConnectionThatHoldsTheFileBriefly) {
    TTestDatabase db;
    TAdoChannel other;
    ASSERT_TRUE(other.OpenDatabase(db.Path(), QString()));
    other.BeginTransaction();
    ASSERT_TRUE(other.Execute(QStringLiteral("insert into BookStore values (1, 'b')")));
    // The other connection holds the write lock for a moment; the writer waits for it
    // instead of failing at once.
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.Commit();
    });
    const bool written =
        db.Channel().Execute(QStringLiteral("insert into BookStore values (2, 'c')"));
    release.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(db.Count(QStringLiteral("from BookStore")), 2);
}

} // namespace
