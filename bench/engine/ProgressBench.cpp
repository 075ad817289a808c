// What the learner's window pays for progress that is never lost: the cost of making one pass
// durable (in the database when the file is free, in the pending file when another program
// holds it), and the longest stall of the window's thread while another program holds the
// file exclusively, starting groups and scoring.
#include "AdminOps.h"
#include "engine/ReciteCtrl.h"
#include "model/Prompts.h"
#include "store/Channels.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

// A program folder with one learner subscribed to a book of `words` words.
struct TProgramFolder {
    explicit TProgramFolder(int words) {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb"));
        if (!dir.isValid() || !CreateDatabaseFile(path) || !channel.OpenDatabase(path, QString())) {
            throw std::runtime_error("cannot create the database");
        }
        TConfig c(&channel);
        SeedStartValues(c);
        c.Save(DefaultUserID);
        c.WordNum = 10;
        c.Save(FirstLearnerID);
        channel.Execute(QStringLiteral("insert into USERS values(100, 'learner', '', 0)"));
        channel.Execute(QStringLiteral("insert into BookStore values(1, 'book')"));
        channel.Execute(SqlFormat(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %d) "
            "insert into Book(BOOK_ID, WORD_ID, WORD_NAME, WORD_TRANS) select 1, i, 'w' || i, "
            "'t' from n",
            {words}));
        channel.Execute(QStringLiteral("insert into UserBooks values(100, 1, 1)"));
        channel.Execute(QStringLiteral(
            "insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, RANDOM_NUM, UPDATE_DATE, "
            "BOOK_ID) select 100, WORD_ID, 0, 0, 0, 36526.0, 1 from Book"));
        other.OpenDatabase(path, QString());
    }
    void Hold() { other.Execute(QStringLiteral("begin exclusive")); }
    void LetGo() { other.Rollback(); }
    QTemporaryDir dir;
    TAdoChannel channel;
    TAdoChannel other; // another program
};

QString Pass(int n) {
    return SqlFormat("update Recite set Ability=%d, UPDATE_DATE=%f, WORD_ROUND=%d  where "
                     "USER_ID=%d and WORD_ID=%d",
                     {n % 40, 46000.5 + n * 0.01, n, 100, 1 + n % 1000});
}

// state.range(0): 0 = the file is free (one committed transaction a pass), 1 = another
// program holds it (the pass is appended to the pending file and flushed; the short wait for
// the file is not counted, it is a wait and not work).
void BM_PassMadeDurable(benchmark::State& state) {
    TProgramFolder folder(1000);
    TAdoChannel& ch = folder.channel;
    ch.OpenKeptJournal(QDir(folder.dir.path()).filePath(QStringLiteral("Tavelo.pending")),
                       IsProgressWrite);
    const bool held = state.range(0) == 1;
    if (held) {
        folder.Hold();
    }
    int n = 0;
    for (auto _ : state) {
        if (held) {
            ch.Keep(Pass(++n));
            ch.SyncKeptJournal();
        } else {
            ch.ExecuteKept(Pass(++n));
        }
    }
    if (held) {
        folder.LetGo();
    }
    if (!ch.FlushKept()) {
        state.SkipWithError("passes were left behind");
    }
}
BENCHMARK(BM_PassMadeDurable)->ArgName("held")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The learner recites with 20 ms ticks while another program holds the file exclusively:
// every tick and every start of a group is timed; the counter is the longest.
void BM_LongestStallWhileHeld(benchmark::State& state) {
    TProgramFolder folder(1000);
    TReciteDeps setup;
    setup.baseDir = folder.dir.path();
    setup.clock = [] { return 46000.5; };
    const TErrorHandler before = SetErrorHandler([](const QString&) {});
    setup.tell = [](const TMessage&) {};
    TRecite engine(nullptr, std::move(setup));
    TConfig& c = engine.CurrentUser()->Config;
    c.TranslateTime = 1;
    c.ReciteTime = 1;
    qint64 longestTick = 0;
    qint64 longestStart = 0;
    const auto timed = [](qint64& longest, const auto& call) {
        QElapsedTimer t;
        t.start();
        call();
        longest = std::max(longest, t.nsecsElapsed());
    };
    for (auto _ : state) {
        engine.SetState(rsLoading); // free: a group of 10
        folder.Hold();
        for (int i = 0; i < 30; ++i) {
            timed(longestTick, [&engine] { engine.Tick(); });
            if (i % 4 == 0) {
                engine.MarkKnown();
            }
        }
        engine.SetState(rsIdle);
        engine.Stopped = true;
        timed(longestStart,
              [&engine] { engine.SetState(rsLoading); }); // refused: told to try again
        folder.LetGo();
        engine.FlushProgress();
        engine.SetState(rsIdle);
    }
    state.counters["longest_tick_ms"] = static_cast<double>(longestTick) / 1e6;
    state.counters["longest_start_ms"] = static_cast<double>(longestStart) / 1e6;
    SetErrorHandler(before);
}
BENCHMARK(BM_LongestStallWhileHeld)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the engine's timers
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
