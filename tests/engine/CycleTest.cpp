#include "EngineFixture.h"
#include "OtherProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace {

TEST_F(EngineTest, StartsIdleOnTheFirstLearnerAndReleasesThePlayerLast) {
    AddBook({QStringLiteral("a")});
    Start();
    EXPECT_EQ(engine->State, rsIdle);
    EXPECT_TRUE(engine->Stopped);
    EXPECT_EQ(engine->CurrentUser()->ID, 100);
    EXPECT_EQ(engine->StatusText(), QStringLiteral("甲(生词)"));
    EXPECT_EQ(Probe(engine).WordMask(), 3);
    EXPECT_EQ(Probe(engine).AnswerMask(), 7);
    EXPECT_FALSE(Probe(engine).Timer()->isActive());
    EXPECT_TRUE(view->events.isEmpty()) << "the window is not told at creation";
    engine.reset();
    EXPECT_EQ(*playerLog, (QStringList{"init", "free"}));
}

TEST_F(EngineTest, AnEmptySelectionFinishesAtOnce) {
    StartGroup();
    EXPECT_EQ(engine->State, rsFinished);
    EXPECT_TRUE(Probe(engine).Exhausted());
    EXPECT_TRUE(engine->Stopped);
    EXPECT_EQ(engine->StatusText(), QStringLiteral("背记结束！"));
    EXPECT_EQ(view->events, (QStringList{"state 4", "state 4"}))
        << "inner change, then the outer one";
    engine->SetState(rsFinished);
    EXPECT_EQ(view->events.size(), 2) << "no change, no call";
}

TEST_F(EngineTest, OneWordGroupComesBackUntilKnown) {
    AddBook({QStringLiteral("a")});
    StartGroup();
    ASSERT_EQ(engine->State, rsRunning);
    EXPECT_TRUE(Probe(engine).Timer()->isActive());
    EXPECT_EQ(Probe(engine).Timer()->interval(), 20);
    engine->Tick(); // scores the unseen entry 0, then shows it
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), 1);
    EXPECT_EQ(Probe(engine).Timer()->interval(), 500) << "the rhythm becomes BaseTime";
    EXPECT_EQ(view->events.last(), QStringLiteral("show a|"));
    Ticks(4);
    EXPECT_EQ(view->events.last(), QStringLiteral("show a|trans of a"));
    Ticks(3);
    EXPECT_EQ(view->events.last(), QStringLiteral("show a|"));
    EXPECT_EQ(engine->Words.Object(0)->ShowCount, 2);
    engine->MarkKnown();
    engine->Tick();
    EXPECT_EQ(engine->State, rsFinished);
    EXPECT_TRUE(engine->Words.Empty());
    EXPECT_EQ(engine->StatusText(), QStringLiteral("背记结束！"));
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), 3);
    EXPECT_EQ(Column(QStringLiteral("ABILITY"), 1001).toInt(), 3) << "known at the second showing";
}

