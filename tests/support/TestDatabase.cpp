#include "TestDatabase.h"

#include "AdminOps.h"
#include "model/User.h"
#include "store/Channels.h"

#include <QDir>
#include <stdexcept>

TTestDatabase::TTestDatabase() {
    if (!dir_.isValid() || !CreateDatabaseFile(Path())) {
        throw std::runtime_error("cannot create the test database");
    }
    channel_ = std::make_unique<TAdoChannel>();
    if (!channel_->OpenDatabase(Path(), QString())) {
        throw std::runtime_error("cannot open the test database");
    }
}

TTestDatabase::~TTestDatabase() = default;

QString TTestDatabase::Path() const {
    return QDir(dir_.path()).filePath(QStringLiteral("Tavelo.mdb"));
}

void TTestDatabase::Exec(const QString& sql) {
    if (!channel_->Execute(sql)) {
        throw std::runtime_error(
            ("test SQL failed: " + sql + ": " + channel_->LastError()).toStdString());
    }
}

QVariant TTestDatabase::Scalar(const QString& sql) {
    TAdoQuery* q = channel_->OpenNamedQuery(QStringLiteral("test-check"), sql);
    if (q == nullptr) {
        throw std::runtime_error(("test SQL failed: " + sql).toStdString());
    }
    const QVariant v = q->Eof() || q->FieldCount() == 0 ? QVariant() : q->Value(q->FieldName(0));
    q->Close();
    return v;
}

int TTestDatabase::Count(const QString& sqlFromWhere) {
    return Scalar(QStringLiteral("select count(*) ") + sqlFromWhere).toInt();
}

void TTestDatabase::AddUser(int id, const QString& name, int isPower) {
    Exec(SqlFormat("insert into USERS(ID, NAME, CIPHER, IsPower) values(%d, '%s', 'pw', %d)",
                   {id, QuoteSqlText(name), isPower}));
}

void TTestDatabase::AddStartSettings(int userID) {
    TConfig c(channel_.get());
    SeedStartValues(c);
    c.Save(userID);
}

void TTestDatabase::AddBook(int bookID, const QString& desc, int words, int firstWordID,
                            const QString& prefix) {
    Exec(SqlFormat("insert into BookStore(BookID, BookDesc) values(%d, '%s')",
                   {bookID, QuoteSqlText(desc)}));
    if (words > 0) {
        Exec(SqlFormat(
            "with recursive n(i) as (select 0 union all select i + 1 from n where i + 1 "
            "< %d) insert into Book(BOOK_ID, WORD_ID, WORD_NAME, WORD_TRANS, "
            "WORD_EXAMPLE) select %d, %d + i, '%s' || (%d + i), 'trans ' || (%d + i), "
            "'ex' from n",
            {words, bookID, firstWordID, QuoteSqlText(prefix), firstWordID, firstWordID}));
    }
}

void TTestDatabase::Subscribe(int userID, int bookID, int sequence) {
    Exec(SqlFormat("insert into UserBooks(USERID, BOOKID, SEQUENCE) values(%d, %d, %d)",
                   {userID, bookID, sequence}));
    Exec(SqlFormat("insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, RANDOM_NUM, "
                   "UPDATE_DATE, BOOK_ID) select %d, WORD_ID, 0, 0, 0, 36526.0, %d from Book where "
                   "BOOK_ID = %d",
                   {userID, bookID, bookID}));
}

void TTestDatabase::SetSetting(int userID, int sequence, int value) {
    Exec(SqlFormat("delete from CONFIG where USERID = %d and SEQUENCE = %d", {userID, sequence}));
    Exec(SqlFormat("insert into CONFIG(USERID, SEQUENCE, NUMBEREX, CHOICE) values(%d, %d, %d, '')",
                   {userID, sequence, value}));
}
