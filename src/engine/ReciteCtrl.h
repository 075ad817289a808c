#pragma once

// The recitation engine: the state machine and timed cycle over the current learner's due
// words, the scoring, and the spoken word.
#include "engine/EngineErrors.h"
#include "engine/Player.h"
#include "engine/Sound.h"
#include "engine/View.h"
#include "model/Prompts.h"
#include "model/User.h"
#include "store/AdoChannel.h"
#include "store/DayNumber.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QTimer;

enum TReciteState : std::uint8_t {
    rsIdle = 0,
    rsLoading = 1,
    rsRunning = 2,
    rsPaused = 3,
    rsFinished = 4,
};

// What the engine is given instead of asking the system. Errors go to ReportError
// (model/Prompts.h) after the current event, so a modal box never opens inside a tick.
struct TReciteDeps {
    QString baseDir;                 // the program folder: Tavelo.mdb, mp3/, temp/
    TClock clock = SystemClock();    // every "now"
    std::unique_ptr<IPlayer> player; // may be null: then nothing is spoken
    // Where a notice for the learner goes; by default a message box after the current event.
    std::function<void(const TMessage&)> tell;
};

class TRecite : public QObject {
public:
    TRecite(QObject* owner, TReciteDeps setup);
    ~TRecite() override;

    TUser* CurrentUser() const;
    void SelectUser(int index);
    void SetState(std::uint8_t state);
    void MarkKnown();
    QString StatusText() const;
    QString WordText() const;
    QString TransText() const;

    // The timer's handler; public so the cycle can be driven tick by tick.
    void Tick();

    // Makes the progress writes the channel kept while another program held the file;
    // the retry timer calls it until none is left. The learner is told once per outage:
    // at once when the disk or the file refuses writes, after a while when the file is
    // only held by another program.
    void FlushProgress();
    // How often kept writes are tried again, and after how long a file held by another
    // program is worth telling the learner about.
    static constexpr int kKeptRetryMs = 500;
    static constexpr int kKeptRetryMaxMs = 8000;
    static constexpr int kKeptPatienceMs = 10000;
    // How long the start of a group waits for a file another program holds: not at all to
    // make the kept writes (the selection sees them anyway), briefly to read. With the
    // sleeps of a loaded machine the window answers within a tenth of a second.
    static constexpr int kGroupFlushWaitMs = 0;
    static constexpr int kGroupReadWaitMs = 50;
    // Where progress writes still to be made wait while the program is not running.
    QString PendingProgressPath() const;

    void LoadUsers();
    TUser* AddUser(const QString& name, const QString& password);
    void DeleteUser(TUser* user);

    const QString& BaseDir() const { return baseDir_; }
    QString FilePath(const QString& relative) const;

    // What the windows and dialogs read and set.
    std::unique_ptr<TAdoChannel> Channel;
    TUserList Users;
    TWordList Words;
    int UserIndex = 0;
    QString SavedText;
    std::uint8_t State = rsIdle;
    IReciteView* Window = nullptr;
    bool Stopped = false;

private:
    friend class TReciteProbe; // the tests' view of the cycle's insides

    void ScoreCurrentWord();
    void UnpackSound(const QString& path);
    void PlaySound();
    QString StagingPath() const;
    void Report(const QString& text);
    void RunTick();
    void AfterProgressWrite();
    void LoadPendingProgress();
    void SavePendingProgress();
    void StartTimer();
    void Pause();
    void Stop();
    void LoadGroup(std::uint8_t from);
    void MoveToWord(int index);
    void ShowWord();
    void ShowAnswer();
    void Pronounce();
    void Reflect();
    TWord* CurrentWord() const;

    QString baseDir_;
    TClock clock_;
    std::unique_ptr<IPlayer> player_;
    std::function<void(const TMessage&)> tell_;
    QSet<QString> reportedSounds_;
    QElapsedTimer keptSince_;
    bool keptReported_ = false;
    int keptAttempts_ = 0;
    QTimer* timer_ = nullptr;
    QTimer* keptTimer_ = nullptr;
    int wordIndex_ = 0;
    std::uint8_t wordMask_ = 0;
    std::uint8_t answerMask_ = 0;
    std::uint8_t displayMask_ = 0;
    int soundSlot_ = 0;
    bool exhausted_ = false;
    int tickCount_ = 0;
    bool answerPhase_ = false;
    bool scoring_ = false;
    // The database keeps the log of passes (created at start where missing).
    bool reviewLogReady_ = false;
    // How long the end of the program waits for a held file before it keeps the writes in
    // the pending file.
    int finalWaitMs_ = 5000;
};
