#include "../Platform.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace {

constexpr int kHotkeyID = 2003;

class TWinHotkey : public IHotkey, public QAbstractNativeEventFilter {
public:
    ~TWinHotkey() override { Release(); }

    bool Claim(std::function<void()> onPressed) override {
        Release();
        if (!RegisterHotKey(nullptr, kHotkeyID, MOD_SHIFT, VK_OEM_3)) {
            return false;
        }
        onPressed_ = std::move(onPressed);
        QCoreApplication::instance()->installNativeEventFilter(this);
        claimed_ = true;
        return true;
    }

    void Release() override {
        if (claimed_) {
            QCoreApplication::instance()->removeNativeEventFilter(this);
            UnregisterHotKey(nullptr, kHotkeyID);
            claimed_ = false;
        }
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        const MSG* msg = static_cast<const MSG*>(message);
        if (eventType == "windows_generic_MSG" && msg->message == WM_HOTKEY &&
            msg->wParam == static_cast<WPARAM>(kHotkeyID)) {
            if (onPressed_) {
                onPressed_();
            }
            return true;
        }
        return false;
    }

private:
    std::function<void()> onPressed_;
    bool claimed_ = false;
};

class TWinClick : public ISynthClick {
public:
    bool ClickAt(const QPoint& globalPos, WId window) override {
        const POINT point{globalPos.x(), globalPos.y()};
        const HWND target = reinterpret_cast<HWND>(window);
        if (!IsWindowVisible(target) || GetAncestor(WindowFromPoint(point), GA_ROOT) != target) {
            return false;
        }
        POINT saved{};
        GetCursorPos(&saved);
        SetCursorPos(point.x, point.y);
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].type = INPUT_MOUSE;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, inputs, sizeof(INPUT));
        SetCursorPos(saved.x, saved.y);
        return true;
    }
};

} // namespace

std::unique_ptr<IHotkey> MakeSystemHotkey() {
    return std::make_unique<TWinHotkey>();
}

std::unique_ptr<ISynthClick> MakeSystemClick() {
    return std::make_unique<TWinClick>();
}
