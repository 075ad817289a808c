#pragma once

#include "engine/ReciteCtrl.h"

#include <QString>
#include <QStringList>
#include <memory>

// Records the player calls in order ("init", "play <path>", "free"); the log outlives the
// player, which the engine owns and frees.
class TFakePlayer : public IPlayer {
public:
    explicit TFakePlayer(std::shared_ptr<QStringList> log) : log_(std::move(log)) {}
    void Init() override { *log_ << QStringLiteral("init"); }
    void Play(const char* path) override {
        *log_ << QStringLiteral("play ") + QString::fromUtf8(path);
    }
    void Free() override { *log_ << QStringLiteral("free"); }

private:
    std::shared_ptr<QStringList> log_;
};

// Records what the engine asks the window to do, with what the window would show then.
class TRecordingView : public IReciteView {
public:
    explicit TRecordingView(TRecite* engine) : engine_(engine) {}
    void ReflectState() override {
        events << QStringLiteral("state %1").arg(engine_->State);
        if (onReflect) {
            onReflect();
        }
    }
    void UpdateDisplay() override {
        if (onUpdate) {
            onUpdate();
        }
        const QString trans = engine_->Words.Empty() ? QString() : engine_->TransText();
        events << QStringLiteral("show %1|%2").arg(engine_->WordText(), trans);
        shown << engine_->WordText();
    }
    // The words shown alone (word phases), in order.
    QStringList WordPhases() const {
        QStringList words;
        for (const QString& e : events) {
            if (e.startsWith(QLatin1String("show ")) && e.endsWith(QLatin1Char('|'))) {
                words << e.mid(5, e.size() - 6);
            }
        }
        return words;
    }
    QStringList events;
    QStringList shown;
    std::function<void()> onReflect;
    std::function<void()> onUpdate;

private:
    TRecite* engine_;
};

// A clock the test sets.
struct TFakeClock {
    double now = 46000.5;
    TClock Clock() {
        return [this] { return now; };
    }
};
