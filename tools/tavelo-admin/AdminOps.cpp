#include "AdminOps.h"

#include "common/Errors.h"
#include "model/User.h"
#include "store/Channels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

void SeedStartValues(TConfig& c) {
    c.WordNum = 20;
    c.Oblivion = 12;
    c.FirstNum = 8;
    c.SecondNum = 3;
    c.UpperLimit = 50;
    c.BaseTime = 500;
    c.ReciteTime = 3;
    c.TranslateTime = 4;
    c.ShowPicture = false;
    c.Reserved10 = 0;
    c.Pronounce = 1;
    c.Reserved12 = 0;
    c.ThirdNum = 1;
    c.FourthNum = 0;
    c.SubNum = 2;
    c.UseDesktop = 0;
    c.DesktopColor = 0x00808000;                 // teal (red in the low byte)
    c.FontColor = static_cast<int>(0x80000008u); // the system window-text colour
    c.ReciteOrder = 0;
    c.FontSize = 24;
    c.TransFontSize = 14;
    c.RestrictTime = false;
    c.StartDay = -2;
    c.EndDay = -1;
    c.RoundCompare = false;
    c.RoundNumber = 0;
    c.FloorAbility = 1;
    c.CeilingAbility = 0;
    c.PrintTranslation = 1;
    c.PrintDate = 1;
    c.PrintPageNumber = 1;
    c.PaperType = 0;
    c.ColumnCount = 3;
}

void SeedDemoValues(TConfig& c) {
    SeedStartValues(c);
    // The word window leaves room for a glyph about 144 pixels high; the dialog's start
    // value of 24 points looks lost in it.
    c.FontSize = 96;
    // Review mode goes over the words met at least once with any score; the start values
    // (score at least 1 and at most 0) select nothing until a learner sets them.
    c.RoundCompare = true;
    c.RoundNumber = 1;
    c.FloorAbility = 1;
    c.CeilingAbility = 10000;
}

namespace {

bool Connect(TAdoChannel& channel, const QString& path, QString* error) {
    if (!channel.OpenDatabase(path, QString())) {
        *error = QStringLiteral("%1 is not a database this program can open").arg(path);
        return false;
    }
    return true;
}

int MaxOf(TAdoChannel& channel, const QString& sql) {
    TAdoQuery* q = channel.OpenQuery(sql, 1);
    return q == nullptr ? 0 : q->AsInteger(QStringLiteral("M"));
}

} // namespace

namespace {

int Count(TAdoChannel& channel, const QString& sql) {
    TAdoQuery* q = channel.OpenQuery(sql, 1);
    if (q == nullptr) {
        throw EDatabaseError(channel.LastError().toStdString());
    }
    const int n = q->AsInteger(QStringLiteral("N"));
    q->Close();
    return n;
}

// Fills a new database. The settings writes report nothing, so what they left is counted.
bool FillDatabase(const QString& path, const TInitOptions& options, QString* error) {
    TAdoChannel channel;
    if (!Connect(channel, path, error)) {
        return false;
    }
    TConfig defaults(&channel);
    if (options.demo) {
        SeedDemoValues(defaults);
    } else {
        SeedStartValues(defaults);
    }
    defaults.Save(DefaultUserID);
    defaults.Save(FirstLearnerID);
    // Names reach the database only as bound values.
    TAdoQuery* q = channel.OpenQuery(QStringLiteral("select * from USERS where ID = -1"), 1);
    if (q == nullptr) {
        *error = channel.LastError();
        return false;
    }
    q->Append();
    q->SetValue(QStringLiteral("ID"), FirstLearnerID);
    q->SetValue(QStringLiteral("NAME"), options.learnerName.trimmed());
    q->SetValue(QStringLiteral("CIPHER"), QString());
    q->SetValue(QStringLiteral("IsPower"), 1);
    q->Post();
    q->Close();
    const QString settings = QStringLiteral("select count(*) as N from CONFIG where USERID = %1");
    if (Count(channel, settings.arg(DefaultUserID)) != TConfig::kCount ||
        Count(channel, settings.arg(FirstLearnerID)) != TConfig::kCount ||
        Count(channel, QStringLiteral("select count(*) as N from USERS")) != 1) {
        *error =
            QStringLiteral("the start values could not be written: %1").arg(channel.LastError());
        return false;
    }
    const QStringList books = {QStringLiteral("characters.tsv"), QStringLiteral("words.tsv")};
    const QStringList names = {QStringLiteral("常用汉字"), QStringLiteral("基础词语")};
    for (int i = 0; options.demo && i < books.size(); ++i) {
        int bookID = 0;
        if (!ImportBook(channel, QDir(options.dataDir).filePath(books[i]), names[i], &bookID,
                        error) ||
            !SubscribeBook(channel, FirstLearnerID, bookID, error)) {
            return false;
        }
    }
    return true;
}

void RemoveDatabaseFiles(const QString& path) {
    QFile::remove(path + QStringLiteral("-journal"));
    QFile::remove(path);
}

} // namespace

