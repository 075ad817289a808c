#include "TestDatabase.h"
#include "common/Errors.h"
#include "store/Channels.h"

#include <gtest/gtest.h>

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.Exec(QStringLiteral("create table P (Name text, Score integer, Rate real, Note text)"));
        db.Exec(
            QStringLiteral("insert into P values ('same', 1, 0.5, null), ('same', 1, 0.5, null), "
                           "('x', '12', 7.6, '42'), ('y', null, null, 'abc')"));
    }
    TTestDatabase db;
    TAdoChannel& ch = db.Channel();
};

TEST_F(QueryTest, FieldsByNameWithoutCaseAndWithConversions) {
    TAdoQuery* q = ch.OpenQuery(
        QStringLiteral("select Name, Score, Rate, Note from P where Name <> 'same' order by Name"),
        1);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->AsString(QStringLiteral("NAME")), QStringLiteral("x"));
    EXPECT_EQ(q->AsInteger(QStringLiteral("score")), 12) << "integer text";
    EXPECT_EQ(q->AsInteger(QStringLiteral("Rate")), 8) << "floating point rounds";
    EXPECT_DOUBLE_EQ(q->AsFloat(QStringLiteral("rate")), 7.6);
    EXPECT_EQ(q->AsInteger(QStringLiteral("Note")), 42);
    q->Next();
    EXPECT_EQ(q->AsInteger(QStringLiteral("Score")), 0) << "null";
    EXPECT_EQ(q->AsString(QStringLiteral("Score")), QString());
    EXPECT_EQ(q->AsFloat(QStringLiteral("Rate")), 0.0);
    EXPECT_EQ(q->AsInteger(QStringLiteral("Note")), 0) << "text that is no number";
    EXPECT_THROW(q->AsInteger(QStringLiteral("Nope")), EDatabaseError);
    q->Next();
    EXPECT_TRUE(q->Eof());
    EXPECT_EQ(q->AsString(QStringLiteral("Name")), QString()) << "past the end reads empty";
}

TEST_F(QueryTest, EmptyResultIsAtEofAndCountsZero) {
    TAdoQuery* q = ch.OpenQuery(QStringLiteral("select * from P where 1 = 0"), 1);
    ASSERT_NE(q, nullptr);
    EXPECT_TRUE(q->Eof());
    EXPECT_EQ(q->RecordCount(), 0);
    EXPECT_EQ(q->FieldCount(), 4);
}

TEST_F(QueryTest, MoveBySkipsRowsAndStopsAtTheEnd) {
    TAdoQuery* q = ch.OpenQuery(QStringLiteral("select rowid as R from P order by R"), 1);
    ASSERT_NE(q, nullptr);
    q->MoveBy(2);
    EXPECT_EQ(q->AsInteger(QStringLiteral("R")), 3);
    q->MoveBy(100);
    EXPECT_TRUE(q->Eof());
    q->First();
    EXPECT_EQ(q->AsInteger(QStringLiteral("R")), 1);
}

TEST_F(QueryTest, EditChangesExactlyTheRowItCameFrom) {
    TAdoQuery* q = ch.OpenQuery(QStringLiteral("select Name, Score from P where Name = 'same'"), 1);
    ASSERT_NE(q, nullptr);
    q->Next();
    q->Edit();
    q->SetValue(QStringLiteral("score"), 99);
    EXPECT_EQ(q->AsInteger(QStringLiteral("Score")), 99) << "the edit buffer is what is read";
    q->Post();
    EXPECT_EQ(q->AsInteger(QStringLiteral("Score")), 99);
    EXPECT_EQ(db.Count(QStringLiteral("from P where Score = 99")), 1);
    EXPECT_EQ(db.Scalar(QStringLiteral("select Score from P where rowid = 2")).toInt(), 99);
}

TEST_F(QueryTest, AppendStoresTextsAsBoundValues) {
    const QString hostile = QStringLiteral("O'Brien'); delete from P; --");
    TAdoQuery* q = ch.OpenQuery(QStringLiteral("select * from P where Name = '-'"), 1);
    ASSERT_NE(q, nullptr);
    q->Append();
    q->SetValue(QStringLiteral("Name"), hostile);
    q->SetValue(QStringLiteral("Score"), 5);
    q->SetValue(QStringLiteral("Rate"), 36526.0);
    q->Post();
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->AsString(QStringLiteral("Name")), hostile);
    EXPECT_EQ(db.Count(QStringLiteral("from P")), 5);
    EXPECT_EQ(db.Scalar(QStringLiteral("select Name from P where Score = 5")).toString(), hostile);
    EXPECT_EQ(db.Scalar(QStringLiteral("select typeof(Rate) from P where Score = 5")).toString(),
              QStringLiteral("real"));
}

