#include "window/Desktopfrm.h"

#include "engine/ReciteCtrl.h"
#include "ui/Colors.h"
#include "window/Messages.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScreen>

TfrmDesktop::TfrmDesktop(TRecite* engine, QWidget* owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      engine_(engine), owner_(owner) {
    setObjectName(QStringLiteral("frmDesktop"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorFromStored(kTealColor));
    setPalette(pal);
}

void TfrmDesktop::FormShow() {
    const TUser* user = engine_ == nullptr ? nullptr : engine_->CurrentUser();
    QPalette pal = palette();
    pal.setColor(QPalette::Window,
                 ColorFromStored(user == nullptr ? kTealColor : user->Config.DesktopColor));
    setPalette(pal);
    QScreen* target = owner_ != nullptr ? owner_->screen() : screen();
    if (target != nullptr) {
        setGeometry(target->geometry());
    }
}

void TfrmDesktop::FormMouseDown() {
    if (owner_ != nullptr) {
        // Posted, so the backdrop's own event ends before both windows go.
        QCoreApplication::postEvent(owner_, new TReciteMessage(WM_RECITEHIDE));
    }
}

void TfrmDesktop::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
    }
    QWidget::showEvent(event);
}

void TfrmDesktop::mousePressEvent(QMouseEvent* event) {
    FormMouseDown();
    event->accept();
}