bool InitDatabase(const QString& path, const TInitOptions& options, QString* error) {
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("%1 exists already; it is left as it is").arg(path);
        return false;
    }
    // Built under a name of its own and renamed when complete: the database's name never
    // holds half a database, whatever step fails or throws.
    const QString partial =
        QStringLiteral("%1.%2.part").arg(path).arg(QCoreApplication::applicationPid());
    RemoveDatabaseFiles(partial); // left by an earlier run that was killed
    bool ok = false;
    try {
        if (!CreateDatabaseFile(partial)) {
            *error = QStringLiteral("cannot create %1").arg(path);
        } else {
            ok = FillDatabase(partial, options, error);
        }
    } catch (const std::exception& e) {
        *error = QStringLiteral("cannot create %1: %2").arg(path, QString::fromUtf8(e.what()));
    }
    if (ok && !QFile::rename(partial, path)) {
        *error =
            QFileInfo::exists(path)
                ? QStringLiteral("%1 was created by someone else meanwhile; it is left as it is")
                      .arg(path)
                : QStringLiteral("cannot create %1").arg(path);
        ok = false;
    }
    if (!ok) {
        RemoveDatabaseFiles(partial);
    }
    return ok;
}

bool ImportBook(TAdoChannel& channel, const QString& path, const QString& bookName, int* bookID,
                QString* error) {
    QList<TBookEntry> entries;
    if (!ReadBookFile(path, &entries, error)) {
        return false;
    }
    try {
        TTransaction transaction(channel);
        const int id = MaxOf(channel, QStringLiteral("select Max(BookID) as M from BookStore")) + 1;
        int wordID = MaxOf(channel, QStringLiteral("select Max(WORD_ID) as M from Book"));
        TAdoQuery* q =
            channel.OpenQuery(QStringLiteral("select * from BookStore where BookID = -1"), 1);
        if (q == nullptr) {
            *error = channel.LastError();
            return false;
        }
        q->Append();
        q->SetValue(QStringLiteral("BookID"), id);
        q->SetValue(QStringLiteral("BookDesc"), bookName);
        q->Post();
        q = channel.OpenQuery(QStringLiteral("select * from Book where BOOK_ID = -1"), 1);
        if (q == nullptr) {
            *error = channel.LastError();
            return false;
        }
        for (const TBookEntry& e : entries) {
            q->Append();
            q->SetValue(QStringLiteral("BOOK_ID"), id);
            q->SetValue(QStringLiteral("WORD_ID"), ++wordID);
            q->SetValue(QStringLiteral("WORD_NAME"), e.word);
            q->SetValue(QStringLiteral("WORD_SYMBOL"), e.symbol);
            q->SetValue(QStringLiteral("WORD_TRANS"), e.translation);
            q->SetValue(QStringLiteral("WORD_EXAMPLE"), e.example);
            q->Post();
        }
        q->Close();
        transaction.Commit();
        *bookID = id;
        return true;
    } catch (const ETaveloError& e) {
        *error = QString::fromStdString(e.what());
        return false;
    }
}

