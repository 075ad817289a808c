// The saved-report file and the preview that opens, saves and exports it.
#include "report/ReportFile.h"
#include "PdfText.h"
#include "PrintFixture.h"
#include "print/Preview.h"
#include "report/ReportDM.h"

#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QRandomGenerator>
#include <algorithm>
#include <tuple>

namespace {

TPreparedReport Built(int words) {
    TdmReport report;
    TReportDataSet data;
    for (int i = 0; i < words; ++i) {
        data.Append(QStringLiteral("词%1").arg(i), QStringLiteral("cí"),
                    QStringLiteral("word %1").arg(i));
    }
    report.ColumnCount = 2;
    report.PrintDate = 1;
    report.PrintPageNumber = 1;
    return Build(report, data);
}

// Every page and every item alike in each field.
bool Same(const TPreparedReport& a, const TPreparedReport& b) {
    const auto fields = [](const TPreparedItem& s) {
        return std::tie(s.rect, s.text, s.fontName, s.fontSize, s.bold, s.wordWrap, s.hAlign,
                        s.vAlign, s.color);
    };
    const auto sameItem = [&](const auto& s, const auto& t) { return fields(s) == fields(t); };
    const auto samePage = [&](const TPreparedPage& x, const TPreparedPage& y) {
        return x.size == y.size &&
               std::equal(x.items.begin(), x.items.end(), y.items.begin(), y.items.end(), sameItem);
    };
    return std::equal(a.pages.begin(), a.pages.end(), b.pages.begin(), b.pages.end(), samePage);
}

TEST(ReportFile, RoundTripAndEveryDamageRefused) {
    const TPreparedReport report = Built(120);
    const QByteArray bytes = SerializeReport(report);
    TPreparedReport loaded;
    QString error;
    ASSERT_TRUE(ParseReport(bytes, &loaded, &error)) << error.toStdString();
    EXPECT_TRUE(Same(report, loaded));

    // Cut short anywhere, or a trailing byte more: refused with a message.
    for (qsizetype n = 0; n < bytes.size(); n += 7) {
        TPreparedReport partial;
        error.clear();
        EXPECT_FALSE(ParseReport(bytes.left(n), &partial, &error)) << n;
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(ParseReport(bytes + 'x', &loaded, &error));
    // A foreign file, another version, a count far beyond the bytes.
    EXPECT_FALSE(ParseReport(QByteArray("%PDF-1.4\n"), &loaded, &error));
    QByteArray version = bytes;
    version[4] = 9;
    EXPECT_FALSE(ParseReport(version, &loaded, &error));
    EXPECT_TRUE(error.contains(QLatin1String("9")));
    QByteArray pages = bytes;
    pages[6] = pages[7] = pages[8] = pages[9] = char(0xff);
    EXPECT_FALSE(ParseReport(pages, &loaded, &error));
    // Random damage: refused or read, never a crash (the sanitizers watch this).
    QRandomGenerator random(7);
    for (int i = 0; i < 300; ++i) {
        QByteArray damaged = bytes;
        for (int k = 0; k < 4; ++k) {
            damaged[random.bounded(static_cast<int>(damaged.size()))] =
                static_cast<char>(random.bounded(256));
        }
        TPreparedReport any;
        ParseReport(damaged, &any, &error);
    }
}

class PreviewTest : public PrintFixture {};

TEST_F(PreviewTest, SavesOpensAndExportsAndRefusesADamagedFile) {
    TdmReport report;
    TReportDataSet data = Rows(150);
    report.ColumnCount = 1;
    Build(report, data);
    TfrPreview preview(nullptr, &report.frReport1);
    EXPECT_EQ(preview.PageCount(), 3); // 51 rows a page without a footer
    for (QAction* a : {preview.actZoomIn, preview.actZoomOut, preview.actOpen, preview.actSave,
                       preview.actPrint, preview.actPageSetup, preview.actClose}) {
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    }
    const QString saved = out.filePath("list.tvr");
    const QString pdf = out.filePath("list.pdf");
    preview.AskSavePath = [&saved](QString*) { return saved; };
    preview.actSave->trigger();
    // A name without a suffix takes the chosen filter's.
    for (const QString& filter :
         {QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("报表文件 (*.tvr)")}) {
        preview.AskSavePath = [this, filter](QString* chosen) {
            *chosen = filter;
            return out.filePath("plain");
        };
        preview.actSave->trigger();
    }
    EXPECT_EQ(ReadPdf(out.filePath("plain.pdf")).size(), 3u);
    EXPECT_TRUE(QFile::exists(out.filePath("plain.tvr")));
    EXPECT_TRUE(preview.SaveFile(pdf));
    EXPECT_EQ(ReadPdf(pdf).size(), 3u);

    TfrPreview other(nullptr, nullptr);
    EXPECT_EQ(other.PageCount(), 0);
    EXPECT_EQ(preview.lblPage->text(), QStringLiteral("  共 3 页"));
    other.AskOpenPath = [&saved] { return saved; };
    other.actOpen->trigger();
    EXPECT_TRUE(Same(other.Pages(), preview.Pages()));
    EXPECT_FALSE(other.actPageSetup->isEnabled());

    const QString damaged = out.filePath("damaged.tvr");
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(SerializeReport(preview.Pages()).left(100));
    f.close();
    EXPECT_FALSE(other.OpenFile(damaged));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("提示|"))) << messages[0].toStdString();
    EXPECT_EQ(other.PageCount(), 3); // what was shown stays
    EXPECT_FALSE(other.SaveFile(out.filePath("missing/dir/x.tvr")));
    EXPECT_EQ(messages.size(), 2);
}

// Page setup offers the report's own margins; confirmed unchanged, the layout stays.
TEST_F(PreviewTest, PageSetupStartsFromTheReportsMargins) {
    TdmReport report;
    TReportDataSet data = Rows(1);
    Build(report, data);
    TfrPreview preview(nullptr, &report.frReport1);
    const TPreparedReport before = preview.Pages();
    QMarginsF offered;
    preview.AskPageSetup = [&offered](QPrinter* printer) {
        offered = printer->pageLayout().margins(QPageLayout::Millimeter);
        return true;
    };
    preview.actPageSetup->trigger();
    EXPECT_EQ(offered, report.frReport1.Pages.front().margins);
    EXPECT_TRUE(Same(preview.Pages(), before));
}

// A saved report whose painting would take far too long is refused when it is opened.
TEST_F(PreviewTest, AReportBeyondThePaintingBoundIsRefused) {
    TPreparedItem item;
    item.text = QString(1000, QLatin1Char('x'));
    TPreparedReport heavy{{TPreparedPage{QSizeF(595, 842), {}}}};
    QString error;
    const double perItem = 1000 + kItemPaintCost;
    for (const int items : {int(kMaxPaintCost / perItem) + 1, int(kMaxPaintCost / perItem) - 10}) {
        heavy.pages[0].items.assign(static_cast<size_t>(items), item);
        EXPECT_EQ(ParseReport(SerializeReport(heavy), &heavy, &error),
                  items < kMaxPaintCost / perItem);
    }
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
