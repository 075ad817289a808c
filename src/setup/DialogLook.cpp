#include "setup/DialogLook.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QFont DialogFont() {
    QFont font;
    // "宋体" is not aliased by fontconfig; the Song-style faces of Debian stand in for it.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")});
    font.setPixelSize(15);
    return font;
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
