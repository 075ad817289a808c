#include "model/User.h"

#include "model/Prompts.h"
#include "store/Channels.h"

#include <algorithm>
#include <random>

TUser::TUser(TAdoChannel* channel) : Channel(channel), Config(channel) {}

void LoadUsers(TAdoChannel& channel, TUserList& users, const TClock& clock) {
    TAdoQuery* q = channel.OpenQuery(
        QStringLiteral("select ID, Name, CIPHER, IsPower from USERS where ID >=100 "), 1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        auto user = std::make_unique<TUser>(&channel);
        user->ID = q->AsInteger(QStringLiteral("ID"));
        user->Name = q->AsString(QStringLiteral("Name"));
        user->Cipher = q->AsString(QStringLiteral("CIPHER"));
        user->IsPower = q->AsInteger(QStringLiteral("IsPower")) == 1;
        user->Clock = clock;
        const QString name = user->Name;
        users.Add(name, std::move(user));
    }
    // Only after the walk: loading settings and books reuses slot 1.
    for (int i = 0; i < users.Count(); ++i) {
        TUser* user = users.Object(i);
        user->Config.Load(user->ID);
        user->LoadBooks();
    }
}

TUser* AddUser(TAdoChannel& channel, TUserList& users, const QString& name, const QString& password,
               const TClock& clock) {
    TAdoQuery* q = channel.OpenQuery(QStringLiteral("select Max(ID) as MaxID from USERS"), 1);
    if (q == nullptr) {
        return nullptr;
    }
    // A new id below the learners' range would be created and then never loaded again, and
    // id 1 would share the default settings: new users always get a learner's id.
    const int id = std::max(q->AsInteger(QStringLiteral("MaxID")) + 1, FirstLearnerID);
    q = channel.OpenQuery(QStringLiteral("select * from USERS where ID = -1"), 1);
    if (q == nullptr) {
        return nullptr;
    }
    auto user = std::make_unique<TUser>(&channel);
    user->ID = id;
    user->Name = name;
    user->Cipher = password;
    user->IsPower = false;
    user->Clock = clock;
    q->Append();
    q->SetValue(QStringLiteral("ID"), id);
    q->SetValue(QStringLiteral("NAME"), name);
    q->SetValue(QStringLiteral("CIPHER"), password);
    q->SetValue(QStringLiteral("IsPower"), 0);
    q->Post();
    user->Config.Load(DefaultUserID);
    user->Config.Save(user->ID);
    user->LoadBooks();
    return users.Add(name, std::move(user));
}

void DeleteUser(TUserList& users, TUser* user) {
    const int index = users.IndexOfObject(user);
    if (index < 0) {
        return;
    }
    user->DeleteRecords();
    users.Delete(index);
}

void TUser::LoadBooks() {
    QString ids = QStringLiteral("-1");
    TAdoQuery* q = Channel->OpenQuery(
        SqlFormat("select bookstore.BookID, BookDesc from bookstore,userbooks where userid=%d  "
                  "and bookstore.bookid=userbooks.bookid order by Sequence ",
                  {ID}),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        const int bookID = q->AsInteger(QStringLiteral("BookID"));
        const QString desc = q->AsString(QStringLiteral("BookDesc"));
        ids += QLatin1Char(',') + QString::number(bookID);
        SelectedBooks.Add(desc, std::make_unique<TBook>(bookID, desc));
    }
    q = Channel->OpenQuery(
        SqlFormat("select BookID, BookDesc from BookStore where BookID not in (%s) order by BookID",
                  {ids}),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        const int bookID = q->AsInteger(QStringLiteral("BookID"));
        const QString desc = q->AsString(QStringLiteral("BookDesc"));
        SpareBooks.Add(desc, std::make_unique<TBook>(bookID, desc));
    }
}

