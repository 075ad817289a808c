#include "engine/ReciteCtrl.h"

#include "model/ReviewLog.h"
#include "store/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace {

// The start of a group, a resume and a known word all complete the current phase at the
// next tick: phases last 1 to 9 ticks.
constexpr int kStartTickCount = 8;
constexpr int kStartInterval = 20;

const QString kModeTexts[2] = {QStringLiteral("(生词)"), QStringLiteral("(复习)")};

} // namespace

void TRecite::Report(const QString& text) {
    ReportErrorLater(this, text);
}

TRecite::TRecite(QObject* owner, TReciteDeps setup)
    : QObject(owner), baseDir_(std::move(setup.baseDir)), clock_(std::move(setup.clock)),
      player_(std::move(setup.player)), tell_(std::move(setup.tell)) {
    if (!tell_) {
        tell_ = [this](const TMessage& message) {
            QMetaObject::invokeMethod(
                this, [message] { ShowMessageBox(message); }, Qt::QueuedConnection);
        };
    }
    soundSlot_ = 0;
    Channel = std::make_unique<TAdoChannel>();
    Channel->OpenDatabase(FilePath(QString::fromLatin1(kDatabaseFileName)), QString());
    reviewLogReady_ = EnsureReviewLog(*Channel);
    if (!reviewLogReady_ && Channel->Connected()) {
        Report(QStringLiteral("学习记录无法写入数据库，学习统计不可用；背词不受影响。"));
    }
    timer_ = new QTimer(this);
    timer_->setSingleShot(false);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
    keptTimer_ = new QTimer(this);
    keptTimer_->setInterval(kKeptRetryMs);
    connect(keptTimer_, &QTimer::timeout, this, [this] { FlushProgress(); });
    LoadPendingProgress();
    Words.Clear();
    LoadUsers();
    wordMask_ = 3;
    answerMask_ = 7;
    if (player_) {
        player_->Init();
    }
    SelectUser(0);
}

TRecite::~TRecite() {
    timer_->stop();
    keptTimer_->stop();
    SavePendingProgress();
    Words.Clear();
    Users.Clear();
    if (player_) {
        player_->Free();
    }
    Channel.reset();
}

QString TRecite::FilePath(const QString& relative) const {
    return QDir(baseDir_).filePath(relative);
}

TUser* TRecite::CurrentUser() const {
    if (UserIndex < 0 || UserIndex >= Users.Count()) {
        return nullptr;
    }
    return Users.Object(UserIndex);
}

TWord* TRecite::CurrentWord() const {
    if (wordIndex_ < 0 || wordIndex_ >= Words.Count()) {
        return nullptr;
    }
    return Words.Object(wordIndex_);
}

void TRecite::Reflect() {
    if (Window != nullptr) {
        Window->ReflectState();
    }
}

void TRecite::SetState(std::uint8_t state) {
    if (state == State) {
        return;
    }
    const std::uint8_t from = State;
    State = state;
    switch (state) {
    case rsLoading:
        LoadGroup(from);
        break;
    case rsRunning:
        StartTimer();
        break;
    case rsPaused:
        Pause();
        break;
    case rsFinished:
        Stop();
        break;
    default:
        break;
    }
    Reflect();
}

void TRecite::StartTimer() {
    tickCount_ = kStartTickCount;
    timer_->start(kStartInterval);
}

void TRecite::Pause() {
    timer_->stop();
}

void TRecite::Stop() {
    Stopped = true;
    timer_->stop();
}

void TRecite::LoadGroup(std::uint8_t from) {
    TUser* user = CurrentUser();
    bool busy = false;
    {
        // The window's thread never waits long for another program: a file held against
        // reading is told to the learner, who starts again with the same key.
        TShortWait wait(*Channel, kGroupReadWaitMs);
        Channel->FlushKept(kGroupFlushWaitMs);
        AfterProgressWrite();
        // Passes still kept count as made: the group is the one a free file would give.
        exhausted_ =
            user == nullptr ||
            user->SelectDueWords(Words, NewestProgress(Channel->KeptWrites(), user->ID), &busy);
    }
    if (busy) {
        State = from;
        Stopped = true;
        tell_({QStringLiteral("%1文件正被其他程序占用，暂时无法选出要背的字。"
                              "请稍后再按回车键开始。")
                   .arg(QString::fromLatin1(kDatabaseFileName)),
               QStringLiteral("提示"), TMsgButtons::Ok, TMsgIcon::Information});
        return;
    }
    if (!Words.Empty()) {
        answerPhase_ = true;
        wordIndex_ = 0;
        Stopped = false;
        SetState(rsRunning);
    } else {
        SetState(rsFinished);
    }
}

