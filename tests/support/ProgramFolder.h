#pragma once

#include "EngineFakes.h"
#include "ReciteProbe.h"
#include "ScopedHandler.h"
#include "TestDatabase.h"
#include "engine/ReciteCtrl.h"
#include "model/Prompts.h"
#include "store/Schema.h"

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
