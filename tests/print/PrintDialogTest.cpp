// The print word list dialog: the grid over the learner's words, the filter, the sort, the
// count, and the print command that hands exactly the listed rows to the report.
#include "OtherProgram.h"
#include "PrintFixture.h"
#include "print/PrintFrm.h"
#include "print/PrintGrid.h"
#include "print/PrintSetupFrm.h"
#include "report/Report.h"
#include "store/AdoQuery.h"
#include "widgets/UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

class PrintDialogTest : public PrintFixture {
protected:
    void Open(bool staysOpen = true) {
        form = std::make_unique<TfrmPrint>(nullptr, engine.get());
        form->ExecSetup = [this](TfrmPrintSetup& setup) {
            ++setups;
            onSetup(setup);
            return setup.Confirmed;
        };
        form->ShowPreview = [this](TfrReport& report) {
            printed = BoldTexts(report.Prepared());
            ++previews;
        };
        form->show();
        if (staysOpen) {
            form->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        }
    }
    // Learner 100 with book 1 of `words` words, an engine, and the dialog opened on it.
    void OpenWith(int words) {
        AddLearner();
        AddWords(words);
        CreateEngine();
        Open();
    }
    void TearDown() override {
        form.reset();
        PrintFixture::TearDown();
    }
    // The grid's model, and the column of a query field in it.
    TPrintGridModel* Model() const {
        return static_cast<TPrintGridModel*>(form->DBGridEh1->model());
    }
    int ColumnOf(const char* field) const {
        return Model()->Query()->FieldIndex(QLatin1String(field));
    }
    template <typename T = int> QList<T> GridColumn(const char* field) const {
        QList<T> values;
        TPrintGridModel* m = Model();
        const int c = ColumnOf(field);
        for (int r = 0; r < m->rowCount(); ++r) {
            values << m->data(m->index(r, c)).template value<T>();
        }
        return values;
    }
    QStringList GridWords() const { return GridColumn<QString>("WORD_NAME"); }
    QString Count() const { return form->Panels[1]->text(); }
    void ClickTitle(const char* field) {
        QHeaderView* header = form->DBGridEh1->horizontalHeader();
        const int c = ColumnOf(field);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(c) + 5, header->height() / 2));
    }
    void Confirm() {
        onSetup = [](TfrmPrintSetup& setup) { setup.btnOK->click(); };
    }

    std::unique_ptr<TfrmPrint> form;
    std::function<void(TfrmPrintSetup&)> onSetup = [](TfrmPrintSetup&) {};
    QStringList printed;
    int setups = 0;
    int previews = 0;
};

TEST_F(PrintDialogTest, ControlsColumnsAndTheStartingFilter) {
    OpenWith(60);
    EXPECT_EQ(form->txtIdentify->text(), "4");
    EXPECT_EQ(form->txtRound->text(), "1");
    EXPECT_FALSE(form->mniDelete->isEnabled());
    EXPECT_EQ(form->mmiPreview->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    const int widths[] = {120, 48, 50, 50};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(form->Panels[i]->width(), widths[i]);
    }

    // Every query column is present, only four are shown, in field order, with titles.
    QTableView* grid = form->DBGridEh1;
    ASSERT_EQ(Model()->columnCount(), 16);
    QStringList shown;
    for (int c = 0; c < 16; ++c) {
        if (!grid->isColumnHidden(c)) {
            shown << Model()->headerData(c, Qt::Horizontal).toString();
        }
    }
    EXPECT_EQ(shown, QStringList({QStringLiteral("单   词"), QStringLiteral("辨识分值"),
                                  QStringLiteral("背记遍数"), QStringLiteral("随机数")}));
    EXPECT_EQ(grid->columnWidth(0), 160);
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorSection(), -1);

    const QStringList expected = Words("r.USER_ID = 100 and ABILITY <= 4 and WORD_ROUND >= 1");
    EXPECT_EQ(GridWords(), expected);
    EXPECT_EQ(Count(), QString::number(expected.size()));
}

TEST_F(PrintDialogTest, SpinnersFilterOnPressAndRelease) {
    OpenWith(70);
    Press(DownArrow(form->udAbility), 4); // score limit 0
    Press(DownArrow(form->udOblivion));   // pass limit 0
    EXPECT_EQ(form->txtIdentify->text(), "0");
    EXPECT_EQ(GridWords(), Words("r.USER_ID = 100 and ABILITY <= 0"));
    EXPECT_EQ(Count(), "10");

    // A press alone applies the filter already.
    QTest::mousePress(UpArrow(form->udAbility), Qt::LeftButton);
    EXPECT_EQ(Count(), QString::number(Words("r.USER_ID = 100 and ABILITY <= 1").size()));
    QTest::mouseRelease(UpArrow(form->udAbility), Qt::LeftButton);

    // Passes above every row's passes: nothing listed.
    Press(UpArrow(form->udOblivion), 5);
    EXPECT_EQ(Count(), "0");
    EXPECT_EQ(Model()->rowCount(), 0);

    // Limits of 1,000 and more, shown with grouping, still filter.
    form->udAbility->SetPosition(1499);
    form->udOblivion->SetPosition(0);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    Press(UpArrow(form->udAbility));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(form->txtIdentify->text(), "1,500");
    EXPECT_EQ(Count(), "70");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PrintDialogTest, TitleClicksSortWithOneFlagPerColumnAndOneMarker) {
    OpenWith(50);
    const QString count = Count();
    QList<int> ability = GridColumn("ABILITY");
    ClickTitle("ABILITY");
    std::sort(ability.begin(), ability.end());
    EXPECT_EQ(GridColumn("ABILITY"), ability);
    QHeaderView* header = form->DBGridEh1->horizontalHeader();
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    ClickTitle("WORD_NAME");
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    QStringList names = GridWords();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));

    // The score column's next direction was not reset by the click in between.
    ClickTitle("ABILITY");
    std::reverse(ability.begin(), ability.end());
    EXPECT_EQ(GridColumn("ABILITY"), ability);
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(Count(), count); // sorting keeps the filter
    // Each column keeps its own next direction: the score ascending again, the word descending.
    ClickTitle("ABILITY");
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    ClickTitle("WORD_NAME");
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    names = GridWords();
    EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend()));

    // A new opening starts unsorted.
    form.reset();
    Open();
    EXPECT_EQ(form->DBGridEh1->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_TRUE(Model()->Query()->Sort().isEmpty());
    EXPECT_EQ(GridWords(), Words("r.USER_ID = 100 and ABILITY <= 4 and WORD_ROUND >= 1"));
}

