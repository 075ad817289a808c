#pragma once

#include <QIcon>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>

#include <QObject>

class QMenu;
class QTimer;

// The notification-area icon with its popup menu. A single left click is reported only once
// the double-click time has passed without a second click; a double click reports nothing.
class TTrayNotifyIcon : public QObject {
public:
    TTrayNotifyIcon(QObject* owner, const QIcon& icon, const QString& tip, QMenu* menu,
                    std::function<void()> onClick);

    QSystemTrayIcon* Icon() const { return icon_; }
    void SetVisible(bool visible);
    // Fed by the icon's activated signal.
    void Activated(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon* icon_;
    QTimer* clickTimer_;
    std::function<void()> onClick_;
};
