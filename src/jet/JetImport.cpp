#include "jet/JetImport.h"

#include "backup/Backup.h"
#include "backup/platform/Files.h"
#include "backup/platform/InstanceLock.h"
#include "jet/JetFile.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <vector>

namespace {

struct TTableSpec {
    const char* name;
    std::vector<TJetColumn> columns;
};

using K = TJetKind;
constexpr TEmptyText kEmpty = TEmptyText::Empty;

// The six tables in the schema's order, each column with its kind and its empty-text rule.
const std::vector<TTableSpec>& Tables() {
    static const std::vector<TTableSpec> tables = {
        {"USERS",
         {{"ID", K::Integer},
          {"NAME", K::Text, kEmpty},
          {"CIPHER", K::Text},
          {"IsPower", K::Integer}}},
        {"CONFIG",
         {{"USERID", K::Integer},
          {"SEQUENCE", K::Integer},
          {"NUMBEREX", K::Integer},
          {"CHOICE", K::Text, kEmpty}}},
        {"BookStore", {{"BookID", K::Integer}, {"BookDesc", K::Text, kEmpty}}},
        {"Book",
         {{"BOOK_ID", K::Integer},
          {"WORD_ID", K::Integer},
          {"WORD_NAME", K::Text},
          {"WORD_SYMBOL", K::Text},
          {"WORD_AFFIX", K::Text},
          {"WORD_TRANS", K::Text},
          {"WORD_EXPLAIN", K::Text},
          {"WORD_SYNONYMY", K::Text},
          {"WORD_ANTONYM", K::Text},
          {"WORD_ANALOPY", K::Text},
          {"WORD_EXAMPLE", K::Text},
          {"WAV_FILE", K::Text},
          {"PICT_NAME", K::Text}}},
        {"UserBooks", {{"USERID", K::Integer}, {"BOOKID", K::Integer}, {"SEQUENCE", K::Integer}}},
        {"Recite",
         {{"USER_ID", K::Integer},
          {"WORD_ID", K::Integer},
          {"BOOK_ID", K::Integer},
          {"ABILITY", K::Integer},
          {"WORD_ROUND", K::Integer},
          {"RANDOM_NUM", K::Integer},
          {"UPDATE_DATE", K::Day}}},
    };
    return tables;
}

// One connection to the database being built; closed (and the statements finalized) on leaving.
class TWriter {
public:
    ~TWriter() {
        sqlite3_finalize(stmt_);
        sqlite3_close_v2(db_);
    }
    bool Open(const QString& path) {
        const QByteArray utf8 = path.toUtf8();
        return sqlite3_open_v2(utf8.constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) ==
                   SQLITE_OK &&
               // A file nobody else sees yet: no journal; it is made durable once complete.
               Exec("pragma journal_mode=off") && Exec("pragma synchronous=off") && Exec("begin");
    }
    bool Exec(const char* sql) {
        return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    bool Prepare(const TTableSpec& t) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        QStringList names;
        QStringList marks;
        for (const TJetColumn& c : t.columns) {
            names << QLatin1String(c.name);
            marks << QStringLiteral("?");
        }
        const QByteArray sql = QStringLiteral("insert into %1 (%2) values (%3)")
                                   .arg(QLatin1String(t.name), names.join(QLatin1Char(',')),
                                        marks.join(QLatin1Char(',')))
                                   .toUtf8();
        return sqlite3_prepare_v2(db_, sql.constData(), -1, &stmt_, nullptr) == SQLITE_OK;
    }
    bool Insert(const TJetRow& row) {
        for (size_t i = 0; i < row.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            const TJetCell& cell = row[i];
            if (const auto* v = std::get_if<std::int64_t>(&cell)) {
                sqlite3_bind_int64(stmt_, n, *v);
            } else if (const auto* d = std::get_if<double>(&cell)) {
                sqlite3_bind_double(stmt_, n, *d);
            } else if (const auto* s = std::get_if<std::string>(&cell)) {
                sqlite3_bind_text(stmt_, n, s->data(), static_cast<int>(s->size()), SQLITE_STATIC);
            } else {
                sqlite3_bind_null(stmt_, n);
            }
        }
        const bool ok = sqlite3_step(stmt_) == SQLITE_DONE;
        sqlite3_reset(stmt_);
        return ok;
    }
    qint64 Count(const char* sql) {
        sqlite3_stmt* q = nullptr;
        qint64 n = -1;
        if (sqlite3_prepare_v2(db_, sql, -1, &q, nullptr) == SQLITE_OK &&
            sqlite3_step(q) == SQLITE_ROW) {
            n = sqlite3_column_int64(q, 0);
        }
        sqlite3_finalize(q);
        return n;
    }
    QList<QPair<int, QString>> Learners() {
        QList<QPair<int, QString>> list;
        sqlite3_stmt* q = nullptr;
        const QByteArray sql =
            QStringLiteral("select ID, NAME from USERS where ID >= %1 order by ID")
                .arg(FirstLearnerID)
                .toUtf8();
        if (sqlite3_prepare_v2(db_, sql.constData(), -1, &q, nullptr) == SQLITE_OK) {
            while (sqlite3_step(q) == SQLITE_ROW) {
                list.append(
                    {sqlite3_column_int(q, 0),
                     QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 1)))});
            }
        }
        sqlite3_finalize(q);
        return list;
    }
    QString Error() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

