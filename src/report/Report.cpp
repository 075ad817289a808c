#include "report/Report.h"

#include <algorithm>

TfrMemo& TfrBand::AddMemo(const QRect& rect, const QString& text) {
    TfrMemo& memo = memos.emplace_back();
    memo.rect = rect;
    memo.text = text;
    return memo;
}

TfrBand& TfrPage::AddBand(TBandType type, int top, int height, const QString& dataSource) {
    TfrBand& band = bands.emplace_back();
    band.type = type;
    band.top = top;
    band.height = height;
    band.dataSource = dataSource;
    return band;
}

TfrPage& TfrReport::AddPage() {
    return Pages.emplace_back();
}

void TfrReport::AddDataset(TfrUserDataset* dataset) {
    if (dataset != nullptr && FindDataset(dataset->Name) == nullptr) {
        datasets_.push_back(dataset);
    }
}

TfrUserDataset* TfrReport::FindDataset(const QString& name) const {
    for (TfrUserDataset* d : datasets_) {
        if (d->Name.compare(name, Qt::CaseInsensitive) == 0) {
            return d;
        }
    }
    return nullptr;
}

QString TfrReport::Substitute(const QString& text) const {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        QString value;
        if (OnGetValue) {
            OnGetValue(text.mid(open + 1, close - open - 1), value);
        }
        out += value;
        i = close + 1;
    }
    return out;
}

namespace {

// Lays out one page design: bands placed in points on prepared pages.
class TPageBuilder {
public:
    TPageBuilder(const TfrReport& report, const TfrPage& page, TPreparedReport& out)
        : report_(report), out_(out) {
        // In points with fractions (QPageLayout rounds its point rectangles to whole points).
        size_ = page.pageSize.size(QPageSize::Millimeter) * (72.0 / 25.4);
        if (!size_.isValid() || size_.isEmpty()) {
            size_ = QPageSize(QPageSize::A4).size(QPageSize::Point);
        }
        if (page.orientation == QPageLayout::Landscape) {
            size_.transpose();
        }
        const double mm = 72.0 / 25.4;
        const QMarginsF m(
            std::max(0.0, page.margins.left()) * mm, std::max(0.0, page.margins.top()) * mm,
            std::max(0.0, page.margins.right()) * mm, std::max(0.0, page.margins.bottom()) * mm);
        area_ = QRectF(QPointF(), size_).marginsRemoved(m);
        if (!area_.isValid()) {
            area_ = QRectF(QPointF(), size_);
        }
        for (const TfrBand& band : page.bands) {
            if (band.type == TBandType::PageHeader && header_ == nullptr) {
                header_ = &band;
            } else if (band.type == TBandType::PageFooter && footer_ == nullptr) {
                footer_ = &band;
            }
        }
        columns_ = std::clamp(page.columns, 1, kMaxColumns);
        gap_ = std::max(0, page.columnGap) * kPointsPerDesignUnit;
        columnWidth_ = std::max(0.0, (area_.width() - gap_ * (columns_ - 1)) / columns_);
        top_ = area_.top() + Height(header_);
        bottom_ = area_.bottom() - Height(footer_);
    }

    void Begin() { StartPage(); }

    void Row(const TfrBand& band) {
        const double height = band.height * kPointsPerDesignUnit;
        // A band taller than the free space still gets a column of its own, once.
        if (y_ + height > bottom_ && y_ > top_) {
            if (++column_ >= columns_) {
                EndPage();
                StartPage();
            }
            y_ = top_;
        }
        const double left = area_.left() + column_ * (columnWidth_ + gap_);
        Place(band, left, y_, columnWidth_);
        y_ += height;
    }

    void End() { EndPage(); }

private:
    static double Height(const TfrBand* band) {
        return band == nullptr ? 0.0 : band->height * kPointsPerDesignUnit;
    }

    void StartPage() {
        page_ = TPreparedPage();
        page_.size = size_;
        column_ = 0;
        y_ = top_;
        if (header_ != nullptr) {
            Place(*header_, area_.left(), area_.top(), area_.width());
        }
    }

    void EndPage() {
        if (footer_ != nullptr) {
            Place(*footer_, area_.left(), bottom_, area_.width());
        }
        out_.pages.push_back(std::move(page_));
    }

    // Every memo evaluated once, cut at the band's right edge.
    void Place(const TfrBand& band, double left, double top, double width) {
        const double k = kPointsPerDesignUnit;
        for (const TfrMemo& memo : band.memos) {
            double x = left + memo.rect.left() * k;
            double w = memo.rect.width() * k;
            if (memo.stretch) {
                x = left;
                w = width;
            }
            const double right = std::min(x + w, left + width);
            const QString text = report_.Substitute(memo.text);
            if (right <= x || text.trimmed().isEmpty()) {
                continue;
            }
            TPreparedItem item;
            item.rect = QRectF(x, top + std::max(0, memo.rect.top() - band.top) * k, right - x,
                               memo.rect.height() * k);
            item.text = text;
            item.fontName = memo.fontName;
            item.fontSize = memo.fontSize;
            item.bold = memo.bold;
            item.wordWrap = memo.wordWrap;
            item.hAlign = memo.hAlign;
            item.vAlign = memo.vAlign;
            item.color = memo.color;
            page_.items.push_back(std::move(item));
        }
    }

    const TfrReport& report_;
    TPreparedReport& out_;
    const TfrBand* header_ = nullptr;
    const TfrBand* footer_ = nullptr;
    QSizeF size_;
    QRectF area_;
    int columns_ = 1;
    double gap_ = 0;
    double columnWidth_ = 0;
    double top_ = 0;
    double bottom_ = 0;
    TPreparedPage page_;
    int column_ = 0;
    double y_ = 0;
};

} // namespace

void TfrReport::PrepareReport() {
    TPreparedReport built;
    for (const TfrPage& page : Pages) {
        std::vector<std::pair<const TfrBand*, TfrUserDataset*>> data;
        for (const TfrBand& band : page.bands) {
            if (band.type == TBandType::MasterData) {
                TfrUserDataset* source = FindDataset(band.dataSource);
                if (source == nullptr) {
                    throw EReportError(
                        QStringLiteral("报表数据源“%1”不存在").arg(band.dataSource).toStdString());
                }
                data.emplace_back(&band, source);
            }
        }
        TPageBuilder builder(*this, page, built);
        builder.Begin();
        for (const auto& [band, source] : data) {
            if (source->OnFirst) {
                source->OnFirst();
            }
            for (;;) {
                bool eof = true;
                if (source->OnCheckEOF) {
                    source->OnCheckEOF(eof);
                }
                if (eof) {
                    break;
                }
                builder.Row(*band);
                if (source->OnNext) {
                    source->OnNext();
                }
            }
        }
        builder.End();
    }
    prepared_ = std::move(built);
}
