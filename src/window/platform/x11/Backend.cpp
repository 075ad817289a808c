#include "window/platform/Platform.h"
#include "window/platform/portal/PortalHotkey.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <array>
#include <cstring>

#include <xcb/xcb.h>

// Xlib last: its macros (None, Bool, KeyPress, ...) would clash with Qt's names.
#include <X11/XKBlib.h>
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

// The key left of 1 by its place on the keyboard (the XKB key name TLDE), whatever symbol
// the layout puts on it; 0 when the keyboard has no such key.
KeyCode KeyLeftOfOne(Display* display) {
    XkbDescPtr keyboard = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (keyboard == nullptr) {
        return 0;
    }
    KeyCode found = 0;
    if (XkbGetNames(display, XkbKeyNamesMask, keyboard) == Success && keyboard->names != nullptr &&
        keyboard->names->keys != nullptr) {
        for (int code = keyboard->min_key_code; code <= keyboard->max_key_code && found == 0;
             ++code) {
            if (std::memcmp(keyboard->names->keys[code].name, "TLDE", XkbKeyNameLength) == 0) {
                found = static_cast<KeyCode>(code);
            }
        }
    }
    XkbFreeKeyboard(keyboard, 0, True);
    return found;
}

class TX11Hotkey : public IHotkey, public QAbstractNativeEventFilter {
public:
    TX11Hotkey() {
        // A new keyboard or layout may move the key: claimed again once the changes settle.
        regrab_.setSingleShot(true);
        regrab_.setInterval(100);
        QObject::connect(&regrab_, &QTimer::timeout, [this] {
            if (onPressed_ && !Grab()) {
                TellRefused();
            }
        });
    }
    ~TX11Hotkey() override { Release(); }

    bool Claim(std::function<void()> onPressed) override {
        Release();
        display_ = CurrentDisplay();
        if (display_ == nullptr) {
            return false;
        }
        int opcode = 0;
        int errorBase = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        if (!XkbQueryExtension(display_, &opcode, &xkbEventBase_, &errorBase, &major, &minor)) {
            xkbEventBase_ = -1;
        }
        onPressed_ = std::move(onPressed);
        QCoreApplication::instance()->installNativeEventFilter(this);
        if (!Grab()) {
            TellRefused();
            return false;
        }
        return true;
    }

    void Release() override {
        if (display_ == nullptr) {
            return;
        }
        regrab_.stop();
        QCoreApplication::instance()->removeNativeEventFilter(this);
        Ungrab();
        XFlush(display_);
        display_ = nullptr;
        onPressed_ = nullptr;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const int type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY ||
            (xkbEventBase_ >= 0 && type == xkbEventBase_ &&
             (event->pad0 == XkbNewKeyboardNotify || event->pad0 == XkbMapNotify))) {
            regrab_.start();
            return false; // Qt reads the new keymap too
        }
        if (type != XCB_KEY_PRESS) {
            return false;
        }
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        if (keycode_ == 0 || key->detail != keycode_ || key->event != root_) {
            return false;
        }
        if (onPressed_) {
            onPressed_();
        }
        return true;
    }

private:
    // Grabs Shift + the key left of 1 with the Num Lock and Caps Lock variants, in place of
    // an earlier grab; false when there is no such key or another client holds it.
    bool Grab() {
        Ungrab();
        keycode_ = KeyLeftOfOne(display_);
        if (keycode_ == 0) {
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
            return false;
        }
        return true;
    }

    void Ungrab() {
        if (keycode_ == 0) {
            return;
        }
        for (unsigned m : modifiers_) {
            XUngrabKey(display_, keycode_, m, root_);
        }
        keycode_ = 0;
    }

    Display* display_ = nullptr;
    int xkbEventBase_ = -1;
    KeyCode keycode_ = 0;
    Window root_ = 0;
    std::array<unsigned, 4> modifiers_{};
    std::function<void()> onPressed_;
    QTimer regrab_;
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

// The desktop's global shortcut service where the session offers one, else the X11 grab.
std::unique_ptr<IHotkey> MakeSystemHotkey() {
    if (std::unique_ptr<IHotkey> portal = MakePortalHotkey()) {
        return portal;
    }
    return std::make_unique<TX11Hotkey>();
}

std::unique_ptr<ISynthClick> MakeSystemClick() {
    return std::make_unique<TX11Click>();
}

std::optional<QPoint> SystemWindowOrigin(WId window) {
    Display* display = CurrentDisplay();
    Window child = 0;
    int x = 0;
    int y = 0;
    if (display == nullptr || window == 0 ||
        XTranslateCoordinates(display, static_cast<Window>(window), DefaultRootWindow(display), 0,
                              0, &x, &y, &child) == 0) {
        return std::nullopt;
    }
    const qreal ratio = qGuiApp->devicePixelRatio(); // X counts device pixels
    return QPoint(qRound(x / ratio), qRound(y / ratio));
}
