#include "stats_window/StatsCharts.h"

#include "stats/Statistics.h"

#include "store/DayNumber.h"
#include "ui/TextRules.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QFont>
#include <QHorizontalStackedBarSeries>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>

namespace {

const QColor kKnown(0x3a, 0x9a, 0x4a);
const QColor kUnknown(0xe0, 0x8a, 0x3c);

QChart* NewChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

QValueAxis* CountAxis(QChart* chart, QAbstractSeries* series, double max) {
    auto* axis = new QValueAxis;
    // Whole numbers only: a small maximum gets a tick per unit.
    axis->setLabelFormat(QStringLiteral("%d"));
    if (max < 5) {
        axis->setRange(0, 5);
        axis->setTickCount(6);
    } else {
        axis->setRange(0, max);
        axis->applyNiceNumbers();
    }
    chart->addAxis(axis, Qt::AlignLeft);
    series->attachAxis(axis);
    return axis;
}

QBarCategoryAxis* CategoryAxis(QChart* chart, QAbstractSeries* series, const QStringList& names,
                               Qt::Alignment where = Qt::AlignBottom) {
    auto* axis = new QBarCategoryAxis;
    axis->append(names);
    if (names.size() > 12) { // a label per day: the small font keeps them all readable
        QFont font = axis->labelsFont();
        font.setPointSizeF(font.pointSizeF() * 0.75);
        axis->setLabelsFont(font);
    }
    chart->addAxis(axis, where);
    series->attachAxis(axis);
    return axis;
}

} // namespace

QChart* ForecastChart(const TStatistics& s) {
    QChart* chart = NewChart(QStringLiteral("未来30天到期词数（0为现在已到期）"));
    auto* set = new QBarSet(QStringLiteral("到期"));
    QStringList days;
    int max = 0;
    for (qsizetype k = 0; k < s.Forecast.size(); ++k) {
        *set << s.Forecast[k];
        max = std::max(max, s.Forecast[k]);
        days << QString::number(k);
    }
    auto* series = new QBarSeries;
    series->append(set);
    chart->addSeries(series);
    CategoryAxis(chart, series, days)->setTitleText(QStringLiteral("天后"));
    CountAxis(chart, series, max);
    chart->legend()->hide();
    return chart;
}

QChart* CalendarChart(const TStatistics& s) {
    QChart* chart = NewChart(QStringLiteral("最近一年（每格一天，颜色越深背记越多）"));
    const int n = static_cast<int>(s.Days.size());
    int max = 0;
    for (const TDayPasses& d : s.Days) {
        max = std::max(max, d.Passes);
    }
    // Five shades: none, then quarters of the busiest day.
    const QColor shades[] = {QColor(0xeb, 0xed, 0xf0), QColor(0x9b, 0xe9, 0xa8),
                             QColor(0x40, 0xc4, 0x63), QColor(0x30, 0xa1, 0x4e),
                             QColor(0x21, 0x6e, 0x39)};
    QScatterSeries* levels[5];
    for (int i = 0; i < 5; ++i) {
        levels[i] = new QScatterSeries;
        levels[i]->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        levels[i]->setMarkerSize(9);
        levels[i]->setColor(shades[i]);
        levels[i]->setBorderColor(shades[i]);
    }
    // Columns are weeks (Monday on top), the last column holds today.
    const int firstWeekday = DateTimeFromDayNumber(s.Today - (n - 1)).date().dayOfWeek() - 1;
    for (int i = 0; i < n; ++i) {
        const int cell = firstWeekday + i;
        const int passes = s.Days[i].Passes;
        const int level = passes == 0 ? 0 : 1 + std::min(3, (passes - 1) * 4 / std::max(max, 1));
        levels[level]->append(cell / 7, 6 - cell % 7);
    }
    auto* x = new QValueAxis;
    x->setRange(-1, (firstWeekday + n - 1) / 7 + 1);
    auto* y = new QValueAxis;
    y->setRange(-1, 7);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QScatterSeries* level : levels) {
        chart->addSeries(level);
        level->attachAxis(x);
        level->attachAxis(y);
    }
    for (QValueAxis* axis : {x, y}) {
        axis->setVisible(false);
        axis->setGridLineVisible(false);
    }
    chart->legend()->hide();
    return chart;
}

