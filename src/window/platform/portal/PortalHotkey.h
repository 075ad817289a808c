#pragma once

#include "window/platform/Platform.h"

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <memory>

// The hotkey through the desktop's global shortcut service (the GlobalShortcuts portal of
// xdg-desktop-portal): on a Wayland session an X11 grab only sees keys while one of the few
// X11 programs has the focus. One session with one shortcut, Shift + the key left of 1
// preferred; the desktop keeps a trigger the learner chose in its settings.
class TPortalHotkey : public QObject, public IHotkey {
    Q_OBJECT
public:
    TPortalHotkey();
    ~TPortalHotkey() override;

    bool Claim(std::function<void()> onPressed) override;
    void Release() override;

private slots:
    void Response(uint code, const QVariantMap& results);
    void Activated(const QDBusMessage& message);

private:
    // Calls a portal method that answers through a request object: the answer comes as that
    // object's Response signal, listened for before the call, as the portal asks.
    bool Request(const QString& method, QList<QVariant> args, const QString& token);
    void ForgetRequest();

    enum class TStep { None, CreatingSession, Binding, Bound };
    TStep step_ = TStep::None;
    QString requestPath_;
    QString session_;
    std::function<void()> onPressed_;
    int tokens_ = 0;
};

// The portal's hotkey when the session bus offers the GlobalShortcuts portal, else null.
std::unique_ptr<IHotkey> MakePortalHotkey();
