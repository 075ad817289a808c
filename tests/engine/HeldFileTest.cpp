// The learner's passes while another program holds the database: what is selected and stored
// is what a free file gives, every pass is on disk at once, and the window never waits long.
#include "EngineFixture.h"
#include "OtherProgram.h"

#include <QElapsedTimer>

namespace {

class HeldFileTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        QStringList names;
        for (int i = 0; i < 8; ++i) {
            names << QStringLiteral("w%1").arg(i);
        }
        AddBook(names);
    }

    // Groups of 3 words, an ability point lost every hour, a tick every 20 minutes, and a
    // learner who knows a word now and then: words come due again across the groups.
    // Returns the words shown, in order.
    QStringList Recite(int ticks) {
        TConfig& c = engine->CurrentUser()->Config;
        c.WordNum = 3;
        c.Oblivion = 1;
        c.TranslateTime = 1;
        c.ReciteTime = 1;
        for (int i = 0; i < ticks; ++i) {
            if (engine->State != rsRunning) {
                engine->SetState(rsLoading);
            }
            clock.now += 0.014;
            engine->Tick();
            if (engine->State == rsRunning && Probe(engine).AnswerPhase() && i % 3 != 1) {
                engine->MarkKnown();
            }
        }
        Settle();
        return view->WordPhases();
    }

    QList<QVariantList> Rows() {
        QList<QVariantList> rows;
        for (int id = 1001; id <= 1008; ++id) {
            rows << QVariantList{Column(QStringLiteral("ABILITY"), id),
                                 Column(QStringLiteral("WORD_ROUND"), id),
                                 Column(QStringLiteral("UPDATE_DATE"), id)};
        }
        return rows;
    }

    QString PendingFile() const {
        QFile f(engine->PendingProgressPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(HeldFileTest, AHeldFileChangesNothingThatIsSelectedOrStored) {
    constexpr int kTicks = 60;
    const double start = clock.now;
    Start();
    const QStringList freeShown = Recite(kTicks);
    const QList<QVariantList> freeRows = Rows();
    view.reset();
    engine.reset();

    db.Exec(QStringLiteral("update Recite set ABILITY = 0, WORD_ROUND = 0, UPDATE_DATE = 36526.0"));
    clock.now = start;
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Read());
    Start();
    EXPECT_EQ(Recite(kTicks), freeShown);
    EXPECT_EQ(reported, QStringList()) << "a hold of seconds is not worth a message";
    ASSERT_GT(engine->Channel->KeptWrites().size(), 10);
    QStringList kept;
    for (const QStringList& unit : engine->Channel->KeptWrites()) {
        kept << unit.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    EXPECT_EQ(PendingFile(), kept.join(QString())) << "every kept pass is on disk";
    other.LetGo();
    engine->FlushProgress();
    EXPECT_EQ(Rows(), freeRows);
    EXPECT_FALSE(QFile::exists(engine->PendingProgressPath()));
}

TEST_F(HeldFileTest, AGroupStartedWhileTheFileIsHeldAnswersAtOnce) {
    Start();
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Write());
    QElapsedTimer waited;
    waited.start();
    engine->SetState(rsLoading);
    EXPECT_LT(waited.elapsed(), 250);
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(engine->State, rsIdle) << "Enter starts the group again";
    EXPECT_EQ(engine->CurrentUser()->ReviewPage, 0);
    other.LetGo();
    engine->SetState(rsLoading);
    EXPECT_EQ(engine->State, rsRunning);
    EXPECT_EQ(engine->Words.Count(), 8);
}

} // namespace
