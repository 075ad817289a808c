#include "window/platform/Platform.h"

// Systems without a known way to grab a key or synthesise input: nothing is claimed.
namespace {

class TNullHotkey : public IHotkey {
public:
    bool Claim(std::function<void()>) override { return false; }
    void Release() override {}
};

class TNullClick : public ISynthClick {
public:
    bool ClickAt(const QPoint&, WId) override { return false; }
};

} // namespace

std::unique_ptr<IHotkey> MakeSystemHotkey() {
    return std::make_unique<TNullHotkey>();
}

std::unique_ptr<ISynthClick> MakeSystemClick() {
    return std::make_unique<TNullClick>();
}

std::optional<QPoint> SystemWindowOrigin(WId) {
    return std::nullopt;
}
