#include "EngineFixture.h"

namespace {

class ScoringTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        AddBook({QStringLiteral("a")});
        Start();
        user = engine->CurrentUser();
        ASSERT_EQ(user->Config.Oblivion, 12);
        engine->SetState(rsLoading);
        word = engine->Words.Object(0);
        Probe(engine).WordIndex() = 0;
    }
    // A word of ability `ability` last updated `daysAgo` days ago, known at showing `show`;
    // the known word leaves the group, so the new ability is read from its row.
    int Score(int ability, double daysAgo, int show) {
        word->Ability = ability;
        word->UpdateDate = clock.now - daysAgo;
        word->ShowCount = show;
        word->Known = true;
        word = nullptr;
        Probe(engine).ScoreCurrentWord();
        return Column(QStringLiteral("ABILITY"), 1001).toInt();
    }
    TUser* user = nullptr;
    TWord* word = nullptr;
};

TEST_F(ScoringTest, AbilityFromForgettingAndThePassScore) {
    // Keep the word in the group so each case can reuse it.
    auto keep = [this](int ability, double daysAgo, int show) {
        auto copy = std::make_unique<TWord>(*word);
        engine->Words.Insert(1, QStringLiteral("spare"), std::move(copy));
        const int a = Score(ability, daysAgo, show);
        word = engine->Words.Object(0);
        return a;
    };
    EXPECT_EQ(keep(10, 5.2, 1), 18) << "lost = 10.317 truncated; 2*10 - 10 + 8";
    EXPECT_EQ(keep(10, 5.2, 3), 11);
    EXPECT_EQ(keep(10, 5.2, 6), 6) << "0 - 2*(6-4) = -4";
    EXPECT_EQ(keep(2, 5.2, 6), 1) << "clamped to 0, then raised to 1";
    EXPECT_EQ(keep(0, clock.now - 36526.0, 1), 8) << "a new word known at once gets FirstNum";
    EXPECT_EQ(keep(5, 0.0, 0), 18) << "ShowCount 0: FourthNum + 4*SubNum = 8, plus 2*5";
    EXPECT_EQ(keep(10, -5.2, 1), 38) << "a date in the future truncates toward zero";
    user->Config.Oblivion = 0;
    EXPECT_EQ(keep(10, 0.43, 1), 8 + 20 - 10) << "a rate below 1 counts as 1: 0.042 days a point";
}

TEST_F(ScoringTest, AKnownWordIsWrittenBackAndLeavesTheGroup) {
    clock.now = 46000.123456;
    Score(10, 5.2, 1);
    EXPECT_EQ(Column(QStringLiteral("ABILITY"), 1001).toInt(), 18);
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), 1);
    EXPECT_DOUBLE_EQ(Column(QStringLiteral("UPDATE_DATE"), 1001).toDouble(), 46000.12);
    EXPECT_TRUE(engine->Words.Empty());
    EXPECT_EQ(engine->State, rsFinished);
}

TEST_F(ScoringTest, ExtremeValuesStayInRange) {
    auto copy = std::make_unique<TWord>(*word);
    engine->Words.Insert(1, QStringLiteral("spare"), std::move(copy));
    user->Config.FirstNum = std::numeric_limits<int>::max();
    EXPECT_EQ(Score(std::numeric_limits<int>::max(), -1e300, 1), std::numeric_limits<int>::max());
    word = engine->Words.Object(0);
    user->Config.FourthNum = std::numeric_limits<int>::min();
    user->Config.SubNum = std::numeric_limits<int>::max();
    EXPECT_EQ(Score(0, 1e300, std::numeric_limits<int>::max()), 1);
}

TEST_F(ScoringTest, ReviewModeChangesTheRecordButWritesNothing) {
    user->ReviewMode = true;
    const int roundBefore = Column(QStringLiteral("WORD_ROUND"), 1001).toInt();
    EXPECT_EQ(Score(10, 5.2, 1), 0) << "the row keeps its ability";
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), roundBefore);
    EXPECT_TRUE(engine->Words.Empty()) << "a known word still leaves the group";
}

TEST_F(ScoringTest, NotKnownOnlyCountsThePass) {
    word->Known = false;
    word->Ability = 4;
    const double date = word->UpdateDate;
    Probe(engine).ScoreCurrentWord();
    EXPECT_EQ(word->Ability, 4);
    EXPECT_EQ(word->UpdateDate, date);
    EXPECT_EQ(word->WordRound, 1);
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), 1);
    EXPECT_EQ(engine->Words.Count(), 1);
}

TEST_F(ScoringTest, AScoringStartedFromWithinAScoringDoesNothing) {
    int nested = 0;
    view->onReflect = [&] {
        ++nested;
        Probe(engine).ScoreCurrentWord(); // the last word left the group: Finished is reflected
    };
    Score(10, 5.2, 1);
    EXPECT_EQ(nested, 1);
    EXPECT_FALSE(Probe(engine).Scoring());
    EXPECT_EQ(Column(QStringLiteral("WORD_ROUND"), 1001).toInt(), 1);
}

} // namespace
