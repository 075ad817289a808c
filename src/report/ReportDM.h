#pragma once

// The report module: builds the word-list report from the print settings, feeds it from a
// report data set through callbacks and hands the built report to the preview.
#include "report/Report.h"
#include "report/ReportData.h"

#include <QDate>
#include <QString>
#include <functional>

class TdmReport {
public:
    TdmReport();
    TdmReport(const TdmReport&) = delete;
    TdmReport& operator=(const TdmReport&) = delete;

    TReportDataSet* DataSet = nullptr;
    int SavedBookmark = 0;
    int PageCounter = 1;
    // Copies of the learner's print settings.
    int ColumnCount = 0;
    int PrintPageNumber = 0;
    int PrintDate = 0;
    int PrintTranslation = 1; // 1 = the translation is printed
    int PaperType = 0;        // 0 = A4, 1 = A5

    TfrReport frReport1;
    TfrUserDataset frUserDataset1{QStringLiteral("frUserDataset1")};

    // The day "[#Date]" prints; by default today.
    std::function<QDate()> Today;
    // Shows the built report and returns when it closes; without one nothing is shown.
    std::function<void(TfrReport&)> Preview;

    // Builds and previews the data set; the busy cursor shows while building, and the data
    // set's position is restored whatever happens.
    void PrintDataSet(TReportDataSet& dataSet);
    void ShowReport();
    // The layout from the settings, built into prepared pages (no preview).
    void BuildReport();

    void frReport1GetValue(const QString& name, QString& value);
    void frUserDataset1First();
    void frUserDataset1Next();
    void frUserDataset1CheckEOF(bool& eof);

    // "yyyy/mm/dd" with the system's date separator.
    static QString FormatDate(const QDate& date);
};
