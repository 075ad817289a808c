#include "WindowFixture.h"

#include "stats_window/Statsfrm.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

namespace {

// The statistics window on the word window's engine: F3 or 学习统计 opens it (once), with the
// passes the cycle made today; the drop-down shows another learner.
TEST_F(WindowTest, StatisticsShowTheDaysPassesAndSwitchLearner) {
    AddLearner(100, QStringLiteral("甲"));
    AddBook({QStringLiteral("a"), QStringLiteral("b")});
    AddLearner(101, QStringLiteral("乙"));
    Create();
    form->show();
    form->SetStatsWindow(OpenStatsWindow);
    Key(Qt::Key_Return); // a group: every word shown once, then the first again
    Ticks(2 * 7 + 1);
    const int passes = db.Scalar(QStringLiteral("select count(*) from ReviewLog")).toInt();
    ASSERT_GE(passes, 2);
    Key(Qt::Key_F3);
    auto* window = dynamic_cast<TfrmStats*>(form->findChild<QWidget*>(QStringLiteral("frmStats")));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("学习统计"));
    EXPECT_EQ(window->lblToday->text(),
              QStringLiteral("今天：背记 %1 次，认识 0 次，新词 2 个，用时 0 分钟").arg(passes));
    EXPECT_EQ(window->cboUser->currentText(), QStringLiteral("甲"));
    window->ShowUser(1);
    EXPECT_EQ(window->lblToday->text(),
              QStringLiteral("今天：背记 0 次，认识 0 次，新词 0 个，用时 0 分钟"));
    Menu()->findChild<QAction*>(QStringLiteral("mmiStats"))->trigger();
    EXPECT_EQ(form->findChildren<QWidget*>(QStringLiteral("frmStats")).size(), 1)
        << "the open window is brought up";
    EXPECT_EQ(window->cboUser->currentText(), QStringLiteral("甲"));
    EXPECT_TRUE(form->isVisible()) << "the word window stays";
}

} // namespace
