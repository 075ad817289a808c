// The banded report engine: layout arithmetic on prepared pages, and the same pages as PDF.
#include "PdfText.h"
#include "PrintFixture.h"
#include "report/ReportPainter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace {

// A data source over a list of texts.
struct TListSource {
    explicit TListSource(QStringList texts, const QString& name = QStringLiteral("rows"))
        : rows(std::move(texts)), source(name) {
        source.OnFirst = [this] { pos = 0; };
        source.OnNext = [this] { ++pos; };
        source.OnCheckEOF = [this](bool& eof) { eof = pos >= rows.size(); };
    }
    QStringList rows;
    qsizetype pos = 0;
    TfrUserDataset source;
};

struct TEngineCase {
    int rows;
    int columns;
    std::vector<int> perPage; // data rows on each page
    int distinctColumns;      // left edges seen on a full page
};

class ReportEngineTest : public ::testing::TestWithParam<TEngineCase> {};

// A4 with 10 mm margins: 277 mm printable, less a 24 px header and a 30 px footer, holds 49
// rows of 20 px per column.
TEST_P(ReportEngineTest, RowsFlowDownEachColumnThenOntoANewPage) {
    const TEngineCase& c = GetParam();
    QStringList rows;
    for (int i = 0; i < c.rows; ++i) {
        rows << QStringLiteral("r%1").arg(i);
    }
    TListSource data(rows);
    TfrReport report;
    report.AddDataset(&data.source);
    report.OnGetValue = [&data](const QString& name, QString& value) {
        if (name == QLatin1String("row")) {
            value = data.rows.value(data.pos);
        }
    };
    TfrPage& page = report.AddPage();
    page.columns = c.columns;
    page.AddBand(TBandType::PageHeader, 100, 24).AddMemo(QRect(0, 100, 125, 20), "head");
    page.AddBand(TBandType::MasterData, 200, 20, "ROWS").AddMemo(QRect(50, 200, 125, 20), "[row]");
    page.AddBand(TBandType::PageFooter, 240, 30).AddMemo(QRect(0, 240, 125, 20), "foot");
    report.PrepareReport();

    const auto& pages = report.Prepared().pages;
    ASSERT_EQ(pages.size(), c.perPage.size());
    QStringList seen;
    for (size_t p = 0; p < pages.size(); ++p) {
        const auto& items = pages[p].items;
        ASSERT_EQ(items.size(), static_cast<size_t>(c.perPage[p] + 2)) << "page " << p;
        EXPECT_EQ(items.front().text, "head");
        EXPECT_EQ(items.back().text, "foot");
        EXPECT_NEAR(pages[p].size.width(), 595.3, 0.5);
        std::set<int> lefts;
        for (size_t i = 1; i + 1 < items.size(); ++i) {
            seen << items[i].text;
            lefts.insert(static_cast<int>(items[i].rect.left()));
            if (i > 1 && items[i].rect.left() == items[i - 1].rect.left()) {
                EXPECT_GT(items[i].rect.top(), items[i - 1].rect.top()); // down the column
            } else if (i > 1) {
                EXPECT_GT(items[i].rect.left(), items[i - 1].rect.left()); // then the next
            }
            EXPECT_GE(items[i].rect.top(), items.front().rect.bottom() - 0.01);
            EXPECT_LE(items[i].rect.bottom(), items.back().rect.top() + 0.01);
        }
        if (p == 0) {
            EXPECT_EQ(static_cast<int>(lefts.size()), c.distinctColumns);
        }
    }
    EXPECT_EQ(seen, rows);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReportEngineTest,
                         ::testing::Values(TEngineCase{0, 1, {0}, 0}, TEngineCase{49, 1, {49}, 1},
                                           TEngineCase{50, 1, {49, 1}, 1},
                                           TEngineCase{120, 0, {49, 49, 22}, 1},
                                           TEngineCase{150, 3, {147, 3}, 3},
                                           TEngineCase{60, -2, {49, 11}, 1}));