bool Fill(TJetFile& jet, const QString& target, TJetReport* report, QString* error,
          const TJetProgress& progress) {
    qint64 total = 0;
    for (const TTableSpec& t : Tables()) {
        if (!jet.Tables().contains(QLatin1String(t.name), Qt::CaseInsensitive)) {
            *error = QStringLiteral("it has no table %1").arg(QLatin1String(t.name));
            return false;
        }
        const qint64 n = jet.RowCount(QLatin1String(t.name));
        if (n < 0) {
            *error = QStringLiteral("it is damaged: its table %1 cannot be read")
                         .arg(QLatin1String(t.name));
            return false;
        }
        total += n;
    }
    TWriter writer;
    if (!writer.Open(target)) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(target, writer.Error());
        return false;
    }
    qint64 done = 0;
    for (const TTableSpec& t : Tables()) {
        if (!writer.Prepare(t)) {
            *error = writer.Error();
            return false;
        }
        qint64 rows = 0;
        QString writeError;
        const bool ok = jet.ReadTable(
            QLatin1String(t.name), t.columns,
            [&](const TJetRow& row) {
                if (!writer.Insert(row)) {
                    writeError =
                        QStringLiteral("%1 cannot be written: %2").arg(target, writer.Error());
                    return false;
                }
                ++rows;
                if (progress && (++done % 4096) == 0) {
                    progress(done, total);
                }
                return true;
            },
            error);
        if (!ok) {
            if (!writeError.isEmpty()) {
                *error = writeError;
            }
            return false;
        }
        report->rows.append({QLatin1String(t.name), rows});
    }
    if (!writer.Exec("commit")) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(target, writer.Error());
        return false;
    }
    report->learners = writer.Learners();
    report->reciteWithoutWord =
        writer.Count("select count(*) from Recite r where not exists (select 1 from Book b "
                     "where b.BOOK_ID = r.BOOK_ID and b.WORD_ID = r.WORD_ID)");
    report->reservedUsers =
        writer.Count(QStringLiteral("select count(*) from USERS where ID < %1 and ID <> %2")
                         .arg(FirstLearnerID)
                         .arg(DefaultUserID)
                         .toUtf8()
                         .constData());
    if (progress) {
        progress(total, total);
    }
    return true;
}

void RemoveBuilt(const QString& path) {
    QFile::remove(path + QStringLiteral("-journal"));
    QFile::remove(path);
}

} // namespace