TEST_F(EngineTest, WordsComeInSelectionOrderAndAKnownOneLeaves) {
    AddBook({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    StartGroup();
    ASSERT_EQ(engine->Words.Text(0), QStringLiteral("c"));
    Ticks(1 + kShowing); // a, then b alone
    ASSERT_EQ(view->WordPhases(), (QStringList{"a", "b"}));
    engine->MarkKnown(); // during b's word phase: no answer, no sound for b
    Ticks(1 + 4 * kShowing);
    EXPECT_EQ(view->WordPhases(), (QStringList{"a", "b", "c", "a", "c", "a", "c"}));
    EXPECT_FALSE(view->events.contains(QStringLiteral("show b|trans of b")));
}

TEST_F(EngineTest, AFullGroupFinishedAsksForTheNextOne) {
    QStringList names;
    for (int i = 1; i <= 25; ++i) {
        names << QStringLiteral("w%1").arg(i);
    }
    AddBook(names);
    StartGroup();
    ASSERT_EQ(engine->Words.Count(), 20);
    engine->Tick();
    while (engine->State == rsRunning) {
        engine->MarkKnown();
        engine->Tick();
    }
    EXPECT_EQ(engine->State, rsFinished);
    EXPECT_FALSE(Probe(engine).Exhausted());
    EXPECT_EQ(engine->StatusText(), QStringLiteral("下20个字？"));
    engine->SetState(rsLoading);
    EXPECT_EQ(engine->Words.Count(), 5);
    EXPECT_TRUE(Probe(engine).Exhausted());
}

TEST_F(EngineTest, PauseAndResumeFinishTheInterruptedPhase) {
    AddBook({QStringLiteral("a"), QStringLiteral("b")});
    StartGroup();
    Ticks(1 + 4 + 1); // a's answer is on screen
    engine->SavedText = QStringLiteral("a");
    engine->SetState(rsPaused);
    EXPECT_FALSE(Probe(engine).Timer()->isActive());
    EXPECT_FALSE(engine->Stopped);
    EXPECT_EQ(engine->StatusText(), QStringLiteral("a"));
    engine->SetState(rsRunning);
    EXPECT_EQ(Probe(engine).Timer()->interval(), 20);
    engine->Tick(); // a scored as not known, b follows
    EXPECT_EQ(view->WordPhases(), (QStringList{"a", "b"}));
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), 1);
    EXPECT_EQ(Column(QStringLiteral("ABILITY"), 1001).toInt(), 0);
    Ticks(2);
    engine->SetState(rsPaused); // in b's word phase
    engine->SetState(rsRunning);
    engine->Tick();
    EXPECT_EQ(view->events.last(), QStringLiteral("show b|trans of b"))
        << "the answer at the next tick";
}

TEST_F(EngineTest, SwitchingUsersCyclesStopsAndResetsTheReviewPage) {
    AddBook({QStringLiteral("a")});
    db.AddUser(101, QStringLiteral("乙"));
    db.AddUser(102, QStringLiteral("丙"));
    Start();
    ASSERT_EQ(engine->Users.Count(), 3);
    engine->SetState(rsLoading);
    engine->CurrentUser()->ReviewPage = 4;
    for (int expected : {1, 2, 0}) {
        engine->SelectUser(engine->UserIndex + 1);
        EXPECT_EQ(engine->UserIndex, expected);
        EXPECT_EQ(engine->State, rsIdle);
        EXPECT_TRUE(engine->Stopped);
        EXPECT_FALSE(Probe(engine).Timer()->isActive());
    }
    EXPECT_EQ(engine->CurrentUser()->ReviewPage, 0);
    EXPECT_EQ(engine->StatusText(), QStringLiteral("甲(生词)"));
    EXPECT_EQ(engine->Words.Count(), 1) << "the interrupted group stays until the next load";
    // The review switch: invert the mode, select the same user again.
    engine->CurrentUser()->ReviewPage = 2;
    engine->CurrentUser()->ReviewMode = !engine->CurrentUser()->ReviewMode;
    engine->SelectUser(engine->UserIndex);
    EXPECT_EQ(engine->StatusText(), QStringLiteral("甲(复习)"));
    EXPECT_EQ(engine->CurrentUser()->ReviewPage, 0);
}

TEST_F(EngineTest, PhaseLengthsAreReadAtEveryTick) {
    AddBook({QStringLiteral("a"), QStringLiteral("b")});
    StartGroup();
    engine->Tick();
    engine->CurrentUser()->Config.TranslateTime = 1;
    engine->CurrentUser()->Config.BaseTime = 1200;
    engine->Tick();
    EXPECT_EQ(view->events.last(), QStringLiteral("show a|trans of a"));
    EXPECT_EQ(Probe(engine).Timer()->interval(), 1200);
    engine->CurrentUser()->Config.ReciteTime = 1;
    engine->Tick();
    EXPECT_EQ(view->WordPhases(), (QStringList{"a", "b"}));
    engine->CurrentUser()->Config.BaseTime = 0;
    engine->Tick();
    EXPECT_EQ(Probe(engine).Timer()->interval(), 20) << "never a spinning timer";
}

