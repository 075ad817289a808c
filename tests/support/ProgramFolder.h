#pragma once

#include "EngineFakes.h"
#include "ReciteProbe.h"
#include "TestDatabase.h"
#include "engine/ReciteCtrl.h"
#include "model/Prompts.h"
#include "store/Schema.h"

#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace prompt_seams {
inline TMessageHandler Set(TMessageHandler h) {
    return SetMessageHandler(std::move(h));
}
inline TErrorHandler Set(TErrorHandler h) {
    return SetErrorHandler(std::move(h));
}
inline TBusyHandler Set(TBusyHandler h) {
    return SetBusyHandler(std::move(h));
}
} // namespace prompt_seams

// Installs a message, error or busy handler for its lifetime and then puts back the one
// that was there before.
template <typename Handler> class TScopedHandler {
public:
    explicit TScopedHandler(Handler handler) : previous_(prompt_seams::Set(std::move(handler))) {}
    ~TScopedHandler() { prompt_seams::Set(std::move(previous_)); }
    TScopedHandler(const TScopedHandler&) = delete;
    TScopedHandler& operator=(const TScopedHandler&) = delete;

private:
    Handler previous_;
};

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
