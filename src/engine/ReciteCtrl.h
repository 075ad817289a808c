#pragma once

// The recitation engine: the state machine and timed cycle over the current learner's due
// words, the scoring, and the spoken word.
#include "engine/EngineErrors.h"
#include "engine/Sound.h"
#include "engine/View.h"
#include "model/Business.h"
#include "store/Channels.h"

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

// What the engine is given instead of asking the system.
struct TReciteSetup {
    QString baseDir;                 // the program folder: Tavelo.mdb, mp3/, temp/
    TClock clock = SystemClock();    // every "now"
    std::unique_ptr<IPlayer> player; // may be null: then nothing is spoken
    // Where a damaged sound file is reported; by default the general error report, after
    // the current event (so a modal box never opens inside a tick).
    std::function<void(const QString&)> reportError;
    // Where a notice for the learner goes; by default a message box after the current event.
    std::function<void(const TMessage&)> tell;
};

class TRecite : public QObject {
public:
    TRecite(QObject* owner, TReciteSetup setup);
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
    // How long the end of the program waits for a held file before it keeps the writes in
    // the pending file.
    int FinalWaitMs = 5000;
    // Where progress writes still to be made wait while the program is not running.
    QString PendingProgressPath() const;

    void LoadUsers();
    TUser* AddUser(const QString& name, const QString& password);
    void DeleteUser(TUser* user);

    const QString& BaseDir() const { return baseDir_; }
    QString FilePath(const QString& relative) const;

    std::unique_ptr<TAdoChannel> Channel;
    QTimer* Timer = nullptr;
    QTimer* KeptTimer = nullptr;
    TUserList Users;
    TWordList Words;
    int UserIndex = 0;
    int WordIndex = 0;
    QString SavedText;
    std::uint8_t State = rsIdle;
    std::uint8_t WordMask = 0;
    std::uint8_t AnswerMask = 0;
    std::uint8_t DisplayMask = 0;
    IReciteView* Window = nullptr;
    int SoundSlot = 0;
    bool Exhausted = false;
    int TickCount = 0;
    bool AnswerPhase = false;
    bool Stopped = false;
    bool Scoring = false;
    // The database keeps the log of passes (created at start where missing).
    bool ReviewLogReady = false;

    // Scoring and sound, also called by the cycle.
    void ScoreCurrentWord();
    void UnpackSound(const QString& path);
    void PlaySound();

private:
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
    std::function<void(const QString&)> reportError_;
    std::function<void(const TMessage&)> tell_;
    QSet<QString> reportedSounds_;
    QElapsedTimer keptSince_;
    bool keptReported_ = false;
    int keptAttempts_ = 0;
};
