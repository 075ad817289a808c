#pragma once

#include "ProgramFolder.h"
#include "SoundPack.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

// A program folder with one learner (id 100, the start settings), an engine on it driven
// tick by tick with a fake clock, a fake player and a recording view.
class EngineTest : public TProgramFolderTest {
protected:
    void SetUp() override {
        AddLearner();
        QDir(db.Dir()).mkpath(QStringLiteral("temp"));
        QDir(db.Dir()).mkpath(QStringLiteral("mp3"));
    }
    void TearDown() override {
        view.reset();
        engine.reset();
    }
    void Start() {
        TReciteDeps setup = Deps(std::make_unique<TFakePlayer>(playerLog));
        setup.tell = [this](const TMessage& message) { told << message; };
        engine = std::make_unique<TRecite>(nullptr, std::move(setup));
        view = std::make_unique<TRecordingView>(engine.get());
        engine->Window = view.get();
        Settle();
    }
    // Started, with the first group loaded.
    void StartGroup() {
        Start();
        engine->SetState(rsLoading);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            engine->Tick();
        }
        Settle();
    }
    // Writes a stored recording for a word and returns its plain bytes.
    QByteArray AddRecording(const QString& word, int size = 3000) {
        QByteArray mp3(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i) {
            mp3[i] = static_cast<char>((i * 7 + word.size()) & 0xff);
        }
        const auto packed = PackSound(std::span<const uint8_t>(
            reinterpret_cast<const uint8_t*>(mp3.constData()), static_cast<size_t>(mp3.size())));
        QFile f(QDir(db.Dir()).filePath(QStringLiteral("mp3/%1.mp3").arg(word)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(packed.data()), static_cast<qint64>(packed.size()));
        return mp3;
    }
    QString TempFile(int n) const {
        return QDir(db.Dir()).filePath(QStringLiteral("temp/%1.mp3").arg(n));
    }
    QVariant Column(const QString& column, int wordID) {
        return db.Scalar(
            QStringLiteral("select %1 from Recite where WORD_ID = %2").arg(column).arg(wordID));
    }

    // Delivers the reports posted after the current event.
    static void Settle() { QCoreApplication::sendPostedEvents(); }

    std::shared_ptr<QStringList> playerLog = std::make_shared<QStringList>();
    QStringList reported;
    TScopedHandler<TErrorHandler> errors_{[this](const QString& text) { reported << text; }};
    QList<TMessage> told;
    std::unique_ptr<TRecite> engine;
    std::unique_ptr<TRecordingView> view;
};

// Ticks of one full showing with the start settings: 4 alone, 3 with the translation.
inline constexpr int kShowing = 7;