// An error inside a tick (a view or a file that fails) is reported once and pauses the
// cycle: left running, every following tick would meet it again.
void TRecite::Tick() {
    try {
        RunTick();
    } catch (const std::exception& e) {
        timer_->stop();
        Report(QString::fromUtf8(e.what()));
        try {
            if (State == rsRunning) {
                SetState(rsPaused);
            }
        } catch (const std::exception&) {
            // Paused already; the view will catch up at its next refresh.
        }
    }
}

void TRecite::RunTick() {
    TUser* user = CurrentUser();
    if (user == nullptr || Words.Empty()) {
        timer_->stop();
        return;
    }
    ++tickCount_;
    // A zero or negative interval (only a hand-edited database holds one) would spin the
    // cycle without pause.
    const int interval = std::max(user->Config.BaseTime, kStartInterval);
    if (timer_->interval() != interval) {
        timer_->setInterval(interval); // restarts the running timer
    }
    if (answerPhase_ && tickCount_ >= user->Config.ReciteTime) {
        // The answer phase is over before the word is scored: a failure below must not
        // leave it open to be scored again at the next tick.
        answerPhase_ = false;
        tickCount_ = 0;
        ScoreCurrentWord();
        if (Stopped) {
            return;
        }
        MoveToWord(wordIndex_ - 1);
        ShowWord();
    }
    if (!answerPhase_ && tickCount_ >= user->Config.TranslateTime) {
        tickCount_ = 0;
        answerPhase_ = true;
        if (user->Config.Pronounce == 1) {
            Pronounce();
        }
        ShowAnswer();
    }
}

void TRecite::Pronounce() {
    const TWord* word = CurrentWord();
    if (word == nullptr || !IsSafeFileStem(word->WordName)) {
        return;
    }
    const QString path = FilePath(QStringLiteral("mp3/") + word->WordName + QStringLiteral(".mp3"));
    if (!QFileInfo(path).isFile()) {
        return; // no recording: silently without sound
    }
    try {
        UnpackSound(path);
        PlaySound();
    } catch (const ETaveloError& e) {
        // The answer is still shown; a damaged file is reported once, not at every showing.
        if (!reportedSounds_.contains(path)) {
            reportedSounds_.insert(path);
            Report(QString::fromUtf8(e.what()));
        }
    }
}

void TRecite::MoveToWord(int index) {
    if (Words.Empty()) {
        return;
    }
    const int count = Words.Count();
    wordIndex_ = ((index % count) + count) % count;
    TWord* word = Words.Object(wordIndex_);
    word->ShowCount =
        word->ShowCount < std::numeric_limits<int>::max() ? word->ShowCount + 1 : word->ShowCount;
}

void TRecite::ShowWord() {
    displayMask_ = wordMask_;
    if (Window != nullptr) {
        Window->UpdateDisplay();
    }
}

void TRecite::ShowAnswer() {
    displayMask_ = answerMask_;
    if (Window != nullptr) {
        Window->UpdateDisplay();
    }
}

void TRecite::MarkKnown() {
    TWord* word = CurrentWord();
    if (word == nullptr) {
        return;
    }
    word->Known = true;
    answerPhase_ = true;
    StartTimer();
}

void TRecite::SelectUser(int index) {
    if (Users.Empty()) {
        return;
    }
    const int count = Users.Count();
    UserIndex = ((index % count) + count) % count;
    Stop();
    SetState(rsIdle);
    Stopped = true;
    CurrentUser()->ReviewPage = 0;
}

QString TRecite::StatusText() const {
    const TUser* user = CurrentUser();
    switch (State) {
    case rsIdle:
        return user == nullptr ? QString() : user->Name + kModeTexts[user->ReviewMode ? 1 : 0];
    case rsPaused:
        return SavedText;
    case rsFinished:
        if (exhausted_ || user == nullptr) {
            return QStringLiteral("背记结束！");
        }
        return QStringLiteral("下%1个字？").arg(user->Config.WordNum);
    default:
        return QString();
    }
}

QString TRecite::WordText() const {
    if (Words.Empty() || (displayMask_ & 1) == 0 || CurrentWord() == nullptr) {
        return QString();
    }
    return Words.Text(wordIndex_);
}

QString TRecite::TransText() const {
    const TWord* word = CurrentWord();
    if (word == nullptr || (displayMask_ & 4) == 0) {
        return QString();
    }
    return word->Trans;
}

void TRecite::LoadUsers() {
    Users.Clear();
    ::LoadUsers(*Channel, Users, clock_);
}

TUser* TRecite::AddUser(const QString& name, const QString& password) {
    return ::AddUser(*Channel, Users, name, password, clock_);
}

void TRecite::DeleteUser(TUser* user) {
    ::DeleteUser(Users, user);
}
