// The X11 backend against a real server. Skipped on the offscreen platform; run under Xvfb:
//   xvfb-run -a env QT_QPA_PLATFORM=xcb test_window --gtest_filter='X11*'
#include "window/platform/Platform.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

Display* QtDisplay() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->display();
}

class X11BackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = QtDisplay();
        if (display == nullptr) {
            GTEST_SKIP() << "no X server on this platform";
        }
    }
    void Tap(KeySym sym, bool shifted) {
        const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
        const KeyCode key = XKeysymToKeycode(display, sym);
        if (shifted) {
            XTestFakeKeyEvent(display, shift, True, CurrentTime);
        }
        XTestFakeKeyEvent(display, key, True, CurrentTime);
        XTestFakeKeyEvent(display, key, False, CurrentTime);
        if (shifted) {
            XTestFakeKeyEvent(display, shift, False, CurrentTime);
        }
        XFlush(display);
    }
    Display* display = nullptr;
};

TEST_F(X11BackendTest, ShiftAndTheKeyLeftOfOneReachTheHotkey) {
    auto hotkey = MakeSystemHotkey();
    int pressed = 0;
    ASSERT_TRUE(hotkey->Claim([&pressed] { ++pressed; }));
    Tap(XK_grave, true);
    EXPECT_TRUE(QTest::qWaitFor([&pressed] { return pressed == 1; }, 2000));
    Tap(XK_grave, false); // without Shift it is an ordinary key
    QTest::qWait(100);
    EXPECT_EQ(pressed, 1);

    // With Num Lock on, the variant grab answers.
    Tap(XK_Num_Lock, false);
    Tap(XK_grave, true);
    EXPECT_TRUE(QTest::qWaitFor([&pressed] { return pressed == 2; }, 2000));
    Tap(XK_Num_Lock, false);

    hotkey->Release();
    Tap(XK_grave, true);
    QTest::qWait(100);
    EXPECT_EQ(pressed, 2);
}

TEST_F(X11BackendTest, KeyHeldByAnotherClientIsRefusedQuietly) {
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    const KeyCode grave = XKeysymToKeycode(other, XK_grave);
    XGrabKey(other, grave, ShiftMask, XDefaultRootWindow(other), False, GrabModeAsync,
             GrabModeAsync);
    XSync(other, False);

    auto hotkey = MakeSystemHotkey();
    EXPECT_FALSE(hotkey->Claim([] {}));
    XCloseDisplay(other);
    XSync(display, False);
    // Free again once the other client is gone; a claim repeated releases the first.
    EXPECT_TRUE(hotkey->Claim([] {}));
    EXPECT_TRUE(hotkey->Claim([] {}));
}

TEST_F(X11BackendTest, SynthesisedClickArrivesAtThePoint) {
    QWidget target;
    target.setGeometry(100, 100, 200, 150);
    QList<QPoint> presses;
    struct TRecorder : QObject {
        QList<QPoint>* presses = nullptr;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::MouseButtonPress) {
                *presses << static_cast<QMouseEvent*>(event)->position().toPoint();
            }
            return false;
        }
    } recorder;
    recorder.presses = &presses;
    target.installEventFilter(&recorder);
    target.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&target));
    QCursor::setPos(5, 6);
    QTest::qWait(50);
    const std::unique_ptr<ISynthClick> click = MakeSystemClick();
    EXPECT_TRUE(click->ClickAt(target.mapToGlobal(QPoint(30, 40)), target.winId()));
    EXPECT_TRUE(QTest::qWaitFor([&presses] { return !presses.isEmpty(); }, 2000));
    ASSERT_EQ(presses.size(), 1);
    EXPECT_EQ(presses[0], QPoint(30, 40));
    EXPECT_TRUE(QTest::qWaitFor([] { return QCursor::pos() == QPoint(5, 6); }, 2000));

    // Where another window covers the point, or the window is not on screen, nothing is clicked.
    QWidget cover;
    cover.setGeometry(120, 120, 100, 100);
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    EXPECT_FALSE(click->ClickAt(target.mapToGlobal(QPoint(30, 40)), target.winId()));
    EXPECT_TRUE(click->ClickAt(target.mapToGlobal(QPoint(150, 120)), target.winId()));
    target.hide();
    EXPECT_FALSE(click->ClickAt(target.mapToGlobal(QPoint(150, 120)), target.winId()));
    QTest::qWait(200);
    EXPECT_EQ(presses.size(), 2);
}

} // namespace
