#pragma once

#include "EngineFakes.h"
#include "TestDatabase.h"
#include "engine/ReciteCtrl.h"
#include "model/Prompts.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A program folder with learner 100 and the start settings, an engine on it, and every
// message box answered OK and recorded as "caption|text".
class PrintFixture : public ::testing::Test {
protected:
    void SetUp() override {
        db.AddStartSettings(DefaultUserID);
        previousMessage_ = SetMessageHandler([this](const TMessage& m) {
            messages << m.caption + QLatin1Char('|') + m.text;
            return TMsgResult::Ok;
        });
        previousBusy_ = SetBusyHandler([this](bool busy) { busyLog << (busy ? 1 : 0); });
    }
    void TearDown() override {
        engine.reset();
        SetMessageHandler(previousMessage_);
        SetBusyHandler(previousBusy_);
    }
    void AddLearner(int id = 100) {
        db.AddUser(id, QStringLiteral("甲"), 1);
        db.AddStartSettings(id);
    }
    // Book 1 with words w1..wN, subscribed by learner 100, with varied progress: ability
    // id % 7, passes id % 5, random number (id * 37) % 101.
    void AddWords(int count, const QString& prefix = QStringLiteral("w")) {
        db.AddBook(1, QStringLiteral("book"), count, 1, prefix);
        db.Subscribe(100, 1, 1);
        db.Exec(QStringLiteral("update Recite set ABILITY = WORD_ID % 7, WORD_ROUND = WORD_ID % 5, "
                               "RANDOM_NUM = (WORD_ID * 37) % 101"));
    }
    void CreateEngine() {
        TReciteSetup setup;
        setup.baseDir = db.Dir();
        setup.clock = clock.Clock();
        engine = std::make_unique<TRecite>(nullptr, std::move(setup));
    }
    // The learner's word names where the condition holds, in the given order.
    QStringList Words(const QString& where, const QString& order = QStringLiteral("r.rowid")) {
        QStringList names;
        const int n = db.Count(QStringLiteral("from Recite r join Book b on r.BOOK_ID = b.BOOK_ID "
                                              "and r.WORD_ID = b.WORD_ID where ") +
                               where);
        for (int i = 0; i < n; ++i) {
            names << db.Scalar(QStringLiteral("select b.WORD_NAME from Recite r join Book b on "
                                              "r.BOOK_ID = b.BOOK_ID and r.WORD_ID = b.WORD_ID "
                                              "where %1 order by %2 limit 1 offset %3")
                                   .arg(where, order)
                                   .arg(i))
                         .toString();
        }
        return names;
    }

    TTestDatabase db;
    TFakeClock clock;
    std::unique_ptr<TRecite> engine;
    QStringList messages;
    QList<int> busyLog;
    QTemporaryDir out;

private:
    TMessageHandler previousMessage_;
    TBusyHandler previousBusy_;
};
