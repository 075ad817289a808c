#pragma once

// The statistics window "学习统计": the current learner's history at a glance, with a
// drop-down to look at another learner. It is not modal: the cycle goes on behind it.
#include <QWidget>

class QChartView;
class QComboBox;
class QLabel;
class TRecite;
struct TStatistics;

class TfrmStats : public QWidget {
public:
    TfrmStats(QWidget* owner, TRecite* engine);

    // Reads the figures of the learner at index and draws them.
    void ShowUser(int index);
    // How long the last reading of the figures took, in milliseconds.
    qint64 LoadMs() const { return loadMs_; }

    QComboBox* cboUser = nullptr;
    QComboBox* cboDays = nullptr;
    QLabel* lblToday = nullptr;

private:
    void Draw(const TStatistics& s, int upperLimit);
    QChartView* AddView(const char* name);

    TRecite* engine_;
    QChartView* chtForecast = nullptr;
    QChartView* chtCalendar = nullptr;
    QChartView* chtDaily = nullptr;
    QChartView* chtRecall = nullptr;
    QChartView* chtBands = nullptr;
    QChartView* chtBooks = nullptr;
    qint64 loadMs_ = 0;
};

// Shows the window for the engine's current learner, above its owner; a window already
// open is brought up and read anew.
void OpenStatsWindow(QWidget* owner, TRecite* engine);