QChart* DailyChart(const TStatistics& s, int days) {
    QChart* chart = NewChart(QStringLiteral("最近%1天每日背记次数").arg(days));
    auto* known = new QBarSet(QStringLiteral("认识"));
    auto* unknown = new QBarSet(QStringLiteral("不认识"));
    known->setColor(kKnown);
    unknown->setColor(kUnknown);
    QStringList names;
    int max = 0;
    const int n = static_cast<int>(s.Days.size());
    for (int i = std::max(0, n - days); i < n; ++i) {
        *known << s.Days[i].Known;
        *unknown << s.Days[i].Passes - s.Days[i].Known;
        max = std::max(max, s.Days[i].Passes);
        names << DateTimeFromDayNumber(s.Today - (n - 1 - i)).toString(QStringLiteral("d"));
    }
    auto* series = new QStackedBarSeries;
    series->append(known);
    series->append(unknown);
    series->setBarWidth(days > 31 ? 1.0 : 0.7);
    chart->addSeries(series);
    QBarCategoryAxis* axis = CategoryAxis(chart, series, names);
    axis->setLabelsVisible(days <= 31);
    axis->setGridLineVisible(false);
    axis->setTitleText(days <= 31 ? QStringLiteral("日期") : QString());
    CountAxis(chart, series, max);
    return chart;
}

QChart* RecallChart(const TStatistics& s) {
    constexpr int kWeeks = 26;
    QChart* chart = NewChart(QStringLiteral("记忆情况：每周复习认识的比例"));
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("认识比例 %"));
    line->setPointsVisible(true);
    const QVector<double> shares = WeeklyRecall(s, kWeeks);
    for (int w = 0; w < kWeeks; ++w) {
        if (shares[w] >= 0) {
            line->append(w - kWeeks + 1, shares[w] * 100.0);
        }
    }
    chart->addSeries(line);
    auto* x = new QValueAxis;
    x->setRange(-kWeeks + 1, 0);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTitleText(QStringLiteral("周（0为本周）"));
    auto* y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d%%"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    line->attachAxis(x);
    line->attachAxis(y);
    chart->legend()->hide();
    return chart;
}

QChart* BandsChart(const TStatistics& s, int upperLimit) {
    QChart* chart = NewChart(QStringLiteral("按熟练度分布的词数"));
    auto* set = new QBarSet(QStringLiteral("词数"));
    QStringList names;
    int max = 0;
    for (int b = 0; b < s.Bands.size(); ++b) {
        *set << s.Bands[b];
        max = std::max(max, s.Bands[b]);
        names << BandName(b, upperLimit);
    }
    auto* series = new QBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    chart->addSeries(series);
    CategoryAxis(chart, series, names);
    CountAxis(chart, series, max * 1.15);
    chart->legend()->hide();
    return chart;
}

QChart* BooksChart(const TStatistics& s) {
    QChart* chart = NewChart(QStringLiteral("各词库已学词数 / 总词数"));
    auto* seen = new QBarSet(QStringLiteral("已学"));
    auto* rest = new QBarSet(QStringLiteral("未学"));
    seen->setColor(kKnown);
    rest->setColor(QColor(0xd0, 0xd4, 0xda));
    QStringList names;
    int max = 0;
    for (const TBookProgress& b : s.Books) {
        *seen << b.Seen;
        *rest << b.Total - b.Seen;
        max = std::max(max, b.Total);
        names << QStringLiteral("%1 (%2/%3)")
                     .arg(b.Desc, GroupedNumber(b.Seen), GroupedNumber(b.Total));
    }
    auto* series = new QHorizontalStackedBarSeries;
    series->append(seen);
    series->append(rest);
    chart->addSeries(series);
    CategoryAxis(chart, series, names, Qt::AlignLeft);
    auto* axis = new QValueAxis;
    axis->setRange(0, std::max(1, max));
    axis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(axis, Qt::AlignBottom);
    series->attachAxis(axis);
    return chart;
}
