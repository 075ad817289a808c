// Timings of the learner-record operations on databases of realistic size.
#include "AdminOps.h"
#include "model/Prompts.h"
#include "model/User.h"
#include "store/Channels.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>

namespace {

constexpr double kNow = 46000.5;

// A program folder with a database: user 1's defaults, `learners` learners with a copy of
// them, and `books` books of `words` words each.
struct TBenchDatabase {
    TBenchDatabase(int learners, int books, int words) {
        if (!dir.isValid() || !CreateDatabaseFile(Path())) {
            throw std::runtime_error("cannot create the database");
        }
        channel.OpenDatabase(Path(), QString());
        TConfig c(&channel);
        SeedStartValues(c);
        c.WordNum = 50;
        c.Save(DefaultUserID);
        for (int i = 0; i < learners; ++i) {
            channel.Execute(SqlFormat("insert into USERS values(%d, 'learner %d', '', 0)",
                                      {FirstLearnerID + i, i}));
            c.Save(FirstLearnerID + i);
        }
        TTransaction t(channel);
        for (int b = 1; b <= books; ++b) {
            channel.Execute(SqlFormat("insert into BookStore values(%d, 'book %d')", {b, b}));
            channel.Execute(SqlFormat(
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < %d) "
                "insert into Book(BOOK_ID, WORD_ID, WORD_NAME, WORD_SYMBOL, WORD_TRANS, "
                "WORD_EXAMPLE) select %d, %d + i, 'word ' || (%d + i), 'pinyin', 'translation "
                "of the word', '' from n",
                {words, b, b * 100000, b * 100000}));
        }
        t.Commit();
    }
    QString Path() const { return QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb")); }
    void SubscribeAll(int userID, int books) {
        for (int b = 1; b <= books; ++b) {
            channel.Execute(SqlFormat("insert into UserBooks values(%d, %d, %d)", {userID, b, b}));
            channel.Execute(
                SqlFormat("insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, "
                          "RANDOM_NUM, UPDATE_DATE, BOOK_ID) select %d, WORD_ID, 0, 0, "
                          "abs(random()) %% 10000, 36526.0, %d from Book where BOOK_ID = %d",
                          {userID, b, b}));
        }
    }
    QTemporaryDir dir;
    TAdoChannel channel;
};

// state.range(0): 0 = every word due (fresh subscriptions), 1 = only the last book has
// due words (the first nine are learned, so their rows are read and rejected).
void BM_SelectDueWords(benchmark::State& state) {
    TBenchDatabase db(1, 10, 10000);
    db.SubscribeAll(FirstLearnerID, 10);
    if (state.range(0) == 1) {
        db.channel.Execute(QStringLiteral("update Recite set ABILITY = 40, UPDATE_DATE = 45999.0 "
                                          "where BOOK_ID < 10"));
    }
    TUserList users;
    LoadUsers(db.channel, users, [] { return kNow; });
    TUser* user = users.Object(0);
    user->Config.ReciteOrder = static_cast<int>(state.range(1));
    TWordList words;
    for (auto _ : state) {
        user->SelectDueWords(words);
        benchmark::DoNotOptimize(words.Count());
    }
    if (words.Count() != 50) {
        state.SkipWithError("the group is not full");
    }
}
BENCHMARK(BM_SelectDueWords)
    ->ArgNames({"learned", "random"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

void BM_IncludeBook(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<TBenchDatabase>(1, 1, 20000);
        TUserList users;
        LoadUsers(db->channel, users);
        TUser* user = users.Object(0);
        state.ResumeTiming();
        user->IncludeBook(user->SpareBooks.Object(0));
        state.PauseTiming();
        users.Clear();
        db.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_IncludeBook)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CreateRandomNumbers(benchmark::State& state) {
    SetMessageHandler([](const TMessage&) { return TMsgResult::Ok; });
    TBenchDatabase db(1, 1, 20000);
    db.SubscribeAll(FirstLearnerID, 1);
    TUserList users;
    LoadUsers(db.channel, users);
    TUser* user = users.Object(0);
    for (auto _ : state) {
        user->CreateRandomNumbers(user->SelectedBooks.Object(0));
    }
    SetMessageHandler(nullptr);
}
BENCHMARK(BM_CreateRandomNumbers)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadUsers(benchmark::State& state) {
    TBenchDatabase db(50, 10, 10);
    for (int i = 0; i < 50; ++i) {
        db.SubscribeAll(FirstLearnerID + i, 3);
    }
    for (auto _ : state) {
        TUserList users;
        LoadUsers(db.channel, users);
        benchmark::DoNotOptimize(users.Count());
    }
}
BENCHMARK(BM_LoadUsers)->Unit(benchmark::kMillisecond);

// One scoring write as the word window's thread makes it, in a database of 10 books of
// 10,000 words: state.range(0) 0 = the file is free, 1 = another program holds a read
// transaction on it (the write is kept for later after a short wait).
void BM_ProgressWrite(benchmark::State& state) {
    TBenchDatabase db(1, 10, 10000);
    db.SubscribeAll(FirstLearnerID, 10);
    TAdoChannel other;
    other.OpenDatabase(db.Path(), QString());
    const bool held = state.range(0) == 1;
    TAdoQuery* reader = nullptr;
    TWord word(&db.channel);
    word.UserID = FirstLearnerID;
    word.WordID = 500001;
    word.UpdateDate = kNow;
    for (auto _ : state) {
        if (held) {
            state.PauseTiming();
            db.channel.FlushKept();
            other.BeginTransaction();
            reader = other.OpenQuery(QStringLiteral("select count(*) as N from Recite"), 1);
            state.ResumeTiming();
        }
        ++word.WordRound;
        word.Ability = word.WordRound % 50;
        word.Save();
        if (held) {
            state.PauseTiming();
            if (reader != nullptr) {
                reader->Close();
            }
            other.Rollback();
            state.ResumeTiming();
        }
    }
    db.channel.FlushKept();
    state.counters["kept"] = static_cast<double>(db.channel.KeptWrites().size());
}
BENCHMARK(BM_ProgressWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
