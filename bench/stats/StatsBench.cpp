// The statistics of a learner with a long history, and what the log adds to a pass.
#include "AdminOps.h"
#include "model/ReviewLog.h"
#include "model/User.h"
#include "stats/Statistics.h"
#include "store/Channels.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

constexpr double kNow = 46000.5;

// A learner with 10 books of 1,000 words and `passes` passes spread over the last year
// (about 2,700 a day for a million), a second learner with a few.
struct TLogDatabase {
    explicit TLogDatabase(int passes) {
        if (!dir.isValid() || !CreateDatabaseFile(Path())) {
            throw std::runtime_error("cannot create the database");
        }
        channel.OpenDatabase(Path(), QString());
        TConfig c(&channel);
        SeedStartValues(c);
        c.Save(DefaultUserID);
        for (int id : {FirstLearnerID, FirstLearnerID + 1}) {
            channel.Execute(SqlFormat("insert into USERS values(%d, 'learner', '', 0)", {id}));
            c.Save(id);
        }
        TTransaction t(channel);
        for (int b = 1; b <= 10; ++b) {
            channel.Execute(SqlFormat("insert into BookStore values(%d, 'book %d')", {b, b}));
            channel.Execute(SqlFormat(
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000) "
                "insert into Book(BOOK_ID, WORD_ID, WORD_NAME) select %d, %d + i, 'w' || i from n",
                {b, b * 10000}));
            channel.Execute(
                SqlFormat("insert into UserBooks values(%d, %d, %d)", {FirstLearnerID, b, b}));
            channel.Execute(SqlFormat(
                "insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, RANDOM_NUM, "
                "UPDATE_DATE, BOOK_ID) select %d, WORD_ID, abs(random()) %% 60, "
                "abs(random()) %% 5, 0, %f - abs(random()) %% 100 / 10.0, %d from Book where "
                "BOOK_ID = %d",
                {FirstLearnerID, kNow, b, b}));
        }
        t.Commit();
        EnsureReviewLog(channel);
        channel.ExecuteInTransaction(SqlFormat(
            "with recursive n(i) as (select 0 union all select i + 1 from n where i + 1 < %d) "
            "insert into ReviewLog select %d, 1 + i %% 10, 10001 + i %% 1000, "
            "%f - 365.0 * i / %d, abs(random()) %% 2, 3, 5, i %% 4, i %% 4 + 1, 0 from n",
            {passes, FirstLearnerID, kNow, passes}));
        channel.Execute(SqlFormat("insert into ReviewLog select %d, BOOK_ID, WORD_ID, "
                                  "REVIEW_DATE, KNOWN, 0, 1, 0, 1, 0 from ReviewLog limit 1000",
                                  {FirstLearnerID + 1}));
        LoadUsers(channel, users, [] { return kNow; });
    }
    QString Path() const { return QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb")); }
    QTemporaryDir dir;
    TAdoChannel channel;
    TUserList users;
};

// The statistics window's reading of the figures; state.range(0) passes in the log.
void BM_LoadStatistics(benchmark::State& state) {
    TLogDatabase db(static_cast<int>(state.range(0)));
    TUser* user = db.users.Object(0);
    for (auto _ : state) {
        const TStatistics s = LoadStatistics(db.channel, *user, kNow);
        benchmark::DoNotOptimize(s.TodayPasses);
    }
}
BENCHMARK(BM_LoadStatistics)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(10);

// One scored showing written to the file, with its log row (1) or without (0), into a
// database whose log holds a million passes.
void BM_Pass(benchmark::State& state) {
    TLogDatabase db(1000000);
    TWord w(&db.channel);
    w.UserID = FirstLearnerID;
    w.BookID = 1;
    w.WordID = 10001;
    double now = kNow;
    for (auto _ : state) {
        ++w.WordRound;
        w.UpdateDate = now += 0.0001;
        w.SavePass(false, state.range(0) == 1, now);
    }
    if (!db.channel.KeptWrites().isEmpty()) {
        state.SkipWithError("a pass was kept");
    }
}
BENCHMARK(BM_Pass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
