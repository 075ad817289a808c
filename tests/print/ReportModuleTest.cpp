// The report module and its data set: values, page numbers, data set rules, and what a
// print run restores.
#include "PrintFixture.h"
#include "ScopedHandler.h"
#include "report/ReportDM.h"

#include <QRegularExpression>

namespace {

TEST(ReportDataSet, NumbersFromOneThousandTrimsAndCutsToTheFieldSizes) {
    TReportDataSet data;
    data.Append(QStringLiteral("  \t词\r\n"), QStringLiteral(" cí "),
                QStringLiteral("\r\n word\t \n"));
    data.Append(QString(100, QLatin1Char('a')), QString(60, QChar(0x4E00)), QString());
    ASSERT_EQ(data.RecordCount(), 2);
    EXPECT_EQ(data.Rows()[0].ID, 1000);
    EXPECT_EQ(data.Rows()[1].ID, 1001);
    data.First();
    EXPECT_EQ(data.AsString("word_name"), QStringLiteral("词"));
    EXPECT_EQ(data.AsString("WORD_SYMBOL"), QStringLiteral("cí"));
    EXPECT_EQ(data.AsString("WORD_TRANS"), QStringLiteral("word"));
    data.Next();
    EXPECT_EQ(data.AsString("WORD_NAME").size(), 80);   // 80 one-byte characters
    EXPECT_EQ(data.AsString("WORD_Symbol").size(), 25); // 25 two-byte characters
    data.Next();
    EXPECT_TRUE(data.Eof());
    EXPECT_EQ(data.AsString("WORD_NAME"), QString());
    // A character is never split: 49 bytes hold 24 two-byte characters and no half one.
    EXPECT_EQ(CutToBytes(QStringLiteral("a") + QString(30, QChar(0x4E00)), 49).size(), 25);
    EXPECT_EQ(CutToBytes(QString::fromUtf8("\xF0\x9F\x98\x80") + "b", 1).size(), 2);
}

TEST(ReportModule, ValueCallbackNamesAndDate) {
    TdmReport report;
    TReportDataSet data;
    data.Append("好", "hǎo", "hǎo good");
    data.Append("的", "de", "possessive");
    report.DataSet = &data;
    report.Today = [] { return QDate(2026, 12, 9); };
    data.First();
    const auto value = [&report](const char* name) {
        QString v = QStringLiteral("untouched");
        report.frReport1GetValue(QString::fromLatin1(name), v);
        return v;
    };
    EXPECT_EQ(value("#word_name"), "好");
    EXPECT_EQ(value("#WORD_SYMBOL"), " hǎo");
    EXPECT_EQ(value("#Word_Trans"), "hǎo good");
    EXPECT_EQ(value("#WORD_PHONETIC"), "untouched"); // the translation starts with it
    EXPECT_EQ(value("nothing"), "untouched");
    data.Next();
    EXPECT_EQ(value("#WORD_PHONETIC"), "de  ");
    EXPECT_EQ(value("PAGENUM#"), "1");
    EXPECT_EQ(value("pageNum#"), "2");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^2026[^\\w\\s]12[^\\w\\s]09$"))
                    .match(value("#Date"))
                    .hasMatch())
        << value("#Date").toStdString();
}

TEST(ReportModule, PagesNumberedFromOneInEveryRunAndEveryLayout) {
    for (int columns : {1, 2, 3}) {
        TdmReport report;
        report.ColumnCount = columns;
        report.PrintPageNumber = 1;
        report.PrintTranslation = 0;
        TReportDataSet data = Rows(400);
        for (int run = 0; run < 2; ++run) {
            QStringList numbers;
            for (const TPreparedPage& page : Build(report, data).pages) {
                numbers << page.items.back().text.trimmed();
            }
            QStringList expected;
            for (qsizetype p = 1; p <= numbers.size(); ++p) {
                expected << QString::number(p);
            }
            EXPECT_EQ(numbers, expected) << columns << " columns, run " << run;
            EXPECT_EQ(static_cast<int>(numbers.size()), (400 + 49 * columns - 1) / (49 * columns));
        }
    }
}

TEST(ReportModule, DateAndPageNumberStandEightBlanksInFromTheRight) {
    TdmReport report;
    report.PrintDate = 1;
    report.PrintPageNumber = 1;
    TReportDataSet data;
    const auto& items = Build(report, data).pages.at(0).items;
    ASSERT_EQ(items.size(), 2u); // no word rows
    EXPECT_TRUE(items[0].text.startsWith(QStringLiteral("     2")));
    EXPECT_TRUE(items[0].text.endsWith(QString(8, QLatin1Char(' '))));
    EXPECT_EQ(items[0].hAlign, THAlign::Right);
    EXPECT_EQ(items[1].text, QStringLiteral("     1        "));
    EXPECT_EQ(items[1].vAlign, TVAlign::Center);
}

TEST(ReportModule, TranslationLeftOutWhenNotPrinted) {
    TReportDataSet data;
    data.Append("好", "hǎo", "good");
    for (int translation : {0, 1}) {
        TdmReport report;
        report.PrintTranslation = translation;
        const QStringList texts = Texts(Build(report, data));
        EXPECT_EQ(texts.contains(QStringLiteral("hǎo  good")), translation == 1)
            << texts.join('|').toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("好")));
    }
}

TEST(ReportModule, PrintDataSetRestoresPositionAndCursorAlsoWhenThePreviewFails) {
    QList<int> busy;
    const TScopedHandler<TBusyHandler> cursor([&busy](bool on) { busy << (on ? 1 : 0); });
    TReportDataSet data = Rows(5);
    data.SetRecNo(3);
    TdmReport report;
    QStringList shown;
    report.Preview = [&shown](TfrReport& built) { shown = BoldTexts(built.Prepared()); };
    report.PrintDataSet(data);
    EXPECT_EQ(shown, QStringList({"w1", "w2", "w3", "w4", "w5"}));
    EXPECT_EQ(data.RecNo(), 3);
    EXPECT_EQ(busy, QList<int>({1, 0}));

    report.Preview = [](TfrReport&) { throw EReportError("broken"); };
    EXPECT_THROW(report.PrintDataSet(data), EReportError);
    EXPECT_EQ(data.RecNo(), 3);
    EXPECT_EQ(busy, QList<int>({1, 0, 1, 0}));
}

} // namespace
