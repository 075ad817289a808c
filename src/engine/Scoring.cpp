#include "engine/ReciteCtrl.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();

std::int64_t PassScore(const TConfig& c, int showCount) {
    switch (showCount) {
    case 1:
        return c.FirstNum;
    case 2:
        return c.SecondNum;
    case 3:
        return c.ThirdNum;
    case 4:
        return c.FourthNum;
    default:
        return static_cast<std::int64_t>(c.FourthNum) -
               static_cast<std::int64_t>(c.SubNum) * (static_cast<std::int64_t>(showCount) - 4);
    }
}

// The points lost since the last update, truncated toward zero; a quotient beyond the
// range (a wildly wrong stored date) is clamped, never undefined.
std::int64_t LostPoints(double now, double updateDate, double unit) {
    const double q = std::trunc((now - updateDate) / unit);
    if (!(q == q)) {
        return 0;
    }
    constexpr double kLimit = 4.0e18;
    return static_cast<std::int64_t>(std::clamp(q, -kLimit, kLimit));
}

// Resets the re-entry guard however the scoring ends.
class TScoringGuard {
public:
    explicit TScoringGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TScoringGuard() { flag_ = false; }
    TScoringGuard(const TScoringGuard&) = delete;
    TScoringGuard& operator=(const TScoringGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

void TRecite::ScoreCurrentWord() {
    if (scoring_) {
        return;
    }
    TScoringGuard guard(scoring_);
    TWord* w = CurrentWord();
    TUser* user = CurrentUser();
    if (w == nullptr || user == nullptr) {
        return;
    }
    if (w->WordRound < std::numeric_limits<int>::max()) {
        ++w->WordRound;
    }
    if (w->Known) {
        const TConfig& c = user->Config;
        const std::int64_t score = PassScore(c, w->ShowCount);
        const std::int64_t lost = LostPoints(clock_(), w->UpdateDate, c.DaysPerLostPoint());
        // |2 x Ability| < 2^33 and |lost| <= 4e18: no step overflows 64 bits.
        std::int64_t a =
            std::max<std::int64_t>(2 * static_cast<std::int64_t>(w->Ability) - lost, 0);
        a = std::max<std::int64_t>(a + std::clamp(score, kIntMin, kIntMax), 1);
        w->Ability = static_cast<int>(std::min(a, kIntMax));
        w->UpdateDate = clock_();
    }
    if (w->SavePass(user->ReviewMode, reviewLogReady_, clock_())) {
        AfterProgressWrite();
    }
    if (w->Known) {
        Words.Delete(wordIndex_);
        if (Words.Empty()) {
            SetState(rsFinished);
        }
    }
}
