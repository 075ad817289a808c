#include "EngineFixture.h"
#include "OtherProgram.h"

namespace {

// One scored showing of word 1001 (ability 10, two passes, last updated 5.2 days ago) and
// the log row it leaves.
struct TPassCase {
    const char* name;
    bool review;
    bool known;
    int abilityAfter; // in the log
    int roundAfter;
};

class ReviewLogTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        AddBook({QStringLiteral("a"), QStringLiteral("b")});
        Reset();
        Start();
        ASSERT_TRUE(Probe(engine).ReviewLogReady());
    }
    void Reset() {
        db.Exec(QStringLiteral("update Recite set ABILITY = 10, WORD_ROUND = 2, UPDATE_DATE = %1")
                    .arg(clock.now - 5.2, 0, 'f', 2));
    }
    // Scores the word of id 1001 in the current group as the cycle would.
    void Pass(bool review, bool known) {
        TConfig& c = engine->CurrentUser()->Config;
        c.RoundCompare = true; // review mode selects every word
        c.RoundNumber = 0;
        c.FloorAbility = 0;
        c.CeilingAbility = 100;
        c.RestrictTime = false;
        engine->CurrentUser()->ReviewMode = review;
        engine->SelectUser(engine->UserIndex);
        engine->SetState(rsLoading);
        for (Probe(engine).WordIndex() = 0;
             engine->Words.Object(Probe(engine).WordIndex())->WordID != 1001;
             ++Probe(engine).WordIndex()) {
        }
        TWord* w = engine->Words.Object(Probe(engine).WordIndex());
        w->Known = known;
        w->ShowCount = 1;
        Probe(engine).ScoreCurrentWord();
    }
    QString LogRows() {
        QStringList rows;
        TAdoQuery* q = engine->Channel->OpenQuery(
            QStringLiteral("select * from ReviewLog order by REVIEW_DATE"), 2);
        for (; q != nullptr && !q->Eof(); q->Next()) {
            QStringList f;
            for (const char* c : {"USER_ID", "BOOK_ID", "WORD_ID", "KNOWN", "ABILITY_BEFORE",
                                  "ABILITY_AFTER", "ROUND_BEFORE", "ROUND_AFTER", "REVIEW_MODE"}) {
                f << q->AsString(QString::fromLatin1(c));
            }
            f << QString::number(q->AsFloat(QStringLiteral("REVIEW_DATE")), 'f', 6);
            rows << f.join(QLatin1Char(' '));
        }
        return rows.join(QLatin1Char('\n'));
    }
    QString Row(bool known, int abilityAfter, int roundAfter, bool review) const {
        return QStringLiteral("100 1 1001 %1 10 %2 2 %3 %4 %5")
            .arg(known ? 1 : 0)
            .arg(abilityAfter)
            .arg(roundAfter)
            .arg(review ? 1 : 0)
            .arg(clock.now, 0, 'f', 6);
    }
};

TEST_F(ReviewLogTest, EachPassWritesOneRowWithItsBeforeAndAfter) {
    // Known at the first showing: 2 x 10 - 10 points lost + 8. Review mode stores nothing,
    // so its row shows the stored values unchanged.
    const TPassCase cases[] = {
        {"known", false, true, 18, 3},
        {"not known", false, false, 10, 3},
        {"review mode, known", true, true, 10, 2},
    };
    for (const TPassCase& c : cases) {
        SCOPED_TRACE(c.name);
        db.Exec(QStringLiteral("delete from ReviewLog"));
        Reset();
        Pass(c.review, c.known);
        EXPECT_EQ(LogRows(), Row(c.known, c.abilityAfter, c.roundAfter, c.review));
        EXPECT_EQ(Column(QStringLiteral("ABILITY"), 1001).toInt(), c.review ? 10 : c.abilityAfter);
    }
}

TEST_F(ReviewLogTest, APassAndItsRowAreKeptTogetherWhileTheFileIsHeld) {
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Read()); // the commit is refused: neither reaches the file
    Pass(false, true);
    EXPECT_EQ(engine->Channel->KeptWrites().size(), 1);
    EXPECT_EQ(db.Count(QStringLiteral("from ReviewLog")), 0);
    EXPECT_EQ(Column(QStringLiteral("ABILITY"), 1001).toInt(), 10);
    // Kept over the end of the program, both come back at the next start.
    Probe(engine).FinalWaitMs() = 30;
    view.reset();
    engine.reset();
    other.LetGo();
    Start();
    EXPECT_EQ(LogRows(), Row(true, 18, 3, false));
    EXPECT_EQ(Column(QStringLiteral("ABILITY"), 1001).toInt(), 18);
}

TEST_F(ReviewLogTest, WhereTheTableCannotBeMadeTheProgramLearnsAndSaysSoOnce) {
    view.reset();
    engine.reset();
    reported.clear();
    // A file made by hand where the name is taken: the table cannot be created.
    db.Exec(QStringLiteral("drop table ReviewLog"));
    db.Exec(QStringLiteral("create view ReviewLog as select 1 as X"));
    Start();
    EXPECT_FALSE(Probe(engine).ReviewLogReady());
    EXPECT_EQ(reported.size(), 1);
    Pass(false, false);
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), 3);
    EXPECT_TRUE(engine->Channel->KeptWrites().isEmpty());
}

} // namespace
