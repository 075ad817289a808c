#pragma once

#include "model/Prompts.h"

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