TEST(ReportEngine, SubstitutesBracketedNamesAndStretchesAndCutsMemos) {
    TfrReport report;
    QStringList asked;
    report.OnGetValue = [&asked](const QString& name, QString& value) {
        asked << name;
        if (name == QLatin1String("#Date")) {
            value = QStringLiteral("D");
        }
    };
    EXPECT_EQ(report.Substitute("  [#Date] [unknown][x"), "  D [x");
    EXPECT_EQ(asked, QStringList({"#Date", "unknown"}));

    TfrPage& page = report.AddPage();
    page.columns = 2;
    TfrMemo& wide =
        page.AddBand(TBandType::PageHeader, 100, 24).AddMemo(QRect(0, 100, 125, 20), "[#Date]");
    wide.stretch = true;
    page.AddBand(TBandType::MasterData, 200, 20, "none").AddMemo(QRect(176, 200, 700, 20), "x");
    EXPECT_THROW(report.PrepareReport(), EReportError);

    TListSource one({QStringLiteral("x")}, QStringLiteral("none"));
    report.AddDataset(&one.source);
    report.PrepareReport();
    const auto& items = report.Prepared().pages.at(0).items;
    ASSERT_EQ(items.size(), 2u);
    const QRectF printable(28.35, 28.35, 595.28 - 56.7, 841.89 - 56.7);
    EXPECT_NEAR(items[0].rect.left(), printable.left(), 0.1);
    EXPECT_NEAR(items[0].rect.width(), printable.width(), 0.1);
    // The 700 px memo is cut at its column's right edge.
    EXPECT_NEAR(items[1].rect.left(), printable.left() + 176 * 0.75, 0.1);
    EXPECT_NEAR(items[1].rect.right(), printable.left() + printable.width() / 2, 0.1);
}

