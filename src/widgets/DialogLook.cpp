#include "widgets/DialogLook.h"

#include "ui/Fonts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QFont DialogFont() {
    return SongFontPixels(15);
}

void SetTextColor(QWidget* widget, const QColor& color, QPalette::ColorRole role) {
    QPalette pal = widget->palette();
    pal.setColor(role, color);
    widget->setPalette(pal);
}

void CenterOnScreen(QWidget* window) {
    QScreen* screen =
        window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
