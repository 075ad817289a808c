// The learner's commands on the word window: keys, mouse, hotkey, focus click, deactivation
// and the tray menu.
#include "window/Recitefrm.h"

#include "window/Messages.h"
#include "window/TrayIcon.h"
#include "window/Website.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

namespace {
// How far the pointer travels with the left button held before a drag begins: less would
// turn the slight movement of a click or double click into a move.
constexpr int kDragThreshold = 4;
} // namespace

void TfrmRecite::CreateMenu() {
    pmuWord = new QMenu(this);
    pmuWord->setObjectName(QStringLiteral("pmuWord"));
    const auto add = [this](const char* name, const QString& caption,
                            void (TfrmRecite::*handler)()) {
        QAction* action = pmuWord->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    mmiStart = add("mmiStart", QStringLiteral("背词"), &TfrmRecite::mmiStartClick);
    pmuWord->addSeparator();
    mmiSetup = add("mmiSetup", QStringLiteral("设置"), &TfrmRecite::mmiSetupClick);
    mmiSetup->setEnabled(false);
    mmiStats = add("mmiStats", QStringLiteral("学习统计"), &TfrmRecite::mmiStatsClick);
    mmiStats->setEnabled(false);
    mmiOut = add("mmiOut", QStringLiteral("打印"), &TfrmRecite::mmiOutClick);
    mmiOut->setVisible(false);
    pmuWord->addSeparator();
    mmiWebsite = add("mmiWebsite", QStringLiteral("网站"), &TfrmRecite::mmiWebsiteClick);
    pmuWord->addSeparator();
    mmiClose = add("mmiClose", QStringLiteral("退出"), &TfrmRecite::mmiCloseClick);
}

void TfrmRecite::SetSetupDialog(TDialogOpener opener) {
    setupDialog_ = std::move(opener);
    mmiSetup->setEnabled(static_cast<bool>(setupDialog_));
}

void TfrmRecite::SetStatsWindow(TDialogOpener opener) {
    statsWindow_ = std::move(opener);
    mmiStats->setEnabled(static_cast<bool>(statsWindow_));
}

void TfrmRecite::SetPrintDialog(TDialogOpener opener) {
    printDialog_ = std::move(opener);
    // The tray item stays hidden; Ctrl+P on the word window opens the dialog.
    if (findChild<QShortcut*>(QStringLiteral("scPrint")) == nullptr) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
        shortcut->setObjectName(QStringLiteral("scPrint"));
        connect(shortcut, &QShortcut::activated, this, [this] { mmiOutClick(); });
    }
}

bool TfrmRecite::event(QEvent* event) {
    if (event->type() == WM_RECITEHIDE) {
        HideWindow();
        return true;
    }
    if (event->type() == WM_RECITEDESKTOP) {
        auto* message = dynamic_cast<TReciteMessage*>(event);
        ShowDesktop(message == nullptr ? 0 : message->WParam);
        if (message != nullptr) {
            message->Result = 1;
        }
        return true;
    }
    return QWidget::event(event);
}

// Pause or resume: the right button released, or Space.
void TfrmRecite::PauseOrResume() {
    if (engine_->State == rsPaused) {
        engine_->SetState(rsRunning);
    } else if (engine_->State == rsRunning) {
        engine_->SetState(rsPaused);
    }
}

// Start, or mark the word known: a left double click, or Enter.
void TfrmRecite::StartOrKnown() {
    if (engine_->Stopped) {
        engine_->SetState(rsLoading);
    } else if (engine_->State == rsPaused) {
        engine_->SetState(rsRunning);
    } else if (engine_->State == rsRunning) {
        engine_->MarkKnown();
    }
}

void TfrmRecite::NextUser() {
    engine_->SelectUser(engine_->UserIndex + 1);
    RefreshView();
}

void TfrmRecite::ToggleReviewMode() {
    if (TUser* user = engine_->CurrentUser()) {
        user->ReviewMode = !user->ReviewMode;
        engine_->SelectUser(engine_->UserIndex);
    }
    RefreshView();
}

void TfrmRecite::EscapeCommand() {
    if (engine_->State == rsRunning) {
        engine_->SetState(rsPaused);
    }
    QCoreApplication::postEvent(this, new TReciteMessage(WM_RECITEHIDE));
}

void TfrmRecite::PopupMenuHere() {
    // Where the window really is: right after the first show Qt may still place it at the
    // frame's origin.
    const std::optional<QPoint> origin = SystemWindowOrigin(winId());
    pmuWord->popup(origin ? *origin + rect().center() : geometry().center());
}

