#include "ScopedHandler.h"
#include "TestDatabase.h"
#include "common/Errors.h"
#include "model/Prompts.h"
#include "model/User.h"
#include "store/Channels.h"

#include <gtest/gtest.h>

namespace {

class UsersTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.AddStartSettings(DefaultUserID);
        db.AddBook(1, QStringLiteral("一"), 3, 1);
        db.AddBook(2, QStringLiteral("二"), 3, 11);
        db.AddBook(3, QStringLiteral("三"), 0, 0);
    }
    TTestDatabase db;
    TAdoChannel& ch = db.Channel();
    TUserList users;
};

TEST_F(UsersTest, OnlyLearnersAreLoadedWithSettingsAndBooks) {
    db.AddUser(99, QStringLiteral("reserved"));
    db.AddUser(100, QStringLiteral("甲"), 1);
    db.AddUser(101, QStringLiteral("乙"), 2);
    db.AddStartSettings(100);
    db.Subscribe(100, 2, 1);
    LoadUsers(ch, users);
    ASSERT_EQ(users.Count(), 2);
    TUser* a = users.Object(0);
    EXPECT_EQ(users.Text(0), QStringLiteral("甲"));
    EXPECT_EQ(a->ID, 100);
    EXPECT_EQ(a->Cipher, QStringLiteral("pw"));
    EXPECT_TRUE(a->IsPower);
    EXPECT_FALSE(users.Object(1)->IsPower) << "only 1 is privileged";
    EXPECT_EQ(a->Config.WordNum, 20);
    EXPECT_EQ(users.Object(1)->Config.WordNum, 0);
    ASSERT_EQ(a->SelectedBooks.Count(), 1);
    EXPECT_EQ(a->SelectedBooks.Object(0)->BookID, 2);
    ASSERT_EQ(a->SpareBooks.Count(), 2);
    EXPECT_EQ(a->SpareBooks.Object(0)->BookID, 1);
    EXPECT_EQ(a->SpareBooks.Object(1)->BookID, 3);
    EXPECT_EQ(a->ReviewPage, 0);
    EXPECT_FALSE(a->ReviewMode);
}

TEST_F(UsersTest, NewUserGetsTheNextIdACopyOfTheDefaultsAndEveryBookAsSpare) {
    db.AddUser(100, QStringLiteral("甲"), 1);
    LoadUsers(ch, users);
    TUser* u = AddUser(ch, users, QStringLiteral("乙"), QStringLiteral("secret"));
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->ID, 101);
    EXPECT_FALSE(u->IsPower);
    EXPECT_EQ(users.Count(), 2);
    EXPECT_EQ(users.Object(1), u);
    EXPECT_EQ(db.Scalar(QStringLiteral("select CIPHER from USERS where ID = 101")).toString(),
              QStringLiteral("secret"));
    EXPECT_EQ(db.Scalar(QStringLiteral("select IsPower from USERS where ID = 101")).toInt(), 0);
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = 101")), 33);
    EXPECT_EQ(u->Config.Oblivion, 12);
    EXPECT_EQ(u->SpareBooks.Count(), 3);
    EXPECT_EQ(u->SelectedBooks.Count(), 0);
    // Later changes of the defaults do not reach the new user.
    db.SetSetting(DefaultUserID, 2, 99);
    EXPECT_EQ(
        db.Scalar(QStringLiteral("select NUMBEREX from CONFIG where USERID = 101 and SEQUENCE = 2"))
            .toInt(),
        12);
}

TEST_F(UsersTest, HostileNamesAreStoredAsTheyAre) {
    db.AddUser(100, QStringLiteral("甲"), 1);
    const QString name = QStringLiteral("O'Brien'); delete from USERS; --");
    TUser* u = AddUser(ch, users, name, QStringLiteral("p'w"));
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(db.Count(QStringLiteral("from USERS")), 2);
    EXPECT_EQ(db.Scalar(QStringLiteral("select NAME from USERS where ID = 101")).toString(), name);
    u->Name = QStringLiteral("x', NAME = 'y");
    u->Cipher = QStringLiteral("'; drop table USERS; --");
    u->SaveAccount();
    EXPECT_EQ(db.Scalar(QStringLiteral("select NAME from USERS where ID = 101")).toString(),
              u->Name);
    EXPECT_EQ(db.Scalar(QStringLiteral("select CIPHER from USERS where ID = 101")).toString(),
              u->Cipher);
    EXPECT_EQ(db.Scalar(QStringLiteral("select NAME from USERS where ID = 100")).toString(),
              QStringLiteral("甲"));
}

