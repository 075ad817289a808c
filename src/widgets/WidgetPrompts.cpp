#include "widgets/WidgetPrompts.h"

#include "model/Prompts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon BoxIcon(TMsgIcon icon) {
    switch (icon) {
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

// The word window and the backdrop stay above other windows: a box must stay above them, or
// the learner's next key would answer a box nobody sees. It belongs to the active window, or
// else to our window that stays on top (the word window before the backdrop), stays on top
// itself and is raised and activated when shown.
QWidget* BoxOwner() {
    if (QWidget* active = QApplication::activeModalWidget()) {
        return active;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    QWidget* owner = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
            (owner == nullptr || w->objectName() == QLatin1String("frmRecite"))) {
            owner = w;
        }
    }
    return owner;
}

int RunBox(QMessageBox& box) {
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.show();
    box.raise();
    box.activateWindow();
    return box.exec();
}

TMsgResult ShowWidgetBox(const TMessage& message) {
    const QMessageBox::StandardButtons buttons =
        message.buttons == TMsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                 : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(BoxIcon(message.icon), message.caption, message.text, buttons, BoxOwner());
    box.setDefaultButton(message.defaultButton == TMsgResult::Cancel &&
                                 message.buttons == TMsgButtons::OkCancel
                             ? QMessageBox::Cancel
                             : QMessageBox::Ok);
    return RunBox(box) == QMessageBox::Ok ? TMsgResult::Ok : TMsgResult::Cancel;
}

void ShowErrorBox(const QString& text) {
    static bool open = false;
    if (open) {
        return;
    }
    struct TOpen {
        TOpen() { open = true; }
        ~TOpen() { open = false; }
        TOpen(const TOpen&) = delete;
        TOpen& operator=(const TOpen&) = delete;
    } guard;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tavelo"), text, QMessageBox::Ok,
                    BoxOwner());
    RunBox(box);
}

void SetBusy(bool busy) {
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

} // namespace

void InstallWidgetPrompts() {
    SetMessageHandler(ShowWidgetBox);
    SetErrorHandler(ShowErrorBox);
    SetBusyHandler(SetBusy);
}
