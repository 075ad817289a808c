#include "window/TrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>

namespace {
// The tip text the notification area takes at most.
constexpr qsizetype kMaxTip = 63;
} // namespace

TTrayNotifyIcon::TTrayNotifyIcon(QObject* owner, const QIcon& icon, const QString& tip, QMenu* menu,
                                 std::function<void()> onClick)
    : QObject(owner), icon_(new QSystemTrayIcon(icon, this)), clickTimer_(new QTimer(this)),
      onClick_(std::move(onClick)) {
    icon_->setObjectName(QStringLiteral("TrayNotifyIcon1"));
    icon_->setToolTip(tip.left(kMaxTip));
    icon_->setContextMenu(menu);
    clickTimer_->setObjectName(QStringLiteral("tmTrayClick"));
    clickTimer_->setSingleShot(true);
    connect(clickTimer_, &QTimer::timeout, this, [this] {
        if (onClick_) {
            onClick_();
        }
    });
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
}

void TTrayNotifyIcon::SetVisible(bool visible) {
    icon_->setVisible(visible);
}

void TTrayNotifyIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // Some trays report the second click of a double click as a click of its own.
        if (clickTimer_->isActive()) {
            clickTimer_->stop();
        } else {
            clickTimer_->start(QApplication::doubleClickInterval());
        }
        break;
    case QSystemTrayIcon::DoubleClick:
        clickTimer_->stop();
        break;
    default:
        break;
    }
}
