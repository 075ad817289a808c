#include "../Platform.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <array>

#include <xcb/xcb.h>

// Xlib last: its macros (None, Bool, KeyPress, ...) would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Null on the offscreen and Wayland platforms: no X11 call may be made then.
Display* CurrentDisplay() {
    if (qGuiApp == nullptr) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->display();
}

// The modifier bit that Num Lock sets on this server, or 0.
unsigned NumLockMask(Display* display) {
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    unsigned mask = 0;
    if (map != nullptr && numLock != 0) {
        for (int mod = 0; mod < 8; ++mod) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                if (map->modifiermap[mod * map->max_keypermod + k] == numLock) {
                    mask = 1u << mod;
                }
            }
        }
    }
    if (map != nullptr) {
        XFreeModifiermap(map);
    }
    return mask;
}

// A grab another client holds is answered with BadAccess, asynchronously: the handler
// catches it during the XSync that follows the grabs.
bool grabRefused = false;
int CatchGrabError(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess) {
        grabRefused = true;
    }
    return 0;
}

class TX11Hotkey : public IHotkey, public QAbstractNativeEventFilter {
public:
    ~TX11Hotkey() override { Release(); }

    bool Claim(std::function<void()> onPressed) override {
        Release();
        display_ = CurrentDisplay();
        if (display_ == nullptr) {
            return false;
        }
        keycode_ = XKeysymToKeycode(display_, XK_grave);
        if (keycode_ == 0) {
            display_ = nullptr;
            return false;
        }
        root_ = XDefaultRootWindow(display_);
        const unsigned numLock = NumLockMask(display_);
        modifiers_ = {ShiftMask, ShiftMask | LockMask, ShiftMask | numLock,
                      ShiftMask | LockMask | numLock};

        XSync(display_, False);
        grabRefused = false;
        XErrorHandler previous = XSetErrorHandler(CatchGrabError);
        for (unsigned m : modifiers_) {
            XGrabKey(display_, keycode_, m, root_, False, GrabModeAsync, GrabModeAsync);
        }
        XSync(display_, False);
        XSetErrorHandler(previous);
        if (grabRefused) {
            Ungrab();
            display_ = nullptr;
            return false;
        }
        onPressed_ = std::move(onPressed);
        QCoreApplication::instance()->installNativeEventFilter(this);
        return true;
    }

    void Release() override {
        if (display_ == nullptr) {
            return;
        }
        QCoreApplication::instance()->removeNativeEventFilter(this);
        Ungrab();
        XFlush(display_);
        display_ = nullptr;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS) {
            return false;
        }
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        if (key->detail != keycode_ || key->event != root_) {
            return false;
        }
        if (onPressed_) {
            onPressed_();
        }
        return true;
    }

private:
    void Ungrab() {
        for (unsigned m : modifiers_) {
            XUngrabKey(display_, keycode_, m, root_);
        }
    }

    Display* display_ = nullptr;
    KeyCode keycode_ = 0;
    Window root_ = 0;
    std::array<unsigned, 4> modifiers_{};
    std::function<void()> onPressed_;
};

// The child of the root window that holds a window: the window itself, or the frame a
// window manager put around it.
Window TopLevelOf(Display* display, Window window) {
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
            return 0;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == root || parent == 0) {
            return window;
        }
        window = parent;
    }
}

class TX11Click : public ISynthClick {
public:
    bool ClickAt(const QPoint& globalPos, WId window) override {
        Display* display = CurrentDisplay();
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        if (display == nullptr || window == 0 ||
            !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
            return false;
        }
        // Screen coordinates of X are device pixels.
        const qreal ratio = qGuiApp->devicePixelRatio();
        const int x = static_cast<int>(globalPos.x() * ratio);
        const int y = static_cast<int>(globalPos.y() * ratio);
        const Window root = DefaultRootWindow(display);
        Window under = 0;
        int localX = 0;
        int localY = 0;
        XTranslateCoordinates(display, root, root, x, y, &localX, &localY, &under);
        XWindowAttributes attributes{};
        if (under == 0 || under != TopLevelOf(display, static_cast<Window>(window)) ||
            XGetWindowAttributes(display, under, &attributes) == 0 ||
            attributes.map_state != IsViewable) {
            return false; // another program's window lies there, or ours is not on screen
        }
        Window pointerRoot = 0;
        Window pointerChild = 0;
        int savedX = x;
        int savedY = y;
        unsigned mask = 0;
        XQueryPointer(display, root, &pointerRoot, &pointerChild, &savedX, &savedY, &localX,
                      &localY, &mask);
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XTestFakeButtonEvent(display, Button1, True, CurrentTime);
        XTestFakeButtonEvent(display, Button1, False, CurrentTime);
        XTestFakeMotionEvent(display, -1, savedX, savedY, CurrentTime);
        XFlush(display);
        return true;
    }
};

} // namespace

std::unique_ptr<IHotkey> MakeSystemHotkey() {
    return std::make_unique<TX11Hotkey>();
}

std::unique_ptr<ISynthClick> MakeSystemClick() {
    return std::make_unique<TX11Click>();
}
