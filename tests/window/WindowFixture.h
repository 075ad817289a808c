#pragma once

#include "Named.h"
#include "ProgramFolder.h"
#include "window/Desktopfrm.h"
#include "window/Recitefrm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A hotkey the test presses; a click that is only recorded.
struct TFakeHotkey : IHotkey {
    std::shared_ptr<QStringList> log;
    std::shared_ptr<std::function<void()>> pressed = std::make_shared<std::function<void()>>();
    bool Claim(std::function<void()> onPressed) override {
        *log << QStringLiteral("claim");
        *pressed = std::move(onPressed);
        return true;
    }
    void Release() override { *log << QStringLiteral("release"); }
};
struct TFakeClick : ISynthClick {
    std::shared_ptr<QList<QPoint>> clicks;
    bool ClickAt(const QPoint& globalPos, WId) override {
        *clicks << globalPos;
        return true;
    }
};

// A program folder with the start settings, a word window on it with fake platform pieces,
// the engine driven tick by tick and every error report collected.
class WindowTest : public TProgramFolderTest {
protected:
    void TearDown() override { form.reset(); }
    // The window's parts, found as a learner's tools would: by their control names.
    QMenu* Menu() const { return Named<QMenu>(form.get(), QStringLiteral("pmuWord")); }
    TfrmDesktop* Backdrop() const {
        return TopLevelNamed<TfrmDesktop>(QStringLiteral("frmDesktop"));
    }
    QSystemTrayIcon* TrayIcon() const {
        return Named<QSystemTrayIcon>(form.get(), QStringLiteral("TrayNotifyIcon1"));
    }
    bool TrayClickPending() const {
        return Named<QTimer>(form.get(), QStringLiteral("tmTrayClick"))->isActive();
    }
    void Create() {
        TReciteDeps setup = Deps(std::make_unique<TFakePlayer>(std::make_shared<QStringList>()));
        auto hotkey = std::make_unique<TFakeHotkey>();
        hotkey->log = hotkeyLog;
        hotkeyPressed = hotkey->pressed;
        auto click = std::make_unique<TFakeClick>();
        click->clicks = clicks;
        form = std::make_unique<TfrmRecite>(std::move(setup),
                                            TWindowPlatform{std::move(hotkey), std::move(click)});
    }
    // Learner 100 "甲" with a book of the given words; the window created and shown.
    void CreateWithWords(const QStringList& names) {
        AddLearner(100, QStringLiteral("甲"));
        AddBook(names);
        Create();
        form->show();
    }

    TRecite* Engine() const { return form->Engine(); }
    TUser* User() const { return form->Engine()->CurrentUser(); }
    QLabel* Label(const char* name) const {
        return form->findChild<QLabel*>(QString::fromLatin1(name));
    }
    QString WordLabel() const { return Label("lblWord")->text(); }
    QString TransLabel() const { return Label("lblTrans")->text(); }
    QColor WordColor() const { return Label("lblWord")->palette().color(QPalette::WindowText); }
    int WordPoints() const { return Label("lblWord")->font().pointSize(); }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(form.get(), key, modifiers);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            Engine()->Tick();
        }
    }
    // Delivers posted messages (WM_RECITEHIDE, deferred reports) but runs no timer.
    static void Settle() { QCoreApplication::sendPostedEvents(); }

    QString PicturePathOf(const QString& word) const {
        return QDir(db.Dir()).filePath(QStringLiteral("jpg/") + word + QStringLiteral(".jpg"));
    }
    void WritePicture(const QString& word, Qt::GlobalColor color = Qt::darkGreen) {
        QDir(db.Dir()).mkpath(QFileInfo(PicturePathOf(word)).path());
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(PicturePathOf(word), "JPEG"));
    }

    std::shared_ptr<QStringList> hotkeyLog = std::make_shared<QStringList>();
    std::shared_ptr<QList<QPoint>> clicks = std::make_shared<QList<QPoint>>();
    std::shared_ptr<std::function<void()>> hotkeyPressed;
    QStringList reported;
    TScopedHandler<TErrorHandler> errors_{[this](const QString& text) { reported << text; }};
    std::unique_ptr<TfrmRecite> form;
};

// Ticks of one full showing with the start settings: 4 alone, 3 with the translation.
inline constexpr int kShowing = 7;
