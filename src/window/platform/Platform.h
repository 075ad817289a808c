#pragma once

// The two pieces of the word window that talk to the desktop system directly. Each build
// links one backend (X11, or one that does nothing); tests hand in fakes.
#include <QPoint>
#include <QtGui/qwindowdefs.h>
#include <functional>
#include <memory>
#include <optional>

// The global hotkey Shift + the key left of 1.
class IHotkey {
public:
    virtual ~IHotkey() = default;
    // Releases an earlier claim, then claims the key. False when the system refused it
    // (another program holds it, or there is no display): the hotkey then has no effect.
    virtual bool Claim(std::function<void()> onPressed) = 0;
    virtual void Release() = 0;
    // Told whenever the key cannot be had for a reason the learner should hear of: another
    // program holds it, the keyboard has no key left of 1, or the desktop refused the binding;
    // also later, when a new keyboard layout takes the key away. Not told when the system
    // offers no global keys at all (no display).
    void SetRefusedHandler(std::function<void()> onRefused) { onRefused_ = std::move(onRefused); }

protected:
    void TellRefused() const {
        if (onRefused_) {
            onRefused_();
        }
    }

private:
    std::function<void()> onRefused_;
};

// A left button press and release, as if the learner clicked at a point of the screen, with
// the pointer put back where it was afterwards. The move there, the click and the move back
// are one ordered sequence of device input: a window manager that holds the press for a
// moment (click to focus) must not see the pointer leave with the button still down.
// The click is made only when the point shows the given top-level window of ours, never
// another program's window; false when nothing was clicked.
class ISynthClick {
public:
    virtual ~ISynthClick() = default;
    virtual bool ClickAt(const QPoint& globalPos, WId window) = 0;
};

std::unique_ptr<IHotkey> MakeSystemHotkey();
std::unique_ptr<ISynthClick> MakeSystemClick();

// The top-left corner of a top-level window of ours where the window system has put it, asked
// of the system itself: right after a window manager places a window first shown, Qt's own
// idea of its position can still be the frame's origin (0, 0). nullopt when the system cannot
// tell.
std::optional<QPoint> SystemWindowOrigin(WId window);