// The word-list report as PDF, read back with poppler.
class ReportPdfTest : public ::testing::Test {
protected:
    QString Export(TdmReport& report, TReportDataSet& data) {
        report.Today = [] { return QDate(2026, 3, 4); };
        const QString path = dir.filePath(QStringLiteral("r.pdf"));
        QString error;
        EXPECT_TRUE(ExportPdf(Build(report, data), path, &error)) << error.toStdString();
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ReportPdfTest, ThreeColumnsWithDateAndPageNumbers) {
    TdmReport report;
    report.ColumnCount = 3;
    report.PrintDate = 1;
    report.PrintPageNumber = 1;
    report.PrintTranslation = 0;
    TReportDataSet data = Rows(160);
    const auto pages = ReadPdf(Export(report, data));
    ASSERT_EQ(pages.size(), 2u);
    const QString date = TdmReport::FormatDate(QDate(2026, 3, 4));
    int next = 1;
    for (size_t p = 0; p < pages.size(); ++p) {
        const TPdfPage& page = pages[p];
        EXPECT_NEAR(page.width, 595.3, 0.5);
        const QStringList texts = page.Texts();
        EXPECT_EQ(texts.count(date), 1) << texts.join(' ').toStdString();
        EXPECT_EQ(texts.count(QString::number(p + 1)), 1);
        for (const TPdfWord& w : page.words) {
            if (w.text == date) {
                EXPECT_LT(w.yMax, 60); // in the header, at the right
                EXPECT_GT(w.xMin, page.width / 2);
            } else if (w.text == QString::number(p + 1)) {
                EXPECT_GT(w.yMin, page.height - 60); // in the footer, at the right
                EXPECT_GT(w.xMin, page.width / 2);
            }
        }
        // Down the first column, then the next: each third of the page holds the next run.
        const double third = (page.width - 2 * 28.35) / 3;
        for (int col = 0; col < 3; ++col) {
            const double left = 28.35 + col * third;
            for (const TPdfWord& w : page.Between(left, left + third)) {
                if (w.text.startsWith('w')) {
                    EXPECT_EQ(w.text, QStringLiteral("w%1").arg(next)) << "page " << p;
                    ++next;
                }
            }
        }
    }
    EXPECT_EQ(next, 161);
}

TEST_F(ReportPdfTest, NoHeaderOrFooterWhenSwitchedOffAndColumnCountZeroIsOne) {
    TdmReport report;
    report.ColumnCount = 0;
    report.PrintDate = 0;
    report.PrintPageNumber = 0;
    TReportDataSet data = Rows(60);
    const auto pages = ReadPdf(Export(report, data));
    ASSERT_EQ(pages.size(), 2u);
    for (const TPdfPage& page : pages) {
        for (const TPdfWord& w : page.words) {
            EXPECT_TRUE(w.text.startsWith('w') || w.text.startsWith('t')) << w.text.toStdString();
            EXPECT_LT(w.xMin, page.width / 2); // one column: the translation follows the word
        }
    }
    // Without a footer the page holds 51 rows.
    EXPECT_EQ(pages[0].Texts().count(), 2 * 51);
}

// A translation holding Han characters keeps its Latin words on the line they have beside a
// Latin-only translation: every memo is drawn on its main face's baseline.
TEST_F(ReportPdfTest, HanInATranslationMovesNoRow) {
    TdmReport report;
    report.ColumnCount = 1;
    TReportDataSet data;
    for (int i = 1; i <= 12; ++i) {
        data.Append(QStringLiteral("w%1").arg(i), QString(),
                    i % 2 == 0 ? QStringLiteral("学习 study") : QStringLiteral("study"));
    }
    const auto pages = ReadPdf(Export(report, data));
    ASSERT_EQ(pages.size(), 1u);
    std::vector<double> names, latin;
    for (const TPdfWord& w : pages[0].words) {
        if (w.text.startsWith('w') || w.text == QLatin1String("study")) {
            (w.text.startsWith('w') ? names : latin).push_back(w.yMax);
        }
    }
    ASSERT_EQ(names.size(), 12u);
    ASSERT_EQ(latin.size(), 12u);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_NEAR(latin[i] - names[i], latin[0] - names[0], 0.2) << "row " << i + 1;
        if (i > 0) {
            EXPECT_NEAR(names[i] - names[i - 1], names[1] - names[0], 0.2) << "row " << i + 1;
        }
    }
}

TEST_F(ReportPdfTest, ChineseInASimplifiedChineseSansFaceOnA5) {
    TdmReport report;
    report.ColumnCount = 1;
    report.PaperType = 1;
    TReportDataSet data;
    data.Append(QStringLiteral("你好"), QStringLiteral("nǐ hǎo"), QStringLiteral("学习"));
    data.Append(QStringLiteral("的"), QString(), QStringLiteral("de of"));
    const QString path = Export(report, data);
    const auto pages = ReadPdf(path);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width, 419.5, 0.5);
    const QStringList texts = pages[0].Texts();
    EXPECT_TRUE(texts.contains(QStringLiteral("你好")));
    EXPECT_TRUE(texts.contains(QStringLiteral("学习")));
    EXPECT_TRUE(texts.contains(QStringLiteral("nǐ"))); // the phonetic spelling printed
    // The Han characters of the Arial memos in the sans face of simplified Chinese, never a
    // Japanese one.
    const QStringList fonts = PdfFonts(path);
    EXPECT_TRUE(fonts.contains(QStringLiteral("NotoSansCJKsc-Regular")))
        << fonts.join(' ').toStdString();
    EXPECT_TRUE(fonts.contains(QStringLiteral("NotoSansCJKsc-Bold")));
    for (const QString& font : fonts) {
        EXPECT_FALSE(font.contains(QLatin1String("jp"), Qt::CaseInsensitive)) << font.toStdString();
    }
}

} // namespace
