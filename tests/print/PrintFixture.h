#pragma once

#include "ProgramFolder.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A program folder with learner 100 and the start settings, an engine on it, and every
// message box answered OK and recorded as "caption|text".
class PrintFixture : public TProgramFolderTest {
protected:
    void TearDown() override { engine.reset(); }
    // Book 1 with words w1..wN, subscribed by learner 100, with varied progress: ability
    // id % 7, passes id % 5, random number (id * 37) % 101.
    void AddWords(int count, const QString& prefix = QStringLiteral("w")) {
        db.AddBook(1, QStringLiteral("book"), count, 1, prefix);
        db.Subscribe(100, 1, 1);
        db.Exec(QStringLiteral("update Recite set ABILITY = WORD_ID % 7, WORD_ROUND = WORD_ID % 5, "
                               "RANDOM_NUM = (WORD_ID * 37) % 101"));
    }
    void CreateEngine() { engine = std::make_unique<TRecite>(nullptr, Deps()); }
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

    std::unique_ptr<TRecite> engine;
    QStringList messages;
    QList<int> busyLog;
    QTemporaryDir out;
    TScopedHandler<TMessageHandler> messages_{[this](const TMessage& m) {
        messages << m.caption + QLatin1Char('|') + m.text;
        return TMsgResult::Ok;
    }};
    TScopedHandler<TBusyHandler> busy_{[this](bool busy) { busyLog << (busy ? 1 : 0); }};
};