TEST_F(UsersTest, DeletingTheLargestIdAndAddingAgainReusesIt) {
    db.AddUser(100, QStringLiteral("甲"), 1);
    LoadUsers(ch, users);
    TUser* b = AddUser(ch, users, QStringLiteral("乙"), QString());
    ASSERT_NE(b, nullptr);
    b->IncludeBook(b->SpareBooks.Object(0));
    DeleteUser(users, b);
    EXPECT_EQ(users.Count(), 1);
    for (const char* table : {"USERS where ID", "CONFIG where USERID", "UserBooks where USERID",
                              "Recite where USER_ID"}) {
        EXPECT_EQ(db.Count(QStringLiteral("from %1 = 101").arg(QLatin1String(table))), 0) << table;
    }
    TUser* c = AddUser(ch, users, QStringLiteral("丙"), QString());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->ID, 101);
}

TEST_F(UsersTest, NewUsersAlwaysGetALearnersId) {
    TUser* u = AddUser(ch, users, QStringLiteral("first"), QString());
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->ID, FirstLearnerID) << "an empty USERS table still gives a learner";
    TUserList reloaded;
    LoadUsers(ch, reloaded);
    EXPECT_EQ(reloaded.Count(), 1);
}

TEST_F(UsersTest, SaveAccountOfAUserWhoseRowIsGoneChangesNothing) {
    db.AddUser(100, QStringLiteral("甲"), 1);
    LoadUsers(ch, users);
    db.Exec(QStringLiteral("delete from USERS"));
    users.Object(0)->Name = QStringLiteral("new");
    users.Object(0)->SaveAccount();
    EXPECT_EQ(db.Count(QStringLiteral("from USERS")), 0);
}

TEST_F(UsersTest, MissingTablesGiveNoUsersAndNoCrash) {
    db.Exec(QStringLiteral("drop table USERS"));
    LoadUsers(ch, users);
    EXPECT_EQ(users.Count(), 0);
    EXPECT_EQ(AddUser(ch, users, QStringLiteral("x"), QString()), nullptr);
    EXPECT_EQ(users.Count(), 0);
}

class BooksTest : public UsersTest {
protected:
    void SetUp() override {
        UsersTest::SetUp();
        db.AddBook(4, QStringLiteral("四"), 2, 21);
        db.AddUser(100, QStringLiteral("甲"), 1);
        LoadUsers(ch, users);
        u = users.Object(0);
    }
    // Subscribes to the spare books with these ids, in this order.
    void Include(std::initializer_list<int> bookIDs) {
        for (int id : bookIDs) {
            int i = 0;
            while (i < u->SpareBooks.Count() && u->SpareBooks.Object(i)->BookID != id) {
                ++i;
            }
            ASSERT_LT(i, u->SpareBooks.Count()) << "book " << id << " is not spare";
            u->IncludeBook(u->SpareBooks.Object(i));
        }
    }
    // The learner's sequence number of each of these books.
    QList<int> Sequences(std::initializer_list<int> bookIDs) {
        QList<int> numbers;
        for (int id : bookIDs) {
            const QString where = QStringLiteral("where USERID = 100 and BOOKID = %1").arg(id);
            numbers << db.Scalar(QStringLiteral("select SEQUENCE from UserBooks ") + where).toInt();
        }
        return numbers;
    }
    TUser* u = nullptr;
};

TEST_F(BooksTest, SubscribingCopiesTheBookAsDueWordsInOrder) {
    Include({1, 2, 3});
    EXPECT_EQ(Sequences({1, 2, 3}), (QList<int>{1, 2, 3}));
    EXPECT_EQ(u->SelectedBooks.Count(), 3);
    EXPECT_EQ(u->SpareBooks.Count(), 1);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where USER_ID = 100 and BOOK_ID = 1")), 3);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where BOOK_ID = 3")), 0)
        << "a book without words";
    EXPECT_EQ(db.Count(QStringLiteral(
                  "from Recite where ABILITY = 0 and WORD_ROUND = 0 and RANDOM_NUM = 0 "
                  "and UPDATE_DATE = 36526.0 and typeof(UPDATE_DATE) = 'real'")),
              6);
}

