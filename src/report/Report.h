#pragma once

// A small banded report engine: a design of pages with bands and memos, fed by the program
// through data-source callbacks, built once into prepared pages.
#include "common/Errors.h"
#include "report/Prepared.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

// A design the engine cannot build (a data band without its source).
class EReportError : public ETaveloError {
public:
    using ETaveloError::ETaveloError;
};

enum class TBandType : std::uint8_t { PageHeader, MasterData, PageFooter };

// A text box in design units (pixels at 96 per inch). Its text may name values in brackets,
// "[#Date]", which the report's value callback supplies.
struct TfrMemo {
    QRect rect;
    QString text;
    THAlign hAlign = THAlign::Left;
    TVAlign vAlign = TVAlign::Top;
    bool stretch = false; // aligned to the band's full width
    bool wordWrap = true;
    QString fontName = QStringLiteral("Arial");
    double fontSize = 10; // points
    bool bold = false;
    QRgb color = 0xff000000;
};

struct TfrBand {
    TBandType type = TBandType::MasterData;
    int top = 0; // orders the bands in the design; memos are placed relative to it
    int height = 0;
    QString dataSource; // master data: the name of a registered data source
    std::vector<TfrMemo> memos;

    TfrMemo& AddMemo(const QRect& rect, const QString& text);
};

// A page design. The data band flows down the first column, then the next, then onto a
// new page; page header and footer span the whole printable width.
struct TfrPage {
    QPageSize pageSize = QPageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins = QMarginsF(10, 10, 10, 10); // millimetres
    int columns = 1;                               // 0 or less counts as 1
    int columnGap = 0;                             // design units
    std::vector<TfrBand> bands;

    TfrBand& AddBand(TBandType type, int top, int height, const QString& dataSource = QString());
};

// A data source whose rows the program supplies.
class TfrUserDataset {
public:
    explicit TfrUserDataset(QString name) : Name(std::move(name)) {}
    QString Name;
    std::function<void()> OnFirst;
    std::function<void()> OnNext;
    std::function<void(bool& eof)> OnCheckEOF;
};

class TfrReport {
public:
    // Asked for every bracketed name while building; a name it does not know stays empty.
    using TGetValue = std::function<void(const QString& name, QString& value)>;
    TGetValue OnGetValue;

    std::vector<TfrPage> Pages;
    TfrPage& AddPage();

    // Data sources are not owned; a master data band finds its source by name.
    void AddDataset(TfrUserDataset* dataset);

    // Builds the prepared pages from the design and the data. Raises EReportError when a
    // master data band names no registered source.
    void PrepareReport();
    const TPreparedReport& Prepared() const { return prepared_; }
    void SetPrepared(TPreparedReport prepared) { prepared_ = std::move(prepared); }

    // Replaces every bracketed name of the text by its value.
    QString Substitute(const QString& text) const;

private:
    TfrUserDataset* FindDataset(const QString& name) const;

    std::vector<TfrUserDataset*> datasets_;
    TPreparedReport prepared_;
};

// Design units per point: pixels at 96 per inch against 72 points per inch.
inline constexpr double kPointsPerDesignUnit = 0.75;
// A generous bound on the columns of a page, so a stored count cannot make them vanish.
inline constexpr int kMaxColumns = 16;
