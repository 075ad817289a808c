// The import of an Access (Jet 4) database of 10 learners with 10,000 progress rows each.
#include "jet/JetImport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_ImportLargeJet(benchmark::State& state) {
    const QString jet = QStringLiteral(TAVELO_JET_FIXTURES "/tavelo-jet4-large.mdb");
    QTemporaryDir dir;
    const QString target = QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb"));
    qint64 rows = 0;
    for (auto _ : state) {
        TJetReport report;
        QString kept;
        QString error;
        if (!ImportJet(jet, target, {}, &report, &kept, &error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
        rows = report.rows.last().second;
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    state.counters["recite_rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ImportLargeJet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