TEST_F(BooksTest, RemovingAndResubscribingKeepsTheOtherSequences) {
    Include({1, 2, 3});
    u->ExcludeBook(u->SelectedBooks.Object(0));
    EXPECT_EQ(db.Count(QStringLiteral("from UserBooks where BOOKID = 1")), 0);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where BOOK_ID = 1")), 0);
    ASSERT_EQ(u->SpareBooks.Count(), 2);
    EXPECT_EQ(u->SpareBooks.Object(1)->BookID, 1) << "at the end, not in id order";
    Include({4});
    EXPECT_EQ(Sequences({4, 3}), (QList<int>{3, 3}));
    TUserList reloaded;
    LoadUsers(ch, reloaded);
    EXPECT_EQ(reloaded.Object(0)->SpareBooks.Object(0)->BookID, 1)
        << "id order again after a reload";
}

TEST_F(BooksTest, SavedOrderIsTheOrderOfTheNextLoad) {
    Include({1, 2, 4});
    u->SelectedBooks.Move(2, 0);
    u->SaveBookOrder();
    EXPECT_EQ(Sequences({4, 1, 2}), (QList<int>{1, 2, 3}));
    TUserList reloaded;
    LoadUsers(ch, reloaded);
    const TBookList& books = reloaded.Object(0)->SelectedBooks;
    ASSERT_EQ(books.Count(), 3);
    EXPECT_EQ(books.Object(0)->BookID, 4);
    EXPECT_EQ(books.Text(0), QStringLiteral("四"));
}

TEST_F(BooksTest, RandomNumbersOnlyAfterTheLearnerAgrees) {
    db.AddBook(5, QStringLiteral("五"), 300, 1000);
    TUserList fresh;
    LoadUsers(ch, fresh);
    u = fresh.Object(0);
    Include({5, 1});
    QList<TMessage> asked;
    QList<bool> busy;
    TMsgResult answer = TMsgResult::Cancel;
    const TScopedHandler<TMessageHandler> prompts([&](const TMessage& m) {
        asked << m;
        return answer;
    });
    const TScopedHandler<TBusyHandler> cursor([&](bool b) { busy << b; });
    u->CreateRandomNumbers(u->SelectedBooks.Object(0));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].caption, QStringLiteral("提醒"));
    EXPECT_EQ(asked[0].text, QStringLiteral("这可能需要几分钟时间,是否继续？"));
    EXPECT_EQ(asked[0].buttons, TMsgButtons::OkCancel);
    EXPECT_TRUE(busy.isEmpty());
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where RANDOM_NUM <> 0")), 0);

    answer = TMsgResult::Ok;
    u->CreateRandomNumbers(u->SelectedBooks.Object(0));
    EXPECT_EQ(busy, (QList<bool>{true, false}));
    EXPECT_EQ(
        db.Count(QStringLiteral("from Recite where BOOK_ID = 5 and RANDOM_NUM between 0 and 9999")),
        300);
    EXPECT_GT(
        db.Scalar(QStringLiteral("select count(distinct RANDOM_NUM) from Recite where BOOK_ID = 5"))
            .toInt(),
        200);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where BOOK_ID = 1 and RANDOM_NUM <> 0")), 0);
}

TEST_F(BooksTest, RandomNumbersThatCannotBeWrittenLeaveTheBookAndRestoreTheCursor) {
    Include({1});
    db.Exec(
        QStringLiteral("create trigger NoRandom before update on Recite when new.RANDOM_NUM >= 0 "
                       "begin select raise(abort, 'refused'); end"));
    QList<bool> busy;
    const TScopedHandler<TMessageHandler> prompts([](const TMessage&) { return TMsgResult::Ok; });
    const TScopedHandler<TBusyHandler> cursor([&](bool b) { busy << b; });
    EXPECT_THROW(u->CreateRandomNumbers(u->SelectedBooks.Object(0)), EDatabaseError);
    EXPECT_EQ(busy, (QList<bool>{true, false}));
    EXPECT_FALSE(ch.InTransaction());
}

} // namespace
