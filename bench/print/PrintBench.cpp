// Timings of the word-list report and of the print dialog's grid on a large learner.
#include "AdminOps.h"
#include "engine/ReciteCtrl.h"
#include "model/User.h"
#include "print/PrintFrm.h"
#include "print/PrintGrid.h"
#include "report/ReportDM.h"
#include "report/ReportPainter.h"
#include "store/Channels.h"
#include "widgets/UpDown.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>

namespace {

TReportDataSet WordList(int words) {
    TReportDataSet data;
    for (int i = 0; i < words; ++i) {
        data.Append(QStringLiteral("词语%1").arg(i), QStringLiteral("cí yǔ"),
                    QStringLiteral("translation of the word number %1; more text").arg(i));
    }
    return data;
}

// The report of a 10,000-word list: layout, values and prepared pages (what the learner
// waits for before the preview opens).
void BM_BuildReport(benchmark::State& state) {
    TReportDataSet data = WordList(static_cast<int>(state.range(0)));
    TdmReport report;
    report.ColumnCount = 2;
    report.PrintDate = 1;
    report.PrintPageNumber = 1;
    report.DataSet = &data;
    for (auto _ : state) {
        report.BuildReport();
        benchmark::DoNotOptimize(report.frReport1.Prepared().pages.size());
    }
    state.counters["pages"] = static_cast<double>(report.frReport1.Prepared().pages.size());
}
BENCHMARK(BM_BuildReport)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same report written as PDF (painting every page once).
void BM_ExportPdf(benchmark::State& state) {
    TReportDataSet data = WordList(static_cast<int>(state.range(0)));
    TdmReport report;
    report.ColumnCount = 2;
    report.DataSet = &data;
    report.BuildReport();
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("list.pdf"));
    for (auto _ : state) {
        QString error;
        if (!ExportPdf(report.frReport1.Prepared(), path, &error)) {
            state.SkipWithError("cannot write the PDF");
        }
    }
}
BENCHMARK(BM_ExportPdf)->Arg(10000)->Unit(benchmark::kMillisecond);

// A learner with 100,000 progress rows (ten books of 10,000 words), varied abilities and
// passes, and the print dialog open on it.
struct TLargeLearner {
    TLargeLearner() {
        const QString path = QDir(dir.path()).filePath(QString::fromLatin1(kDatabaseFileName));
        if (!dir.isValid() || !CreateDatabaseFile(path)) {
            throw std::runtime_error("cannot create the database");
        }
        {
            TAdoChannel channel;
            channel.OpenDatabase(path, QString());
            TConfig c(&channel);
            SeedStartValues(c);
            c.Save(DefaultUserID);
            c.Save(FirstLearnerID);
            channel.Execute(QStringLiteral("insert into USERS values(100, 'learner', '', 1)"));
            TTransaction t(channel);
            for (int b = 1; b <= 10; ++b) {
                channel.Execute(SqlFormat("insert into BookStore values(%d, 'book %d')", {b, b}));
                channel.Execute(SqlFormat(
                    "with recursive n(i) as (select 1 union all select i + 1 from n where i < "
                    "10000) insert into Book(BOOK_ID, WORD_ID, WORD_NAME, WORD_SYMBOL, "
                    "WORD_TRANS, WORD_EXAMPLE) select %d, %d + i, 'word ' || (%d + i), 'pinyin', "
                    "'translation of the word', '' from n",
                    {b, b * 100000, b * 100000}));
                channel.Execute(SqlFormat("insert into UserBooks values(100, %d, %d)", {b, b}));
                channel.Execute(SqlFormat(
                    "insert into Recite(USER_ID, WORD_ID, ABILITY, WORD_ROUND, RANDOM_NUM, "
                    "UPDATE_DATE, BOOK_ID) select 100, WORD_ID, abs(random()) %% 12, "
                    "abs(random()) %% 6, abs(random()) %% 10000, 36526.0, %d from Book where "
                    "BOOK_ID = %d",
                    {b, b}));
            }
            t.Commit();
        }
        TReciteDeps setup;
        setup.baseDir = dir.path();
        engine = std::make_unique<TRecite>(nullptr, std::move(setup));
        form = std::make_unique<TfrmPrint>(nullptr, engine.get());
        form->show();
        form->udOblivion->SetPosition(0);
        form->ApplyFilter();
    }
    QTemporaryDir dir;
    std::unique_ptr<TRecite> engine;
    std::unique_ptr<TfrmPrint> form;
};

// Made on first use and released before the application object: a dialog that outlives the
// application crashes the run on its way out.
std::unique_ptr<TLargeLearner> largeLearner;

TLargeLearner& Learner() {
    if (!largeLearner) {
        largeLearner = std::make_unique<TLargeLearner>();
    }
    return *largeLearner;
}

// A spinner step: the filter changes, the list is read again and counted.
void BM_Refilter(benchmark::State& state) {
    TfrmPrint& form = *Learner().form;
    int limit = 4;
    for (auto _ : state) {
        limit = limit == 4 ? 5 : 4;
        form.udAbility->SetPosition(limit);
        form.udOblivionMouseUp();
        benchmark::DoNotOptimize(form.DBGridEh1->model()->rowCount());
    }
    state.counters["rows"] = form.DBGridEh1->model()->rowCount();
}
BENCHMARK(BM_Refilter)->Unit(benchmark::kMillisecond);

// A title click: the filtered list sorted again by a column.
void BM_Resort(benchmark::State& state) {
    TfrmPrint& form = *Learner().form;
    form.udAbility->SetPosition(10000);
    form.ApplyFilter();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        form.DBGridEh1TitleClick(column);
        benchmark::DoNotOptimize(form.DBGridEh1->model()->rowCount());
    }
    state.counters["rows"] = form.DBGridEh1->model()->rowCount();
}
BENCHMARK(BM_Resort)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    largeLearner.reset();
    return 0;
}
