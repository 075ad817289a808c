#include "report/ReportDM.h"

#include "model/Prompts.h"

#include <QLocale>

namespace {

// The design: page header at 100, data rows at 200, page footer at 240 (design pixels).
constexpr int kHeaderTop = 100;
constexpr int kDataTop = 200;
constexpr int kFooterTop = 240;

bool SameName(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

} // namespace

TdmReport::TdmReport() {
    frReport1.OnGetValue = [this](const QString& name, QString& value) {
        frReport1GetValue(name, value);
    };
    frUserDataset1.OnFirst = [this] { frUserDataset1First(); };
    frUserDataset1.OnNext = [this] { frUserDataset1Next(); };
    frUserDataset1.OnCheckEOF = [this](bool& eof) { frUserDataset1CheckEOF(eof); };
    frReport1.AddDataset(&frUserDataset1);
    Today = [] { return QDate::currentDate(); };
}

QString TdmReport::FormatDate(const QDate& date) {
    // The separator of the locale's short date: its first mark between the numbers ("/" when
    // it has none, as in "d MMM yyyy").
    QString separator = QStringLiteral("/");
    for (const QChar c : QLocale::system().dateFormat(QLocale::ShortFormat)) {
        if (!c.isLetterOrNumber() && !c.isSpace() && c != QLatin1Char('\'')) {
            separator = c;
            break;
        }
    }
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + separator +
           two(date.month()) + separator + two(date.day());
}

void TdmReport::PrintDataSet(TReportDataSet& dataSet) {
    DataSet = &dataSet;
    SavedBookmark = dataSet.RecNo();
    // The data set's position comes back on every path, also when building fails.
    struct TRestore {
        TReportDataSet& set;
        int pos;
        ~TRestore() { set.SetRecNo(pos); }
    } restore{dataSet, SavedBookmark};
    {
        TBusyCursor busy;
        BuildReport();
    }
    // The hourglass is gone before the preview opens: the preview waits for the learner.
    if (Preview) {
        Preview(frReport1);
    }
}

void TdmReport::ShowReport() {
    BuildReport();
    if (Preview) {
        Preview(frReport1);
    }
}

void TdmReport::BuildReport() {
    PageCounter = 1;
    frReport1.Pages.clear();
    TfrPage& page = frReport1.AddPage();
    page.pageSize = QPageSize(PaperType == 1 ? QPageSize::A5 : QPageSize::A4);
    page.orientation = QPageLayout::Portrait;
    page.columns = ColumnCount;

    TfrBand& header = page.AddBand(TBandType::PageHeader, kHeaderTop, 24);
    if (PrintDate == 1) {
        TfrMemo& date =
            header.AddMemo(QRect(0, kHeaderTop, 125, 20), QStringLiteral("     [#Date]        "));
        date.stretch = true;
        date.hAlign = THAlign::Right;
        date.vAlign = TVAlign::Top;
    }

    TfrBand& data = page.AddBand(TBandType::MasterData, kDataTop, 20, frUserDataset1.Name);
    TfrMemo& word = data.AddMemo(QRect(50, kDataTop, 125, 20), QStringLiteral("[#WORD_NAME]"));
    word.bold = true;
    if (PrintTranslation == 1) {
        TfrMemo& trans = data.AddMemo(QRect(176, kDataTop, 700, 20),
                                      QStringLiteral("[#WORD_PHONETIC][#WORD_TRANS]"));
        trans.wordWrap = false;
    }

    if (PrintPageNumber == 1) {
        TfrBand& footer = page.AddBand(TBandType::PageFooter, kFooterTop, 30);
        TfrMemo& number = footer.AddMemo(QRect(30, kFooterTop, 700, 25),
                                         QStringLiteral("     [pageNum#]        "));
        number.stretch = true;
        number.hAlign = THAlign::Right;
        number.vAlign = TVAlign::Center;
    }
    frReport1.PrepareReport();
}

void TdmReport::frReport1GetValue(const QString& name, QString& value) {
    const auto field = [this](const char* f) {
        return DataSet == nullptr ? QString() : DataSet->AsString(QLatin1String(f));
    };
    if (SameName(name, "#WORD_NAME")) {
        value = field("WORD_NAME");
    } else if (SameName(name, "#WORD_SYMBOL")) {
        value = QLatin1Char(' ') + field("WORD_Symbol");
    } else if (SameName(name, "#WORD_TRANS")) {
        value = field("WORD_Trans");
    } else if (SameName(name, "pageNum#")) {
        value = QString::number(PageCounter++);
    } else if (SameName(name, "#Date")) {
        value = FormatDate(Today ? Today() : QDate::currentDate());
    } else if (SameName(name, "#WORD_PHONETIC")) {
        // The phonetic spelling before the translation, unless the translation starts
        // with it already.
        const QString symbol = field("WORD_Symbol");
        if (!symbol.isEmpty() && !field("WORD_Trans").startsWith(symbol)) {
            value = symbol + QStringLiteral("  ");
        }
    }
}

void TdmReport::frUserDataset1First() {
    if (DataSet != nullptr) {
        DataSet->First();
    }
    PageCounter = 1;
}

void TdmReport::frUserDataset1Next() {
    if (DataSet != nullptr) {
        DataSet->Next();
    }
}

void TdmReport::frUserDataset1CheckEOF(bool& eof) {
    eof = DataSet == nullptr || DataSet->Eof();
}