// The subscription TUser::IncludeBook makes, as one transaction that is checked:
// either the UserBooks row and a progress row for every word of the book are there, or
// nothing is.
bool SubscribeBook(TAdoChannel& channel, int userID, int bookID, QString* error) {
    TUserList users;
    LoadUsers(channel, users);
    for (int i = 0; i < users.Count(); ++i) {
        const TUser* user = users.Object(i);
        if (user->ID != userID) {
            continue;
        }
        for (int b = 0; b < user->SpareBooks.Count(); ++b) {
            if (user->SpareBooks.Object(b)->BookID != bookID) {
                continue;
            }
            try {
                TTransaction transaction(channel);
                const QString rows = SqlFormat(
                    "select count(*) as N from Recite where USER_ID = %d and BOOK_ID = %d",
                    {userID, bookID});
                const int before = Count(channel, rows);
                const int words =
                    Count(channel,
                          SqlFormat("select count(*) as N from Book where BOOK_ID = %d", {bookID}));
                const bool written =
                    channel.Execute(SqlFormat("insert into UserBooks(USERID, BOOKID, SEQUENCE) "
                                              "values(%d, %d, %d)",
                                              {userID, bookID, user->SelectedBooks.Count() + 1})) &&
                    channel.Execute(SqlFormat(
                        "insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, RANDOM_NUM, "
                        "UPDATE_DATE, BOOK_ID) select %d, WORD_ID, 0, 0, 0, %f, %d from Book "
                        "where BOOK_ID = %d",
                        {userID, kDayNumber2000, bookID, bookID}));
                if (!written || Count(channel, rows) - before != words) {
                    *error = QStringLiteral("the subscription could not be written: %1")
                                 .arg(channel.LastError());
                    return false;
                }
                transaction.Commit();
                return true;
            } catch (const ETaveloError& e) {
                *error = QStringLiteral("the subscription could not be written: %1")
                             .arg(QString::fromUtf8(e.what()));
                return false;
            }
        }
        *error = QStringLiteral("learner %1 has no spare book %2 (subscribed already, or no such "
                                "book)")
                     .arg(userID)
                     .arg(bookID);
        return false;
    }
    *error =
        QStringLiteral("no learner with id %1 (learners have ids of 100 and above)").arg(userID);
    return false;
}

QList<int> LearnerIDs(TAdoChannel& channel) {
    QList<int> ids;
    TAdoQuery* q =
        channel.OpenQuery(QStringLiteral("select ID from USERS where ID >= 100 order by ID"), 1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        ids << q->AsInteger(QStringLiteral("ID"));
    }
    return ids;
}

QList<int> BookIDs(TAdoChannel& channel) {
    QList<int> ids;
    TAdoQuery* q = channel.OpenQuery(QStringLiteral("select BookID from BookStore"), 1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        ids << q->AsInteger(QStringLiteral("BookID"));
    }
    return ids;
}

QStringList ListDatabase(TAdoChannel& channel) {
    QStringList lines;
    lines << QStringLiteral("Learners:");
    TUserList users;
    LoadUsers(channel, users);
    for (int i = 0; i < users.Count(); ++i) {
        const TUser* u = users.Object(i);
        lines << QStringLiteral("  %1  %2%3")
                     .arg(u->ID)
                     .arg(u->Name, u->IsPower ? QStringLiteral("  (privileged)") : QString());
        for (int b = 0; b < u->SelectedBooks.Count(); ++b) {
            lines << QStringLiteral("      %1. book %2  %3")
                         .arg(b + 1)
                         .arg(u->SelectedBooks.Object(b)->BookID)
                         .arg(u->SelectedBooks.Text(b));
        }
    }
    lines << QStringLiteral("Books:");
    TAdoQuery* q = channel.OpenQuery(
        QStringLiteral("select BookStore.BookID as ID, BookDesc, (select count(*) from Book where "
                       "Book.BOOK_ID = BookStore.BookID) as N from BookStore order by BookID"),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        lines << QStringLiteral("  %1  %2  (%3 words)")
                     .arg(q->AsInteger(QStringLiteral("ID")))
                     .arg(q->AsString(QStringLiteral("BookDesc")))
                     .arg(q->AsInteger(QStringLiteral("N")));
    }
    return lines;
}