void TUser::IncludeBook(TBook* book) {
    const int index = SpareBooks.IndexOfObject(book);
    if (index < 0) {
        return;
    }
    const QString desc = book->BookDesc;
    SelectedBooks.Add(desc, SpareBooks.Extract(index));
    TAdoQuery* q =
        Channel->OpenQuery(SqlFormat("select * from UserBooks where  UserID=%d", {ID}), 1);
    if (q == nullptr) {
        return; // no subscription row, so no progress rows either
    }
    q->Append();
    q->SetValue(QStringLiteral("USERID"), ID);
    q->SetValue(QStringLiteral("BOOKID"), book->BookID);
    q->SetValue(QStringLiteral("SEQUENCE"), SelectedBooks.Count());
    q->Post();
    Channel->ExecuteInTransaction(
        SqlFormat("insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, RANDOM_NUM, "
                  "UPDATE_DATE, BOOK_ID) select %d, WORD_ID, 0, 0, 0, %f, %d from Book where "
                  "BOOK_ID = %d",
                  {ID, kDayNumber2000, book->BookID, book->BookID}));
}

void TUser::ExcludeBook(TBook* book) {
    const int index = SelectedBooks.IndexOfObject(book);
    if (index < 0) {
        return;
    }
    const QString desc = book->BookDesc;
    const int bookID = book->BookID;
    SpareBooks.Add(desc, SelectedBooks.Extract(index));
    Channel->ExecuteInTransaction(
        SqlFormat("delete from UserBooks where  UserID=%d and BOOKID = %d", {ID, bookID}));
    Channel->ExecuteInTransaction(
        SqlFormat("delete from Recite where USER_ID = %d and BOOK_ID = %d ", {ID, bookID}));
}

void TUser::SaveBookOrder() {
    for (int i = 0; i < SelectedBooks.Count(); ++i) {
        Channel->ExecuteInTransaction(
            SqlFormat("update USERBOOKS set SEQUENCE = %d where USERID = %d and BOOKID = %d",
                      {i + 1, ID, SelectedBooks.Object(i)->BookID}));
    }
}

void TUser::SaveAccount() {
    TAdoQuery* q = Channel->OpenQuery(SqlFormat("select * from USERS where ID = %d", {ID}), 1);
    if (q == nullptr || q->Eof()) {
        return;
    }
    q->Edit();
    q->SetValue(QStringLiteral("NAME"), Name);
    q->SetValue(QStringLiteral("CIPHER"), Cipher);
    q->Post();
}

std::optional<bool> TUser::BookHasProgress(const TBook& book) const {
    TAdoQuery* q = Channel->OpenQuery(
        SqlFormat("select count(*) as N from Recite where USER_ID = %d and BOOK_ID = %d and "
                  "WORD_ROUND > 0",
                  {ID, book.BookID}),
        1);
    if (q == nullptr || q->Eof()) {
        return std::nullopt;
    }
    const bool progress = q->AsInteger(QStringLiteral("N")) > 0;
    q->Close();
    return progress;
}

void TUser::DeleteRecords() {
    Channel->ExecuteInTransaction(SqlFormat("delete from UserBooks where  UserID=%d ", {ID}));
    Channel->ExecuteInTransaction(SqlFormat("delete from Recite where User_ID=%d ", {ID}));
    Channel->ExecuteInTransaction(SqlFormat("delete from Users where ID=%d ", {ID}));
    Channel->ExecuteInTransaction(SqlFormat("delete from Config where UserID=%d ", {ID}));
}

void TUser::CreateRandomNumbers(TBook* book) {
    const TMessage question{QStringLiteral("这可能需要几分钟时间,是否继续？"),
                            QStringLiteral("提醒"), TMsgButtons::OkCancel, TMsgIcon::Question};
    if (ShowMessageBox(question) != TMsgResult::Ok) {
        return;
    }
    TBusyCursor busy;
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> draw(0, 9999);
    // One transaction for all rows: the same result as row by row, in a fraction of the
    // time, and an error leaves the book as it was.
    TTransaction transaction(*Channel);
    TAdoQuery* q = Channel->OpenQuery(
        SqlFormat("select * from Recite where USER_ID = %d and BOOK_ID = %d", {ID, book->BookID}),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        q->Edit();
        q->SetValue(QStringLiteral("RANDOM_NUM"), draw(generator));
        q->Post();
    }
    transaction.Commit();
}
