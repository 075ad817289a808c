// Opening a saved report just under the paint-cost bound in the preview: reading the file,
// painting every page for the preview and showing the first. The bound is meant to keep this
// to a few seconds whatever shape the report has.
#include "print/Preview.h"
#include "report/ReportFile.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

struct TShape {
    const char* name;
    double fontSize;
    int itemsPerPage;
    int characters; // per item
};

// Plain text in long memos, a large face, and a crowd of one-character memos.
constexpr TShape kShapes[] = {
    {"text", 10, 100, 400},
    {"large face", 120, 10, 40},
    {"tiny memos", 10, 50000, 1},
};

TPreparedReport ReportUnderTheBound(const TShape& shape) {
    const QString pattern = QStringLiteral("词语 cí yǔ, a translation; ");
    QString text;
    while (text.size() < shape.characters) {
        text += pattern;
    }
    text.truncate(shape.characters);
    TPreparedPage page;
    page.size = QSizeF(595.28, 841.89);
    for (int i = 0; i < shape.itemsPerPage; ++i) {
        TPreparedItem item;
        const int row = i % 40;
        item.rect = QRectF(28 + (i / 40) % 2 * 270, 28 + row * 19.5, 260, 19.5);
        item.text = text;
        item.fontSize = shape.fontSize;
        item.fontName = QStringLiteral("Arial");
        page.items.push_back(item);
    }
    TPreparedReport one;
    one.pages.push_back(page);
    TPreparedReport report;
    const auto pages = static_cast<size_t>(kMaxPaintCost / PaintCost(one));
    report.pages.assign(pages, page);
    return report;
}

void BM_OpenReportAtTheBound(benchmark::State& state) {
    const TShape& shape = kShapes[state.range(0)];
    state.SetLabel(shape.name);
    const TPreparedReport report = ReportUnderTheBound(shape);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.tvr"));
    QString error;
    if (!SaveReportFile(report, path, &error)) {
        throw std::runtime_error(error.toStdString());
    }
    TfrPreview preview(nullptr, nullptr);
    preview.show();
    for (auto _ : state) {
        if (!preview.OpenFile(path)) {
            throw std::runtime_error("the report was refused");
        }
        QApplication::processEvents(); // the first page drawn on the screen
    }
    state.counters["cost"] = PaintCost(report);
    state.counters["pages"] = static_cast<double>(report.pages.size());
}
BENCHMARK(BM_OpenReportAtTheBound)
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->Repetitions(2)
    ->Unit(benchmark::kSecond);

} // namespace