// The key alone decides: modifiers do not matter, and an auto-repeated key acts again.
void TfrmRecite::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F2:
        NextUser();
        break;
    case Qt::Key_M:
        ToggleReviewMode();
        break;
    case Qt::Key_F3:
        mmiStatsClick();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        StartOrKnown();
        break;
    case Qt::Key_Escape:
        EscapeCommand();
        break;
    case Qt::Key_Space:
        PauseOrResume();
        break;
    case Qt::Key_Menu:
    case Qt::Key_F10:
        // Without a notification area the tray menu is reached from the window itself.
        if (QSystemTrayIcon::isSystemTrayAvailable() ||
            (event->key() == Qt::Key_F10 && !(event->modifiers() & Qt::ShiftModifier))) {
            QWidget::keyPressEvent(event);
            return;
        }
        PopupMenuHere();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TfrmRecite::mousePressEvent(QMouseEvent* event) {
    // The focus click's own press never starts a drag: a window manager that holds the press
    // to give the focus lets it through late, after the pointer has gone back, and a drag
    // begun then would hand the pointer to the window manager and deactivate the program.
    const bool focusClick =
        focusClickPending_ && event->globalPosition().toPoint() == focusClickAt_;
    focusClickPending_ = false;
    if (event->button() == Qt::LeftButton && !focusClick) {
        dragArmed_ = true;
        dragByHand_ = false;
        dragOrigin_ = event->globalPosition().toPoint();
        dragOffset_ = dragOrigin_ - pos();
    }
    event->accept();
}

void TfrmRecite::mouseMoveEvent(QMouseEvent* event) {
    if (!dragArmed_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (!dragByHand_) {
        if ((global - dragOrigin_).manhattanLength() < kDragThreshold) {
            return;
        }
        if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) {
            dragArmed_ = false; // the window manager moves it from here on
            systemMove_ = true;
            return;
        }
        dragByHand_ = true;
    }
    move(global - dragOffset_);
}

void TfrmRecite::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragArmed_ = false;
        dragByHand_ = false;
    } else if (event->button() == Qt::RightButton) {
        PauseOrResume();
    }
    event->accept();
}

void TfrmRecite::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragArmed_ = false;
        StartOrKnown();
    }
    event->accept();
}

void TfrmRecite::HotkeyPress() {
    if (!isVisible()) {
        mmiStartClick();
    } else {
        QCoreApplication::postEvent(this, new TReciteMessage(WM_RECITEHIDE));
    }
}

// A real click on the newly shown window makes it the active one with the keyboard focus;
// the point lies on the background, where a single click starts nothing. The point is the
// background's own position plus (20, 5), taken in the background's coordinates: the
// window's point (84, 53). A window hidden meanwhile gets no click, and the backend clicks
// only where the point shows this window, so the click never lands in another program.
void TfrmRecite::tmFocusTimer() {
    tmFocus->stop();
    if (!isVisible() || isMinimized()) {
        return;
    }
    const QPoint target = imgBack->mapToGlobal(imgBack->pos() + QPoint(20, 5));
    focusClickPending_ = platform_.click->ClickAt(target, winId());
    focusClickAt_ = target;
}

void TfrmRecite::HideOnDeactivate() {
    engine_->SavedText = lblWord->text();
    if (engine_->State == rsRunning) {
        engine_->SetState(rsPaused);
    }
    hide();
}

// Closing the word window, by "退出" or through the window manager (Alt+F4), ends the program.
void TfrmRecite::closeEvent(QCloseEvent* event) {
    FormClose();
    backdrop_->hide();
    QWidget::closeEvent(event);
    QCoreApplication::quit();
}

void TfrmRecite::FormClose() {
    engine_->SavedText = lblWord->text();
}

void TfrmRecite::TrayNotifyIcon1Click() {
    mmiStartClick();
}

void TfrmRecite::mmiStartClick() {
    show();
    raise();
    activateWindow();
}

void TfrmRecite::mmiSetupClick() {
    if (!setupDialog_) {
        return;
    }
    hide();
    setupDialog_(this, engine_);
}

// The statistics window does not hide the word window: the cycle may go on behind it.
void TfrmRecite::mmiStatsClick() {
    if (statsWindow_) {
        statsWindow_(this, engine_);
    }
}

void TfrmRecite::mmiOutClick() {
    if (printDialog_) {
        printDialog_(this, engine_);
    }
}

void TfrmRecite::mmiWebsiteClick() {
    QDesktopServices::openUrl(WebsiteUrl()); // a failure is not reported
}

void TfrmRecite::mmiCloseClick() {
    close();
}
