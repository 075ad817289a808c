#include "stats_window/Statsfrm.h"

#include "stats/Statistics.h"
#include "stats_window/StatsCharts.h"

#include "engine/ReciteCtrl.h"
#include "ui/TextRules.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

namespace {
const int kDayChoices[] = {30, 90, 365};
} // namespace

TfrmStats::TfrmStats(QWidget* owner, TRecite* engine)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint), engine_(engine) {
    // Above the word window, which stays on top of every other window.
    setObjectName(QStringLiteral("frmStats"));
    setWindowTitle(QStringLiteral("学习统计"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1180, 790);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("学习者："), this));
    cboUser = new QComboBox(this);
    cboUser->setObjectName(QStringLiteral("cboUser"));
    for (int i = 0; i < engine_->Users.Count(); ++i) {
        cboUser->addItem(engine_->Users.Text(i));
    }
    top->addWidget(cboUser);
    lblToday = new QLabel(this);
    lblToday->setObjectName(QStringLiteral("lblToday"));
    top->addSpacing(16);
    top->addWidget(lblToday, 1);
    top->addWidget(new QLabel(QStringLiteral("每日背记："), this));
    cboDays = new QComboBox(this);
    cboDays->setObjectName(QStringLiteral("cboDays"));
    for (int days : kDayChoices) {
        cboDays->addItem(QStringLiteral("最近%1天").arg(days));
    }
    top->addWidget(cboDays);

    auto* grid = new QGridLayout;
    chtForecast = AddView("chtForecast");
    chtCalendar = AddView("chtCalendar");
    chtDaily = AddView("chtDaily");
    chtRecall = AddView("chtRecall");
    chtBands = AddView("chtBands");
    chtBooks = AddView("chtBooks");
    // The two charts with a bar per day get the whole width, so every day keeps its label.
    grid->addWidget(chtCalendar, 0, 0, 1, 2);
    grid->addWidget(chtRecall, 0, 2);
    grid->addWidget(chtForecast, 1, 0, 1, 3);
    grid->addWidget(chtDaily, 2, 0, 1, 3);
    grid->addWidget(chtBands, 3, 0);
    grid->addWidget(chtBooks, 3, 1, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid, 1);

    connect(cboUser, &QComboBox::activated, this, [this](int index) { ShowUser(index); });
    connect(cboDays, &QComboBox::activated, this, [this] { ShowUser(cboUser->currentIndex()); });
}

QChartView* TfrmStats::AddView(const char* name) {
    auto* view = new QChartView(this);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(300, 170);
    return view;
}

void TfrmStats::ShowUser(int index) {
    if (index < 0 || index >= engine_->Users.Count()) {
        lblToday->setText(QStringLiteral("没有学习者。"));
        return;
    }
    cboUser->setCurrentIndex(index);
    const TUser* user = engine_->Users.Object(index);
    QElapsedTimer timer;
    timer.start();
    const TStatistics s = LoadStatistics(*engine_->Channel, *user, user->Clock());
    loadMs_ = timer.elapsed();
    Draw(s, user->Config.UpperLimit);
}

void TfrmStats::Draw(const TStatistics& s, int upperLimit) {
    QString today = QStringLiteral("今天：背记 %1 次，认识 %2 次，新词 %3 个，用时 %4 分钟")
                        .arg(GroupedNumber(s.TodayPasses), GroupedNumber(s.TodayKnown),
                             GroupedNumber(s.TodayNew), GroupedNumber(s.TodaySeconds / 60));
    if (!s.HasLog) {
        today = QStringLiteral("数据库中没有学习记录，只能显示词的进度。");
    }
    lblToday->setText(today);
    const int days = kDayChoices[std::clamp(cboDays->currentIndex(), 0, 2)];
    const std::pair<QChartView*, QChart*> charts[] = {
        {chtForecast, ForecastChart(s)},       {chtCalendar, CalendarChart(s)},
        {chtDaily, DailyChart(s, days)},       {chtRecall, RecallChart(s)},
        {chtBands, BandsChart(s, upperLimit)}, {chtBooks, BooksChart(s)}};
    for (const auto& [view, chart] : charts) {
        std::unique_ptr<QChart> old(view->chart());
        view->setChart(chart); // the view owns the new chart; the old one goes
    }
}

void OpenStatsWindow(QWidget* owner, TRecite* engine) {
    // Only this function makes a direct child of that name.
    auto* window = static_cast<TfrmStats*>(
        owner->findChild<QWidget*>(QStringLiteral("frmStats"), Qt::FindDirectChildrenOnly));
    if (window == nullptr) {
        window = new TfrmStats(owner, engine);
    }
    window->ShowUser(engine->UserIndex);
    window->show();
    window->raise();
    window->activateWindow();
}
