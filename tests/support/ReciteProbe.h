#pragma once

#include "engine/ReciteCtrl.h"

#include <QTimer>
#include <cstdint>

// The engine's insides that tests arrange and check: the cycle's timers and phase, the
// position in the group, the scoring and the sound steps.
class TReciteProbe {
public:
    explicit TReciteProbe(TRecite& engine) : e_(engine) {}

    QTimer* Timer() const { return e_.timer_; }
    QTimer* KeptTimer() const { return e_.keptTimer_; }
    int& WordIndex() const { return e_.wordIndex_; }
    std::uint8_t WordMask() const { return e_.wordMask_; }
    std::uint8_t AnswerMask() const { return e_.answerMask_; }
    int& SoundSlot() const { return e_.soundSlot_; }
    bool& Exhausted() const { return e_.exhausted_; }
    bool AnswerPhase() const { return e_.answerPhase_; }
    bool Scoring() const { return e_.scoring_; }
    bool ReviewLogReady() const { return e_.reviewLogReady_; }
    int& FinalWaitMs() const { return e_.finalWaitMs_; }

    void ScoreCurrentWord() const { e_.ScoreCurrentWord(); }
    void PlaySound() const { e_.PlaySound(); }

private:
    TRecite& e_;
};

template <typename EnginePointer> TReciteProbe Probe(const EnginePointer& engine) {
    return TReciteProbe(*engine);
}