QStringList TJetReport::Lines() const {
    QStringList lines;
    for (const auto& [table, n] : rows) {
        lines << QStringLiteral("%1: %2 rows").arg(table, -10).arg(n);
    }
    lines << QStringLiteral("learners: %1").arg(learners.size());
    for (const auto& [id, name] : learners) {
        lines << QStringLiteral("  %1 %2").arg(id).arg(name);
    }
    if (reciteWithoutWord > 0) {
        lines << QStringLiteral("carried over but unused: %1 Recite rows of words missing from "
                                "their book")
                     .arg(reciteWithoutWord);
    }
    if (reservedUsers > 0) {
        lines << QStringLiteral("carried over but unused: %1 USERS rows with a reserved id "
                                "(below %2, not %3)")
                     .arg(reservedUsers)
                     .arg(FirstLearnerID)
                     .arg(DefaultUserID);
    }
    return lines;
}

bool BuildFromJet(const QString& jet, const QString& target, TJetReport* report, QString* error,
                  const TJetProgress& progress) {
    *report = TJetReport();
    if (!QFileInfo(jet).isFile()) {
        *error = QStringLiteral("%1 does not exist").arg(jet);
        return false;
    }
    TJetFile file;
    if (!file.Open(jet, error)) {
        return false;
    }
    if (!CreateDatabaseFile(target)) {
        *error = QStringLiteral("%1 cannot be created").arg(target);
        return false;
    }
    QString why;
    bool ok = false;
    try {
        ok = Fill(file, target, report, &why, progress) && SyncFile(target);
        if (!ok && why.isEmpty()) {
            why = QStringLiteral("%1 cannot be written").arg(target);
        }
    } catch (const std::exception& e) {
        why = QString::fromUtf8(e.what());
    }
    if (!ok) {
        RemoveBuilt(target);
        *error =
            why.startsWith(QLatin1String("it ")) ? QStringLiteral("%1: %2").arg(jet, why) : why;
    }
    return ok;
}

bool ImportJet(const QString& jet, const QString& target, const TJetImportOptions& options,
               TJetReport* report, QString* keptCopy, QString* error) {
    keptCopy->clear();
    const bool exists = QFileInfo::exists(target);
    if (exists && !options.replace) {
        *error = QStringLiteral("%1 exists already; it is left as it is (--replace replaces it, "
                                "keeping a copy in %2)")
                     .arg(target, QString::fromLatin1(kBackupFolderName));
        return false;
    }
    if (exists && QFileInfo(jet).canonicalFilePath() == QFileInfo(target).canonicalFilePath()) {
        *error = QStringLiteral("%1 is the target itself; name another target").arg(jet);
        return false;
    }
    // The program must not hold the database while it is replaced, nor start meanwhile.
    TInstanceLock lock;
    if (exists && !lock.Acquire(QString::fromLatin1(kInstanceName))) {
        *error = QStringLiteral("Tavelo is running; quit it (tray menu 退出) and import again");
        return false;
    }
    const QString partial =
        QStringLiteral("%1.%2.part").arg(target).arg(QCoreApplication::applicationPid());
    RemoveBuilt(partial); // left by an earlier run that was killed
    if (!BuildFromJet(jet, partial, report, error)) {
        return false;
    }
    if (exists) {
        // The current content is kept as a restore keeps it, then replaced in one step.
        const QDateTime now = options.now.isValid() ? options.now : QDateTime::currentDateTime();
        QString why;
        if (!KeepCurrentDatabase(target, now, keptCopy, &why)) {
            RemoveBuilt(partial);
            *error = why;
            return false;
        }
        if (!ReplaceFile(partial, target)) {
            RemoveBuilt(partial);
            *error = QStringLiteral("%1 cannot be replaced").arg(target);
            return false;
        }
        SyncFolder(QFileInfo(target).absolutePath());
        return true;
    }
    // rename() would replace a file made meanwhile; QFile::rename refuses to.
    if (!QFile::rename(partial, target)) {
        RemoveBuilt(partial);
        *error = QFileInfo::exists(target)
                     ? QStringLiteral("%1 was created by someone else meanwhile; it is left as "
                                      "it is")
                           .arg(target)
                     : QStringLiteral("%1 cannot be created").arg(target);
        return false;
    }
    SyncFolder(QFileInfo(target).absolutePath());
    return true;
}
