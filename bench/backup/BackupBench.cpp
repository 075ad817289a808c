// The cost of the database copies: the copy itself, what the GUI thread spends on the
// automatic copy, and how long a progress write waits while a copy runs.
#include "AdminOps.h"
#include "app/AutoBackup.h"
#include "model/User.h"
#include "store/Channels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// 10 learners, each subscribed to one book of 100,000 words: 1,000,000 progress rows.
struct TBigDatabase {
    static constexpr int kLearners = 10;
    static constexpr int kWords = 100000;

    TBigDatabase() {
        if (!dir.isValid() || !CreateDatabaseFile(Path())) {
            throw std::runtime_error("cannot create the database");
        }
        TAdoChannel channel;
        channel.OpenDatabase(Path(), QString());
        TConfig c(&channel);
        SeedStartValues(c);
        c.Save(DefaultUserID);
        for (int l = 0; l < kLearners; ++l) {
            const int id = FirstLearnerID + l;
            channel.Execute(
                SqlFormat("insert into USERS values(%d, 'learner %d', '', 0)", {id, l}));
            c.Save(id);
        }
        TTransaction t(channel);
        channel.Execute(QStringLiteral("insert into BookStore values(1, 'book')"));
        channel.Execute(SqlFormat(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %d) "
            "insert into Book(BOOK_ID, WORD_ID, WORD_NAME, WORD_SYMBOL, WORD_TRANS, WORD_EXAMPLE) "
            "select 1, i, 'word ' || i, 'pinyin', 'translation of the word', '' from n",
            {kWords}));
        for (int l = 0; l < kLearners; ++l) {
            const int id = FirstLearnerID + l;
            channel.Execute(SqlFormat("insert into UserBooks values(%d, 1, 1)", {id}));
            channel.Execute(SqlFormat(
                "insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, RANDOM_NUM, "
                "UPDATE_DATE, BOOK_ID) select %d, WORD_ID, abs(random()) %% 300, "
                "abs(random()) %% 20, abs(random()) %% 10000, 46000.0 + (abs(random()) %% "
                "100000) / 1000.0, 1 from Book",
                {id}));
        }
        t.Commit();
    }
    QString Path() const { return QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb")); }
    QString Target() const { return QDir(dir.path()).filePath(QStringLiteral("copy.mdb")); }
    QTemporaryDir dir;
};

TBigDatabase& Big() {
    static TBigDatabase db;
    return db;
}

// The copy as the program and tavelo-admin take it.
void BM_Backup(benchmark::State& state) {
    TBigDatabase& db = Big();
    for (auto _ : state) {
        TBackupError error;
        if (!CopyDatabase(db.Path(), db.Target(), &error)) {
            state.SkipWithError(error.text.toUtf8().constData());
            break;
        }
        state.PauseTiming();
        QFile::remove(db.Target());
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(db.Path()).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(5);

// What the GUI thread spends on the automatic copy: the day check that starts the worker,
// and the queued call that takes the outcome when the copy ends. The copy itself runs on the
// worker and is not timed here.
void BM_AutoBackupGuiThread(benchmark::State& state) {
    TBigDatabase& db = Big();
    double now = 46000.5;
    TAutoBackup backup(db.Path(), [&now] { return now; });
    double startWorst = 0;
    double deliverWorst = 0;
    for (auto _ : state) {
        QDir(BackupFolder(db.Path())).removeRecursively();
        now += 1;
        auto t0 = Clock::now();
        backup.CheckDay();
        const double start = Ms(Clock::now() - t0);
        double deliver = 0;
        while (backup.Busy()) {
            QThread::msleep(20);
            t0 = Clock::now();
            QCoreApplication::processEvents();
            deliver = Ms(Clock::now() - t0); // the last round is the one that took the outcome
        }
        if (backup.LastResult() != TAutoResult::Taken) {
            state.SkipWithError("the copy failed");
            break;
        }
        startWorst = std::max(startWorst, start);
        deliverWorst = std::max(deliverWorst, deliver);
        state.SetIterationTime((start + deliver) / 1000.0);
    }
    state.counters["start_worst_ms"] = startWorst;
    state.counters["deliver_worst_ms"] = deliverWorst;
}
BENCHMARK(BM_AutoBackupGuiThread)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(5);

// The learner's progress write (one row in a transaction, as after each scored word) on the
// program's connection, every state.range(1) ms. state.range(0): 0 no copy runs; 1 a copy runs
// on another thread with a connection of its own; 2 a copy runs through the program's
// connection (as the program takes it); 3 the same, flushing the copy only once at the end.
// Reports how long the writes take, and how long the copy takes with them going on.
void BM_ProgressWrite(benchmark::State& state) {
    TBigDatabase& db = Big();
    const bool copying = state.range(0) != 0;
    const bool shared = state.range(0) >= 2;
    TAdoChannel channel;
    channel.OpenDatabase(db.Path(), QString());
    std::vector<double> latencies;
    double copyMs = 0;
    int word = 0;
    QString failure;
    for (auto _ : state) {
        QFile::remove(db.Target());
        std::atomic<bool> done{!copying};
        bool ok = true;
        const auto start = Clock::now();
        std::thread copier;
        if (copying) {
            copier = std::thread([&] {
                TBackupError error;
                TCopyOptions options;
                if (shared) {
                    options.connection = channel.Handle();
                    options.pagesPerStep = 256;
                }
                if (state.range(0) == 3) {
                    options.flushEveryBytes = 0;
                }
                ok = CopyDatabase(db.Path(), db.Target(), &error, options);
                failure = error.text;
                copyMs = Ms(Clock::now() - start);
                done = true;
            });
        }
        for (int i = 0; i < 5 || !done; ++i) {
            ++word;
            const auto t0 = Clock::now();
            channel.ExecuteInTransaction(
                SqlFormat("update Recite set Ability=%d, UPDATE_DATE=%f, WORD_ROUND=%d  where "
                          "USER_ID=%d and WORD_ID=%d",
                          {word % 300, 46001.25, 3, FirstLearnerID, word}));
            latencies.push_back(Ms(Clock::now() - t0));
            std::this_thread::sleep_for(std::chrono::milliseconds(state.range(1)));
        }
        if (copier.joinable()) {
            copier.join();
        }
        if (!ok) {
            state.SkipWithError(("the copy gave up: " + failure).toUtf8().constData());
            break;
        }
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["write_median_ms"] = latencies[latencies.size() / 2];
    state.counters["write_worst_ms"] = latencies.back();
    state.counters["writes"] = static_cast<double>(latencies.size());
    state.counters["copy_ms"] = copyMs;
}
BENCHMARK(BM_ProgressWrite)
    ->Args({0, 100})
    ->Args({1, 1000})
    ->Args({1, 100})
    ->Args({2, 100})
    ->Args({3, 100})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
