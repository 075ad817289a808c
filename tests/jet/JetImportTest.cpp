// The import of Access (Jet 4) learner databases, against the synthetic fixture and damaged
// or foreign files made from it.
#include "jet/JetImport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const QString kFixture = QStringLiteral(TAVELO_JET_FIXTURES "/tavelo-jet4.mdb");

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The rows of a query, each as "a|b|c" with NULL written \N, texts as they are, reals with two
// decimals and their type checked: a real where an integer belongs would show.
QStringList Rows(const QString& db, const QString& sql) {
    sqlite3* h = nullptr;
    sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* q = nullptr;
    QStringList rows;
    if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &q, nullptr) != SQLITE_OK) {
        rows << QString::fromUtf8(sqlite3_errmsg(h));
    }
    while (q != nullptr && sqlite3_step(q) == SQLITE_ROW) {
        QStringList cells;
        for (int i = 0; i < sqlite3_column_count(q); ++i) {
            switch (sqlite3_column_type(q, i)) {
            case SQLITE_NULL:
                cells << QStringLiteral("\\N");
                break;
            case SQLITE_INTEGER:
                cells << QString::number(sqlite3_column_int64(q, i));
                break;
            case SQLITE_FLOAT:
                cells << QStringLiteral("%1r").arg(sqlite3_column_double(q, i), 0, 'f', 2);
                break;
            default:
                cells << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(q, i)));
            }
        }
        rows << cells.join(QLatin1Char('|'));
    }
    sqlite3_finalize(q);
    sqlite3_close_v2(h);
    return rows;
}

class JetImport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return Path(name);
    }
    QTemporaryDir dir;
    const QString target = Path(QStringLiteral("Tavelo.mdb"));
    TJetReport report;
    QString kept;
    QString error;
};

