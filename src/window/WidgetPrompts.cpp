#include "WidgetPrompts.h"

#include "Prompts.h"

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

TMsgResult ShowWidgetBox(const TMessage& message) {
    const QMessageBox::StandardButtons buttons =
        message.buttons == TMsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                 : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(BoxIcon(message.icon), message.caption, message.text, buttons,
                    QApplication::activeWindow());
    box.setDefaultButton(message.defaultButton == TMsgResult::Cancel &&
                                 message.buttons == TMsgButtons::OkCancel
                             ? QMessageBox::Cancel
                             : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? TMsgResult::Ok : TMsgResult::Cancel;
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
                    QApplication::activeWindow());
    box.exec();
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