TEST_F(PrintDialogTest, PrintCoversEveryListedRowInListedOrderWhateverIsSelected) {
    OpenWith(120);
    ClickTitle("RANDOM_NUM");
    ClickTitle("RANDOM_NUM"); // descending
    form->DBGridEh1->selectRow(3);
    const QStringList listed = GridWords();
    ASSERT_GT(listed.size(), 10);

    // Cancelled: nothing printed, settings untouched.
    form->Button2->click();
    EXPECT_EQ(setups, 1);
    EXPECT_EQ(previews, 0);

    Confirm();
    form->Button1->click();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(printed, listed);
    EXPECT_EQ(GridWords(), listed); // and the grid shows the same rows
    form->mmiPreview->trigger();
    EXPECT_EQ(previews, 2);
    EXPECT_EQ(printed, listed);
    EXPECT_EQ(busyLog, QList<int>({1, 0, 1, 0}));
}

// Once listed, the rows live in memory: while another program holds the file, the limits
// and the titles work at once and nothing fails; printing lists the same rows without a long
// wait, and the learner hears that the print settings were not stored.
TEST_F(PrintDialogTest, AHeldFileChangesNothingOnceTheListIsShown) {
    OpenWith(60);
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Write());
    QElapsedTimer timer;
    timer.start();
    Press(DownArrow(form->udAbility), 4);
    Press(DownArrow(form->udOblivion));
    ClickTitle("ABILITY");
    EXPECT_LT(timer.elapsed(), 1000);
    const QStringList listed = GridWords();
    other.LetGo();
    EXPECT_EQ(listed.size(), Words("r.USER_ID = 100 and ABILITY <= 0").size());
    EXPECT_EQ(Count(), QString::number(listed.size()));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    ASSERT_TRUE(other.Write());
    timer.restart();
    Confirm();
    form->Button2->click();
    EXPECT_LT(timer.elapsed(), 1000);
    other.LetGo();
    EXPECT_EQ(printed, listed);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(
        QStringLiteral("提示|Tavelo.mdb文件正被其他程序占用，打印设置未能保存")))
        << messages[0].toStdString();
}

TEST_F(PrintDialogTest, ConfirmedChoicesBecomeTheStoredPrintSettings) {
    OpenWith(10);
    onSetup = [](TfrmPrintSetup& setup) {
        setup.chbDate->setChecked(false);
        setup.cboPaperType->setCurrentIndex(1);
        setup.btnOK->click();
    };
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(previews, 1);
    for (const auto& [sequence, value] : {std::pair(72, 0), std::pair(74, 1), std::pair(75, 1)}) {
        const QString sql = "select NUMBEREX from CONFIG where USERID = 100 and SEQUENCE = %1";
        EXPECT_EQ(db.Scalar(sql.arg(sequence)).toInt(), value) << "SEQUENCE " << sequence;
    }
    EXPECT_EQ(engine->CurrentUser()->Config.PaperType, 1);
}

TEST_F(PrintDialogTest, ALearnerWithoutProgressGivesAnEmptyListAndReport) {
    AddLearner();
    CreateEngine();
    Open();
    EXPECT_EQ(Count(), "0");
    Confirm();
    form->Button2->click();
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(printed.isEmpty());
}

TEST_F(PrintDialogTest, DeleteKeysDeleteNothing) {
    OpenWith(30);
    const QString count = Count();
    form->DBGridEh1->setFocus();
    form->DBGridEh1->selectRow(0);
    QTest::keyClick(form->DBGridEh1, Qt::Key_Delete);
    QTest::keyClick(form->DBGridEh1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Count(), count);
    EXPECT_EQ(db.Count("from Recite"), 30);
    EXPECT_EQ(db.Count("from Book"), 30);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PrintDialogTest, WithoutAWordListTheDialogSaysSoAndCloses) {
    CreateEngine(); // no learner: no print query
    Open(false);
    EXPECT_EQ(messages, QStringList({QStringLiteral("提示|无法打开单词列表。")}));
    // QTRY_VERIFY narrows a long inside newer Qt's headers, which -Wconversion refuses.
    for (int i = 0; i < 50 && form->isVisible(); ++i) {
        QTest::qWait(100);
    }
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    form->Button2->click(); // nothing to print
    EXPECT_EQ(setups, 0);
}

} // namespace