TEST_F(QueryTest, OnlySingleTableResultsCanBeModified) {
    db.Exec(QStringLiteral("create table Q (Name text)"));
    db.Exec(QStringLiteral("insert into Q values ('x')"));
    TAdoQuery* join =
        ch.OpenQuery(QStringLiteral("select P.Name from P, Q where P.Name = Q.Name"), 1);
    ASSERT_NE(join, nullptr);
    EXPECT_FALSE(join->CanModify());
    EXPECT_THROW(join->Edit(), EDatabaseError);
    TAdoQuery* aggregate = ch.OpenQuery(QStringLiteral("select Max(Score) as M from P"), 1);
    ASSERT_NE(aggregate, nullptr);
    EXPECT_FALSE(aggregate->CanModify());
    TAdoQuery* plain = ch.OpenQuery(QStringLiteral("select Name from P where 1 = 0"), 1);
    ASSERT_NE(plain, nullptr);
    EXPECT_THROW(plain->Edit(), EDatabaseError) << "no current row";
    EXPECT_THROW(plain->SetValue(QStringLiteral("Name"), 1), EDatabaseError) << "not editing";
    EXPECT_THROW(plain->Post(), EDatabaseError);
    plain->Append();
    EXPECT_THROW(plain->SetValue(QStringLiteral("Score"), 1), EDatabaseError)
        << "not a field of the result";
}

TEST_F(QueryTest, APostTheDatabaseRefusesRaisesAndWritesNothing) {
    db.Exec(QStringLiteral("create trigger NoFives before update on P when new.Score = 5 begin "
                           "select raise(abort, 'no fives'); end"));
    TAdoQuery* q = ch.OpenQuery(QStringLiteral("select * from P where Name = 'x'"), 1);
    ASSERT_NE(q, nullptr);
    q->Edit();
    q->SetValue(QStringLiteral("Score"), 5);
    EXPECT_THROW(q->Post(), EDatabaseError);
    EXPECT_EQ(q->State(), TAdoQuery::TState::Browse);
    EXPECT_EQ(q->AsInteger(QStringLiteral("Score")), 12);
    EXPECT_EQ(db.Count(QStringLiteral("from P where Score = 5")), 0);
}

TEST_F(QueryTest, EditingEveryRowWhileWalkingVisitsEachRowOnce) {
    db.Exec(QStringLiteral("create index IX_P on P(Score)"));
    TAdoQuery* q = ch.OpenQuery(QStringLiteral("select * from P order by Score"), 1);
    ASSERT_NE(q, nullptr);
    int visited = 0;
    for (; !q->Eof(); q->Next()) {
        q->Edit();
        q->SetValue(QStringLiteral("Score"), 1000 + visited);
        q->Post();
        ++visited;
    }
    EXPECT_EQ(visited, 4);
    EXPECT_EQ(db.Count(QStringLiteral("from P where Score >= 1000")), 4);
}

TEST_F(QueryTest, FilterAndSortRerunTheStatement) {
    TAdoQuery* print = ch.OpenNamedQuery(QStringLiteral("Print"),
                                         QStringLiteral("select rowid as R, Name, Score from P"));
    ASSERT_NE(print, nullptr);
    ASSERT_TRUE(print->SetFilter(QStringLiteral("Score >= 1")));
    ASSERT_TRUE(print->SetSort(QStringLiteral("R desc")));
    EXPECT_EQ(print->RecordCount(), 3);
    EXPECT_EQ(print->AsInteger(QStringLiteral("R")), 3);
    EXPECT_FALSE(print->SetFilter(QStringLiteral("Score >=")));
    EXPECT_FALSE(print->Active());
    print->SetFilter(QString());
    print->SetSort(QString());
    ASSERT_TRUE(print->Open());
    EXPECT_EQ(print->RecordCount(), 4);
}

} // namespace