// What the fixture's description (and mdb-export) shows, cell by cell; dates as the two-decimal
// day numbers of mdb-export's times (03:07:12 is .13 of a day).
TEST_F(JetImport, CarriesEveryCellOfTheFixtureOver) {
    ASSERT_TRUE(ImportJet(kFixture, target, {}, &report, &kept, &error)) << error.toStdString();

    const QList<QPair<QString, QStringList>> expected = {
        {"select * from USERS order by ID",
         {"1|系统管理员|admin|1", "100|张伟|mima100|0", "101|李小红|\\N|0"}},
        {"select * from Book where WORD_ID in (1002, 2001) order by WORD_ID",
         {"1|1002|book|[buk]|\\N|n. 书，书本\r\nv. 预订|\\N|\\N|\\N|\\N|This book is mine.|\\N|\\N",
          "2|2001|人|rén|\\N|人，人类|\\N|\\N|\\N|\\N|我们都是中国人。|\\N|\\N"}},
        {"select * from Recite where (USER_ID, WORD_ID) in "
         "(values (100, 1001), (100, 1008), (101, 2003)) order by USER_ID, WORD_ID",
         {"100|1001|1|1|1|4821|46000.13r", "100|1008|1|0|0|0|36526.00r",
          "101|2003|2|4|1|301|45990.62r"}},
        {"select * from BookStore order by BookID", {"1|小学英语词汇", "2|常用汉字一百"}},
        {"select USERID, BOOKID from UserBooks order by USERID, BOOKID",
         {"100|1", "100|2", "101|2"}},
        // The one empty CHOICE stays a text; NUMBEREX keeps its sign.
        {"select quote(CHOICE) from CONFIG where USERID = 101 and SEQUENCE = 7", {"''"}},
        {"select count(*) from CONFIG where NUMBEREX in (16744448, -16777201)", {"2"}},
        {"select USERID, count(*) from CONFIG group by USERID", {"1|5", "100|3", "101|2"}},
        {"select count(*) from Book where WORD_TRANS like '%'||char(13,10)||'%'", {"3"}},
        // 10 rows with progress, 20 fresh; every day number a two-decimal value, stored as REAL.
        {"select ABILITY + WORD_ROUND + RANDOM_NUM > 0, count(*), "
         "sum(UPDATE_DATE = 36526) from Recite group by 1",
         {"0|20|20", "1|10|0"}},
        {"select count(*) from Recite where typeof(UPDATE_DATE) <> 'real' or "
         "abs(UPDATE_DATE * 100 - round(UPDATE_DATE * 100)) > 1e-6",
         {"0"}},
    };
    for (const auto& [sql, rows] : expected) {
        EXPECT_EQ(Rows(target, sql), rows) << sql.toStdString();
    }
    const QList<QPair<QString, qint64>> counts = {{"USERS", 3}, {"CONFIG", 10},   {"BookStore", 2},
                                                  {"Book", 20}, {"UserBooks", 3}, {"Recite", 30}};
    EXPECT_EQ(report.rows, counts);
    EXPECT_EQ(report.learners, (QList<QPair<int, QString>>{{100, "张伟"}, {101, "李小红"}}));
    EXPECT_EQ(report.reciteWithoutWord, 0);
    EXPECT_EQ(report.reservedUsers, 0);
    EXPECT_TRUE(kept.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Tavelo.mdb")});
}

// Rows the program will not use are carried over and counted. The fixture's USERS page (26)
// and Book page (38) hold the ids 101 and 1002 once each: made 50 (a reserved id) and 9999 (so
// the progress row of word 1002 names a word missing from its book).
TEST_F(JetImport, CarriesRowsTheProgramWillNotUseOverAndCountsThem) {
    QByteArray jet = Bytes(kFixture);
    const auto patch = [&jet](int page, qint32 from, qint32 to) {
        const QByteArray old(reinterpret_cast<const char*>(&from), 4);
        const qsizetype at = jet.indexOf(old, page * 4096);
        ASSERT_TRUE(at >= page * 4096 && at < (page + 1) * 4096);
        jet.replace(at, 4, QByteArray(reinterpret_cast<const char*>(&to), 4));
    };
    patch(26, 101, 50);
    patch(38, 1002, 9999);
    ASSERT_TRUE(
        ImportJet(Write(QStringLiteral("odd.mdb"), jet), target, {}, &report, &kept, &error))
        << error.toStdString();
    EXPECT_EQ(report.reservedUsers, 1);
    EXPECT_EQ(report.reciteWithoutWord, 1);
    EXPECT_EQ(report.learners.size(), 1);
    EXPECT_EQ(Rows(target, QStringLiteral("select count(*) from USERS union all "
                                          "select count(*) from Recite")),
              (QStringList{"3", "30"}));
    EXPECT_TRUE(report.Lines().join(QLatin1Char('\n')).contains(QLatin1String("1 Recite rows")));
}

// Whatever is refused leaves the folder as it was: no target, no temporary file.
TEST_F(JetImport, RefusesWhatIsNoWholeJet4DatabaseAndLeavesNothing) {
    const QByteArray jet = Bytes(kFixture);
    ASSERT_FALSE(jet.isEmpty());
    QByteArray noRecite = jet;
    const QByteArray name = QByteArray("R\0e\0c\0i\0t\0e\0", 12);
    ASSERT_GE(noRecite.indexOf(name), 0);
    noRecite[noRecite.indexOf(name) + 10] = 'x'; // the catalogue now names "Recitx"
    QTemporaryDir other;
    const QString sqlite = QDir(other.path()).filePath(QStringLiteral("s.mdb"));
    ASSERT_TRUE(ImportJet(kFixture, sqlite, {}, &report, &kept, &error));

    const struct {
        const char* what;
        QString file;
        const char* says;
    } cases[] = {
        {"a text file", Write(QStringLiteral("text.mdb"), "ID,NAME\n1,x\n"), "not an Access"},
        {"cut at a page", Write(QStringLiteral("cut.mdb"), jet.left(20 * 4096)), "damaged"},
        {"cut inside a page", Write(QStringLiteral("torn.mdb"), jet.left(20 * 4096 + 100)),
         "damaged"},
        {"no Recite", Write(QStringLiteral("norecite.mdb"), noRecite), "no table Recite"},
        {"an SQLite database", sqlite, "SQLite"},
        {"a missing file", Path(QStringLiteral("none.mdb")), "does not exist"},
    };
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);
    for (const auto& c : cases) {
        EXPECT_FALSE(ImportJet(c.file, target, {}, &report, &kept, &error)) << c.what;
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << c.what << ": " << error.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before) << c.what;
    }
}

// An existing database is left byte for byte without --replace; with it, it is kept in
// backups/ first and then replaced.
TEST_F(JetImport, ReplacesAnExistingDatabaseOnlyWhenAskedKeepingItsContent) {
    Write(QStringLiteral("Tavelo.mdb"), "an earlier database");
    EXPECT_FALSE(ImportJet(kFixture, target, {}, &report, &kept, &error));
    EXPECT_TRUE(error.contains(QLatin1String("exists already")));
    EXPECT_EQ(Bytes(target), QByteArray("an earlier database"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Tavelo.mdb")});

    TJetImportOptions replace;
    replace.replace = true;
    ASSERT_TRUE(ImportJet(kFixture, target, replace, &report, &kept, &error))
        << error.toStdString();
    EXPECT_EQ(Bytes(kept), QByteArray("an earlier database")) << kept.toStdString();
    EXPECT_EQ(Rows(target, QStringLiteral("select count(*) from Recite")), QStringList{"30"});
}

} // namespace
