#include "AdminOps.h"

#include "Business.h"
#include "Channels.h"
#include "Errors.h"

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

bool InitDatabase(const QString& path, const TInitOptions& options, QString* error) {
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("%1 exists already; it is left as it is").arg(path);
        return false;
    }
    if (!CreateDatabaseFile(path)) {
        *error = QStringLiteral("cannot create %1").arg(path);
        return false;
    }
    bool ok = false;
    {
        TAdoChannel channel;
        ok = Connect(channel, path, error);
        if (ok) {
            TConfig defaults(&channel);
            if (options.demo) {
                SeedDemoValues(defaults);
            } else {
                SeedStartValues(defaults);
            }
            defaults.Save(DefaultUserID);
            defaults.Save(FirstLearnerID);
            // Names reach the database only as bound values.
            TAdoQuery* q =
                channel.OpenQuery(QStringLiteral("select * from USERS where ID = -1"), 1);
            ok = q != nullptr;
            if (ok) {
                q->Append();
                q->SetValue(QStringLiteral("ID"), FirstLearnerID);
                q->SetValue(QStringLiteral("NAME"), options.learnerName.trimmed());
                q->SetValue(QStringLiteral("CIPHER"), QString());
                q->SetValue(QStringLiteral("IsPower"), 1);
                q->Post();
                q->Close();
            } else {
                *error = channel.LastError();
            }
        }
        const QStringList books = {QStringLiteral("characters.tsv"), QStringLiteral("words.tsv")};
        const QStringList names = {QStringLiteral("常用汉字"), QStringLiteral("基础词语")};
        for (int i = 0; ok && options.demo && i < books.size(); ++i) {
            int bookID = 0;
            ok = ImportBook(channel, QDir(options.dataDir).filePath(books[i]), names[i], &bookID,
                            error) &&
                 SubscribeBook(channel, FirstLearnerID, bookID, error);
        }
    }
    if (!ok) {
        QFile::remove(path);
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

bool SubscribeBook(TAdoChannel& channel, int userID, int bookID, QString* error) {
    TUserList users;
    LoadUsers(channel, users);
    for (int i = 0; i < users.Count(); ++i) {
        TUser* user = users.Object(i);
        if (user->ID != userID) {
            continue;
        }
        for (int b = 0; b < user->SpareBooks.Count(); ++b) {
            if (user->SpareBooks.Object(b)->BookID == bookID) {
                try {
                    user->IncludeBook(user->SpareBooks.Object(b));
                    return true;
                } catch (const ETaveloError& e) {
                    *error = QString::fromStdString(e.what());
                    return false;
                }
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
