#pragma once

#include "EngineFakes.h"
#include "ReciteProbe.h"
#include "ScopedHandler.h"
#include "TestDatabase.h"
#include "engine/ReciteCtrl.h"
#include "model/Prompts.h"
#include "store/Schema.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

// A program folder with a fresh database holding the start settings, a fake clock, and
// what an engine on that folder is given.
class TProgramFolderTest : public ::testing::Test {
protected:
    TProgramFolderTest() { db.AddStartSettings(DefaultUserID); }

    // A learner with the start settings.
    void AddLearner(int id = 100, const QString& name = QStringLiteral("甲"), int isPower = 1) {
        db.AddUser(id, name, isPower);
        db.AddStartSettings(id);
    }
    // Book 1 of the words `names` (ids 1001.., translations `transPrefix` + name), the next
    // book of learner 100.
    void AddBook(const QStringList& names,
                 const QString& transPrefix = QStringLiteral("trans of ")) {
        db.Exec(QStringLiteral("insert into BookStore values (1, 'book 1')"));
        for (int i = 0; i < names.size(); ++i) {
            db.Exec(QStringLiteral("insert into Book(BOOK_ID, WORD_ID, WORD_NAME, WORD_TRANS) "
                                   "values (1, %1, '%2', '%3%2')")
                        .arg(1001 + i)
                        .arg(names[i], transPrefix));
        }
        db.Subscribe(100, 1, 1);
    }
    TReciteDeps Deps(std::unique_ptr<IPlayer> player = nullptr) {
        TReciteDeps deps;
        deps.baseDir = db.Dir();
        deps.clock = clock.Clock();
        deps.player = std::move(player);
        return deps;
    }

    TTestDatabase db;
    TFakeClock clock;
};
