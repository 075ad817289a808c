#include "store/Schema.h"

#include "store/AdoChannel.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <sqlite3.h>

namespace {

struct TTableDef {
    const char* name;
    std::array<const char*, 13> columns; // name and declared type, nullptr after the last
};

// UPDATE_DATE is REAL: day numbers must stay floating point in the database, or the due
// condition would divide integers.
const TTableDef kTables[] = {
    {"USERS", {"ID integer", "NAME text", "CIPHER text", "IsPower integer"}},
    {"CONFIG", {"USERID integer", "SEQUENCE integer", "NUMBEREX integer", "CHOICE text"}},
    {"BookStore", {"BookID integer", "BookDesc text"}},
    {"Book",
     {"BOOK_ID integer", "WORD_ID integer", "WORD_NAME text", "WORD_SYMBOL text", "WORD_AFFIX text",
      "WORD_TRANS text", "WORD_EXPLAIN text", "WORD_SYNONYMY text", "WORD_ANTONYM text",
      "WORD_ANALOPY text", "WORD_EXAMPLE text", "WAV_FILE text", "PICT_NAME text"}},
    {"UserBooks", {"USERID integer", "BOOKID integer", "SEQUENCE integer"}},
    {"Recite",
     {"USER_ID integer", "WORD_ID integer", "BOOK_ID integer", "ABILITY integer",
      "WORD_ROUND integer", "RANDOM_NUM integer", "UPDATE_DATE real"}},
};

// The due-word selection reads a learner's book in word or random order; the indexes
// that start with (USER_ID, BOOK_ID) serve it without a sort and check the due condition
// without reading the rows.
const char* const kIndexes[] = {
    "create index IX_Recite_User_Book on Recite(USER_ID, BOOK_ID, WORD_ID, ABILITY, UPDATE_DATE)",
    "create index IX_Recite_Rnd on Recite(USER_ID, BOOK_ID, RANDOM_NUM, ABILITY, UPDATE_DATE)",
    "create index IX_Recite_User_Word on Recite(USER_ID, WORD_ID)",
    "create index IX_Book_Book_Word on Book(BOOK_ID, WORD_ID)",
    "create index IX_Config_User_Sequence on CONFIG(USERID, SEQUENCE)",
    "create index IX_UserBooks_User on UserBooks(USERID)",
};

QString ColumnName(const char* def) {
    const QString s = QString::fromLatin1(def);
    return s.left(s.indexOf(QLatin1Char(' ')));
}

} // namespace

bool CreateSchema(TAdoChannel& channel) {
    QStringList sqls;
    for (const TTableDef& t : kTables) {
        QStringList cols;
        for (const char* c : t.columns) {
            if (c != nullptr) {
                cols << QString::fromLatin1(c);
            }
        }
        sqls << QStringLiteral("create table %1 (%2)")
                    .arg(QString::fromLatin1(t.name), cols.join(QStringLiteral(", ")));
    }
    for (const char* ix : kIndexes) {
        sqls << QString::fromLatin1(ix);
    }
    return channel.ExecuteListInTransaction(sqls);
}

bool CreateDatabaseFile(const QString& path) {
    if (QFileInfo::exists(path)) {
        return false;
    }
    sqlite3* db = nullptr;
    const QByteArray utf8 = path.toUtf8();
    const int rc =
        sqlite3_open_v2(utf8.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) {
        return false;
    }
    TAdoChannel channel;
    if (channel.OpenDatabase(path, QString()) && CreateSchema(channel)) {
        return true;
    }
    QFile::remove(path);
    return false;
}

QStringList MissingSchemaParts(TAdoChannel& channel) {
    QStringList missing;
    for (const TTableDef& t : kTables) {
        const QString table = QString::fromLatin1(t.name);
        // table_info answers nothing for a table that does not exist (names without case).
        TAdoQuery* q = channel.OpenQuery(
            QStringLiteral("select name from pragma_table_info('%1')").arg(table), 1);
        QStringList have;
        for (; q != nullptr && !q->Eof(); q->Next()) {
            have << q->AsString(QStringLiteral("name")).toUpper();
        }
        if (have.isEmpty()) {
            missing << table;
            continue;
        }
        for (const char* c : t.columns) {
            if (c != nullptr && !have.contains(ColumnName(c).toUpper())) {
                missing << table + QLatin1Char('.') + ColumnName(c);
            }
        }
    }
    if (TAdoQuery* q = channel.OpenQuery(QStringLiteral("select 1"), 1)) {
        q->Close();
    }
    return missing;
}