TEST_F(EngineTest, TheRealTimerDrivesTheCycle) {
    AddBook({QStringLiteral("a")});
    Start();
    engine->CurrentUser()->Config.BaseTime = 20;
    engine->SetState(rsLoading);
    QElapsedTimer t;
    t.start();
    while (!view->events.contains(QStringLiteral("show a|trans of a")) && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_TRUE(view->events.contains(QStringLiteral("show a|trans of a")));
}

TEST_F(EngineTest, WithoutLearnersNothingHappens) {
    db.Exec(QStringLiteral("delete from USERS"));
    Start();
    EXPECT_EQ(engine->CurrentUser(), nullptr);
    EXPECT_EQ(engine->StatusText(), QString());
    engine->SelectUser(1);
    engine->SetState(rsLoading);
    EXPECT_EQ(engine->State, rsFinished);
    engine->Tick();
    engine->MarkKnown();
    EXPECT_EQ(engine->WordText(), QString());
}

// Another program reads the file while the cycle runs: no tick waits long, nothing is lost.
TEST_F(EngineTest, PassesMadeWhileAnotherProgramReadsReachTheFileAfterwards) {
    AddBook({QStringLiteral("a"), QStringLiteral("b")});
    StartGroup();
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Read());
    qint64 slowest = 0;
    for (int i = 0; i < 3 * kShowing; ++i) {
        QElapsedTimer tick;
        tick.start();
        engine->Tick();
        slowest = std::max(slowest, tick.elapsed());
    }
    EXPECT_LT(slowest, 4 * TAdoChannel::kKeptWaitMs + 200);
    EXPECT_FALSE(engine->Channel->KeptWrites().isEmpty());
    EXPECT_TRUE(Probe(engine).KeptTimer()->isActive());
    Settle();
    EXPECT_TRUE(reported.isEmpty()) << "a short hold is not worth a message";
    other.LetGo();
    engine->FlushProgress();
    EXPECT_FALSE(Probe(engine).KeptTimer()->isActive());
    for (int i = 0; i < engine->Words.Count(); ++i) {
        const TWord* w = engine->Words.Object(i);
        EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), w->WordID).toInt(), w->WordRound);
    }
    EXPECT_EQ(db.Scalar(QStringLiteral("select sum(WORD_ROUND) from Recite")).toInt(), 3);
}

TEST_F(EngineTest, WritesStillKeptAtTheEndWaitInAFileForTheNextRun) {
    AddBook({QStringLiteral("a")});
    Start();
    Probe(engine).FinalWaitMs() = 30;
    const QString pending = engine->PendingProgressPath();
    engine->SetState(rsLoading);
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Read());
    Ticks(kShowing + 1);
    const int rounds = engine->Words.Object(0)->WordRound;
    ASSERT_EQ(rounds, 2);
    view.reset();
    engine.reset();
    ASSERT_TRUE(QFile::exists(pending));
    QFile file(pending);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("delete from Recite\n"); // only progress writes are ever read back
    file.close();
    other.LetGo();
    Start();
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), rounds);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite")), 1);
}

TEST_F(EngineTest, AnErrorInATickIsReportedOnceAndPausesTheCycle) {
    AddBook({QStringLiteral("a"), QStringLiteral("b")});
    StartGroup();
    engine->Tick(); // scores entry 0 unseen, shows the next word
    view->onUpdate = [] { throw std::runtime_error("display failed"); };
    for (int i = 0; i < kShowing && Probe(engine).Timer()->isActive(); ++i) {
        engine->Tick();
    }
    Settle();
    EXPECT_EQ(reported, QStringList{QStringLiteral("display failed")});
    EXPECT_EQ(engine->State, rsPaused);
    EXPECT_FALSE(Probe(engine).Timer()->isActive()) << "no further tick meets the error again";
    view->onUpdate = nullptr;
    engine->SetState(rsRunning);
    Ticks(1 + kShowing); // the interrupted answer phase ends, then one whole showing
    EXPECT_EQ(db.Scalar(QStringLiteral("select sum(WORD_ROUND) from Recite")).toInt(), 3)
        << "one pass per showing, none repeated";
}

} // namespace
